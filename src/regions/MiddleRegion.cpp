#include "cards/Cards.hpp"
#include "combat/Battle.hpp"
#include "regions/RegionTurn.hpp"
#include "regions/Regions.hpp"

namespace zandrel {
namespace {

const Guardian masterMage = {
    "Do you want to challenge the Master Mage (25 Craft) to cross the Bridge?",
    "Master Mage",
    &GameState::foeCraft,
    &GameState::craft,
    25,
    "You cross the Bridge and move on to the next Area.\n",
    3,
};

void caveCreature() {
    game.foeCraft += game.battleCount;
    fightByCraft();
}

const Board middleBoard = {{
    {"Tower.\n", " 1= Tower--Draw 2 cards.\n", " \t1= Tower\n", drawTwoCards},
    {"Mountain.\n", " 2= Mountain--Draw a card.\n", "\t2= Mountain\n", drawCard},
    {"Moat.\n", " 3= Moat--Sent back.\n", "\t3= Moat\n",
     [] { sendBack("The Sentinel forces you back over the moat.\n", 1); }},
    {"Market.\n", " 4= Market--Purchase goods.\n", "\t4= Market\n",
     [] { runShop("Would you like to purchase Strength, Craft or Life for 3 Gold?", 3); }},
    {"Bridge.\n", " 5= Bridge--Chance to proceed.\n", "\t5= Bridge\n", [] { challengeGuardian(masterMage); }},
    {"Cave.\n", " 6= Cave--Fight a creature.\n\n", "\t6= Cave\n", caveCreature},
}};

} // namespace

void playMiddleRegion() { playRegionTurn(middleBoard); }

} // namespace zandrel
