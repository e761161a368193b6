#include "RecordedGames.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zandrel::fuzz {
namespace {

// The files of one folder that a predicate accepts, in the order of their names.
template <typename Accept>
std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder, Accept accept) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && accept(entry.path())) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

std::vector<RecordedGame> recordedGames(const std::filesystem::path& sourceDir) {
    const std::filesystem::path games = sourceDir / "tests" / "games";
    std::vector<RecordedGame> recorded;
    const auto seeds = filesIn(sourceDir / "tools" / "fuzz" / "corpus", [](const auto&) { return true; });
    std::transform(seeds.begin(), seeds.end(), std::back_inserter(recorded), [&games](const auto& seed) {
        const std::string name = seed.filename().string();
        return RecordedGame{"seed_" + name, seed, games / "seeds" / (name + ".transcript")};
    });
    const auto scripts = filesIn(games, [](const auto& file) { return file.extension() == ".game"; });
    std::transform(scripts.begin(), scripts.end(), std::back_inserter(recorded), [](const auto& script) {
        return RecordedGame{script.stem().string(), script,
                            std::filesystem::path(script).replace_extension(".transcript")};
    });
    return recorded;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace zandrel::fuzz
