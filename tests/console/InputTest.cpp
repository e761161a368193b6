// Odd lines at the class menu and at a yes/no question: each gets the game's own answer, no
// part of a line answers a later question, and the end of input ends the game with status 2.
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

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
const std::string refusal = "[cls]That is not one of the choices. Try again!\n" + menu.substr(5);
const std::string endOfInput = "zandrel: input ended while the game was waiting for the player\n";

// Plays from the banner until the answers run out; returns what followed the banner's pause.
std::string afterTheBanner(ScriptedGame& play) {
    EXPECT_EQ(play.playWholeGame(), 2);
    EXPECT_EQ(play.errors(), endOfInput);
    const std::string transcript = play.takeTranscript();
    return transcript.substr(transcript.find("[pause]") + 7);
}

TEST(OddInput, EveryOddLineAtTheMenuIsRefusedAndTheEndOfInputThereEndsTheGame) {
    // An empty line, a lone carriage return, a NUL, a byte above 127 and the byte that a careless
    // reader would take for the end of input.
    ScriptedGame play(std::string("\n\r\n\0k\n\xe9k\n\xff\n", 11));
    EXPECT_EQ(afterTheBanner(play), menu + refusal + refusal + refusal + refusal + refusal);
}

TEST(OddInput, OnlyTheFirstCharacterOfAnyLineCountsAtAQuestion) {
    const std::string knight = asked("Are you sure you want to be Knight?");
    // Thousands of characters whose rest would say no to the question, then odd lines that say
    // nothing, then a no whose rest would name no class at the menu.
    ScriptedGame play("k" + std::string(5000, 'n') + "\n\n\r\n" + std::string("\0y\n", 3) + "\xd1\n" + "n" +
                      std::string(5000, 'y') + "\n");
    EXPECT_EQ(afterTheBanner(play), menu + knight + knight + knight + knight + knight + menu);
}

TEST(OddInput, ALastLineWithoutALineEndStillCounts) {
    ScriptedGame atTheMenu("w");
    EXPECT_EQ(afterTheBanner(atTheMenu), menu + asked("Are you sure you want to be a Wizard?"));

    ScriptedGame atAQuestion("w\nn\nu\nn");
    EXPECT_EQ(afterTheBanner(atAQuestion), menu + asked("Are you sure you want to be a Wizard?") + menu +
                                               asked("Are you sure you want to be a Undead?") + menu);
}

} // namespace
} // namespace zandrel::testing
