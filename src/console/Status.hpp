#pragma once

#include "state/GameState.hpp"

namespace zandrel {

// Opens a turn: a pause, a cleared screen, the title, the attributes and the scrolls held.
void showStatus();

// The player's standing, shown at the start of every battle and every guarded crossing.
void printCombatSummary();

// Tells the player the level and title the character now has.
void announceTitle();

// A title earned: its announcement, the adjective put in front of the title, and the flag of
// the skills that come with it.
void earnTitle(const char* announcement, const char* adjective, bool GameState::*skills);

} // namespace zandrel
