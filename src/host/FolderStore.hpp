#pragma once

#include "record/RecordStore.hpp"

#include <filesystem>
#include <memory>

namespace zandrel {

// The record kept in a folder of the player's own, as the terminal and the Windows console keep
// it: the record `game`, the lock `lock` beside it, and the records set aside. Nothing is touched
// on disk before the lock is taken.
std::unique_ptr<RecordStore> folderStore(const std::filesystem::path& folder);

// The folder where this machine keeps the player's game; empty when the player has none.
std::filesystem::path keptGameFolder();

} // namespace zandrel
