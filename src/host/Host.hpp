#pragma once

#include "console/Console.hpp"

#include <functional>
#include <iosfwd>
#include <string_view>

namespace zandrel {

class RecordStore;

// Where the machine keeps a game, and what it tells the player about it.
struct Keeping {
    RecordStore* store;
    // Only a game that a person plays is kept, not one played from a pipe or a file.
    bool keepsGame;
    // How the player starts another game in place of the one resumed, where the host does not
    // show it anyway.
    std::string_view anotherGame;
    // Said to a player whose game is refused because another one holds the record.
    std::string_view otherGameHint;
    // Tells the player, in one line, what became of the record.
    std::function<void(std::string_view)> tell;
    // How the player watches a finished game again, where the host does not show it anyway; the
    // game's number follows it.
    std::string_view watchAgain = {};
};

// What the machine the game is built for gives it: where its text goes, where the player's
// answers come from, and the pause, the clear and the end of the game. Each build links the
// one host of its machine: the POSIX terminal (PosixTerminal.cpp), the Windows console
// (WindowsConsole.cpp) or a page in a web browser (WebPage.cpp).
struct Host {
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    Platform* platform;
    Keeping keeping;
    // Whether the game's text goes to a terminal, where a list is laid out for the eye.
    bool textOnTerminal;
};

Host host();

// What every host shows while a pause waits for the player's key, as a console does.
inline constexpr char pausePrompt[] = "Press any key to continue . . . ";

} // namespace zandrel
