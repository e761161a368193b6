#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "record/Record.hpp"
#include "record/RecordStore.hpp"

namespace zandrel::fuzz {

// One fuzz input read as a game. Everything before the first zero byte is what the player
// types, '\n' ending each answer; everything after it is the game's draws of chance, each a
// little-endian base-128 number (a byte with its top bit set says another byte follows, five
// at most), taken modulo RAND_MAX + 1. So any value the generator can give is reachable,
// while the small values that pick every die face, card and percent take one byte each.
// An input without a zero byte is all answers and no chance.
struct GameScript {
    std::string answers;
    std::span<const std::uint8_t> draws;
};

GameScript splitInput(std::span<const std::uint8_t> input);

// Reads the draws of a script one at a time.
class DrawReader {
public:
    explicit DrawReader(std::span<const std::uint8_t> draws) : rest_(draws) {}
    bool exhausted() const { return rest_.empty(); }
    // The next draw, 0 to RAND_MAX; an unfinished last number counts as far as it goes.
    int next();

private:
    std::span<const std::uint8_t> rest_;
};

// How a scripted game ended: with an exit status (0 won, 1 lost, 2 the answers ran out),
// or without one when the game wanted more chance than the script holds.
struct Ending {
    std::optional<int> status;
};

// What a transcript holds besides the game's text: nothing, or what a person at a terminal
// would also have seen, marked where it happened: each pause ("[pause]"), each screen clear
// ("[cls]") and each answer the game read ("[answer y]").
enum class Marks { none, pausesClearsAndAnswers };

// Plays one whole game from a fresh game record through the same driver as the executable,
// writing every text to the transcript, and puts the usual seams back afterwards.
Ending playScript(std::span<const std::uint8_t> input, std::ostream& transcript, Marks marks = Marks::none);

// How a game ended, in the words of the replay's last line: "exit status 1", "out of chance".
std::string describe(const Ending& ending);

// What a recorded game keeps beside its script: the whole text with its marks, then a line
// of its own that tells how the game ended.
std::string transcriptOf(std::span<const std::uint8_t> input);

// A record kept in memory, as a host keeps one in a file or in the page's storage. It remembers
// the record as it stood after each sync, and, when given a log, notes each write and sync there.
class MemoryStore final : public RecordStore {
public:
    std::optional<std::string> record;
    std::map<std::string, std::string> setAside;
    std::map<std::string, std::string> files; // the finished games and their list
    std::vector<std::string> synced;
    bool snapshots = true; // kept in `synced`; a long game leaves them out
    std::vector<std::string>* log = nullptr;
    bool failing = false;   // writes reach the record, but no sync, cut or rewrite succeeds, as on a failing disk
    bool movesFail = false; // the record cannot be renamed

    std::string heldBy; // the process of another game that holds the lock, if any

    Lock lock() override {
        return heldBy.empty() ? Lock{Lock::State::taken, {}} : Lock{Lock::State::heldElsewhere, heldBy};
    }
    void unlock() override {}
    Contents read(std::size_t limit) override;
    bool cut(std::size_t length) override;
    bool append(std::string_view text) override;
    bool sync() override;
    std::string lastProblem() const override { return "the disk failed"; }
    Move moveAside(const std::string& name) override;
    bool rewriteStart(std::string_view text) override;
    std::optional<std::vector<std::string>> namesSetAside() override;
    bool removeSetAside(const std::string& name) override { return setAside.erase(name) == 1; }
    bool remove() override {
        record.reset();
        return true;
    }
    bool keepsFinishedGames() const override { return true; }
    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override;
    Contents readFile(const std::string& name, std::size_t limit) override;
    bool appendFile(const std::string& name, std::string_view text) override;
    Move renameFile(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& name) override {
        setAside.erase(name);
        files.erase(name);
        return true;
    }
    std::string whereIs(const std::string& name) const override { return name; }
};

// How a kept game is played besides its script.
struct KeptPlay {
    bool newGame = false; // as with --new
    // Called before and after each event the game asks the player or chance for; either may throw
    // to end the game there, as a kill would.
    std::function<void(record::Kind)> beforeEvent;
    std::function<void(record::Kind)> afterEvent;
    // Where the terminal shows what is not the game's text, when not on the screen stream itself:
    // what the player types, and what the game says on its error stream (or apart, in `said`).
    std::ostream* terminal = nullptr;
    std::ostream* said = nullptr;
    // Added to each draw the script gives the game once its record is replayed, so that a die
    // thrown again shows another face.
    int shiftLiveDraws = 0;
};

// Plays the script as a person at a terminal plays it, kept in the store, from a fresh game
// record through the same entry as the executable: each pause shows its prompt and ends its line,
// each answer is echoed as it was typed, each screen clear is marked "[cls]", and what the game
// tells of its record is a line "zandrel: ..." of its own. A game resumed from the store takes the
// answers and draws of the script that its record does not hold yet.
Ending playKept(std::span<const std::uint8_t> input, RecordStore& store, std::ostream& screen,
                const KeptPlay& how = {});

// Whether a game resumed from a record cut short played on as the whole game did: under the line
// that tells it is resumed, its screen must be the whole game's from one of its clears (or its
// start) to its end, the screen the player left and the rest of the game.
bool resumedAlike(const std::string& whole, const std::string& resumed);

} // namespace zandrel::fuzz
