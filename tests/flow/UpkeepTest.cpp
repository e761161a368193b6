#include "flow/Upkeep.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

// The exit status when the upkeep ended the game, or -1 when play goes on.
int upkeepEnding() {
    try {
        runUpkeep();
        return -1;
    } catch (const GameEnded& ended) {
        return ended.status;
    }
}

TEST(Upkeep, ALivingCharacterDiesBelowLifeOneAndAnUndeadAboveLifeZero) {
    ScriptedGame play;
    game.life = 0;
    game.experience = 5; // the dead gain no level on the way out
    EXPECT_EQ(upkeepEnding(), 1);
    EXPECT_EQ(play.takeTranscript(), "You have lost all of your lives...\nGAME OVER!\n\n\n\n[pause]");
    game.life = 1;
    game.experience = 0;
    EXPECT_EQ(upkeepEnding(), -1);
    game.isUndead = true;
    EXPECT_EQ(upkeepEnding(), 1);
    EXPECT_EQ(play.takeTranscript(), "You have crossed over to the afterLife...\nGAME OVER!\n\n\n\n[pause]");
    for (const int life : {0, -5}) {
        game.life = life;
        EXPECT_EQ(upkeepEnding(), -1);
    }
    EXPECT_EQ(play.takeTranscript(), "");
}

TEST(Upkeep, DeedsJustShortOfTheirMarkOrForSkillsAlreadyHeldPrintNothing) {
    ScriptedGame play;
    game.merchantDeals = game.healCasts = game.berserkCasts = 9;
    game.spellsCast = 49;
    game.battleCount = 60;
    game.isKnight = true;
    runUpkeep();
    EXPECT_EQ(play.takeTranscript(), "");
}

TEST(Upkeep, AdvancementsStackTheirTitlesBeforeTheLevelGainsThatFollowFromThem) {
    ScriptedGame play;
    game.className = "Thief";
    game.isThief = true;
    game.merchantDeals = game.healCasts = game.berserkCasts = 10;
    game.spellsCast = game.battleCount = 50;
    game.experience = 1;
    runUpkeep();
    runUpkeep(); // each advancement comes once in a game
    EXPECT_EQ(play.takeTranscript(),
              "You have improved your skills as a Merchant!\nYou are now a level 0 Charasmatic Thief!\n"
              "You have improved your skills as a Priest!\nYou are now a level 0 Holy Charasmatic Thief!\n"
              "You have improved your skills as a Wizard!\nYou are now a level 0 Magical Holy Charasmatic Thief!\n"
              "You have improved at Berserk!\nYou are now a level 0 Crazy Magical Holy Charasmatic Thief!\n"
              "You have improved your Knighthood!\n"
              "You are now a level 0 Brave Crazy Magical Holy Charasmatic Thief!\n"
              "\nYou have raised to a higher level of experience!\n"
              "You are now a level 1 Brave Crazy Magical Holy Charasmatic Thief!\n"
              "You gain 1 Strength.\nYou gain 1 Craft.\nYou gain 1 Strength.\nYou found a Berserk scroll!\n"
              "You gain 1 Craft.\nYou gain 1 Gold.\nYou found a Escape scroll!\nYou found a Heal scroll!\n\n");
}

// A Knight's extra Strength comes at odd levels only; a Merchant's Gold is the new level.
TEST(Upkeep, SeveralLevelsInOneUpkeepEachBringTheirOwnGains) {
    ScriptedGame play;
    game.className = "Merchant";
    game.isKnight = game.isMerchant = true;
    game.experience = 7;
    runUpkeep();
    const std::string raised = "\nYou have raised to a higher level of experience!\nYou are now a level ";
    const std::string usual = "Merchant!\nYou gain 1 Strength.\nYou gain 1 Craft.\n";
    EXPECT_EQ(play.takeTranscript(), raised + "1 " + usual + "You gain 1 Strength.\nYou gain 1 Gold.\n\n" +
                                         raised + "2 " + usual + "You gain 2 Gold.\n\n" + raised + "3 " + usual +
                                         "You gain 1 Strength.\nYou gain 3 Gold.\n\n");
    EXPECT_EQ(game.level, 3);
    EXPECT_EQ(game.experience, 0);
    EXPECT_EQ(game.experienceNeeded, 8);
}

TEST(Upkeep, TheBerserkBoostEndsOnceAndCannotTakeStrengthBelowZero) {
    ScriptedGame play;
    game.berserkActive = true;
    game.strength = 3;
    runUpkeep();
    runUpkeep();
    EXPECT_EQ(play.takeTranscript(), "You lose 3 Strength.\nYour muscles no longer surge with Strength.\n");
    EXPECT_EQ(game.strength, 0);
}

} // namespace
} // namespace zandrel::testing
