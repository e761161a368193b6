#pragma once

#include "console/Console.hpp"

namespace zandrel {

// The platform of the machine the game runs on: the terminal on POSIX, the console on Windows.
Platform& nativePlatform();

} // namespace zandrel
