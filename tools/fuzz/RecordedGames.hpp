#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zandrel::fuzz {

// A whole game kept with the transcript it played when it was last recorded: each NAME.game
// of tests/games with NAME.transcript beside it, and each seed game of the fuzzer's corpus
// with its transcript in tests/games/seeds.
struct RecordedGame {
    std::string name; // the seed games' names begin with "seed_"
    std::filesystem::path script;
    std::filesystem::path transcript;
};

// Every recorded game under the project's source folder, the seed games first, each group in
// the order of its names.
std::vector<RecordedGame> recordedGames(const std::filesystem::path& sourceDir);

// The bytes of a whole file; empty when it cannot be read.
std::vector<std::uint8_t> readBytes(const std::filesystem::path& file);

} // namespace zandrel::fuzz
