// The kept game on its worst day, tested as storage engines test their recovery: one body of play
// is run again and again with the store's N-th call failing, once or from then on, in each way a
// disk fails; the game is killed at its next event, and started again on what the disk kept. Two
// promises must hold after every run: no draw the player saw is thrown again, and no record that
// holds a game is lost (but for the oldest of more than five set aside).
#include "Faults.hpp"
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "record/Archive.hpp"
#include "record/Record.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

namespace zandrel::testing {
namespace {

using fuzz::Disk;
using fuzz::Fault;
using fuzz::FaultyStore;

// Numbers from 1 to `count`: all of them, or for a long game about 24 spread over it, the first few
// and the last always among them.
std::vector<std::size_t> sampled(std::size_t count, bool all) {
    std::vector<std::size_t> picked;
    const std::size_t step = all ? 1 : std::max<std::size_t>(1, count / 24);
    for (std::size_t n = 1; n <= count; n += (n < 4 ? 1 : step)) {
        picked.push_back(n);
    }
    if (count > 0 && picked.back() != count) {
        picked.push_back(count);
    }
    return picked;
}

constexpr Fault everyFault[] = {Fault::noInode,  Fault::noSpace,       Fault::tooLarge, Fault::partWrite,
                                Fault::sync,     Fault::rename,        Fault::removal,  Fault::ioError,
                                Fault::diskFull, Fault::syncThenRename};

class FaultLoop : public ::testing::TestWithParam<fuzz::RecordedGame> {};

// Each recorded game started on each kind of disk: each call it makes of its store fails in turn,
// in each way, once and from then on; the game is killed at its next event and started again on
// what the disk kept.
TEST_P(FaultLoop, NoShownDrawIsThrownAgainAndNoGameIsLostWhateverTheDiskDoes) {
    const fuzz::RecordedGame& game = GetParam();
    const std::vector<std::uint8_t> input = fuzz::readBytes(game.script);
    const bool seed = game.name.starts_with("seed_");
    std::size_t failures = 0;
    std::size_t starts = 0;
    std::size_t resumed = 0;
    std::size_t ended = 0;
    for (const Disk disk : {Disk::fresh, Disk::hundredFinished, Disk::unfinished, Disk::newAsked, Disk::damaged}) {
        if (disk == Disk::hundredFinished && !seed) {
            continue; // the short games are enough to let the oldest records go under every fault
        }
        const fuzz::Healthy healthy = fuzz::playHealthy(input, disk);
        for (const bool fromThenOn : {false, true}) {
            for (const Fault fault : everyFault) {
                for (const std::size_t n : sampled(std::max<std::size_t>(healthy.calls.at(fault), 1), seed)) {
                    for (const bool writesSurvive : {false, true}) {
                        const fuzz::FaultRun run = fuzz::runAgainst(input, healthy, {fault, n, fromThenOn, writesSurvive});
                        ASSERT_EQ(run.broken, "") << "on disk " << static_cast<int>(disk) << ", " << nameOf(fault)
                                                  << (fromThenOn ? " from call " : " at call ") << n
                                                  << (writesSurvive ? ", writes surviving" : "");
                        failures += run.failed ? 1 : 0;
                        resumed += run.resumed ? 1 : 0;
                        ended += run.ended ? 1 : 0;
                        starts += 2;
                    }
                }
            }
        }
    }
    std::cout << "[ figures  ] " << failures << " calls failed; " << starts << " starts; " << resumed
              << " resumed; " << ended << " ended with status 4\n";
}

INSTANTIATE_TEST_SUITE_P(, FaultLoop, ::testing::ValuesIn(fuzz::recordedGames(ZANDREL_SOURCE_DIR)),
                         [](const auto& game) { return game.param.name; });

} // namespace
} // namespace zandrel::testing

namespace zandrel::testing {
namespace {

// A game killed at each step of its move among the finished games (its last line written, its
// record renamed, the list appended to) comes back listed once, with its record, after the next
// start and a look at the list; a crash may keep every write or only what was synced.
TEST(FinishedGames, AGameKilledWhileItMovesAmongThemIsListedOnceWithItsRecord) {
    for (const char* name : {"knight_wins", "priest_loses"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> input =
            fuzz::readBytes(std::filesystem::path(ZANDREL_SOURCE_DIR) / "tools/fuzz/corpus" / name);
        FaultyStore healthy;
        const std::size_t lastEvent = fuzz::playOn(input, healthy, {}).seen;
        FaultyStore counted;
        std::size_t callsAtLastEvent = 0;
        fuzz::KeptPlay counting;
        counting.afterEvent = [&, made = std::size_t{0}](record::Kind) mutable {
            callsAtLastEvent = ++made == lastEvent ? counted.calls : callsAtLastEvent;
        };
        std::ostringstream unused;
        fuzz::playKept(input, counted, unused, counting);
        for (std::size_t killAt = callsAtLastEvent + 1; killAt <= counted.calls; ++killAt) {
            for (const bool writesSurvive : {false, true}) {
                SCOPED_TRACE("killed at call " + std::to_string(killAt) + (writesSurvive ? ", writes survive" : ""));
                FaultyStore store;
                store.killAt = killAt;
                std::ostringstream screen;
                fuzz::playKept(input, store, screen);
                store.crash(writesSurvive);
                store.killAt = 0;
                const std::vector<std::uint8_t> nothing;
                fuzz::playKept(nothing, store, screen); // the next start, given no answer
                const auto games = archive::finishedGames(store, true);
                ASSERT_TRUE(games);
                ASSERT_EQ(games->size(), 1U) << screen.str().substr(screen.str().size() - 300);
                EXPECT_TRUE(games->front().summary && games->front().recordKept);
                const std::string list = store.readFile("finished-games", SIZE_MAX).text;
                EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2) << list;
                EXPECT_FALSE(store.record && record::read(store.record->written).state == record::Replay::State::finished);
            }
        }
    }
}

} // namespace
} // namespace zandrel::testing
