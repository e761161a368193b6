#pragma once

#include "host/Host.hpp"

#include <string_view>

namespace zandrel {

// What the terminal and the Windows console share: the standard streams as the game writes
// them, with the game's one line about input that ended put on a line of its own when it
// shares the screen with a prompt still waiting for its answer.
Host standardStreamsHost(Platform& platform, bool errorsOnTerminal);

// What the player is told of the kept game: one line on standard error.
void tellOnStandardError(std::string_view line);

} // namespace zandrel
