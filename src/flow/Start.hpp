#pragma once

#include <optional>
#include <span>

namespace zandrel {

// What the command line asks for: the kept game or a new one (--new), or an exit status at once,
// after the usage (--help) or the version (--version) is shown, or the usage on standard error
// for an argument the game does not know.
struct Command {
    bool newGame = false;
    std::optional<int> status;
};
Command readCommandLine(std::span<char* const> arguments);

// The game as its command line asks for it. Returns the exit status, or ends the game itself.
int startGame(std::span<char* const> arguments);

} // namespace zandrel
