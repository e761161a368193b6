#include "console/Ask.hpp"
#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

TEST(AskYesNo, AnswersByTheFirstLetterOnlyAndRepeatsTheWholePromptSilently) {
    ScriptedGame play("\n y\nyes please\nNo thanks\nx\nn\n");
    const std::string prompt = asked("Go on?");
    EXPECT_EQ(askYesNo("Go on?"), "Y");
    EXPECT_EQ(play.takeTranscript(), prompt + prompt + prompt);
    EXPECT_EQ(askYesNo("Go on?"), "N");
    EXPECT_EQ(askYesNo("Go on?"), "N");
    EXPECT_EQ(play.takeTranscript(), prompt + prompt + prompt);
}

} // namespace
} // namespace zandrel::testing
