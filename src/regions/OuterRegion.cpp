#include "cards/Cards.hpp"
#include "combat/Battle.hpp"
#include "console/Console.hpp"
#include "console/Stats.hpp"
#include "regions/RegionTurn.hpp"
#include "regions/Regions.hpp"

#include <ostream>

namespace zandrel {
namespace {

void livingDead() {
    game.foeCraft += game.battleCount;
    fightByCraft();
}

const std::array<Happening, 6> graveyard = {{
    {" \t1= Gravekeeper--Draw a card.\n", " \t1= Gravekeeper\n", drawCard},
    {"\t2= Grave--Lose a Life.\n", "\t2= Death\n", [] { lose(lifeStat, 1); }},
    {"\t3= Dig--Gain 1 Strength.\n", "\t3= Dig\n",
     [] { gain(strengthStat, 1); }},
    {"\t4= Curse--Lose 1 Craft.\n", "\t4= Curse\n", [] { lose(craftStat, 1); }},
    {"\t5= Ransack--Gain 1 Gold.\n", "\t5= Ransack\n", [] { gain(goldStat, 1); }},
    {"\t6= Living Dead--Contest.\n", "\t6= Living Dead\n", livingDead},
}};

void charity() {
    if (game.gold > 0) {
        out() << "You donate half of your gold (rounded down) to god.\n";
        game.gold = loseStat("Gold", game.gold, game.gold / 2);
    } else {
        out() << "You don't have enough gold to donate.\n";
    }
}

void paladin() {
    game.foeStrength += game.battleCount + game.level;
    fightByStrength();
}

const std::array<Happening, 6> chapel = {{
    {" \t1= Charity--Donate half your gold to god.\n", " \t1= Charity\n", charity},
    {"\t2= Priest--Gain 1 Life.\n", "\t2= Priest\n", [] { gain(lifeStat, 1); }},
    {"\t3= Blasphemy--Lose 1 Strength.\n", "\t3= Blasphemy\n",
     [] { lose(strengthStat, 1); }},
    {"\t4= Worship--Gain 1 Craft.\n", "\t4= Worship\n", [] { gain(craftStat, 1); }},
    {"\t5= Pray--Draw 1 Card.\n", "\t5= Pray\n", drawCard},
    {"\t6= Paladin--Battle.\n", "\t6= Paladin\nBattle with Paladin.\n", paladin},
}};

const Guardian sentinel = {
    "Do you want to challenge the Sentinel (9 str) to cross the Moat?",
    "Sentinel",
    &GameState::foeStrength,
    &GameState::strength,
    9,
    "You cross the Moat and move on to the next Area.\n",
    2,
};

const Board outerBoard = {{
    {"You can see for miles in the distance of the Plains.\n", " 1= Plains--Draw a card.\n", " \t1= Plains\n",
     drawCard},
    {"Woodland creatures can be heard in the thick Forest.\n", " 2= Forest--Draw a card.\n", "\t2= Forest\n",
     drawCard},
    {"The Sentinel stands tall guarding the Moat.\n", " 3= Moat--Chance to proceed.\n", "\t3= Moat\n",
     [] { challengeGuardian(sentinel); }},
    {"The dead are faint inside the Graveyard.\n", " 4= Graveyard--More choices\n", "\t4= Graveyard\n",
     [] { rollForHappening("Graveyard", graveyard); }},
    {"The sounds of hymns are heard within the Chapel.\n", " 5= Chapel--More choices\n", "\t5= Chapel\n",
     [] { rollForHappening("Chapel", chapel); }},
    {"Knights stand around aimlessly as you visit the Castle.\n", " 6= Castle--Draw 2 cards.\n\n",
     "\t6= Castle\n", drawTwoCards},
}};

} // namespace

void playOuterRegion() { playRegionTurn(outerBoard); }

} // namespace zandrel
