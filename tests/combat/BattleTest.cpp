#include "combat/Battle.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

const std::string runAway =
    "Here are the possible choices before the battle.\n\n[R]un Away--Run away from battle.\n";
const std::string nothing = "[N]othing--Do nothing before battle.\n";
const std::string refused = "That is not one of the choices. Try again!\n";

// A win earns the foe's value, a loss costs one Life, a draw changes nothing. A Berserk boost
// counts in the total, though the summary before the menu showed Strength without it.
TEST(Battle, AWinEarnsTheFoesValueALossCostsOneLifeAndADrawChangesNothing) {
    ScriptedGame play("n\nN\nb\n", {face(5), 7, face(2), face(1), face(1), face(3)});
    game.strength = 4;
    game.foeStrength = 6;
    game.berserkScrolls = 1;
    fightByStrength();
    fightByStrength();
    fightByStrength();
    const std::string meets = "You enter combat with a creature with 6 Strength.\n\nLife: ";
    const std::string menu = runAway + "[B]erserk--Enhance strength temporarily.\n" + nothing;
    EXPECT_EQ(play.takeTranscript(),
              meets + "3 Strength: 4 Craft: 0 Gold: 0 EXP: 0/1\n" + menu +
                  "You rolled a 5 on one die.\nHe rolled a 2 on one die.\nYou: 9\nHim: 8\n"
                  "You killed the creature with 9 damage.\nYou gain 6 EXP.\n" +
                  meets + "3 Strength: 4 Craft: 0 Gold: 0 EXP: 6/1\n" + menu +
                  "You rolled a 2 on one die.\nHe rolled a 1 on one die.\nYou: 6\nHim: 7\n"
                  "You were killed by the creature who dealt 7 damage to you.\nYou lose 1 Life.\n" +
                  meets + "2 Strength: 4 Craft: 0 Gold: 0 EXP: 6/1\n" + menu +
                  "Your muscles surge with Strength!\nYou gain 4 Strength.\nYou rolled a 1 on one die.\n"
                  "He rolled a 3 on one die.\nYou: 9\nHim: 9\nThe battle ended in a draw.\n");
    EXPECT_EQ(std::tuple(game.battleCount, game.berserkActive, game.berserkCasts), std::tuple(3, true, 1));
}

// An Escape is a spell cast; neither it nor a successful run rolls dice or counts as a battle.
// A spell without its scroll is refused; a failed run is fought at once, with Craft alone.
TEST(Battle, AnAvoidedBattleRollsNoDiceAndIsNotCountedButAFailedRunIsFoughtAtOnce) {
    ScriptedGame play("x\ne\ne\nrun\nRUN\n", {32, 33, face(1), face(3)});
    game.escapeScrolls = 1;
    game.foeCraft = 2;
    game.strength = 10;
    fightByCraft();
    fightByCraft();
    EXPECT_EQ(std::pair(game.battleCount, game.spellsCast), std::pair(0, 1));
    fightByCraft();
    EXPECT_EQ(game.battleCount, 1);
    const std::string opening = "You enter combat with a creature with 2 Craft.\n"
                                "\nLife: 3 Strength: 10 Craft: 0 Gold: 0 EXP: 0/1\n";
    const std::string withEscape = runAway + "[E]scape--Escape from battle.\n" + nothing;
    EXPECT_EQ(play.takeTranscript(),
              opening + withEscape + refused + withEscape + "You Escape from battle!\n" + opening + runAway + nothing +
                  refused + runAway + nothing + "You Ran Away!\n" + opening + runAway + nothing +
                  "You Fail.\nYou rolled a 1 on one die.\nHe rolled a 3 on one die.\nYou: 1\nHim: 5\n"
                  "You were killed by the creature who dealt 5 damage to you.\nYou lose 1 Life.\n");
}

} // namespace zandrel::testing
