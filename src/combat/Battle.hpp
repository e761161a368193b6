#pragma once

namespace zandrel {

// One battle against the foe whose value the caller has put in foeStrength or foeCraft:
// the foe and the player's standing, the pre-battle choice, then one die each.
void fightByStrength();
void fightByCraft();

} // namespace zandrel
