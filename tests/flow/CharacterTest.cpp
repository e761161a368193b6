#include "flow/Character.hpp"
#include "state/GameState.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

#include <cctype>

namespace zandrel::testing {
namespace {

const std::string menu = "[cls]\nNow you must chose your character.\nHere are the possible choices.\n\n"
                         "[K]night\tStrength: 3 Craft: 3 Gold: 1\n"
                         "[O]gre  \tStrength: 5 Craft: 1 Gold: 0\n"
                         "[W]izard\tStrength: 1 Craft: 5 Gold: 2\n"
                         "[P]riest\tStrength: 1 Craft: 4 Gold: 4\n"
                         "[M]erchant\tStrength: 2 Craft: 2 Gold: 5\n"
                         "[T]heif \tStrength: 2 Craft: 2 Gold: 0\n"
                         "[U]ndead\tStrength: 1 Craft: 3 Gold: 0\n";
const std::string refused = "[cls]That is not one of the choices. Try again!\n" + menu.substr(5);

TEST(ClassMenu, FoldsOnlyItsOwnLettersAndPrintsTheRefusalAboveTheMenu) {
    ScriptedGame play("l\n\n k\nS\nknight\nn\nK\nyes\n");
    chooseCharacter();
    const std::string question = asked("Are you sure you want to be Knight?");
    EXPECT_EQ(play.takeTranscript(), menu + refused + refused + refused + refused + question + menu + question);
    EXPECT_TRUE(game.isKnight);
}

TEST(ClassMenu, ANoAtTheConfirmationShowsTheMenuAgainAndChangesNothingOfTheCharacter) {
    ScriptedGame play("u\nn\nl\n");
    EXPECT_THROW(chooseCharacter(), GameEnded); // the answers run out at the menu
    EXPECT_EQ(play.takeTranscript(), menu + asked("Are you sure you want to be a Undead?") + menu + refused);
    EXPECT_EQ(game.classLetter, 'l'); // a letter that names no class is kept as typed
    EXPECT_EQ(game.life, 3);
    EXPECT_EQ(game.craft, 0);
    EXPECT_EQ(game.className, " ");
    EXPECT_FALSE(game.isUndead);
}

// Each class starts with the Strength, Craft and Gold its menu line promised, the title its
// question named, and its own skills alone.
TEST(ClassMenu, AConfirmedClassStartsAsItsMenuLineAndQuestionPromised) {
    bool GameState::*const skills[] = {&GameState::isKnight, &GameState::isOgre,     &GameState::isWizard,
                                       &GameState::isPriest, &GameState::isMerchant, &GameState::isThief,
                                       &GameState::isUndead};
    for (int row = 0; row < 7; ++row) {
        ScriptedGame play(std::string(1, "kowpmtu"[row]) + "\ny\n");
        chooseCharacter();
        const std::string shown = play.takeTranscript();
        const std::size_t line = shown.find(std::string("[") + "KOWPMTU"[row]);
        const std::size_t promise = shown.find("Strength: ", line);
        const std::size_t titled = shown.rfind(' ', shown.rfind('?'));
        EXPECT_EQ(shown.substr(promise, shown.find('\n', promise) - promise),
                  "Strength: " + std::to_string(game.strength) + " Craft: " + std::to_string(game.craft) +
                      " Gold: " + std::to_string(game.gold));
        EXPECT_EQ(shown.substr(titled + 1, shown.rfind('?') - titled - 1), game.className);
        EXPECT_TRUE(game.*skills[row]);
        EXPECT_EQ(game.life, row == 6 ? -3 : 3);
        EXPECT_EQ(game.healScrolls, row == 3 ? 3 : 0);
        EXPECT_EQ(game.isKnight + game.isOgre + game.isWizard + game.isPriest + game.isMerchant + game.isThief +
                      game.isUndead,
                  1);
    }
}

} // namespace
} // namespace zandrel::testing
