#pragma once

#include "console/Console.hpp"

#include <iosfwd>

namespace zandrel {

// What the machine the game is built for gives it: where its text goes, where the player's
// answers come from, and the pause, the clear and the end of the game. Each build links the
// one host of its machine: the POSIX terminal (PosixTerminal.cpp), the Windows console
// (WindowsConsole.cpp) or a page in a web browser (WebPage.cpp).
struct Host {
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    Platform* platform;
};

Host host();

// What every host shows while a pause waits for the player's key, as a console does.
inline constexpr char pausePrompt[] = "Press any key to continue . . . ";

} // namespace zandrel
