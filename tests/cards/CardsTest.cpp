#include "cards/Cards.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

using ::testing::HasSubstr;

TEST(CardDraw, CardsThatDrawAgainShowEveryNumberAndOnlyTheLastCardActs) {
    // Illness and the Dark Litch pass over a character below 2 Life; the card number is the
    // draw taken round the 29 cards.
    ScriptedGame play("", {16, 27 + 29, 3});
    game.life = 1;
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 16 card.\nYou drew the number 27 card.\n"
                                     "You drew the number 3 card.\nYou encounter a friendly merchant.\n"
                                     "You gain 1 Gold.\n");

    // The vampire passes over a character below 0 Life.
    game.life = -1;
    play.addDraws({20, 0});
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 20 card.\nYou drew the number 0 card.\n"
                                     "You encounter a priest.\nYou gain 1 Life.\n");

    // At 2 Life the illness strikes.
    game.life = 2;
    play.addDraws({16});
    drawCard();
    EXPECT_EQ(game.life, 1);
}

TEST(CardDraw, TheVampireMakesACharacterAtExactlyOneLifeUndead) {
    ScriptedGame play("", {20, 20, 20});
    game.life = 1;
    game.level = 2;
    game.className = "Brave Knight";
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 20 card.\n"
                                     "A dark vampire lunges at your throat but does not drain you completely.\n"
                                     "You have become Undead!\nYou are now a level 2 Undead Brave Knight!\n");
    EXPECT_EQ(game.life, -1);
    EXPECT_TRUE(game.isUndead);
    EXPECT_EQ(game.className, "Undead Brave Knight");

    // Already Undead, the vampire only lunges.
    game.life = 1;
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 20 card.\n"
                                     "A dark vampire lunges at your throat but does not drain you completely.\n");
    EXPECT_EQ(game.life, 1);

    // At 0 Life there is still Life to drain.
    game.life = 0;
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 20 card.\n"
                                     "A dark vampire lunges at your throat and sucks the Life out of you.\n"
                                     "You lose 1 Life.\n");
    EXPECT_EQ(game.life, -1);
}

TEST(CardDraw, PickpocketsTakeNoMoreThanThePurseAndNeverRobAMerchant) {
    ScriptedGame play("", {17, 17, 17});
    game.gold = 1;
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 17 card.\n"
                                     "You suddenly feel as if your pockets have become lighter.\n"
                                     "You realize you have just been pickpocketed!\nYou lose 1 Gold.\n");
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 17 card.\nFortune smiles upon you.\nYou gain 3 Gold.\n");
    game.isMerchant = true;
    drawCard();
    EXPECT_EQ(play.takeTranscript(),
              "You drew the number 17 card.\nYou sell some of your expensive wares!\nYou gain 5 Gold.\n");
}

TEST(CardDraw, CardFoesHaveExactlyTheValueTheCardNamesHoweverFarTheGameHasGone) {
    struct Meeting {
        int card;
        const char* answers;
        const char* foe;
    };
    // Strength 5 and Craft 2: the clone fights with the higher Strength, the dragon on the lower
    // Craft, and the guard with the player's Strength and 3 more.
    for (const Meeting& meeting : {Meeting{10, "r\n", "3 Strength"}, Meeting{12, "r\n", "6 Craft"},
                                   Meeting{14, "r\n", "5 Strength"}, Meeting{15, "r\n", "6 Craft"},
                                   Meeting{19, "n\nr\n", "8 Strength"}}) {
        ScriptedGame play(meeting.answers, {meeting.card, 0});
        game.strength = 5;
        game.craft = 2;
        game.battleCount = 40;
        game.level = 6;
        drawCard();
        EXPECT_THAT(play.takeTranscript(),
                    HasSubstr(std::string("You enter combat with a creature with ") + meeting.foe + ".\n"))
            << "card " << meeting.card;
    }
}

} // namespace
} // namespace zandrel::testing
