#include "cards/Cards.hpp"

#include "cards/DealCards.hpp"
#include "console/Chance.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "console/Status.hpp"
#include "state/GameState.hpp"

#include <array>
#include <ostream>

namespace zandrel {
namespace {

void meet(const char* message, const Attribute& attribute, int amount) {
    out() << message;
    gain(attribute, amount);
}

void mirrorClone() {
    out() << "You see a figure identical to yourself starring in a mirror.\n";
    if (game.strength > game.craft) {
        out() << "Your clone decides to fight you with your own Strength.\n";
        strengthBattle(game.strength);
    } else if (game.strength < game.craft) {
        out() << "Your clone decides to fight you with your own Craft.\n";
        craftBattle(game.craft);
    } else {
        out() << "He notices both of your Craft and Strength are the same.\n";
        strengthBattle(game.strength);
    }
}

void chineseDragon() {
    out() << "You find yourself near the feet of a magical Chinese Dragon.\n";
    out() << "He attacks based on which of yours is lower Strength or Craft.\n";
    if (game.strength < game.craft) {
        out() << "He notices you have a lower Strength than Craft.\n";
        strengthBattle(6);
    } else if (game.strength > game.craft) {
        out() << "He notices you have a lower Craft than Strength.\n";
        craftBattle(6);
    } else {
        out() << "He notices both of your Craft and Strength are the same.\n";
        strengthBattle(6);
    }
}

void illness() {
    out() << "You suddenly start feeling sick and nauseated.\n";
    out() << "You have developed an illness.\n";
    lose(lifeStat, 1);
    lose(strengthStat, 1);
    lose(craftStat, 1);
}

void lighterPockets() {
    if (game.isMerchant) {
        out() << "You sell some of your expensive wares!\n";
        gain(goldStat, 5);
    } else if (game.gold > 0) {
        out() << "You suddenly feel as if your pockets have become lighter.\n";
        out() << "You realize you have just been pickpocketed!\n";
        lose(goldStat, 5);
    } else {
        out() << "Fortune smiles upon you.\n";
        gain(goldStat, 3);
    }
}

void oldFriend() {
    static constexpr std::array<const Attribute*, 5> gifts = {&lifeStat, &strengthStat, &craftStat,
                                                              &goldStat, &experienceStat};
    out() << "You encounter an old friend.\n";
    gain(*gifts.at(static_cast<std::size_t>(drawChance() % 5)), 1);
}

void darkVampire() {
    if (game.life != 1) {
        out() << "A dark vampire lunges at your throat and sucks the Life out of you.\n";
        lose(lifeStat, 1);
        return;
    }
    out() << "A dark vampire lunges at your throat but does not drain you completely.\n";
    if (game.isUndead) {
        return;
    }
    game.life = -1;
    earnTitle("You have become Undead!\n", "Undead ", &GameState::isUndead);
}

void hiddenChest() {
    static constexpr std::array<const char*, 3> spells = {"Escape", "Berserk", "Heal"};
    out() << "You uncovered a hidden chest.\n";
    awardScroll(spells.at(static_cast<std::size_t>(drawChance() % 3)));
}

void holyGrail() {
    out() << "You uncovered the holy grail!\n";
    awardScroll("Heal");
    gain(lifeStat, 5);
    gain(strengthStat, 5);
    gain(craftStat, 5);
    gain(goldStat, 15);
}

bool lifeBelow(int limit) { return game.life < limit; }

struct Card {
    void (*resolve)();
    // When this holds, the card does nothing and another card is drawn in its place.
    bool (*drawsAgain)() = nullptr;
};

const std::array<Card, 29> deck = {{
    /* 0 */ {[] { meet("You encounter a priest.\n", lifeStat, 1); }},
    /* 1 */ {[] { meet("You encounter a barbarian trainer.\n", strengthStat, 1); }},
    /* 2 */ {[] { meet("You encounter a High Mage.\n", craftStat, 1); }},
    /* 3 */ {[] { meet("You encounter a friendly merchant.\n", goldStat, 1); }},
    /* 4 */ {[] { meet("You encounter a wealthy merchant.\n", goldStat, 3); }},
    /* 5 */ {berserkersOffer},
    /* 6 */ {watchfulGuard},
    /* 7 */ {magesOffer},
    /* 8 */ {leprechaun},
    /* 9 */ {[] { meet("You learn from your mistakes.\n", experienceStat, 1); }},
    /* 10 */ {[] { out() << "You come across a strange blob.\n"; strengthBattle(3); }},
    /* 11 */ {[] { out() << "You come across a strange mist.\n"; craftBattle(3); }},
    /* 12 */ {[] { out() << "A very magical sorcerer appears next to you.\n"; craftBattle(6); }},
    /* 13 */ {[] { out() << "You encounter a strong Orc.\n"; strengthBattle(6); }},
    /* 14 */ {mirrorClone},
    /* 15 */ {chineseDragon},
    /* 16 */ {illness, [] { return lifeBelow(2); }},
    /* 17 */ {lighterPockets},
    /* 18 */ {oldFriend},
    /* 19 */ {guardsToll},
    /* 20 */ {darkVampire, [] { return lifeBelow(0); }},
    /* 21 */ {[] { awardScroll("Escape"); }},
    /* 22 */ {[] { awardScroll("Berserk"); }},
    /* 23 */ {[] { awardScroll("Heal"); }},
    /* 24 */ {hiddenChest},
    /* 25 */ {strengthBuyer},
    /* 26 */ {craftBuyer},
    /* 27 */ {darkLitch, [] { return lifeBelow(2); }},
    /* 28 */ {holyGrail},
}};

} // namespace

void drawCard() {
    for (;;) {
        const int number = drawChance() % static_cast<int>(deck.size());
        out() << "You drew the number " << number << " card.\n";
        const Card& card = deck.at(static_cast<std::size_t>(number));
        if (card.drawsAgain == nullptr || !card.drawsAgain()) {
            card.resolve();
            return;
        }
    }
}

} // namespace zandrel
