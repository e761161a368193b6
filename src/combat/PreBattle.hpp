#pragma once

namespace zandrel {

// The choice before a battle: run away, spend a scroll, or nothing. Returns true when the
// battle goes ahead, false when the player avoided it.
bool preBattle();

} // namespace zandrel
