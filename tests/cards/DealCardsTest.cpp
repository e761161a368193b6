#include "cards/Cards.hpp"
#include "support/ScriptedGame.hpp"

namespace zandrel::testing {

// The guard's purse fills from 3 to 4 with a failed steal and to 7 with a paid toll, and empties
// into the next steal. The eleventh successful steal makes a Thief instead of counting; from then
// on every steal succeeds and counts, yet the chance is still drawn. A chance draw of 30 just
// misses the 30-in-100 steal; 29 just makes it.
TEST(CityGuard, HisPurseFillsWithFailedStealsAndPaidTollsAndTheEleventhStealMakesAThief) {
    const std::string guardLeaves = "Fortunately for you he walks away and causes no confrontation.\n";
    ScriptedGame play("y\nr\ny\ny\ny\n", {6, 30, 0, 19, 6, 29, 6, 99});
    game.strength = 2;
    game.gold = 3;
    game.stealsMade = 10;
    game.className = "Knight";
    drawCard();
    EXPECT_THAT(play.takeTranscript(), HasSubstr("You Fail.\nYou enter combat with a creature with 5 Strength.\n"));
    drawCard();
    drawCard();
    EXPECT_EQ(play.takeTranscript(), "You drew the number 19 card.\nYou encounter a very tall city guard.\n"
                                     "He stares down apon you with a mean look on his face.\n" +
                                         asked("Do you want to give him 3 gold?") + "You lose 3 Gold.\n" +
                                         guardLeaves +
                                         "You drew the number 6 card.\nYou encounter a very tall city guard with a "
                                         "mean look on his face as he watches over the city.\n" +
                                         asked("Do you want to attempt to steal from him?") +
                                         "You Succeed!\nYou have improved your skills as a Theif!\n"
                                         "You are now a level 0 Sneaky Knight!\nYou gain 7 Gold.\n" +
                                         guardLeaves);
    drawCard();
    EXPECT_THAT(play.takeTranscript(), EndsWith("You Succeed!\nYou gain 3 Gold.\n" + guardLeaves));
    EXPECT_EQ(std::pair(game.stealsMade, play.drawsLeft()), std::pair(11, std::size_t{0}));
}

} // namespace zandrel::testing
