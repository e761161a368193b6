// Every record the size cap admits is resumed, or set aside, within the memory the page is built
// with, and a long game replayed in it: the native game is held to the same figure, under a hard
// limit on its memory (ulimit -v) that fails on its own when passed.
#include "FuzzGame.hpp"
#include "console/Console.hpp"
#include "record/Record.hpp"
#include "record/Replayer.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace zandrel::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer) || __has_feature(memory_sanitizer);
#else
constexpr bool sanitized = false;
#endif

// The page's WebAssembly memory, which does not grow: 16 MiB, code and stack included.
constexpr rlim_t pageMemory = 16 * 1024 * 1024;

// The address space this process takes now.
rlim_t addressSpace() {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

// A record as long as the cap admits: the header, then one event over and over.
std::string recordOf(const std::string& start, const std::string& event) {
    std::string text = record::header(17) + start;
    while (text.size() + event.size() <= record::maxSize) {
        text += event;
    }
    return text;
}

TEST(BoundedMemory, EveryRecordTheCapAdmitsIsResumedOrSetAsideInThePagesMemory) {
    if (sanitized || !std::ifstream("/proc/self/statm")) {
        GTEST_SKIP() << "a sanitizer's shadow memory, or a system without /proc, leaves no limit to measure by";
    }
    // Nothing but pauses: set aside at the first answer the game asks for. A Knight, then refused
    // answers to whether he is sure, each followed by the question again with no clear between:
    // resumed, at a screen too tall for any terminal.
    for (const std::string& text : {recordOf("", "p\n"), recordOf("p\na k\n", "a x\n")}) {
        const auto resumeUnderTheLimit = [&] {
            fuzz::MemoryStore store;
            store.record = text;
            store.snapshots = false;
            const std::vector<std::uint8_t> answers = {'k', '\n'};
            std::ostringstream screen;
            const rlimit limit{addressSpace() + pageMemory, addressSpace() + pageMemory};
            setrlimit(RLIMIT_AS, &limit);
            fuzz::playKept(answers, store, screen);
            std::cerr << (screen.str().find("cannot be resumed") != std::string::npos ? "set aside" : "resumed");
            std::exit(0);
        };
        EXPECT_EXIT(resumeUnderTheLimit(), ::testing::ExitedWithCode(0), text.ends_with("p\n") ? "set aside" : "resumed");
    }
}

// A Knight who buys and fights nothing he is offered, walking the board for thousands of turns: his
// record is played through unseen before it is shown, and none of its text is held, so that a
// quarter of the page's memory is room enough, where the text alone would take more.
TEST(BoundedMemory, ALongGameIsReplayedInThePagesMemory) {
    if (sanitized || !std::ifstream("/proc/self/statm")) {
        GTEST_SKIP() << "a sanitizer's shadow memory, or a system without /proc, leaves no limit to measure by";
    }
    std::string script = "k\ny\n";
    for (int answer = 0; answer < 6000; ++answer) {
        script += "n\n";
    }
    script += '\0';
    for (int draw = 0; draw < 18000; ++draw) {
        script += static_cast<char>("\3\1\4\1\5\2"[draw % 6]);
    }
    fuzz::MemoryStore store;
    std::ofstream nowhere("/dev/null");
    fuzz::playKept(std::span(reinterpret_cast<const std::uint8_t*>(script.data()), script.size()), store, nowhere);
    const std::string record = store.record.value_or("");
    ASSERT_GT(record.size(), 100'000U) << "a long game, whose text is some megabytes";
    // Measured by the most address space the replay took, in a process of its own.
    const auto replayMeasured = [&] {
        const SeamsInPlace inPlace(Seams{nullptr, &nowhere, &std::cerr, [] {}, [] { return 0; }, nullptr});
        const rlim_t before = addressSpace();
        const int status = replayRecord(record, false, "the long game");
        std::ifstream figures("/proc/self/status");
        std::string line;
        while (std::getline(figures, line) && !line.starts_with("VmPeak:")) {
        }
        const rlim_t took = std::stoull(line.substr(7)) * 1024 - before;
        std::cerr << "took " << took / 1024 << " KiB";
        std::exit(status == 0 && took < pageMemory / 4 ? 0 : 1);
    };
    EXPECT_EXIT(replayMeasured(), ::testing::ExitedWithCode(0), "took");
}

} // namespace
} // namespace zandrel::testing
