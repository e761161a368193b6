#pragma once

// The kept game on its worst day, as storage engines test their recovery: a game is played on a
// store whose call of one kind fails, once or from then on; it is killed at its next event, and
// started again on what a crash left. Two promises must hold after every run: no draw the player
// saw is thrown again, and no record that holds a game is lost (but for the oldest of more than five
// set aside, and the records of finished games older than the newest hundred). The fault loop of
// the tests runs this for every call of every recorded game; the fuzzer for one fault an input.
#include "FaultyStore.hpp"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace zandrel::fuzz {

// Where a game starts: with five records set aside before and nothing else, the same with a hundred
// finished games, with a game left unfinished, the same with --new asked for, or with a record that
// cannot be resumed.
enum class Disk { fresh, hundredFinished, unfinished, newAsked, damaged };

// One start of the game, as a person plays it: how it ended (-9 when it was killed), what it showed
// (the game's text and the answers echoed), what it said on its error stream, and how many events
// the game had made when it last showed something.
struct Played {
    std::string screen;
    std::string said;
    std::optional<int> status;
    std::size_t seen = 0;
};

// How a start is played: with --new, with draws other than the script's once the record is
// replayed, and killed at the first event after the store failed or before the event of a number.
struct Start {
    bool newGame = false;
    int shiftDraws = 0;
    bool killAfterFault = false;
    std::size_t killBefore = SIZE_MAX;
};
Played playOn(std::span<const std::uint8_t> input, FaultyStore& store, const Start& start);

// The game of a script on one kind of disk as it plays when nothing fails: what it shows, the calls
// it makes of each kind (the faults to strike), and the record of the same game left unfinished.
struct Healthy {
    Disk disk = Disk::fresh;
    std::string unfinished;
    std::string whole;
    std::map<Fault, std::size_t> calls;
};
Healthy playHealthy(std::span<const std::uint8_t> input, Disk disk);

// One fault: of a kind, at the n-th call it applies to, or from then on; and whether the crash
// after it keeps every write, or only what was synced.
struct FaultCase {
    Fault fault = Fault::none;
    std::size_t n = 1;
    bool fromThenOn = false;
    bool writesSurvive = false;
};

struct FaultRun {
    std::string broken; // the promise broken, in a line, or nothing
    bool failed = false;
    bool resumed = false;
    bool ended = false; // for want of a disk that can keep the game or stop it from resuming
};

// The game played against the fault, killed, and started again: what of the promises held.
FaultRun runAgainst(std::span<const std::uint8_t> input, const Healthy& healthy, const FaultCase& fault);

} // namespace zandrel::fuzz
