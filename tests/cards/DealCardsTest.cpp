#include "cards/Cards.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

const std::string watchfulGuard = "You drew the number 6 card.\nYou encounter a very tall city guard with a mean "
                                  "look on his face as he watches over the city.\n" +
                                  asked("Do you want to attempt to steal from him?");
const std::string guardLeaves = "Fortunately for you he walks away and causes no confrontation.\n";

TEST(CityGuard, HisPurseFillsWithFailedStealsAndPaidTollsAndEmptiesIntoTheNextSteal) {
    // A chance draw of 30 just misses the 30-in-100 steal; 29 just makes it.
    ScriptedGame play("y\nr\ny\ny\n", {6, 30, 0, 19, 6, 29});
    game.strength = 2;
    game.gold = 3;
    drawCard();
    EXPECT_THAT(play.takeTranscript(), HasSubstr("You Fail.\nYou enter combat with a creature with 5 Strength.\n"));
    EXPECT_EQ(game.guardPurse, 4);

    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 19 card.\nYou encounter a very tall city guard.\n"
                                     "He stares down apon you with a mean look on his face.\n" +
                                         asked("Do you want to give him 3 gold?") + "You lose 3 Gold.\n" +
                                         guardLeaves);
    EXPECT_EQ(game.guardPurse, 7);
    EXPECT_EQ(game.gold, 0);

    drawCard();
    EXPECT_EQ(play.takeTranscript(), watchfulGuard + "You Succeed!\nYou gain 7 Gold.\n" + guardLeaves);
    EXPECT_EQ(game.guardPurse, 3);
    EXPECT_EQ(game.gold, 7);
    EXPECT_EQ(game.stealsMade, 1);
}

TEST(CityGuard, TheEleventhSuccessfulStealMakesAThiefInsteadOfCounting) {
    ScriptedGame play("y\ny\n", {6, 0, 6, 99});
    game.stealsMade = 10;
    game.level = 1;
    game.className = "Knight";
    drawCard();
    EXPECT_EQ(play.takeTranscript(), watchfulGuard +
                                         "You Succeed!\nYou have improved your skills as a Theif!\n"
                                         "You are now a level 1 Sneaky Knight!\nYou gain 3 Gold.\n" +
                                         guardLeaves);
    EXPECT_EQ(game.stealsMade, 10);
    EXPECT_TRUE(game.isThief);
    EXPECT_EQ(game.className, "Sneaky Knight");

    // From now on every steal succeeds and counts, yet the chance is still drawn.
    drawCard();
    EXPECT_THAT(play.takeTranscript(), EndsWith("You Succeed!\nYou gain 3 Gold.\n" + guardLeaves));
    EXPECT_EQ(game.stealsMade, 11);
    EXPECT_EQ(play.drawsLeft(), 0U);
}

} // namespace
} // namespace zandrel::testing
