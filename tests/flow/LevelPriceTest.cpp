#include "flow/Upkeep.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace zandrel::testing {
namespace {

constexpr int dearest = std::numeric_limits<int>::max();

// The price of a level doubles with each level until doubling would pass the most experience a
// hero can hold; from then on every level costs exactly that much, and the upkeep still settles.
TEST(LevelPrice, StopsDoublingAtTheMostExperienceAHeroCanHold) {
    ScriptedGame play;
    game.isKnight = true;
    game.className = "Knight";
    game.level = 30;
    game.experienceNeeded = 1 << 30;
    game.experience = (1 << 30) + 5;

    runUpkeep();
    EXPECT_EQ(game.level, 31);
    EXPECT_EQ(game.experience, 5);
    // A price that wrapped round would make the next upkeep raise levels without end.
    ASSERT_EQ(game.experienceNeeded, dearest);
    EXPECT_EQ(play.takeTranscript(),
              "\nYou have raised to a higher level of experience!\n"
              "You are now a level 31 Knight!\n"
              "You gain 1 Strength.\nYou gain 1 Craft.\nYou gain 1 Strength.\n\n");

    game.experience = dearest;
    runUpkeep();
    EXPECT_EQ(game.level, 32);
    EXPECT_EQ(game.experience, 0);
    EXPECT_EQ(game.experienceNeeded, dearest);

    // Short of the price, nothing happens at all.
    game.experience = dearest - 1;
    runUpkeep();
    EXPECT_EQ(game.level, 32);
    EXPECT_EQ(play.takeTranscript(),
              "\nYou have raised to a higher level of experience!\n"
              "You are now a level 32 Knight!\n"
              "You gain 1 Strength.\nYou gain 1 Craft.\n\n");
}

// Below the top the price simply doubles, for every level gained in one upkeep.
TEST(LevelPrice, DoublesBelowTheTop) {
    ScriptedGame play;
    game.className = "Thief";
    game.level = 28;
    game.experienceNeeded = 1 << 28;
    game.experience = (1 << 28) + (1 << 29) + 7;

    runUpkeep();
    EXPECT_EQ(game.level, 30);
    EXPECT_EQ(game.experience, 7);
    EXPECT_EQ(game.experienceNeeded, 1 << 30);
}

} // namespace
} // namespace zandrel::testing
