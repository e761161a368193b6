#include "combat/Battle.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

const std::string runAway =
    "Here are the possible choices before the battle.\n\n[R]un Away--Run away from battle.\n";
const std::string nothing = "[N]othing--Do nothing before battle.\n";
const std::string refused = "That is not one of the choices. Try again!\n";

TEST(Battle, AWinEarnsTheFoesValueALossCostsOneLifeAndADrawChangesNothing) {
    ScriptedGame play("n\nN\nnothing\n", {face(5), face(2), face(2), face(1), face(3), face(1)});
    game.strength = 4;
    game.foeStrength = 6;
    fightByStrength();
    EXPECT_EQ(play.takeTranscript(), "You enter combat with a creature with 6 Strength.\n"
                                     "\nLife: 3 Strength: 4 Craft: 0 Gold: 0 EXP: 0/1\n" +
                                         runAway + nothing +
                                         "You rolled a 5 on one die.\nHe rolled a 2 on one die.\nYou: 9\nHim: 8\n"
                                         "You killed the creature with 9 damage.\nYou gain 6 EXP.\n");
    fightByStrength();
    fightByStrength();
    EXPECT_TRUE(play.takeTranscript().ends_with(
        "You: 6\nHim: 7\nYou were killed by the creature who dealt 7 damage to you.\nYou lose 1 Life.\n"
        "You enter combat with a creature with 6 Strength.\n\nLife: 2 Strength: 4 Craft: 0 Gold: 0 EXP: 6/1\n" +
        runAway + nothing + "You rolled a 3 on one die.\nHe rolled a 1 on one die.\nYou: 7\nHim: 7\n"
                            "The battle ended in a draw.\n"));
    EXPECT_EQ(game.experience, 6);
    EXPECT_EQ(game.life, 2);
    EXPECT_EQ(game.battleCount, 3);
}

TEST(Battle, AnAvoidedBattleRollsNoDiceAndIsNotCountedButAFailedRunIsFoughtAtOnceWithCraft) {
    ScriptedGame play("x\ne\ne\nrun\nRUN\n", {32, 33, face(1), face(3)});
    game.escapeScrolls = 1;
    game.foeCraft = 2;
    game.strength = 10; // a Craft battle is fought with Craft alone
    fightByCraft();
    const std::string withEscape = runAway + "[E]scape--Escape from battle.\n" + nothing;
    EXPECT_EQ(play.takeTranscript(), "You enter combat with a creature with 2 Craft.\n"
                                     "\nLife: 3 Strength: 10 Craft: 0 Gold: 0 EXP: 0/1\n" +
                                         withEscape + refused + withEscape + "You Escape from battle!\n");
    EXPECT_EQ(game.spellsCast, 1);
    fightByCraft();
    const std::string bare = runAway + nothing;
    EXPECT_TRUE(play.takeTranscript().ends_with(bare + refused + bare + "You Ran Away!\n"));
    EXPECT_EQ(game.battleCount, 0);
    fightByCraft();
    EXPECT_TRUE(play.takeTranscript().ends_with(
        nothing + "You Fail.\nYou rolled a 1 on one die.\nHe rolled a 3 on one die.\nYou: 1\nHim: 5\n"
                  "You were killed by the creature who dealt 5 damage to you.\nYou lose 1 Life.\n"));
    EXPECT_EQ(game.battleCount, 1);
    EXPECT_EQ(game.spellsCast, 1);
}

TEST(Battle, TheBerserkBoostCountsInAStrengthTotalAfterTheSummaryShowedStrengthBefore) {
    ScriptedGame play("b\n", {face(1), face(2)});
    game.strength = 2;
    game.berserkScrolls = 1;
    game.foeStrength = 5;
    fightByStrength();
    EXPECT_EQ(play.takeTranscript(), "You enter combat with a creature with 5 Strength.\n"
                                     "\nLife: 3 Strength: 2 Craft: 0 Gold: 0 EXP: 0/1\n" +
                                         runAway + "[B]erserk--Enhance strength temporarily.\n" + nothing +
                                         "Your muscles surge with Strength!\nYou gain 4 Strength.\n"
                                         "You rolled a 1 on one die.\nHe rolled a 2 on one die.\nYou: 7\nHim: 7\n"
                                         "The battle ended in a draw.\n");
    EXPECT_TRUE(game.berserkActive);
    EXPECT_EQ(game.berserkScrolls, 0);
    EXPECT_EQ(game.berserkCasts, 1);
    EXPECT_EQ(game.spellsCast, 1);
}

} // namespace
} // namespace zandrel::testing
