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

} // namespace zandrel::testing
