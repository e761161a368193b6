#pragma once

#include "record/RecordStore.hpp"

#include <string>

namespace zandrel {

// Lists the finished games the store keeps, newest first, each with its number: on a terminal a
// table that fits 80 columns, then a line for each class played (games, wins, and the fewest turns
// to a win); elsewhere one plain line a game, for sort and grep. Says so in one line when there is
// none yet. The list is mended first where no other game holds the store. Returns the exit status.
int listFinishedGames(RecordStore& store, bool terminal);

// Replays a finished game by its number (`--replay 7`), or the record in a file of any name.
int replayFinishedGame(RecordStore& store, const std::string& numberOrFile, bool watching);

} // namespace zandrel
