#include "support/ScriptedGame.hpp"

#include "flow/Driver.hpp"
#include "state/GameState.hpp"

namespace zandrel::testing {

void ScriptedPlatform::pause() { out() << "[pause]"; }

void ScriptedPlatform::clearScreen() { out() << "[cls]"; }

void ScriptedPlatform::endProcess(int status) { throw GameEnded{status}; }

ScriptedGame::ScriptedGame(std::string answers, std::initializer_list<int> draws)
    : input_(std::move(answers)), draws_(draws), saved_(seams()) {
    resetGame();
    seams() = Seams{
        &input_,
        &output_,
        &errors_,
        [] {},
        [this] {
            if (draws_.empty()) {
                throw ChanceRanOut{};
            }
            const int draw = draws_.front();
            draws_.pop_front();
            return draw;
        },
        &platform_,
    };
}

ScriptedGame::~ScriptedGame() {
    seams() = saved_;
    resetGame();
}

void ScriptedGame::addDraws(std::initializer_list<int> draws) { draws_.insert(draws_.end(), draws); }

void ScriptedGame::addAnswers(const std::string& answers) {
    std::string rest(std::istreambuf_iterator<char>(input_), {});
    input_.clear();
    input_.str(rest + answers);
}

int ScriptedGame::playWholeGame() {
    try {
        return runGame();
    } catch (const GameEnded& ended) {
        return ended.status;
    }
}

std::string ScriptedGame::takeTranscript() {
    std::string text = output_.str();
    output_.str("");
    return text;
}

bool ScriptedGame::answersLeft() { return input_.rdbuf()->in_avail() > 0; }

} // namespace zandrel::testing
