#include "console/Status.hpp"
#include "flow/Character.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

TEST(StatusPanel, ShowsSpellsOnlyWhenHeldAndInTheOrderBerserkEscapeHeal) {
    {
        ScriptedGame newUndead("u\ny\n");
        chooseCharacter();
        newUndead.takeTranscript();
        showStatus();
        EXPECT_EQ(newUndead.takeTranscript(),
                  "[pause][cls]The Level 0 Undead!\n\nLife: -3 Strength: 1 Craft: 3 Gold: 0 EXP: 0/1\n\n");
    }
    ScriptedGame play;
    game.className = "Crazy Thief";
    game.healScrolls = game.level = 1;
    game.escapeScrolls = 12;
    game.berserkScrolls = 2;
    showStatus();
    EXPECT_EQ(play.takeTranscript(),
              "[pause][cls]The Level 1 Crazy Thief!\n\nLife: 3 Strength: 0 Craft: 0 Gold: 0 EXP: 0/1\n\n"
              "\t\tBATTLE SPELLS\n\t\tBerserk: 2\n\t\tEscape: 12\n\t\tHeal: 1\n\n");
}

} // namespace
} // namespace zandrel::testing
