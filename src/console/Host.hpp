#pragma once

#include "console/Console.hpp"

#include <iosfwd>

namespace zandrel {

// What the machine the game is built for gives it: where its text goes, where the player's
// answers come from, and the pause, the clear and the end of the game. Each build links one
// such file: a terminal or a console (NativePlatform.cpp), or a page in a web browser.
struct Host {
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    Platform* platform;
};

Host host();

} // namespace zandrel
