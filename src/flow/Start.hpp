#pragma once

#include <span>

namespace zandrel {

// The game as its command line asks for it: the kept game, a new one (--new), or only the usage
// (--help) or the version (--version). Returns the exit status, or ends the game itself.
int startGame(std::span<char* const> arguments);

} // namespace zandrel
