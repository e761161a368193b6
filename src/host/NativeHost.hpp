#pragma once

#include "host/Host.hpp"

#include <string_view>

namespace zandrel {

// What the terminal and the Windows console share: the standard streams as the game writes
// them, with the game's lines on standard error put on a line of their own when they share the
// screen with a prompt still waiting for its answer; and the game kept in a folder of the
// player's own while a person plays (`personPlaying`), with what is said of it on standard error.
Host nativeHost(Platform& platform, bool errorsOnTerminal, bool textOnTerminal, bool personPlaying,
               std::string_view otherGameHint);

} // namespace zandrel
