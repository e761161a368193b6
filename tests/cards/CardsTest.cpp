#include "cards/Cards.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// The vampire only lunges at a character who is Undead already at exactly 1 Life. No whole game
// brings an Undead character to a card at 1 Life (the upkeep before it ends his game), so this
// case is played here alone.
TEST(CardDraw, TheVampireOnlyLungesAtAnUndeadCharacterAtOneLife) {
    ScriptedGame play("", {20});
    game.life = 1;
    game.isUndead = true;
    game.className = "Undead";
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 20 card.\n"
                                     "A dark vampire lunges at your throat but does not drain you completely.\n");
    EXPECT_EQ(std::pair(game.life, game.className), std::pair(1, std::string("Undead")));
}

// The guard's toll is three Gold: two do not pay it, and he fights.
TEST(CardDraw, TwoGoldDoNotPayTheGuardsToll) {
    ScriptedGame play("y\nn\n", {19, 0, 0}); // a one for each die
    game.gold = 2;
    drawCard();
    EXPECT_THAT(play.takeTranscript(),
                ::testing::HasSubstr("What is your response: You don't have enough gold to give to him.\n"
                                     "You enter combat with a creature with 3 Strength."));
    EXPECT_EQ(std::pair(game.gold, game.guardPurse), std::pair(2, 4));
}

} // namespace zandrel::testing
