// Whole games kept with the transcripts they played when they were recorded, each read against
// the game's rules then: the games of this folder and the fuzzer's seed games. A change to any
// text, draw or rule that a recorded game meets shows here as the first line that differs.
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zandrel::fuzz {

void PrintTo(const RecordedGame& recorded, std::ostream* os) { *os << recorded.name; }

} // namespace zandrel::fuzz

namespace zandrel::testing {
namespace {

std::string textOf(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = fuzz::readBytes(file);
    return {bytes.begin(), bytes.end()};
}

// Where two transcripts part: the number of the first line that differs, and both versions.
std::string firstDifference(const std::string& recorded, const std::string& played) {
    std::istringstream was(recorded);
    std::istringstream now(played);
    for (int number = 1;; ++number) {
        std::string wasLine;
        std::string nowLine;
        const bool wasMore = static_cast<bool>(std::getline(was, wasLine));
        const bool nowMore = static_cast<bool>(std::getline(now, nowLine));
        if (!wasMore && !nowMore) {
            return "the end, in a last line end";
        }
        if (wasLine != nowLine || wasMore != nowMore) {
            return "line " + std::to_string(number) + "\n  recorded: " + (wasMore ? wasLine : "(its end)") +
                   "\n  played:   " + (nowMore ? nowLine : "(its end)");
        }
    }
}

class RecordedGames : public ::testing::TestWithParam<fuzz::RecordedGame> {};

TEST_P(RecordedGames, PlayAsTheirTranscriptsSay) {
    const fuzz::RecordedGame& recorded = GetParam();
    const std::string expected = textOf(recorded.transcript);
    const std::string played = fuzz::transcriptOf(fuzz::readBytes(recorded.script));
    EXPECT_TRUE(played == expected)
        << recorded.script.string() << " no longer plays as " << recorded.transcript.string()
        << " says; they part at " << firstDifference(expected, played)
        << "\nA change made on purpose is recorded with: cmake --build --preset dev --target record-games";
}

INSTANTIATE_TEST_SUITE_P(, RecordedGames, ::testing::ValuesIn(fuzz::recordedGames(ZANDREL_SOURCE_DIR)),
                         [](const auto& game) { return game.param.name; });

} // namespace
} // namespace zandrel::testing
