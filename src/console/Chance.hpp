#pragma once

namespace zandrel {

// Seeds the game's one source of chance from the clock; done once, at the start.
void seedChance();

// One raw draw of chance: a value from 0 up.
int drawChance();

// True with the given chance in whole percent; silent.
bool chancePercent(int percent);

// One die each, announced: the player's, the foe's, and the player's after a pause.
int rollPlayerDie();
int rollFoeDie();
int rollSpaceDie();

} // namespace zandrel
