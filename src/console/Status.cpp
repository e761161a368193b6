#include "console/Status.hpp"

#include "console/Console.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {

void printCombatSummary() {
    out() << "\nLife: " << game.life << " Strength: " << game.strength << " Craft: " << game.craft
          << " Gold: " << game.gold << " EXP: " << game.experience << "/" << game.experienceNeeded
          << "\n";
}

void announceTitle() {
    out() << "You are now a level " << game.level << " " << game.className << "!\n";
}

void earnTitle(const char* announcement, const char* adjective, bool GameState::*skills) {
    out() << announcement;
    game.className = adjective + game.className;
    announceTitle();
    game.*skills = true;
}

void showStatus() {
    pauseGame();
    clearScreen();
    out() << "The Level " << game.level << " " << game.className << "!\n";
    printCombatSummary();
    out() << "\n";
    if (game.berserkScrolls > 0 || game.escapeScrolls > 0 || game.healScrolls > 0) {
        out() << "\t\tBATTLE SPELLS\n";
        if (game.berserkScrolls > 0) {
            out() << "\t\tBerserk: " << game.berserkScrolls << "\n";
        }
        if (game.escapeScrolls > 0) {
            out() << "\t\tEscape: " << game.escapeScrolls << "\n";
        }
        if (game.healScrolls > 0) {
            out() << "\t\tHeal: " << game.healScrolls << "\n";
        }
        out() << "\n";
    }
}

} // namespace zandrel
