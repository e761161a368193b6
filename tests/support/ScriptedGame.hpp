#pragma once

#include "console/Console.hpp"
#include "state/GameState.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// What every test of the game needs: the game record, GoogleTest and its text matchers, and a
// game played from a script.
namespace zandrel::testing {

using ::testing::EndsWith;

// Thrown where the game would end the process, so a test can see how it ended.
struct GameEnded {
    int status;
};

// A game played from scripted answers and raw draws of chance (5 gives a die of 6, 0 a die of 1,
// n a card of number n; a draw beyond the script throws std::out_of_range). It puts a fresh game
// record and its own seams in place for its lifetime and the usual ones back afterwards, and
// stands in for the terminal: it marks each pause and screen clear in the transcript.
class ScriptedGame final : public Platform {
public:
    explicit ScriptedGame(std::string answers = "", std::initializer_list<int> draws = {});
    ~ScriptedGame() override;

    // Runs a whole game through the driver and returns its exit status.
    int playWholeGame();

    // Everything printed so far; taking it empties it.
    std::string takeTranscript() { return std::exchange(output_, {}).str(); }
    std::string errors() const { return errors_.str(); }
    std::size_t drawsLeft() const { return draws_.size() - drawn_; }
    int timesSeeded() const { return seeded_; }

    void pause() override { output_ << "[pause]"; }
    void clearScreen() override { output_ << "[cls]"; }
    [[noreturn]] void endProcess(int status) override { throw GameEnded{status}; }

private:
    std::istringstream input_;
    std::ostringstream output_;
    std::ostringstream errors_;
    std::vector<int> draws_;
    std::size_t drawn_ = 0;
    int seeded_ = 0;
    SeamsInPlace inPlace_;
};

// What the player sees when the game puts a yes/no question.
inline std::string asked(const std::string& question) {
    return question + "\nValid Commands: [Y]es, [N]o\nWhat is your response: ";
}

// The class menu on its cleared screen, and as it comes back after a refused answer.
inline const std::string classMenu = "[cls]\nNow you must chose your character.\nHere are the possible choices.\n\n"
                                     "[K]night\tStrength: 3 Craft: 3 Gold: 1\n"
                                     "[O]gre  \tStrength: 5 Craft: 1 Gold: 0\n"
                                     "[W]izard\tStrength: 1 Craft: 5 Gold: 2\n"
                                     "[P]riest\tStrength: 1 Craft: 4 Gold: 4\n"
                                     "[M]erchant\tStrength: 2 Craft: 2 Gold: 5\n"
                                     "[T]heif \tStrength: 2 Craft: 2 Gold: 0\n"
                                     "[U]ndead\tStrength: 1 Craft: 3 Gold: 0\n";
inline const std::string refusedMenu = "[cls]That is not one of the choices. Try again!\n" + classMenu.substr(5);

} // namespace zandrel::testing
