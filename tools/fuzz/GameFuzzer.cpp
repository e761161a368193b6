// Plays one whole game per fuzz input (see FuzzGame.hpp for how an input reads as a game)
// and stops on anything a finished game can never show.

#include "Faults.hpp"
#include "FuzzGame.hpp"

#include "console/HandedText.hpp"

#include "console/Console.hpp"
#include "record/Record.hpp"
#include "record/Replayer.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <ostream>
#include <sstream>
#include <streambuf>

namespace {

// Folds bytes into a number (FNV-1a), so that texts and inputs can be told apart by it.
template <typename Bytes> std::uint64_t fold(std::uint64_t hash, Bytes first, Bytes last) {
    return std::accumulate(first, last, hash, [](std::uint64_t folded, auto byte) {
        return (folded ^ static_cast<unsigned char>(byte)) * 0x100000001B3U;
    });
}

// Folds everything the game prints into one number, so two plays of the same game can be
// compared without keeping their text.
class TranscriptDigest final : public zandrel::HandedText {
public:
    std::uint64_t digest() {
        pubsync();
        return hash_;
    }

protected:
    void hand(std::string_view text) override { hash_ = fold(hash_, text.begin(), text.end()); }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325U; // the fold of nothing
};

struct Play {
    zandrel::fuzz::Ending ending;
    std::uint64_t transcript;
};

Play play(std::span<const std::uint8_t> input) {
    TranscriptDigest digest;
    std::ostream transcript(&digest);
    const zandrel::fuzz::Ending ending = zandrel::fuzz::playScript(input, transcript);
    return {ending, digest.digest()};
}

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "zandrel fuzzer: %s\n", what);
    std::abort();
}

// The game ends only three ways, each with the record it must leave behind.
void checkEnding(const zandrel::fuzz::Ending& ending) {
    if (!ending.status) {
        return;
    }
    const zandrel::GameState& game = zandrel::game;
    switch (*ending.status) {
    case 0:
        if (game.region != 4) {
            fault("a game was won without crossing the Citadel");
        }
        break;
    case 1:
        if (!(game.life < 1 && !game.isUndead) && !(game.life > 0 && game.isUndead)) {
            fault("a game was lost by a character still in the game");
        }
        break;
    case 2:
        break;
    default:
        fault("a game ended with a status the game never gives");
    }
}

// The game kept as a person plays it, its record cut at a point the input itself picks (the end of
// the header at the earliest, inside a line as well as between two), and resumed with the rest of
// the input's answers and draws: it must show the screen left and play on alike.
void checkResumed(std::span<const std::uint8_t> input) {
    zandrel::fuzz::MemoryStore kept;
    std::ostringstream whole;
    const zandrel::fuzz::Ending ending = zandrel::fuzz::playKept(input, kept, whole);
    if (kept.synced.empty()) {
        return; // nothing was kept before the game ended or ran out of chance
    }
    const std::string record = kept.synced.back();
    // Cut after the first event at the earliest: a header alone holds no game. A finished game's
    // record, whole or but for the line that says how it ended, is no longer resumable: it is cut
    // before its last event ends.
    const std::size_t header = record.find('\n', record.find('\n', record.find("\nrules ") + 1) + 1) + 1;
    const bool finished = ending.status.value_or(2) < 2;
    const std::uint64_t picked = fold(0xCBF29CE484222325U, input.begin(), input.end());
    const std::size_t cuts = finished ? record.rfind("ended ") - 1 - header : record.size() - header + 1;
    if (cuts == 0 || cuts > record.size()) {
        return;
    }
    zandrel::fuzz::MemoryStore cut;
    cut.record = record.substr(0, header + picked % cuts);
    std::ostringstream resumed;
    if (zandrel::fuzz::playKept(input, cut, resumed).status != ending.status ||
        !zandrel::fuzz::resumedAlike(whole.str(), resumed.str())) {
        fault("a game resumed from its cut record played otherwise");
    }
}

// Whatever bytes lie where the record goes, the game resumes them or sets them aside, and what it
// leaves behind is a record it can resume.
void checkAnyRecord(std::span<const std::uint8_t> input) {
    zandrel::fuzz::MemoryStore store;
    store.record = std::string(input.begin(), input.end());
    std::ostringstream screen;
    zandrel::fuzz::playKept(input, store, screen);
    if (store.record && zandrel::record::read(*store.record).state != zandrel::record::Replay::State::resumable) {
        fault("a kept game left behind a record it cannot resume");
    }
    // The same bytes shown again as a record: replayed or refused, never anything else.
    std::ostringstream replayed;
    const zandrel::SeamsInPlace inPlace(zandrel::Seams{nullptr, &replayed, &replayed, [] {},
                                                       [] {
                                                           fault("a replay drew");
                                                           return 0;
                                                       },
                                                       nullptr});
    const int status = zandrel::replayRecord(std::string(input.begin(), input.end()), false, "the input");
    if (status != 0 && status != 2) {
        fault("a replay ended with a status it never gives");
    }
}

// The game kept on a disk that fails at a call the input itself picks, in a way it picks, killed at
// its next event and started again on what a crash left: the kept game's promises hold.
void checkFaults(std::span<const std::uint8_t> input) {
    const std::uint64_t picked = fold(0x84222325CBF29CE4U, input.begin(), input.end());
    const auto disk = static_cast<zandrel::fuzz::Disk>(picked % 5);
    const auto kind = static_cast<zandrel::fuzz::Fault>(1 + (picked >> 8U) % 10);
    const zandrel::fuzz::Healthy healthy = zandrel::fuzz::playHealthy(input, disk);
    const std::size_t calls = std::max<std::size_t>(healthy.calls.at(kind), 1);
    const zandrel::fuzz::FaultRun run = zandrel::fuzz::runAgainst(
        input, healthy, {kind, 1 + (picked >> 16U) % calls, ((picked >> 48U) & 1U) != 0, ((picked >> 49U) & 1U) != 0});
    if (!run.broken.empty()) {
        std::fprintf(stderr, "zandrel fuzzer: on disk %d, %s at call %zu: %s\n", static_cast<int>(disk),
                     zandrel::fuzz::nameOf(kind), static_cast<std::size_t>(1 + (picked >> 16U) % calls),
                     run.broken.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const Play first = play(input);
    checkEnding(first.ending);
    // Every game starts from a fresh record: anything one game carried into the next would
    // make the same input play differently the second time.
    const Play second = play(input);
    if (second.ending.status != first.ending.status || second.transcript != first.transcript) {
        fault("the same input played two different games");
    }
    checkResumed(input);
    checkAnyRecord(input);
    checkFaults(input);
    return 0;
}
