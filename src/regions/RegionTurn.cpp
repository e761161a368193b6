#include "regions/RegionTurn.hpp"

#include "cards/Cards.hpp"
#include "console/Ask.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "console/Status.hpp"
#include "flow/Upkeep.hpp"

#include <ostream>

namespace zandrel {
namespace {

const Space* spaceAt(const Board& board, int face) {
    if (face < 1 || face > static_cast<int>(board.size())) {
        return nullptr;
    }
    return &board.at(static_cast<std::size_t>(face - 1));
}

} // namespace

void playRegionTurn(const Board& board) {
    if (const Space* standing = spaceAt(board, game.spaceRoll)) {
        out() << standing->description;
    }
    for (int face = 1; face <= static_cast<int>(board.size()); ++face) {
        out() << (face == game.spaceRoll ? "*" : " ") << spaceAt(board, face)->boardLine;
    }
    game.lastOutcome = rollSpaceDie();
    game.spaceRoll = game.lastOutcome;
    const Space* landed = spaceAt(board, game.lastOutcome);
    out() << landed->landingLabel;
    landed->action();
}

void rollForHappening(const char* place, const std::array<Happening, 6>& happenings) {
    out() << "Roll the dice to see what happens in the " << place << ".\n";
    for (const Happening& happening : happenings) {
        out() << happening.menuLine;
    }
    game.lastOutcome = rollSpaceDie();
    const Happening& result = happenings.at(static_cast<std::size_t>(game.lastOutcome - 1));
    out() << result.resultLabel;
    result.effect();
}

void drawTwoCards() {
    drawCard();
    pauseGame();
    runUpkeep();
    drawCard();
}

void challengeGuardian(const Guardian& guardian) {
    if (!answeredYes(guardian.question)) {
        return;
    }
    game.*guardian.foeValue = guardian.power;
    out() << "You enter combat with the " << guardian.name << " with " << game.*guardian.foeValue
          << " power.\n";
    printCombatSummary();
    const int yours = rollSpaceDie() + game.*guardian.playerValue;
    const int his = rollFoeDie() + game.*guardian.foeValue;
    out() << "You: " << yours << "\nHim: " << his << "\n";
    if (yours > his) {
        out() << "You killed the " << guardian.name << " with a total of " << yours << " damage.\n";
        out() << guardian.crossing;
        game.region = guardian.regionBeyond;
    } else if (his > yours) {
        out() << "You were killed by the " << guardian.name << " who dealt " << his
              << " total damage to you.\n";
        lose(lifeStat, 1);
    } else {
        out() << "The battle ended in a draw.\n";
    }
}

void runShop(const char* opening, int price) {
    bool buying = answeredYes(opening);
    while (buying) {
        if (game.gold < price) {
            out() << "You don't have enough gold.\n";
        } else {
            lose(goldStat, price);
            gainChosenPoint("Do you want to increase Strength?", "Do you want to increase Craft?");
        }
        buying = answeredYes("Would you like to purchase more Strength, Craft or Life?");
    }
}

void sendBack(const char* message, int region) {
    out() << message;
    game.region = region;
}

} // namespace zandrel
