#include "cards/Cards.hpp"
#include "combat/Battle.hpp"
#include "console/Chance.hpp"
#include "regions/RegionTurn.hpp"
#include "regions/Regions.hpp"

namespace zandrel {
namespace {

const Guardian boss = {
    "Do you want to challenge the Boss (50 Craft)?",
    "Boss",
    &GameState::foeCraft,
    &GameState::craft,
    50,
    "You cross the Bridge and move on to the next Area.\n",
    4,
};

// The Dungeon's creature fights by Craft or by Strength, at even odds.
void dungeonCreature() {
    if (chancePercent(50)) {
        game.foeCraft += game.battleCount;
        fightByCraft();
    } else {
        game.foeStrength += game.battleCount;
        fightByStrength();
    }
}

const Board innerBoard = {{
    {"Swamp.\n", " 1= Swamp--Draw a card.\n", " \t1= Swamp\n", drawCard},
    {"Palace.\n", " 2= Palace--Draw 2 cards.\n", "\t2= Palace\n", drawTwoCards},
    {"Citadel.\n", " 3= Citadel--Chance to proceed.\n", "\t3= Citadel\n", [] { challengeGuardian(boss); }},
    {"Black Market.\n", " 4= Black Market--Purchase goods.\n", "\t4= Black Market\n",
     [] { runShop("Would you like to purchase Strength, Craft or Life for 5 Gold?", 5); }},
    {"Bridge.\n", " 5= Bridge--Sent back.\n", "\t5= Bridge\n",
     [] { sendBack("The Mage Master forces you back over the Bridge.\n", 2); }},
    {"Dungeon.\n", " 6= Dungeon--Locked up.\n\n", "\t6= Dungeon\n", dungeonCreature},
}};

} // namespace

void playInnerRegion() { playRegionTurn(innerBoard); }

} // namespace zandrel
