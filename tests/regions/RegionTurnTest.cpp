#include "regions/Regions.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

using ::testing::EndsWith;
using ::testing::StartsWith;

// What a turn printed from the space roll on.
std::string fromTheRoll(ScriptedGame& play) {
    const std::string text = play.takeTranscript();
    return text.substr(text.find("[pause]You rolled"));
}

TEST(Shops, GoldIsPaidBeforeTheChoiceAndShortGoldIsRefusedUntilThePlayerSaysNo) {
    const std::string buyMore = asked("Would you like to purchase more Strength, Craft or Life?");
    // Declining Strength and Craft buys Life.
    ScriptedGame play("y\nn\nn\ny\ny\nn\n", {face(4)});
    game.region = 2;
    game.gold = 3;
    playMiddleRegion();
    EXPECT_EQ(fromTheRoll(play), "[pause]You rolled a 4 on one die.\n\t4= Market\n" +
                                     asked("Would you like to purchase Strength, Craft or Life for 3 Gold?") +
                                     "You lose 3 Gold.\n" + asked("Do you want to increase Strength?") +
                                     asked("Do you want to increase Craft?") + "You gain 1 Life.\n" + buyMore +
                                     "You don't have enough gold.\n" + buyMore + "You don't have enough gold.\n" +
                                     buyMore);
    EXPECT_EQ(game.life, 4);

    play.addAnswers("y\ny\ny\nn\n");
    play.addDraws({face(4)});
    game.region = 3;
    game.gold = 9;
    playInnerRegion();
    EXPECT_THAT(fromTheRoll(play), EndsWith("You lose 5 Gold.\n" + asked("Do you want to increase Strength?") +
                                            "You gain 1 Strength.\n" + buyMore + "You don't have enough gold.\n" +
                                            buyMore));
    EXPECT_EQ(game.gold, 4);
}

struct Challenge {
    std::string fight;
    int region;
};

// Lands on a guarded crossing, takes up the challenge and fights it with the given dice.
Challenge challenge(void (*turn)(), int region, int space, std::int32_t GameState::*attribute, int value,
                    int yourDie, int hisDie) {
    ScriptedGame play("y\n", {face(space), face(yourDie), face(hisDie)});
    game.region = region;
    game.*attribute = value;
    game.battleCount = 4;
    turn();
    EXPECT_EQ(game.battleCount, 4);
    EXPECT_EQ(game.experience, 0);
    const std::string text = play.takeTranscript();
    return {text.substr(text.find("You enter combat")), game.region};
}

TEST(Crossings, EachGuardianFallsOnlyToAGreaterTotalWithNoMenuNoBattleCountAndNoExperience) {
    EXPECT_EQ(challenge(playOuterRegion, 1, 3, &GameState::strength, 5, 6, 1).fight,
              "You enter combat with the Sentinel with 9 power.\n\nLife: 3 Strength: 5 Craft: 0 Gold: 0 EXP: 0/1\n"
              "[pause]You rolled a 6 on one die.\nHe rolled a 1 on one die.\nYou: 11\nHim: 10\n"
              "You killed the Sentinel with a total of 11 damage.\nYou cross the Moat and move on to the next Area.\n");
    EXPECT_THAT(challenge(playOuterRegion, 1, 3, &GameState::strength, 4, 6, 1).fight,
                EndsWith("You: 10\nHim: 10\nThe battle ended in a draw.\n"));

    const Challenge mage = challenge(playMiddleRegion, 2, 5, &GameState::craft, 21, 6, 1);
    EXPECT_THAT(mage.fight, StartsWith("You enter combat with the Master Mage with 25 power.\n"));
    EXPECT_EQ(mage.region, 3);
    EXPECT_EQ(challenge(playMiddleRegion, 2, 5, &GameState::craft, 20, 6, 1).region, 2);
    EXPECT_THAT(challenge(playMiddleRegion, 2, 5, &GameState::craft, 20, 1, 6).fight,
                EndsWith("You: 21\nHim: 31\nYou were killed by the Master Mage who dealt 31 total damage to you.\n"
                         "You lose 1 Life.\n"));

    const Challenge boss = challenge(playInnerRegion, 3, 3, &GameState::craft, 46, 6, 1);
    EXPECT_THAT(boss.fight, StartsWith("You enter combat with the Boss with 50 power.\n"));
    EXPECT_EQ(boss.region, 4);
    EXPECT_EQ(challenge(playInnerRegion, 3, 3, &GameState::craft, 45, 6, 1).region, 3);
}

TEST(Crossings, ADeclinedChallengeChangesNothing) {
    ScriptedGame play("n\n", {face(3)});
    game.foeStrength = 2;
    playOuterRegion();
    EXPECT_EQ(fromTheRoll(play), "[pause]You rolled a 3 on one die.\n\t3= Moat\n" +
                                     asked("Do you want to challenge the Sentinel (9 str) to cross the Moat?"));
    EXPECT_EQ(game.foeStrength, 2);
    EXPECT_EQ(game.region, 1);
    EXPECT_EQ(game.life, 3);
}

TEST(RegionMoves, TheMoatAndTheBridgeSendThePlayerBackARegion) {
    ScriptedGame play("", {face(3), face(5)});
    game.region = 2;
    playMiddleRegion();
    EXPECT_EQ(fromTheRoll(play),
              "[pause]You rolled a 3 on one die.\n\t3= Moat\nThe Sentinel forces you back over the moat.\n");
    EXPECT_EQ(game.region, 1);
    game.region = 3;
    playInnerRegion();
    EXPECT_EQ(fromTheRoll(play),
              "[pause]You rolled a 5 on one die.\n\t5= Bridge\nThe Mage Master forces you back over the Bridge.\n");
    EXPECT_EQ(game.region, 2);
}

// Lands on a battle space after earlier foes of Strength 3 and Craft 8, four battles and two
// levels, and runs from the foe prepared there.
std::string foeMet(void (*turn)(), int region, std::initializer_list<int> draws) {
    ScriptedGame play("r\n", draws);
    play.addDraws({0});
    game.region = region;
    game.foeStrength = 3;
    game.foeCraft = 8;
    game.battleCount = 4;
    game.level = 2;
    turn();
    const std::string text = play.takeTranscript();
    const auto start = text.find("You enter combat with a creature with ");
    return text.substr(start, text.find('\n', start) - start);
}

TEST(RegionFoes, CreaturesOfTheBoardAreTheLastFoeRaisedByTheBattlesFought) {
    const std::string creature = "You enter combat with a creature with ";
    EXPECT_EQ(foeMet(playOuterRegion, 1, {face(4), face(6)}), creature + "12 Craft.");   // the Living Dead
    EXPECT_EQ(foeMet(playOuterRegion, 1, {face(5), face(6)}), creature + "9 Strength."); // the Paladin, with level
    EXPECT_EQ(foeMet(playMiddleRegion, 2, {face(6)}), creature + "12 Craft.");           // the Cave
    // The Dungeon's even chance picks Craft below 50 and Strength from 50.
    EXPECT_EQ(foeMet(playInnerRegion, 3, {face(6), 49}), creature + "12 Craft.");
    EXPECT_EQ(foeMet(playInnerRegion, 3, {face(6), 50}), creature + "7 Strength.");
}

TEST(TwoCardSpaces, AWholeUpkeepRunsBetweenTheCards) {
    ScriptedGame play("", {face(6), 9, 3});
    game.className = "Wizard";
    playOuterRegion();
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("\t6= Castle\nYou drew the number 9 card.\nYou learn from your mistakes.\nYou gain 1 EXP.\n"
                         "[pause]\nYou have raised to a higher level of experience!\nYou are now a level 1 Wizard!\n"
                         "You gain 1 Strength.\nYou gain 1 Craft.\n\n"
                         "You drew the number 3 card.\nYou encounter a friendly merchant.\nYou gain 1 Gold.\n"));
}

TEST(TwoCardSpaces, ADeathFoundBetweenTheCardsEndsTheGameBeforeTheSecond) {
    ScriptedGame play("", {face(1), 0, 3});
    game.region = 2;
    game.isUndead = true;
    game.life = 0;
    try {
        playMiddleRegion();
        ADD_FAILURE() << "the Undead character came back to Life and played on";
    } catch (const GameEnded& ended) {
        EXPECT_EQ(ended.status, 1);
    }
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("\t1= Tower\nYou drew the number 0 card.\nYou encounter a priest.\nYou gain 1 Life.\n"
                         "[pause]You have crossed over to the afterLife...\nGAME OVER!\n\n\n\n[pause]"));
    EXPECT_EQ(play.drawsLeft(), 1U);
}

} // namespace
} // namespace zandrel::testing
