#include "flow/Driver.hpp"

#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Status.hpp"
#include "flow/Character.hpp"
#include "flow/Upkeep.hpp"
#include "regions/Regions.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {
namespace {

void welcome() {
    out() << "\n\n\n\t\tWelcome to Zandrel Version 2.0 the Computer Edition.\n";
    out() << "\n\t\tCreated and Modified by Mirelock.\n\n\t\t";
    out() << "\n\t\thttps://zandrel.example.org or mirelock@example.org\n\n\t\t";
}

void playTurns(void (*regionTurn)(), int region) {
    while (game.region == region) {
        runUpkeep();
        showStatus();
        regionTurn();
    }
}

void congratulate() {
    clearScreen();
    out() << "You have claimed the Crown of Command for the victory.\n";
    out() << "You have beaten Zandrel very few have actually come this far.\nCONGRATULATIONS!!!\n";
    out() << "Thanks for playing my game by Mirelock.\n\n\n";
    out() << "THE END!\n\n\n\n\n\n";
    pauseGame();
}

} // namespace

int runGame() {
    seedChance();
    welcome();
    pauseGame();
    chooseCharacter();
    do {
        playTurns(playOuterRegion, 1);
        playTurns(playMiddleRegion, 2);
        playTurns(playInnerRegion, 3);
    } while (game.region < 3);
    congratulate();
    out().flush();
    return 0;
}

} // namespace zandrel
