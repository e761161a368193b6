// Whole games kept with the transcripts they played when they were recorded, each read against
// the game's rules then: the games of this folder and the fuzzer's seed games. A change to any
// text, draw or rule that a recorded game meets shows here as the first line that differs.
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "console/Console.hpp"
#include "record/Record.hpp"
#include "record/Replayer.hpp"

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

// What a replay written to a pipe shows of a game, from its transcript: the game's text, each answer
// as it was echoed and a line end, and nothing for pauses and clears. A game that did not end stops
// where its record does, which the replay says instead of how the game ended.
std::string asReplayed(const std::string& transcript, std::string_view answers) {
    const std::size_t endingAt = transcript.rfind("\n<== ");
    const std::string_view text = std::string_view(transcript).substr(0, endingAt);
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with("[pause]") || text.substr(at).starts_with("[cls]")) {
            at = text.find(']', at) + 1;
        } else if (text.substr(at).starts_with("[answer ")) {
            const std::size_t end = std::min(answers.find('\n'), answers.size());
            const std::string_view answer = answers.substr(0, end);
            answers.remove_prefix(std::min(end + 1, answers.size()));
            EXPECT_EQ(text.substr(at + 8, answer.size() + 1), std::string(answer) + "]") << "at " << at;
            shown += record::echoed(answer) + "\n";
            at += 8 + answer.size() + 1;
        } else {
            shown += text[at++];
        }
    }
    const std::string_view ending = std::string_view(transcript).substr(endingAt);
    const std::string inputEnded = "zandrel: input ended while the game was waiting for the player\n";
    if (ending.starts_with("\n<== exit status 2") && shown.ends_with(inputEnded)) {
        shown.resize(shown.size() - inputEnded.size());
    }
    if (!ending.starts_with("\n<== exit status 0") && !ending.starts_with("\n<== exit status 1")) {
        shown += (shown.ends_with('\n') ? "" : "\n") + std::string("The record of this game stops here, before its end.\n");
    }
    return shown;
}

// Each game kept as a person plays it, then replayed from its record to a pipe, draws nothing and
// shows what its transcript says, byte for byte: a finished game from among the finished games, one
// cut short from the record it left.
TEST_P(RecordedGames, ReplayFromTheirRecordsAsTheirTranscriptsSay) {
    const fuzz::RecordedGame& recorded = GetParam();
    const std::vector<std::uint8_t> script = fuzz::readBytes(recorded.script);
    fuzz::MemoryStore store;
    store.snapshots = false;
    std::ostringstream played;
    fuzz::playKept(script, store, played);
    const auto finished = store.files.find("finished-0001");
    const std::string record = finished != store.files.end() ? finished->second : store.record.value_or("");
    std::ostringstream replayed;
    std::ostringstream errors;
    int status = -1;
    {
        const SeamsInPlace inPlace(Seams{nullptr, &replayed, &errors, [] {}, [] {
                                             ADD_FAILURE() << "a replay drew";
                                             return 0;
                                         },
                                         nullptr});
        status = replayRecord(record, false, recorded.name);
    }
    EXPECT_EQ(status, 0) << errors.str();
    const std::string expected = asReplayed(textOf(recorded.transcript), fuzz::splitInput(script).answers);
    EXPECT_TRUE(replayed.str() == expected) << recorded.name << " replays otherwise than its transcript says; they part at "
                                            << firstDifference(expected, replayed.str());
}

INSTANTIATE_TEST_SUITE_P(, RecordedGames, ::testing::ValuesIn(fuzz::recordedGames(ZANDREL_SOURCE_DIR)),
                         [](const auto& game) { return game.param.name; });

} // namespace
} // namespace zandrel::testing
