#include "console/Status.hpp"
#include "flow/Upkeep.hpp"
#include "support/ScriptedGame.hpp"

#include <limits>

namespace zandrel::testing {

// At Life -5 and 0 a living character is dead (the game ends with status 1) and an Undead one
// goes on (-1); at 1, the other way round.
TEST(Upkeep, ALivingCharacterDiesBelowOneLifeAndAnUndeadOneAboveZero) {
    for (const auto& [life, living, undead] : {std::tuple{-5, 1, -1}, std::tuple{0, 1, -1}, std::tuple{1, -1, 1}}) {
        for (const bool isUndead : {false, true}) {
            ScriptedGame play;
            game.life = life;
            game.isUndead = isUndead;
            EXPECT_EQ(statusOf(runUpkeep), isUndead ? undead : living) << "Life " << life << ", Undead " << isUndead;
        }
    }
}

// Deeds one short of their mark earn nothing; at the mark every advancement comes, once in a
// game, each title in front of the last, and only then the level gains, with the new skills.
// The status panel then lists the spells those gains brought.
TEST(Upkeep, AdvancementsStackTheirTitlesBeforeTheLevelGainsThatFollowFromThem) {
    ScriptedGame play;
    game.className = "Thief";
    game.isThief = true;
    game.merchantDeals = game.healCasts = game.berserkCasts = 9;
    game.spellsCast = game.battleCount = 49;
    runUpkeep();
    EXPECT_EQ(play.takeTranscript(), "");
    game.merchantDeals = game.healCasts = game.berserkCasts = 10;
    game.spellsCast = game.battleCount = 50;
    game.experience = 1;
    runUpkeep();
    runUpkeep();
    showStatus();
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
              "You gain 1 Craft.\nYou gain 1 Gold.\nYou found a Escape scroll!\nYou found a Heal scroll!\n\n"
              "[pause][cls]The Level 1 Brave Crazy Magical Holy Charasmatic Thief!\n\n"
              "Life: 3 Strength: 2 Craft: 2 Gold: 1 EXP: 0/2\n\n"
              "\t\tBATTLE SPELLS\n\t\tBerserk: 1\n\t\tEscape: 1\n\t\tHeal: 1\n\n");
}

// A Knight's extra Strength comes at odd levels only, a Merchant's Gold is the new level, and
// a Berserk boost ends after the levels, once.
TEST(Upkeep, SeveralLevelsInOneUpkeepEachBringTheirOwnGainsBeforeTheBerserkBoostEnds) {
    ScriptedGame play;
    game.className = "Merchant";
    game.isKnight = game.isMerchant = game.berserkActive = true;
    game.experience = 7;
    runUpkeep();
    runUpkeep();
    const std::string raised = "\nYou have raised to a higher level of experience!\nYou are now a level ";
    const std::string usual = "Merchant!\nYou gain 1 Strength.\nYou gain 1 Craft.\n";
    EXPECT_EQ(play.takeTranscript(), raised + "1 " + usual + "You gain 1 Strength.\nYou gain 1 Gold.\n\n" +
                                         raised + "2 " + usual + "You gain 2 Gold.\n\n" + raised + "3 " + usual +
                                         "You gain 1 Strength.\nYou gain 3 Gold.\n\n"
                                         "You lose 4 Strength.\nYour muscles no longer surge with Strength.\n");
    EXPECT_EQ(std::pair(game.experience, game.experienceNeeded), std::pair(0, 8));
}

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
