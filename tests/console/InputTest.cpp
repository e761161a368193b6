// What counts of a line the player types: at the class menu and at a yes/no question only the
// first character, and no part of a line answers a later question. When input ends the game
// ends with status 2.
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

TEST(Input, OnlyTheFirstCharacterCountsAndOddLinesAreAskedAgain) {
    // At the menu: an empty line, a lone carriage return, a NUL, bytes above 127 (the last one
    // what a careless reader takes for the end of input), a blank before the letter, a letter of
    // no class. Then a long line whose rest would say no to the question; there the same odd
    // lines, a blank before the y, and a No whose rest would name no class at the menu. Last, a
    // no without a line end, after which input ends at the menu.
    const std::string oddLines = std::string("\n\r\n\0k\n\xe9k\n", 9);
    const std::string knight = asked("Are you sure you want to be Knight?");
    ScriptedGame play(oddLines + "\xff\n k\nl\nk" + std::string(5000, 'n') + "\n" + oddLines + " y\nNo" +
                      std::string(5000, 'y') + "\nu\nn");
    EXPECT_EQ(play.playWholeGame(), 2);
    EXPECT_EQ(play.timesSeeded(), 1); // chance is seeded once, before anything is drawn
    EXPECT_THAT(play.takeTranscript(),
                EndsWith("[pause]" + classMenu + refusedMenu + refusedMenu + refusedMenu + refusedMenu + refusedMenu +
                         refusedMenu + refusedMenu + knight + knight + knight + knight + knight + knight + classMenu +
                         asked("Are you sure you want to be a Undead?") + classMenu));
}

} // namespace zandrel::testing
