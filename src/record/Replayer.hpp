#pragma once

#include <string>

namespace zandrel {

// Shows again the game a record holds, as it was played, through the same rules: the record gives
// every answer, pause and draw, so nothing is drawn and nothing is kept. Where a person watches
// (`watching`), it shows the same screens and clears, and waits for a key where the game paused: q
// ends the replay, e shows the rest at once, and any other key goes on; elsewhere it writes the
// game's text alone, with each answer as it was echoed. `whose` names the game in the line that
// opens a watched replay. A record that stops before its game ended is shown up to where it stops,
// which is said. Returns 0 when the game was shown, and 2, after one line on the error stream,
// when the record cannot be replayed: one of another format or other rules, one that no longer
// fits the game, or a finished game's that ends otherwise than it says.
int replayRecord(std::string text, bool watching, const std::string& whose);

} // namespace zandrel
