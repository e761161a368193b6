#include "flow/Character.hpp"

#include "console/Ask.hpp"
#include "console/Console.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <array>
#include <ostream>

namespace zandrel {
namespace {

struct CharacterClass {
    char letter;
    const char* menuLine;
    const char* question;
    const char* title;
    int strength;
    int craft;
    int gold;
    bool GameState::*flag;
    int healScrolls;
    int life;
};

constexpr int usualLife = 3;

const std::array<CharacterClass, 7> classes = {{
    {'K', "[K]night\tStrength: 3 Craft: 3 Gold: 1\n", "Are you sure you want to be Knight?", "Knight",
     3, 3, 1, &GameState::isKnight, 0, usualLife},
    {'O', "[O]gre  \tStrength: 5 Craft: 1 Gold: 0\n", "Are you sure you want to be a Ogre?", "Ogre",
     5, 1, 0, &GameState::isOgre, 0, usualLife},
    {'W', "[W]izard\tStrength: 1 Craft: 5 Gold: 2\n", "Are you sure you want to be a Wizard?", "Wizard",
     1, 5, 2, &GameState::isWizard, 0, usualLife},
    {'P', "[P]riest\tStrength: 1 Craft: 4 Gold: 4\n", "Are you sure you want to be a Priest?", "Priest",
     1, 4, 4, &GameState::isPriest, 3, usualLife},
    {'M', "[M]erchant\tStrength: 2 Craft: 2 Gold: 5\n", "Are you sure you want to be a Merchant?",
     "Merchant", 2, 2, 5, &GameState::isMerchant, 0, usualLife},
    {'T', "[T]heif \tStrength: 2 Craft: 2 Gold: 0\n", "Are you sure you want to be a Thief?", "Thief",
     2, 2, 0, &GameState::isThief, 0, usualLife},
    {'U', "[U]ndead\tStrength: 1 Craft: 3 Gold: 0\n", "Are you sure you want to be a Undead?", "Undead",
     1, 3, 0, &GameState::isUndead, 0, -3},
}};

void takeUp(const CharacterClass& chosen) {
    game.*chosen.flag = true;
    game.className = chosen.title;
    game.strength = chosen.strength;
    game.craft = chosen.craft;
    game.gold = chosen.gold;
    if (chosen.healScrolls > 0) {
        game.healScrolls = chosen.healScrolls;
    }
    game.life = chosen.life;
}

} // namespace

void chooseCharacter() {
    bool refused = false;
    for (;;) {
        clearScreen();
        if (refused) {
            out() << "That is not one of the choices. Try again!\n";
            refused = false;
        }
        out() << "\nNow you must chose your character.\nHere are the possible choices.\n\n";
        for (const CharacterClass& offered : classes) {
            out() << offered.menuLine;
        }
        readMenuLetter("kowpmtu");
        const auto found = std::find_if(classes.begin(), classes.end(), [](const CharacterClass& offered) {
            return offered.letter == game.classLetter;
        });
        if (found == classes.end()) {
            refused = true;
            continue;
        }
        const CharacterClass& picked = *found;
        if (answeredYes(picked.question)) {
            takeUp(picked);
            return;
        }
    }
}

} // namespace zandrel
