#include "regions/Regions.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// Gold is paid before the choice, declining Strength and Craft buys Life, and short Gold is
// refused for as long as the player wants more.
TEST(Shops, GoldIsPaidBeforeTheChoiceAndShortGoldIsRefusedUntilThePlayerSaysNo) {
    const std::string buyMore = asked("Would you like to purchase more Strength, Craft or Life?");
    ScriptedGame play("y\nn\nn\ny\ny\nn\n", {face(4)});
    game.region = 2;
    game.gold = 3;
    playMiddleRegion();
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("[pause]You rolled a 4 on one die.\n\t4= Market\n" +
                         asked("Would you like to purchase Strength, Craft or Life for 3 Gold?") +
                         "You lose 3 Gold.\n" + asked("Do you want to increase Strength?") +
                         asked("Do you want to increase Craft?") + "You gain 1 Life.\n" + buyMore +
                         "You don't have enough gold.\n" + buyMore + "You don't have enough gold.\n" + buyMore));
}

// Takes up a guardian's challenge with the given attribute and dice; returns the fight from its
// first line and the region after it. A guardian fight has no menu, is not counted and earns
// no experience.
static std::string challenge(void (*turn)(), int region, int space, std::int32_t GameState::*attribute, int value,
                      int yours, int his) {
    ScriptedGame play("y\n", {face(space), face(yours), face(his)});
    game.region = region;
    game.*attribute = value;
    turn();
    EXPECT_EQ(game.battleCount + game.experience, 0);
    const std::string text = play.takeTranscript();
    return text.substr(text.find("You enter combat")) + "region " + std::to_string(game.region);
}

TEST(Crossings, EachGuardianFallsOnlyToAGreaterTotal) {
    EXPECT_EQ(challenge(playOuterRegion, 1, 3, &GameState::strength, 5, 6, 1),
              "You enter combat with the Sentinel with 9 power.\n\nLife: 3 Strength: 5 Craft: 0 Gold: 0 EXP: 0/1\n"
              "[pause]You rolled a 6 on one die.\nHe rolled a 1 on one die.\nYou: 11\nHim: 10\n"
              "You killed the Sentinel with a total of 11 damage.\nYou cross the Moat and move on to the next Area.\n"
              "region 2");
    EXPECT_THAT(challenge(playOuterRegion, 1, 3, &GameState::strength, 4, 6, 1),
                EndsWith("You: 10\nHim: 10\nThe battle ended in a draw.\nregion 1"));
    EXPECT_THAT(challenge(playMiddleRegion, 2, 5, &GameState::craft, 20, 6, 1), EndsWith("draw.\nregion 2"));
    EXPECT_THAT(challenge(playMiddleRegion, 2, 5, &GameState::craft, 20, 1, 6),
                EndsWith("You: 21\nHim: 31\nYou were killed by the Master Mage who dealt 31 total damage to you.\n"
                         "You lose 1 Life.\nregion 2"));
    EXPECT_THAT(challenge(playInnerRegion, 3, 3, &GameState::craft, 45, 6, 1), EndsWith("draw.\nregion 3"));
    ScriptedGame declined("n\n", {face(3)}); // a declined challenge changes nothing, not even the foe
    playOuterRegion();
    EXPECT_EQ(std::pair(game.foeStrength, game.region), std::pair(0, 1));
}

// Lands on a battle space after earlier foes of Strength 3 and Craft 8, four battles and two
// levels, and runs from the foe prepared there; returns what the turn printed.
static std::string foeMet(void (*turn)(), int region, std::initializer_list<int> draws) {
    ScriptedGame play("r\n", draws);
    game.region = region;
    game.foeStrength = 3;
    game.foeCraft = 8;
    game.battleCount = 4;
    game.level = 2;
    turn();
    return play.takeTranscript();
}

TEST(RegionFoes, CreaturesOfTheBoardAreTheLastFoeRaisedByTheBattlesFought) {
    EXPECT_THAT(foeMet(playOuterRegion, 1, {face(4), face(6), 0}), HasSubstr("with 12 Craft.\n"));   // the Living Dead
    EXPECT_THAT(foeMet(playOuterRegion, 1, {face(5), face(6), 0}), HasSubstr("with 9 Strength.\n")); // the Paladin
    EXPECT_THAT(foeMet(playMiddleRegion, 2, {face(6), 0}), HasSubstr("with 12 Craft.\n"));           // the Cave
    // The Dungeon's even chance picks Craft below 50 and Strength from 50.
    EXPECT_THAT(foeMet(playInnerRegion, 3, {face(6), 49, 0}), HasSubstr("with 12 Craft.\n"));
    EXPECT_THAT(foeMet(playInnerRegion, 3, {face(6), 50, 0}), HasSubstr("with 7 Strength.\n"));
}

// A whole upkeep runs between the two cards of a space, and a death it finds ends the game
// before the second card.
TEST(TwoCardSpaces, AWholeUpkeepRunsBetweenTheCards) {
    ScriptedGame play("", {face(6), 9, 3, face(1), 0, 3});
    game.className = "Wizard";
    playOuterRegion();
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("\t6= Castle\nYou drew the number 9 card.\nYou learn from your mistakes.\nYou gain 1 EXP.\n"
                         "[pause]\nYou have raised to a higher level of experience!\nYou are now a level 1 Wizard!\n"
                         "You gain 1 Strength.\nYou gain 1 Craft.\n\n"
                         "You drew the number 3 card.\nYou encounter a friendly merchant.\nYou gain 1 Gold.\n"));
    game.region = 2;
    game.isUndead = true;
    game.life = 0;
    EXPECT_EQ(statusOf(playMiddleRegion), 1);
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("\t1= Tower\nYou drew the number 0 card.\nYou encounter a priest.\nYou gain 1 Life.\n"
                         "[pause]You have crossed over to the afterLife...\nGAME OVER!\n\n\n\n[pause]"));
    EXPECT_EQ(play.drawsLeft(), 1U);
}

} // namespace zandrel::testing
