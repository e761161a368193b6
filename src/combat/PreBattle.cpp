#include "combat/PreBattle.hpp"

#include "console/Ask.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <array>
#include <ostream>

namespace zandrel {
namespace {

// A spell scroll that can be spent before a battle.
struct Spell {
    char letter;
    const char* menuLine;
    std::int32_t GameState::*scrolls;
    std::int32_t GameState::*casts; // the count its own advancement rests on, if any
    void (*cast)();
    bool battleGoesAhead;
};

// In the order the menu offers them.
const std::array<Spell, 3> spells = {{
    {'E', "[E]scape--Escape from battle.\n", &GameState::escapeScrolls, nullptr,
     [] { out() << "You Escape from battle!\n"; }, false},
    {'B', "[B]erserk--Enhance strength temporarily.\n", &GameState::berserkScrolls, &GameState::berserkCasts,
     [] {
         out() << "Your muscles surge with Strength!\n";
         game.berserkActive = true;
         gain(strengthStat, 4);
     },
     true},
    {'H', "[H]eal--Gain an additional Life.\n", &GameState::healScrolls, &GameState::healCasts,
     [] { gain(lifeStat, 1); }, true},
}};

void showChoices() {
    out() << "Here are the possible choices before the battle.\n\n";
    out() << "[R]un Away--Run away from battle.\n";
    for (const Spell& spell : spells) {
        if (game.*spell.scrolls > 0) {
            out() << spell.menuLine;
        }
    }
    out() << "[N]othing--Do nothing before battle.\n";
}

const Spell* affordableSpell(char letter) {
    const auto found = std::find_if(spells.begin(), spells.end(), [letter](const Spell& spell) {
        return spell.letter == letter && game.*spell.scrolls > 0;
    });
    return found == spells.end() ? nullptr : &*found;
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
        if (game.classLetter == 'R') {
            if (chancePercent(33)) {
                out() << "You Ran Away!\n";
                return false;
            }
            out() << "You Fail.\n";
            return true;
        }
        if (game.classLetter == 'N') {
            return true;
        }
        if (const Spell* spell = affordableSpell(game.classLetter)) {
            ++game.spellsCast;
            if (spell->casts != nullptr) {
                ++(game.*spell->casts);
            }
            --(game.*spell->scrolls);
            spell->cast();
            return spell->battleGoesAhead;
        }
        refused = true;
    }
}

} // namespace zandrel
