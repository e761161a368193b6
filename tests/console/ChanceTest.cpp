#include "console/Chance.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// Each chance takes one draw, even a certain one, so the draws that follow stay in step.
TEST(Chance, EveryPercentChanceSpendsExactlyOneDrawEvenWhenCertain) {
    ScriptedGame play("", {0, 0, 99, 99, 32, 133});
    EXPECT_EQ((std::vector{chancePercent(0), chancePercent(-5), chancePercent(100), chancePercent(150),
                           chancePercent(33), chancePercent(33)}),
              (std::vector{false, false, true, true, true, false}));
    EXPECT_EQ(play.drawsLeft(), 0U);
}

} // namespace zandrel::testing
