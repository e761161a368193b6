// Replays fuzz inputs, such as the seed corpus or a crash the fuzzer saved, and prints each
// game's whole text and how it ended. With --marks first, the text also marks each pause,
// screen clear and answer, as a person at a terminal met them. With --record and the
// project's source folder, it writes the transcript of every recorded game anew instead.

#include "FuzzGame.hpp"
#include "RecordedGames.hpp"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

int record(const std::filesystem::path& sourceDir) {
    int failures = 0;
    for (const zandrel::fuzz::RecordedGame& recorded : zandrel::fuzz::recordedGames(sourceDir)) {
        std::ofstream transcript(recorded.transcript, std::ios::binary);
        transcript << zandrel::fuzz::transcriptOf(zandrel::fuzz::readBytes(recorded.script));
        if (!transcript.flush()) {
            std::cerr << "cannot write " << recorded.transcript.string() << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--record") {
        return record(argv[2]);
    }
    int first = 1;
    auto marks = zandrel::fuzz::Marks::none;
    if (argc > 1 && std::string_view(argv[1]) == "--marks") {
        marks = zandrel::fuzz::Marks::pausesClearsAndAnswers;
        ++first;
    }
    int failures = 0;
    for (int i = first; i < argc; ++i) {
        if (!std::ifstream(argv[i])) {
            std::cerr << "cannot read " << argv[i] << "\n";
            ++failures;
            continue;
        }
        const std::vector<std::uint8_t> input = zandrel::fuzz::readBytes(argv[i]);
        std::cout << "==> " << argv[i] << "\n";
        const zandrel::fuzz::Ending ending = zandrel::fuzz::playScript(input, std::cout, marks);
        std::cout << "\n<== " << zandrel::fuzz::describe(ending) << "\n";
    }
    return failures == 0 ? 0 : 1;
}
