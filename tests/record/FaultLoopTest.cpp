// The kept game on its worst day, tested as storage engines test their recovery: one body of play
// is run again and again with the store's N-th call failing, once or from then on, in each way a
// disk fails; the game is killed at its next event, and started again on what the disk kept. Two
// promises must hold after every run: no draw the player saw is thrown again, and no record that
// holds a game is lost (but for the oldest of more than five set aside).
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "record/Archive.hpp"
#include "record/KeptGame.hpp"
#include "record/Record.hpp"
#include "support/FaultyStore.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <iostream>
#include <sstream>
#include <streambuf>

namespace zandrel::testing {
namespace {

struct Killed {};

struct Played {
    std::string screen;
    std::optional<int> status;
    std::size_t seen = 0; // the events the game had made when it last showed something
};

// Text on its way to the terminal, noting each time it comes.
class Shown final : public std::streambuf {
public:
    Shown(std::string& screen, std::function<void()> noted) : screen_(screen), noted_(std::move(noted)) {}

private:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        screen_.append(text, static_cast<std::size_t>(count));
        if (noted_ && count > 0) {
            noted_();
        }
        return count;
    }
    int_type overflow(int_type c) override {
        const char byte = traits_type::to_char_type(c);
        return traits_type::eq_int_type(c, traits_type::eof()) || xsputn(&byte, 1) == 1 ? traits_type::not_eof(c)
                                                                                        : traits_type::eof();
    }

    std::string& screen_;
    std::function<void()> noted_;
};

struct Start {
    bool newGame = false;
    int shiftDraws = 0;
    // Killed at the first event after the store failed, or before the event of this number.
    bool killAfterFault = false;
    std::size_t killBefore = SIZE_MAX;
};

// One start of the game on the store.
Played play(std::span<const std::uint8_t> input, FaultyStore& store, const Start& start) {
    Played run;
    std::size_t asked = 0;
    std::size_t made = 0;
    Shown game(run.screen, [&] { run.seen = made; });
    Shown terminal(run.screen, {}); // echoes and what is said on standard error, not the game's text
    std::ostream gameText(&game);
    std::ostream terminalText(&terminal);
    fuzz::KeptPlay how;
    how.newGame = start.newGame;
    how.shiftLiveDraws = start.shiftDraws;
    how.terminal = &terminalText;
    how.beforeEvent = [&](record::Kind) {
        if ((start.killAfterFault && store.failed) || asked++ == start.killBefore) {
            throw Killed{};
        }
    };
    how.afterEvent = [&](record::Kind) { ++made; };
    try {
        run.status = fuzz::playKept(input, store, gameText, how).status;
    } catch (const Killed&) {
        run.status = -9;
    }
    return run;
}

std::size_t eventsIn(const std::string& text) {
    record::Replay replay = record::read(text);
    std::size_t events = 0;
    for (; replay.state == record::Replay::State::resumable && !replay.done(); replay.take()) {
        ++events;
    }
    return events;
}

// The screen as the game showed it: without what the game says of its record, which a resumed
// screen does not show again.
std::string gameText(std::string screen) {
    for (const std::string said : {"zandrel: ", "Resuming your game, started "}) {
        for (std::size_t at; (at = screen.find(said)) != std::string::npos;) {
            screen.erase(at, screen.find('\n', at) + 1 - at);
        }
    }
    return screen;
}

// Where a game starts on a disk: with five records set aside before and nothing else, with a game
// left unfinished, the same with --new asked for, or with a record that cannot be resumed.
enum class Disk { fresh, hundredFinished, unfinished, newAsked, damaged };

void prepare(FaultyStore& store, Disk disk, const std::string& unfinished) {
    for (int place = 1; place <= static_cast<int>(archive::keptAside); ++place) {
        const std::string earlier = record::header(place) + "p\n";
        store.setAside.emplace_back("game-set-aside-000" + std::to_string(place) + "-20261201T000000Z",
                                    FaultyStore::File{earlier, earlier, true});
    }
    if (disk == Disk::hundredFinished) {
        record::Summary summary;
        summary.className = summary.title = "Knight";
        std::string list = "zandrel finished games 1\n";
        for (int number = 1; number <= static_cast<int>(archive::finishedRecordsKept); ++number) {
            const std::string text = record::header(number) + "p\n" + record::endedLine(summary);
            store.files[archive::finishedName(number)] = FaultyStore::File{text, text, true};
            list += std::to_string(number) + " " + std::to_string(number) + " " + record::summaryWords(summary) + "\n";
        }
        store.files["finished-games"] = FaultyStore::File{list, list, true};
    }
    if (disk != Disk::fresh && disk != Disk::hundredFinished) {
        const std::string text = disk == Disk::damaged ? record::header(7) + "q\n" : unfinished;
        store.record = FaultyStore::File{text, text, true};
    }
}

// How many finished games the store holds: a hundred, or none, before.
std::size_t finishedBefore(Disk disk) { return disk == Disk::hundredFinished ? archive::finishedRecordsKept : 0; }

// Whether the start played its game to its end, won or lost, and kept it to the end.
bool finishedKept(const Played& run) {
    return (run.status == 0 || run.status == 1) && run.screen.find("can no longer be kept") == std::string::npos;
}

// Every game that ended, and was kept to its end, is among the finished games once, with its record;
// so may be a game that ended as the disk failed, whose record the next start found whole.
void expectFinishedGamesKept(FaultyStore& store, std::size_t atLeast, std::size_t atMost) {
    const std::optional<std::vector<archive::FinishedGame>> games = archive::finishedGames(store, false);
    ASSERT_TRUE(games);
    EXPECT_GE(games->size(), atLeast) << "a finished game was lost";
    EXPECT_LE(games->size(), atMost) << "a finished game was kept twice";
    for (const archive::FinishedGame& game : *games) {
        EXPECT_TRUE(game.summary) << "game " << game.number << " is listed without its summary";
    }
    EXPECT_TRUE(games->empty() || games->back().recordKept) << "the newest game's record is gone";
    const std::string list = store.readFile("finished-games", SIZE_MAX).text;
    for (const archive::FinishedGame& game : *games) {
        const std::string line = "\n" + std::to_string(game.number) + " ";
        EXPECT_EQ(list.find(line), list.rfind(line)) << "game " << game.number << " listed twice";
    }
}

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

// No record of an unfinished game went, and of those set aside only the oldest of more than five.
// No record of a game went, but for the oldest of more than five set aside, and the oldest record of
// more than a hundred finished games.
void expectNoGameLost(FaultyStore& store) {
    for (const FaultyStore::Removed& gone : store.removed) {
        if (gone.name == "game") {
            EXPECT_FALSE(gone.heldAGame) << "the record of a game was removed";
        } else if (gone.name.starts_with("game-set-aside-")) {
            EXPECT_TRUE(gone.before > archive::keptAside && gone.oldest)
                << gone.name << " went with " << gone.before << " set aside";
        } else if (gone.name.find_first_not_of("0123456789", 9) == std::string::npos) {
            EXPECT_TRUE(gone.before > archive::finishedRecordsKept && gone.oldest)
                << gone.name << " went with " << gone.before << " finished records";
        }
    }
    store.removed.clear();
}

struct Tally {
    std::size_t failures = 0;
    std::size_t starts = 0;
    std::size_t resumed = 0;
    std::size_t ended = 0; // for want of a disk that can keep the game or stop it from resuming
};

// After a start that met a fault: the fault was said once, the game played on as it would have, and
// the next start resumes a record that holds every event the player saw, or begins a new game.
// Where --new could not set the unfinished game aside, that game may come back as it was left.
void expectNothingShownIsThrownAgain(const Played& first, std::size_t replayedFirst, const std::string& keptThen,
                                     const Played& next, const std::string& whole, const std::string& unfinished,
                                     Tally& tally) {
    const std::string told = "can no longer be kept";
    EXPECT_EQ(first.screen.find(told), first.screen.rfind(told)) << "said once:\n" << first.screen;
    EXPECT_TRUE(whole.starts_with(gameText(first.screen))) << "the game played otherwise:\n" << first.screen;
    tally.ended += first.status == cannotKeepStatus ? 1 : 0;
    if (next.screen.find("[cls]Resuming your game, started ") == std::string::npos) {
        EXPECT_TRUE(gameText(next.screen).starts_with("\n\n\n\t\tWelcome")) << next.screen.substr(0, 400);
        return;
    }
    ++tally.resumed;
    if (first.screen.find("cannot be set aside") != std::string::npos && keptThen == unfinished) {
        return; // the game the player asked to set aside, as it was
    }
    EXPECT_GE(eventsIn(keptThen), replayedFirst + first.seen)
        << "resumed a record that lacks what the player saw:\n"
        << first.screen.substr(first.screen.size() - std::min<std::size_t>(first.screen.size(), 400));
}

constexpr Fault everyFault[] = {Fault::noInode,  Fault::noSpace,       Fault::tooLarge, Fault::partWrite,
                                Fault::sync,     Fault::rename,        Fault::removal,  Fault::ioError,
                                Fault::diskFull, Fault::syncThenRename};

class FaultLoop : public ::testing::TestWithParam<fuzz::RecordedGame> {};

// Each recorded game started on each kind of disk: each call it makes of its store fails in turn,
// in each way, once and from then on; the game is killed at its next event and started again on
// what the disk kept.
TEST_P(FaultLoop, NoShownDrawIsThrownAgainAndNoGameIsLostWhateverTheDiskDoes) {
    Tally tally;
    const fuzz::RecordedGame& game = GetParam();
    const std::vector<std::uint8_t> input = fuzz::readBytes(game.script);
    // The unfinished game: this one, killed a third of the way.
    FaultyStore counted;
    const std::size_t events = play(input, counted, {}).seen;
    FaultyStore cut;
    play(input, cut, {.killBefore = events / 3});
    const std::string unfinished = cut.record.value_or(FaultyStore::File{}).durable;

    const bool seed = game.name.starts_with("seed_");
    for (const Disk disk : {Disk::fresh, Disk::hundredFinished, Disk::unfinished, Disk::newAsked, Disk::damaged}) {
        if (disk == Disk::hundredFinished && !seed) {
            continue; // the short games are enough to let the oldest records go under every fault
        }
        SCOPED_TRACE(static_cast<int>(disk));
        const Start start{.newGame = disk == Disk::newAsked};
        FaultyStore healthy;
        prepare(healthy, disk, unfinished);
        const std::string whole = gameText(play(input, healthy, start).screen);
        for (const bool fromThenOn : {false, true}) {
            for (const Fault fault : everyFault) {
                for (const std::size_t n :
                     sampled(std::max<std::size_t>(healthy.callsOf(fault), 1), seed)) {
                    for (const bool writesSurvive : {false, true}) {
                        SCOPED_TRACE(std::string(nameOf(fault)) + (fromThenOn ? " from call " : " at call ") +
                                     std::to_string(n) + (writesSurvive ? ", writes survive" : ""));
                        FaultyStore store;
                        prepare(store, disk, unfinished);
                        store.failAt(fault, n, fromThenOn);
                        Start first = start;
                        first.killAfterFault = true;
                        const Played hit = play(input, store, first);
                        tally.failures += store.failed ? 1 : 0;
                        expectNoGameLost(store);
                        const bool resumedFirst = hit.screen.find("Resuming your game") != std::string::npos;
                        store.crash(writesSurvive);
                        if (!fromThenOn || fault != Fault::diskFull) {
                            store.heal();
                        }
                        store.failed = false;
                        const std::string keptThen = store.record.value_or(FaultyStore::File{}).written;
                        const Played next = play(input, store, {.shiftDraws = 1});
                        expectNoGameLost(store);
                        // A disk that stays full keeps a game that has ended where it stands, for a
                        // later start to move among the finished games.
                        const bool stillFull = fromThenOn && fault == Fault::diskFull;
                        EXPECT_TRUE(!stillFull || !finishedKept(hit) || store.record ||
                                    archive::finishedGames(store, false)->size() > finishedBefore(disk))
                            << "a finished game was lost";
                        expectFinishedGamesKept(store,
                                                finishedBefore(disk) + (finishedKept(hit) && !stillFull ? 1 : 0) +
                                                    (finishedKept(next) && !stillFull ? 1 : 0),
                                                finishedBefore(disk) + 2);
                        expectNothingShownIsThrownAgain(hit, resumedFirst ? eventsIn(unfinished) : 0, keptThen, next,
                                                        whole, unfinished, tally);
                        tally.starts += 2;
                        if (::testing::Test::HasFailure()) {
                            return;
                        }
                    }
                }
            }
        }
    }
    std::cout << "[ figures  ] " << tally.failures << " calls failed; " << tally.starts << " starts; " << tally.resumed
              << " resumed; " << tally.ended << " ended with status 4\n";
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
        const std::size_t lastEvent = play(input, healthy, {}).seen;
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
