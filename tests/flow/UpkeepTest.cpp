#include "flow/Upkeep.hpp"
#include "support/ScriptedGame.hpp"

#include <limits>

namespace zandrel::testing {

// The price of a level doubles until doubling would pass the most experience a hero can hold,
// and stays there: a price that wrapped round would raise levels without end.
TEST(Upkeep, TheLevelPriceStopsDoublingAtTheMostExperienceAHeroCanHold) {
    constexpr int dearest = std::numeric_limits<int>::max();
    ScriptedGame play;
    game.level = 29;
    game.experienceNeeded = 1 << 29;
    game.experience = (1 << 29) + (1 << 30) + 5;
    runUpkeep();
    // Stop here on a wrong price: the next upkeep would never end with one that wrapped to 0.
    ASSERT_EQ(std::tuple(game.level, game.experience, game.experienceNeeded), std::tuple(31, 5, dearest));
    game.experience = dearest;
    runUpkeep();
    EXPECT_EQ(std::tuple(game.level, game.experience, game.experienceNeeded), std::tuple(32, 0, dearest));
}

} // namespace zandrel::testing
