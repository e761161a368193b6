#pragma once

#include "host/Host.hpp"
#include "record/RecordStore.hpp"

namespace zandrel {

// How the page keeps its game: in the browser's IndexedDB, always, with what the page tells
// the player about it shown under its terminal.
Keeping pageKeeping();

} // namespace zandrel
