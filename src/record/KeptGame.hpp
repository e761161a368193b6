#pragma once

#include "host/Host.hpp"

namespace zandrel {

// The exit status of a game refused because another game of the same player holds the record.
inline constexpr int anotherGameStatus = 3;
// The exit status of a kept game that can be neither kept on nor kept from being resumed: it ends
// before it shows anything its record lacks.
inline constexpr int cannotKeepStatus = 4;

// Plays the game over the seams in force, kept where the host keeps it: every answer, pause and
// draw is written to the record as it happens, and no text is shown before what it shows is
// safely kept. An unfinished game is resumed at the screen the player left; with `newGame` it is
// set aside first, also for a game that is not kept itself. Returns the exit status of a game
// that is not kept; a kept game ends itself.
int playKeptGame(const Keeping& keeping, bool newGame);

} // namespace zandrel
