#include "support/ScriptedGame.hpp"

#include "flow/Driver.hpp"

namespace zandrel::testing {

ScriptedGame::ScriptedGame(std::string answers, std::initializer_list<int> draws)
    : input_(std::move(answers)), draws_(draws),
      inPlace_(Seams{&input_, &output_, &errors_, [this] { ++seeded_; }, [this] { return draws_.at(drawn_++); },
                     this}) {
    resetGame();
}

ScriptedGame::~ScriptedGame() { resetGame(); }

int ScriptedGame::playWholeGame() try {
    return runGame();
} catch (const GameEnded& ended) {
    return ended.status;
}

} // namespace zandrel::testing
