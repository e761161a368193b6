#include "combat/Battle.hpp"

#include "combat/PreBattle.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "console/Status.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {
namespace {

// The two kinds of battle differ only in the attribute fought with.
void fight(std::int32_t GameState::*foeValue, std::int32_t GameState::*playerValue,
           const char* attribute) {
    const int foe = game.*foeValue;
    out() << "You enter combat with a creature with " << foe << " " << attribute << ".\n";
    printCombatSummary();
    if (!preBattle()) {
        return;
    }
    ++game.battleCount;
    const int yours = rollPlayerDie() + game.*playerValue;
    const int his = rollFoeDie() + foe;
    out() << "You: " << yours << "\nHim: " << his << "\n";
    if (yours > his) {
        out() << "You killed the creature with " << yours << " damage.\n";
        game.experience = gainStat("EXP", game.experience, foe);
    } else if (his > yours) {
        out() << "You were killed by the creature who dealt " << his << " damage to you.\n";
        game.life = loseStat("Life", game.life, 1);
    } else {
        out() << "The battle ended in a draw.\n";
    }
}

} // namespace

void fightByStrength() { fight(&GameState::foeStrength, &GameState::strength, "Strength"); }

void fightByCraft() { fight(&GameState::foeCraft, &GameState::craft, "Craft"); }

} // namespace zandrel
