#pragma once

namespace zandrel {

// Settles what the last turn left: ends a lost game (it then never returns), grants class
// advancements, turns experience into levels and ends a Berserk boost.
void runUpkeep();

} // namespace zandrel
