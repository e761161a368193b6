#pragma once

#include "console/Console.hpp"

#include <deque>
#include <initializer_list>
#include <sstream>
#include <string>

namespace zandrel::testing {

// Thrown where the game would end the process, so a test can see how it ended.
struct GameEnded {
    int status;
};

// Thrown when the game wants more chance than the test scripted.
struct ChanceRanOut {};

// Stands in for the terminal: marks each pause and screen clear in the transcript.
class ScriptedPlatform final : public Platform {
public:
    void pause() override;
    void clearScreen() override;
    [[noreturn]] void endProcess(int status) override;
};

// A game played from scripted answers and raw draws of chance (5 gives a die of 6, 0 a die
// of 1, n a card of number n). It puts a fresh game record and its own seams in place for
// its lifetime and the usual ones back afterwards.
class ScriptedGame {
public:
    explicit ScriptedGame(std::string answers = "", std::initializer_list<int> draws = {});
    ScriptedGame(const ScriptedGame&) = delete;
    ScriptedGame& operator=(const ScriptedGame&) = delete;
    ScriptedGame(ScriptedGame&&) = delete;
    ScriptedGame& operator=(ScriptedGame&&) = delete;
    ~ScriptedGame();

    void addDraws(std::initializer_list<int> draws);
    void addAnswers(const std::string& answers);

    // Runs a whole game through the driver and returns its exit status.
    int playWholeGame();

    // Everything printed so far; taking it empties it.
    std::string takeTranscript();
    std::string errors() const { return errors_.str(); }
    std::size_t drawsLeft() const { return draws_.size(); }
    bool answersLeft();

private:
    std::istringstream input_;
    std::ostringstream output_;
    std::ostringstream errors_;
    std::deque<int> draws_;
    ScriptedPlatform platform_;
    Seams saved_;
};

// The die face a test wants, as the raw draw that gives it.
constexpr int face(int pips) { return pips - 1; }

// What the player sees when the game puts a yes/no question.
inline std::string asked(const std::string& question) {
    return question + "\nValid Commands: [Y]es, [N]o\nWhat is your response: ";
}

} // namespace zandrel::testing
