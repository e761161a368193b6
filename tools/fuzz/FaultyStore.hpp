#pragma once

// A store on a disk that fails where a test tells it to, as the fault loop of the kept game wants
// it: one kind of call fails once, at its N-th time, or every time from then on. It keeps what a
// crash would leave of each file (what was last made durable, or all that was written), and notes
// every file it removes, so that a test can tell whether a game was lost.
#include "record/RecordStore.hpp"

#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zandrel::fuzz {

enum class Fault {
    none,
    noInode,        // the record cannot be made
    noSpace,        // the record is made empty, and no write finds room in it
    tooLarge,       // the record is made, and its first write stops at a size limit
    partWrite,      // a write is cut short
    sync,           // a sync fails: what was written may not survive a crash
    rename,         // a record cannot be moved aside
    removal,        // a file cannot be removed
    ioError,        // every call fails, as on a disk remounted read-only
    diskFull,       // no write finds room, as on a disk that stays full
    syncThenRename, // a sync fails, and every rename after it
};
const char* nameOf(Fault fault);

class FaultyStore final : public RecordStore {
public:
    struct File {
        std::string written;
        std::string durable;
        bool named = false; // its name in the folder is durable
    };
    std::optional<File> record;
    std::vector<std::pair<std::string, File>> setAside; // in the order set aside
    std::map<std::string, File> files;                  // the finished games and their list
    // Every file removed: its name, whether what of it was durable held a game, and how many of its
    // kind there were when it went, and whether it was the oldest of them.
    struct Removed {
        std::string name;
        bool heldAGame;
        std::size_t before;
        bool oldest;
    };
    std::vector<Removed> removed;
    bool failed = false; // the fault has struck
    // Every call counted, and the process killed as the one of this number begins: from then on
    // nothing more reaches the disk.
    std::size_t calls = 0;
    std::size_t killAt = 0;

    // Fails the n-th call the fault applies to (counting from 1), or every one from the n-th on.
    void failAt(Fault fault, std::size_t n, bool fromThenOn);
    void heal() { fault_ = Fault::none; }
    // How many calls the fault applied to so far.
    std::size_t callsOf(Fault fault) const;
    // What a crash leaves: each file as it was last made durable, or all that was written too.
    void crash(bool writesSurvive);

    Lock lock() override { return {Lock::State::taken, {}}; }
    void unlock() override {}
    Contents read(std::size_t limit) override;
    bool cut(std::size_t length) override;
    bool append(std::string_view text) override;
    bool sync() override;
    std::string lastProblem() const override { return problem_; }
    Move moveAside(const std::string& name) override;
    bool rewriteStart(std::string_view text) override;
    std::optional<std::vector<std::string>> namesSetAside() override;
    bool removeSetAside(const std::string& name) override;
    bool remove() override;
    bool keepsFinishedGames() const override { return true; }
    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override;
    Contents readFile(const std::string& name, std::size_t limit) override;
    bool appendFile(const std::string& name, std::string_view text) override;
    Move renameFile(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& name) override;
    std::string whereIs(const std::string& name) const override { return name; }

private:
    bool alive() { return ++calls < killAt || killAt == 0; }
    // Whether this call fails, for a call the given faults apply to.
    bool strikes(std::initializer_list<Fault> applying);
    // Writes to a file, made first when there is none, as the fault in force lets it.
    bool write(std::optional<File>& file, std::string_view text);

    Fault fault_ = Fault::none;
    std::size_t at_ = 0;
    bool fromThenOn_ = false;
    std::vector<std::size_t> calls_ = std::vector<std::size_t>(static_cast<std::size_t>(Fault::syncThenRename) + 1);
    std::string problem_;
};

} // namespace zandrel::fuzz
