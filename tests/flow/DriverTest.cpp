#include "support/ScriptedGame.hpp"

#include <gtest/gtest.h>

namespace zandrel::testing {
namespace {

TEST(Driver, GreetsThePlayerThenPausesBeforeTheClassMenu) {
    ScriptedGame play("");
    EXPECT_EQ(play.playWholeGame(), 2);
    EXPECT_EQ(play.takeTranscript(),
              "\n\n\n\t\tWelcome to Zandrel Version 2.0 the Computer Edition.\n"
              "\n\t\tCreated and Modified by Mirelock.\n\n\t\t"
              "\n\t\thttps://zandrel.example.org or mirelock@example.org\n\n\t\t"
              "[pause][cls]\nNow you must chose your character.\nHere are the possible choices.\n\n"
              "[K]night\tStrength: 3 Craft: 3 Gold: 1\n"
              "[O]gre  \tStrength: 5 Craft: 1 Gold: 0\n"
              "[W]izard\tStrength: 1 Craft: 5 Gold: 2\n"
              "[P]riest\tStrength: 1 Craft: 4 Gold: 4\n"
              "[M]erchant\tStrength: 2 Craft: 2 Gold: 5\n"
              "[T]heif \tStrength: 2 Craft: 2 Gold: 0\n"
              "[U]ndead\tStrength: 1 Craft: 3 Gold: 0\n");
    EXPECT_EQ(play.errors(), "zandrel: input ended while the game was waiting for the player\n");
}

} // namespace
} // namespace zandrel::testing
