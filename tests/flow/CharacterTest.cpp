#include "console/Status.hpp"
#include "flow/Character.hpp"
#include "support/ScriptedGame.hpp"

#include <algorithm>

namespace zandrel::testing {

// Each class, confirmed after a no to another one, starts with the Strength, Craft and Gold its
// menu line promised, the title its question named, and its own skill alone.
TEST(ClassMenu, AConfirmedClassStartsAsItsMenuLineAndQuestionPromised) {
    bool GameState::*const skills[] = {&GameState::isKnight, &GameState::isOgre,     &GameState::isWizard,
                                       &GameState::isPriest, &GameState::isMerchant, &GameState::isThief,
                                       &GameState::isUndead};
    for (int row = 0; row < 7; ++row) {
        ScriptedGame play(std::string(row == 6 ? "k" : "u") + "\nn\n" + "KoWpMtU"[row] + "\ny\n");
        chooseCharacter();
        showStatus();
        const std::string shown = play.takeTranscript();
        const std::size_t promise = shown.find("Strength: ", shown.find(std::string("[") + "KOWPMTU"[row]));
        const std::size_t title = shown.rfind(' ', shown.rfind('?')) + 1;
        EXPECT_THAT(shown, EndsWith("[pause][cls]The Level 0 " + shown.substr(title, shown.rfind('?') - title) +
                                    "!\n\nLife: " + (row == 6 ? "-3 " : "3 ") +
                                    shown.substr(promise, shown.find('\n', promise) - promise) + " EXP: 0/1\n\n" +
                                    (row == 3 ? "\t\tBATTLE SPELLS\n\t\tHeal: 3\n\n" : "")));
        EXPECT_TRUE(game.*skills[row]);
        EXPECT_EQ(std::count_if(std::begin(skills), std::end(skills), [](auto skill) { return game.*skill; }), 1);
    }
}

} // namespace zandrel::testing
