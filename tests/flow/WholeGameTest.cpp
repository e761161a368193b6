#include "support/ScriptedGame.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The first turn after a moment of the game: an upkeep with nothing to do and the status panel,
// then the space the player stands on and the board with that space starred.
void expectTurnAfter(const std::string& text, const std::string& moment, const std::string& standing,
                     const std::string& starred) {
    SCOPED_TRACE(moment);
    const auto from = text.find(moment);
    ASSERT_NE(from, std::string::npos);
    const std::string turn = text.substr(from, text.find("[pause]You rolled", from) - from);
    EXPECT_THAT(turn, StartsWith(moment + "[pause][cls]The Level 0 Wizard!\n"));
    EXPECT_THAT(turn, HasSubstr("\n" + standing));
    EXPECT_THAT(turn, HasSubstr("\n" + starred));
}

TEST(WholeGame, ALivingCharacterOutOfLivesLosesAtTheNextUpkeep) {
    // Three turns in the Graveyard, each rolling Death.
    ScriptedGame play("k\ny\n", {face(4), face(2), face(4), face(2), face(4), face(2)});
    EXPECT_EQ(play.playWholeGame(), 1);
    EXPECT_THAT(play.takeTranscript(), EndsWith("\t2= Death\nYou lose 1 Life.\n"
                                                "You have lost all of your lives...\nGAME OVER!\n\n\n\n[pause]"));
}

TEST(WholeGame, AnUndeadCharacterBroughtBackToLifeCrossesOver) {
    // The holy grail on the Plains lifts Life from -3 to 2.
    ScriptedGame play("u\ny\n", {face(1), 28});
    EXPECT_EQ(play.playWholeGame(), 1);
    EXPECT_THAT(play.takeTranscript(), EndsWith("You gain 15 Gold.\n"
                                                "You have crossed over to the afterLife...\nGAME OVER!\n\n\n\n[pause]"));
}

TEST(WholeGame, TheGameEndsWithStatusTwoWhenTheAnswersRunOut) {
    ScriptedGame play("k\ny\n", {face(3)});
    EXPECT_EQ(play.playWholeGame(), 2);
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("\t3= Moat\n" + asked("Do you want to challenge the Sentinel (9 str) to cross the Moat?")));
    EXPECT_EQ(play.errors(), "zandrel: input ended while the game was waiting for the player\n");
}

TEST(WholeGame, AWizardCrossesBackAndForthAndClaimsTheCrown) {
    ScriptedGame play("w\ny\ny\ny\ny\ny\ny\ny\n", {
        face(6), 28, 28,           // Castle: two holy grails
        face(3), face(6), face(1), // the Sentinel falls
        face(3),                   // the Moat of the middle region sends back
        face(3), face(6), face(1), // the Sentinel falls again
        face(1), 28, 28,           // Tower: two holy grails
        face(5), face(6), face(1), // the Master Mage falls
        face(5),                   // the Bridge of the inner region sends back
        face(5), face(6), face(1), // the Master Mage falls again
        face(2), 28, 7,            // Palace: a grail, then all Strength into Craft
        face(3), face(6), face(1), // the Boss falls to Craft 56
    });
    EXPECT_EQ(play.playWholeGame(), 0);
    const std::string text = play.takeTranscript();

    expectTurnAfter(text, "You cross the Moat and move on to the next Area.\n", "Moat.\n  1= Tower--Draw 2 cards.\n",
                    "* 3= Moat--Sent back.\n");
    expectTurnAfter(text, "The Sentinel forces you back over the moat.\n",
                    "The Sentinel stands tall guarding the Moat.\n  1= Plains", "* 3= Moat--Chance to proceed.\n");
    expectTurnAfter(text, "You cross the Bridge and move on to the next Area.\n", "Bridge.\n  1= Swamp",
                    "* 5= Bridge--Sent back.\n");
    expectTurnAfter(text, "The Mage Master forces you back over the Bridge.\n", "Bridge.\n  1= Tower",
                    "* 5= Bridge--Chance to proceed.\n");

    EXPECT_THAT(text, EndsWith("You killed the Boss with a total of 62 damage.\n"
                               "You cross the Bridge and move on to the next Area.\n"
                               "[cls]You have claimed the Crown of Command for the victory.\n"
                               "You have beaten Zandrel very few have actually come this far.\nCONGRATULATIONS!!!\n"
                               "Thanks for playing my game by Mirelock.\n\n\nTHE END!\n\n\n\n\n\n[pause]"));
}

} // namespace
} // namespace zandrel::testing
