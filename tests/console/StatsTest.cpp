#include "console/Stats.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

TEST(Stats, EveryAttributeButLifeStopsAtZeroAndReportsWhatWasActuallyLost) {
    ScriptedGame play;
    EXPECT_EQ(loseStat("Gold", 2, 5), 0);
    EXPECT_EQ(loseStat("Strength", 4, 4), 0);
    EXPECT_EQ(loseStat("Life", 1, 2), -1);
    EXPECT_EQ(gainStat("Life", -3, 1), -2);
    EXPECT_EQ(play.takeTranscript(),
              "You lose 2 Gold.\nYou lose 4 Strength.\nYou lose 2 Life.\nYou gain 1 Life.\n");
}

TEST(Stats, ScrollsAreCountedByTheirExactNameAndAnyOtherNameIsReported) {
    ScriptedGame play;
    for (const char* spell : {"Heal", "Escape", "Berserk", "heal"}) {
        awardScroll(spell);
    }
    EXPECT_EQ(game.healScrolls, 1);
    EXPECT_EQ(game.escapeScrolls, 1);
    EXPECT_EQ(game.berserkScrolls, 1);
    EXPECT_EQ(play.takeTranscript(), "You found a Heal scroll!\nYou found a Escape scroll!\n"
                                     "You found a Berserk scroll!\nYou found a heal scroll!\n"
                                     "ERROR!  INVALID SPELL NAME CALLED heal\n");
}

} // namespace
} // namespace zandrel::testing
