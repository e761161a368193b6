// Replays fuzz inputs, such as the seed corpus or a crash the fuzzer saved, and prints each
// game's whole text and how it ended. With --marks first, the text also marks each pause,
// screen clear and answer, as a person at a terminal met them. With --record and the
// project's source folder, it writes the transcript of every recorded game anew instead. With
// --keep, a script and a file, it writes the record the game leaves when a person plays it at a
// terminal: the page's tests replay it there.

#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "record/Archive.hpp"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
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

int keep(const char* script, const char* recordFile) {
    zandrel::fuzz::MemoryStore store;
    store.snapshots = false;
    std::ostringstream screen;
    zandrel::fuzz::playKept(zandrel::fuzz::readBytes(script), store, screen);
    const auto finished = store.files.find(zandrel::archive::finishedName(1));
    std::ofstream file(recordFile, std::ios::binary);
    file << (finished != store.files.end() ? finished->second : store.record.value_or(""));
    return file.flush() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--record") {
        return record(argv[2]);
    }
    if (argc == 4 && std::string_view(argv[1]) == "--keep") {
        return keep(argv[2], argv[3]);
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
