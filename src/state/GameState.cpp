#include "state/GameState.hpp"

namespace zandrel {

GameState game;

void resetGame() { game = GameState{}; }

} // namespace zandrel
