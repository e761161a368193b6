#pragma once

namespace zandrel {

// One whole game, from the banner to the victory text. Returns the exit status of a won
// game; a lost game ends inside the turn upkeep and never comes back here.
int runGame();

} // namespace zandrel
