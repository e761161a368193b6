#include "combat/PreBattle.hpp"

#include "console/Ask.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {
namespace {

void showChoices() {
    out() << "Here are the possible choices before the battle.\n\n";
    out() << "[R]un Away--Run away from battle.\n";
    if (game.escapeScrolls > 0) {
        out() << "[E]scape--Escape from battle.\n";
    }
    if (game.berserkScrolls > 0) {
        out() << "[B]erserk--Enhance strength temporarily.\n";
    }
    if (game.healScrolls > 0) {
        out() << "[H]eal--Gain an additional Life.\n";
    }
    out() << "[N]othing--Do nothing before battle.\n";
}

} // namespace

bool preBattle() {
    bool refused = false;
    for (;;) {
        if (refused) {
            out() << "That is not one of the choices. Try again!\n";
        }
        showChoices();
        readMenuLetter("rebhn");
        switch (game.classLetter) {
        case 'R':
            if (chancePercent(33)) {
                out() << "You Ran Away!\n";
                return false;
            }
            out() << "You Fail.\n";
            return true;
        case 'E':
            if (game.escapeScrolls > 0) {
                ++game.spellsCast;
                --game.escapeScrolls;
                out() << "You Escape from battle!\n";
                return false;
            }
            break;
        case 'B':
            if (game.berserkScrolls > 0) {
                ++game.spellsCast;
                ++game.berserkCasts;
                out() << "Your muscles surge with Strength!\n";
                game.berserkActive = true;
                game.strength = gainStat("Strength", game.strength, 4);
                --game.berserkScrolls;
                return true;
            }
            break;
        case 'H':
            if (game.healScrolls > 0) {
                ++game.spellsCast;
                ++game.healCasts;
                game.life = gainStat("Life", game.life, 1);
                --game.healScrolls;
                return true;
            }
            break;
        case 'N':
            return true;
        default:
            break;
        }
        refused = true;
    }
}

} // namespace zandrel
