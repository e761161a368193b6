// What keeping a game costs, on a generated game of 3000 turns: the time to resume it at its
// last screen, the bytes its record takes per turn, and the sync at each flush on this machine's
// disk (its median and its slowest); and what the finished games cost: the list of ten thousand of
// them, and the replay of the long game to a pipe.

#include "FuzzGame.hpp"
#include "console/Console.hpp"
#include "host/FolderStore.hpp"
#include "record/Archive.hpp"
#include "record/GameList.hpp"
#include "record/Record.hpp"
#include "record/Replayer.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>

namespace {

constexpr int turns = 3000;

// A Knight who wanders the outer region: most turns a card of Gold on the Plains, every fifth a
// lesson in the Forest, every seventh a Moat whose Sentinel he declines. The chance runs out
// after the last turn.
std::vector<std::uint8_t> longGame() {
    std::string answers = "k\ny\n";
    std::vector<std::uint8_t> draws;
    for (int turn = 0; turn < turns; ++turn) {
        if (turn % 7 == 6) {
            draws.push_back(2);
            answers += "n\n";
        } else if (turn % 5 == 4) {
            draws.insert(draws.end(), {1, 9});
        } else {
            draws.insert(draws.end(), {0, 3});
        }
    }
    std::vector<std::uint8_t> input(answers.begin(), answers.end());
    input.push_back(0);
    input.insert(input.end(), draws.begin(), draws.end());
    return input;
}

// The real store of this machine, every sync timed.
class TimedStore final : public zandrel::RecordStore {
public:
    explicit TimedStore(const std::filesystem::path& folder) : store_(zandrel::folderStore(folder)) {}
    std::vector<double> syncs; // milliseconds

    Lock lock() override { return store_->lock(); }
    void unlock() override { store_->unlock(); }
    Contents read(std::size_t limit) override { return store_->read(limit); }
    bool cut(std::size_t length) override { return store_->cut(length); }
    bool append(std::string_view text) override { return store_->append(text); }
    bool sync() override {
        const auto start = std::chrono::steady_clock::now();
        const bool synced = store_->sync();
        syncs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        return synced;
    }
    std::string lastProblem() const override { return store_->lastProblem(); }
    Move moveAside(const std::string& name) override { return store_->moveAside(name); }
    std::optional<std::vector<std::string>> namesSetAside() override { return store_->namesSetAside(); }
    bool rewriteStart(std::string_view text) override { return store_->rewriteStart(text); }
    bool removeSetAside(const std::string& name) override { return store_->removeSetAside(name); }
    bool remove() override { return store_->remove(); }
    std::string whereIs(const std::string& name) const override { return store_->whereIs(name); }

private:
    std::unique_ptr<zandrel::RecordStore> store_;
};

// The folder of the game, on the disk the benchmark runs from.
const std::filesystem::path folder = std::filesystem::current_path() / "kept-game-benchmark";

void KeptLongGame(benchmark::State& state) {
    const std::vector<std::uint8_t> input = longGame();
    for (auto _ : state) {
        std::filesystem::remove_all(folder);
        TimedStore store(folder);
        std::ostringstream screen;
        zandrel::fuzz::playKept(input, store, screen);
        std::vector<double> syncs = store.syncs;
        std::sort(syncs.begin(), syncs.end());
        state.counters["syncs"] = static_cast<double>(syncs.size());
        state.counters["sync_median_ms"] = syncs[syncs.size() / 2];
        state.counters["sync_slowest_ms"] = syncs.back();
        state.counters["record_bytes_per_turn"] =
            static_cast<double>(std::filesystem::file_size(folder / "game")) / turns;
    }
}
BENCHMARK(KeptLongGame)->Iterations(1)->Unit(benchmark::kSecond);

// From the start of the game to its last screen shown again: the record read from the disk and
// replayed through the whole game. It must stay within 50 ms.
// cppcheck-suppress constParameterCallback ; the benchmark's loop runs over the state
void ResumeLongGame(benchmark::State& state) {
    const std::vector<std::uint8_t> input = longGame();
    for (auto _ : state) {
        zandrel::fuzz::MemoryStore kept;
        const std::unique_ptr<zandrel::RecordStore> onDisk = zandrel::folderStore(folder);
        onDisk->lock();
        kept.record = onDisk->read(zandrel::record::maxSize).text;
        kept.snapshots = false;
        std::ostringstream screen;
        zandrel::fuzz::playKept(input, kept, screen);
        benchmark::DoNotOptimize(screen.str());
    }
}
BENCHMARK(ResumeLongGame)->Unit(benchmark::kMillisecond);

// Ten thousand finished games listed on a terminal, newest first, with a line for each class. It
// must stay within 50 ms.
// cppcheck-suppress constParameterCallback ; the benchmark's loop runs over the state
void ListTenThousandGames(benchmark::State& state) {
    zandrel::fuzz::MemoryStore store;
    store.heldBy = "another game"; // the list is only read, as while a game is played
    zandrel::record::Summary summary;
    std::string list = "zandrel finished games 1\n";
    const char* classes[] = {"Knight", "Ogre", "Wizard", "Priest", "Merchant", "Thief", "Undead"};
    for (int number = 1; number <= 10'000; ++number) {
        summary.className = summary.title = classes[number % 7];
        summary.won = number % 3 == 0;
        summary.turns = 50 + number % 400;
        summary.began = 1'796'569'380 + 3600L * number;
        summary.ended = summary.began + 1800;
        list += std::to_string(number) + " " + std::to_string(summary.began) + " " +
                zandrel::record::summaryWords(summary) + "\n";
        if (number > 9'900) {
            store.files[zandrel::archive::finishedName(number)] = zandrel::record::endedLine(summary);
        }
    }
    store.files["finished-games"] = list;
    for (auto _ : state) {
        std::ostringstream shown;
        const zandrel::SeamsInPlace inPlace(zandrel::Seams{nullptr, &shown, &shown, [] {}, [] { return 0; }, nullptr});
        zandrel::listFinishedGames(store, true);
        benchmark::DoNotOptimize(shown.str());
    }
}
BENCHMARK(ListTenThousandGames)->Unit(benchmark::kMillisecond);

// The game of 3000 turns shown again from its record, written to a pipe. It must stay within 50 ms.
// cppcheck-suppress constParameterCallback ; the benchmark's loop runs over the state
void ReplayLongGameToAPipe(benchmark::State& state) {
    zandrel::fuzz::MemoryStore kept;
    kept.snapshots = false;
    std::ostringstream screen;
    zandrel::fuzz::playKept(longGame(), kept, screen);
    const std::string record = kept.record.value_or("");
    for (auto _ : state) {
        std::ostringstream shown;
        const zandrel::SeamsInPlace inPlace(zandrel::Seams{nullptr, &shown, &shown, [] {}, [] { return 0; }, nullptr});
        zandrel::replayRecord(record, false, "the long game");
        benchmark::DoNotOptimize(shown.str());
    }
}
BENCHMARK(ReplayLongGameToAPipe)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
