#include "cards/DealCards.hpp"

#include "combat/Battle.hpp"
#include "console/Ask.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "console/Status.hpp"
#include "state/GameState.hpp"

#include <ostream>

namespace zandrel {
namespace {

const char* const guardLeaves = "Fortunately for you he walks away and causes no confrontation.\n";

// The guard fights anyone who crosses him, as strong as the player and then some.
void fightTheGuard() { strengthBattle(game.strength + 3); }

// The berserker and the mage offer to pour the whole of one attribute into the other.
void offerToPour(const char* encounter, const char* question, const char* done, const Attribute& from,
                 const Attribute& into) {
    out() << encounter;
    if (!answeredYes(question)) {
        out() << "Very well.\n";
        return;
    }
    out() << done;
    const int whole = game.*from.field;
    gain(into, whole);
    lose(from, whole);
}

// A weak merchant or the Dark Litch buys one point of an attribute.
void sellOne(const Attribute& attribute, int price) {
    ++game.merchantDeals;
    lose(attribute, 1);
    gain(goldStat, price);
}

void sellToWeakMerchant(const Attribute& attribute, const char* question, const char* nothingLeft) {
    out() << "A weak Merchant who wants to make an deal with you.\n";
    if (!answeredYes(question)) {
        return;
    }
    if (game.*attribute.field >= 1) {
        sellOne(attribute, 3);
    } else {
        out() << nothingLeft;
    }
}

} // namespace

void strengthBattle(int foe) {
    game.foeStrength = foe;
    fightByStrength();
}

void craftBattle(int foe) {
    game.foeCraft = foe;
    fightByCraft();
}

void berserkersOffer() {
    offerToPour("You encounter powerful berserker who wants to make an offer with you.\n",
                "Do you want all your Craft to be put into your Strength?",
                "All your Craft is put into your Strength now.\n", craftStat, strengthStat);
}

void magesOffer() {
    offerToPour("You encounter magical mage who wants to make an deal with you.\n",
                "Do you want all your Strength to be put into your Craft?",
                "All your Strength is put into your Craft now.\n", strengthStat, craftStat);
}

void watchfulGuard() {
    out() << "You encounter a very tall city guard with a mean look on his face as he watches over "
             "the city.\n";
    if (!answeredYes("Do you want to attempt to steal from him?")) {
        out() << guardLeaves;
        return;
    }
    const bool lucky = chancePercent(30);
    if (!lucky && !game.isThief) {
        ++game.guardPurse;
        out() << "You Fail.\n";
        fightTheGuard();
        return;
    }
    out() << "You Succeed!\n";
    if (game.stealsMade >= 10 && !game.isThief) {
        earnTitle("You have improved your skills as a Theif!\n", "Sneaky ", &GameState::isThief);
    } else {
        ++game.stealsMade;
    }
    gain(goldStat, game.guardPurse);
    game.guardPurse = 3;
    out() << guardLeaves;
}

void leprechaun() {
    out() << "You catch a magical leprechaun who offers you a deal.\n";
    out() << "He tells you for 1 gold he can increase either your Strength, Craft or Life.\n";
    const char* const vanishes = "He disappears in a puff of smoke.\n";
    if (!answeredYes("Do you want to give him 1 gold?")) {
        out() << vanishes;
        return;
    }
    if (game.gold <= 0) {
        out() << "You don't have enough gold to give to him.\n" << vanishes;
        return;
    }
    lose(goldStat, 1);
    gainChosenPoint("Do you want him to increase Strength?", "Do you want him to increase Craft?");
}

void guardsToll() {
    out() << "You encounter a very tall city guard.\n";
    out() << "He stares down apon you with a mean look on his face.\n";
    if (!answeredYes("Do you want to give him 3 gold?")) {
        fightTheGuard();
        return;
    }
    if (game.gold >= 3) {
        lose(goldStat, 3);
        game.guardPurse += 3;
        out() << guardLeaves;
    } else {
        ++game.guardPurse;
        out() << "You don't have enough gold to give to him.\n";
        fightTheGuard();
    }
}

void strengthBuyer() {
    sellToWeakMerchant(strengthStat, "Do you want to sell 1 Strength for 3 gold?", "You have no Strength.\n");
}

void craftBuyer() {
    sellToWeakMerchant(craftStat, "Do you want to sell 1 Craft for 3 gold?", "You have no Craft.\n");
}

void darkLitch() {
    out() << "A Dark Litch who wants to make an deal with you.\n";
    if (answeredYes("Do you want to sell 1 Life for 10 gold?")) {
        sellOne(lifeStat, 10);
    }
}

} // namespace zandrel
