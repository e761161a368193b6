#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// A last answer without a line end still counts; the answers may run out at a question.
TEST(WholeGame, TheBannerPausesBeforeTheClassMenuAndTheEndOfInputEndsTheGame) {
    ScriptedGame play("w");
    EXPECT_EQ(play.playWholeGame(), 2);
    EXPECT_EQ(play.takeTranscript(), "\n\n\n\t\tWelcome to Zandrel Version 2.0 the Computer Edition.\n"
                                     "\n\t\tCreated and Modified by Mirelock.\n\n\t\t"
                                     "\n\t\thttps://zandrel.example.org or mirelock@example.org\n\n\t\t[pause]" +
                                         classMenu + asked("Are you sure you want to be a Wizard?"));
    EXPECT_EQ(play.errors(), "zandrel: input ended while the game was waiting for the player\n");
}

// A living character out of lives (three turns in the Graveyard, each rolling Death) and an
// Undead one brought back to Life (the holy grail lifts -3 to 2) lose at the next upkeep.
TEST(WholeGame, ACharacterFoundDeadAtTheUpkeepLosesTheGame) {
    ScriptedGame living("k\ny\n", {face(4), face(2), face(4), face(2), face(4), face(2)});
    EXPECT_EQ(living.playWholeGame(), 1);
    EXPECT_THAT(living.takeTranscript(),
                EndsWith("Death\nYou lose 1 Life.\nYou have lost all of your lives...\nGAME OVER!\n\n\n\n[pause]"));
    ScriptedGame undead("u\ny\n", {face(1), 28});
    EXPECT_EQ(undead.playWholeGame(), 1);
    EXPECT_THAT(undead.takeTranscript(),
                EndsWith("You gain 15 Gold.\nYou have crossed over to the afterLife...\nGAME OVER!\n\n\n\n[pause]"));
}

TEST(WholeGame, AWizardCrossesBackAndForthAndClaimsTheCrown) {
    ScriptedGame play("w\nY\nyes please\ny\ny\ny\ny\ny\n",
                      {face(6), 28, 28,                     // Castle: two holy grails
                       face(3), face(6), face(1), face(3),  // the Sentinel falls; the Moat sends back
                       face(3), face(6), face(1),           // the Sentinel falls again
                       face(1), 28, 28,                     // Tower: two holy grails
                       face(5), face(6), face(1), face(5),  // the Master Mage falls; the Bridge sends back
                       face(5), face(6), face(1),           // the Master Mage falls again
                       face(2), 28, 7,                      // Palace: a grail, all Strength into Craft
                       face(3), face(6), face(1)});         // the Boss falls to Craft 56
    EXPECT_EQ(play.playWholeGame(), 0);
    const std::string text = play.takeTranscript();
    // Sent back, the player starts the next turn on the space of the same number, starred.
    EXPECT_THAT(text, HasSubstr("The Sentinel forces you back over the moat.\n[pause][cls]The Level 0 Wizard!\n\nLife: "
                                "13 Strength: 11 Craft: 15 Gold: 32 EXP: 0/1\n\n\t\tBATTLE SPELLS\n\t\tHeal: 2\n\n"
                                "The Sentinel stands tall guarding the Moat.\n  1= Plains--Draw a card.\n"
                                "  2= Forest--Draw a card.\n* 3= Moat--Chance to proceed.\n  4= Graveyard"));
    EXPECT_THAT(text, HasSubstr("The Mage Master forces you back over the Bridge.\n[pause][cls]The Level 0 Wizard!\n\n"
                                "Life: 23 Strength: 21 Craft: 25 Gold: 62 EXP: 0/1\n\n\t\tBATTLE SPELLS\n\t\tHeal: 4\n"
                                "\nBridge.\n  1= Tower--Draw 2 cards.\n  2= Mountain--Draw a card.\n"
                                "  3= Moat--Sent back.\n  4= Market--Purchase goods.\n* 5= Bridge--"));
    EXPECT_THAT(text, HasSubstr("Craft now.\nYou gain 26 Craft.\nYou lose 26 Strength.\n"));
    EXPECT_THAT(text, EndsWith("You killed the Boss with a total of 62 damage.\n"
                               "You cross the Bridge and move on to the next Area.\n"
                               "[cls]You have claimed the Crown of Command for the victory.\n"
                               "You have beaten Zandrel very few have actually come this far.\nCONGRATULATIONS!!!\n"
                               "Thanks for playing my game by Mirelock.\n\n\nTHE END!\n\n\n\n\n\n[pause]"));
}

} // namespace zandrel::testing
