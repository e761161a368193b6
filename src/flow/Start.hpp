#pragma once

#include <optional>
#include <span>
#include <string>

namespace zandrel {

// What the command line asks for: the kept game or a new one (--new), the list of finished games
// (--games) or one of them again (--replay), or an exit status at once, after the usage (--help)
// or the version (--version) is shown, or the usage on standard error for an argument the game
// does not know.
struct Command {
    enum class Action { play, games, replay } action = Action::play;
    bool newGame = false;
    std::string replay; // the number of a finished game, or a record file
    std::optional<int> status;
};
Command readCommandLine(std::span<char* const> arguments);

// The game as its command line asks for it. Returns the exit status, or ends the game itself.
int startGame(std::span<char* const> arguments);

} // namespace zandrel
