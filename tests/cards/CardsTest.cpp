#include "cards/Cards.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// Illness and the Dark Litch pass over a character below 2 Life, the vampire one below 0; the
// card number is the draw taken round the 29 cards. Losses stop at 0 for all but Life.
TEST(CardDraw, CardsThatDrawAgainShowEveryNumberAndOnlyTheLastCardActs) {
    ScriptedGame play("", {16, 27 + 29, 3, 20, 0, 16});
    for (const int life : {1, -1, 2}) {
        game.life = life;
        drawCard();
    }
    EXPECT_EQ(play.takeTranscript(), "You drew the number 16 card.\nYou drew the number 27 card.\n"
                                     "You drew the number 3 card.\nYou encounter a friendly merchant.\n"
                                     "You gain 1 Gold.\nYou drew the number 20 card.\nYou drew the number 0 card.\n"
                                     "You encounter a priest.\nYou gain 1 Life.\n"
                                     "You drew the number 16 card.\nYou suddenly start feeling sick and nauseated.\n"
                                     "You have developed an illness.\n"
                                     "You lose 1 Life.\nYou lose 0 Strength.\nYou lose 0 Craft.\n");
}

// At exactly 1 Life the vampire makes a living character Undead, and only lunges at an Undead
// one; at 0 Life there is still Life to drain.
TEST(CardDraw, TheVampireMakesACharacterAtExactlyOneLifeUndead) {
    const std::string drew20 = "You drew the number 20 card.\nA dark vampire lunges at your throat ";
    ScriptedGame play("", {20, 20, 20});
    game.level = 2;
    game.className = "Brave Knight";
    for (const auto& [before, after] : {std::pair{1, -1}, std::pair{1, 1}, std::pair{0, -1}}) {
        game.life = before;
        drawCard();
        EXPECT_EQ(game.life, after) << before;
    }
    EXPECT_EQ(play.takeTranscript(), drew20 + "but does not drain you completely.\nYou have become Undead!\n"
                                              "You are now a level 2 Undead Brave Knight!\n" +
                                         drew20 + "but does not drain you completely.\n" + drew20 +
                                         "and sucks the Life out of you.\nYou lose 1 Life.\n");
}

TEST(CardDraw, PickpocketsTakeNoMoreThanThePurseAndNeverRobAMerchant) {
    const std::string drew17 = "You drew the number 17 card.\n";
    ScriptedGame play("", {17, 17, 17});
    game.gold = 1;
    drawCard();
    drawCard();
    game.isMerchant = true;
    drawCard();
    EXPECT_EQ(play.takeTranscript(), drew17 + "You suddenly feel as if your pockets have become lighter.\n"
                                              "You realize you have just been pickpocketed!\nYou lose 1 Gold.\n" +
                                         drew17 + "Fortune smiles upon you.\nYou gain 3 Gold.\n" + drew17 +
                                         "You sell some of your expensive wares!\nYou gain 5 Gold.\n");
}

// With Strength 5 and Craft 2 the clone fights with the higher Strength, the dragon on the lower
// Craft, and the guard with the player's Strength and 3 more, however far the game has gone.
TEST(CardDraw, CardFoesHaveExactlyTheValueTheCardNames) {
    for (const auto& [card, foe] : {std::pair{10, "3 Strength"}, std::pair{12, "6 Craft"}, std::pair{14, "5 Strength"},
                                    std::pair{15, "6 Craft"}, std::pair{19, "8 Strength"}}) {
        ScriptedGame play(card == 19 ? "n\nr\n" : "r\n", {card, 0});
        game.strength = 5;
        game.craft = 2;
        game.battleCount = 40;
        game.level = 6;
        drawCard();
        EXPECT_THAT(play.takeTranscript(), HasSubstr(std::string("creature with ") + foe + ".\n")) << card;
    }
}

} // namespace zandrel::testing
