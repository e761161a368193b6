#include "console/Chance.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

TEST(Chance, EveryPercentChanceSpendsExactlyOneDrawEvenWhenCertain) {
    ScriptedGame play("", {0, 0, 99, 99, 32, 133});
    EXPECT_FALSE(chancePercent(0));
    EXPECT_FALSE(chancePercent(-5));
    EXPECT_TRUE(chancePercent(100));
    EXPECT_TRUE(chancePercent(150));
    EXPECT_TRUE(chancePercent(33));
    EXPECT_FALSE(chancePercent(33));
    EXPECT_EQ(play.drawsLeft(), 0U);
    EXPECT_EQ(play.takeTranscript(), "");
}

TEST(Chance, DiceShowTheirFaceAndOnlyTheSpaceDiePausesFirst) {
    ScriptedGame play("", {0, 11, 32767});
    EXPECT_EQ(rollPlayerDie(), 1);
    EXPECT_EQ(rollFoeDie(), 6);
    EXPECT_EQ(rollSpaceDie(), 2);
    EXPECT_EQ(play.takeTranscript(),
              "You rolled a 1 on one die.\nHe rolled a 6 on one die.\n[pause]You rolled a 2 on one die.\n");
}

} // namespace
} // namespace zandrel::testing
