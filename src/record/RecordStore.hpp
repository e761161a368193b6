#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zandrel {

// Records set aside are named this, then the order and the time they were set aside.
inline constexpr std::string_view setAsidePrefix = "game-set-aside-";

// Where a machine keeps the record of the game in play: a file in the player's state folder, or the
// page's storage. The record layer decides what goes in it and when; a store only keeps the bytes,
// takes the one-game lock and moves records aside under the names it is given.
class RecordStore {
public:
    RecordStore() = default;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;
    RecordStore(RecordStore&&) = delete;
    RecordStore& operator=(RecordStore&&) = delete;
    virtual ~RecordStore() = default;

    // One game at a time per account. The lock is released when the game ends, however it ends.
    struct Lock {
        enum class State { taken, heldElsewhere, unusable } state;
        // Who holds it (a process id), or why the store cannot be used.
        std::string detail;
    };
    virtual Lock lock() = 0;
    virtual void unlock() = 0;

    // The record as it is kept, at most `limit` bytes of it.
    struct Contents {
        enum class State { none, found, unreadable } state = State::none;
        std::string text;
        std::string why; // when unreadable
    };
    virtual Contents read(std::size_t limit) = 0;

    // Writing, always at the end of the record, which is made when it does not exist. False when
    // the store failed; lastProblem() then says why.
    virtual bool cut(std::size_t length) = 0;
    virtual bool append(std::string_view text) = 0;
    // Makes everything appended so far durable.
    virtual bool sync() = 0;
    virtual std::string lastProblem() const = 0;

    // Renames the record to a name of its own, and makes the new name durable. Never replaces
    // anything already under that name (nameTaken), and needs no new file.
    enum class Move { moved, nameTaken, noRecord, failed };
    virtual Move moveAside(const std::string& name) = 0;
    // Writes the text over the first bytes of the record, never past its end, and makes it durable:
    // it needs no new file and no new space. False when there is no record to write.
    virtual bool rewriteStart(std::string_view text) = 0;
    // The names of the records set aside (those that start with setAsidePrefix), in any order; none
    // when they cannot be listed.
    virtual std::optional<std::vector<std::string>> namesSetAside() = 0;
    virtual bool removeSetAside(const std::string& name) = 0;
    // Removes the record, durably; true also when there is none.
    virtual bool remove() = 0;

    // The games that have ended, kept beside the record: each record under a name of its own, and
    // a list of their summaries. A store that keeps none forgets a game once it has ended.
    virtual bool keepsFinishedGames() const { return false; }
    // The names that start with the prefix, in any order; none when they cannot be listed.
    virtual std::optional<std::vector<std::string>> namesStartingWith(std::string_view /*prefix*/) { return {}; }
    // Any file beside the record, read as read() reads the record.
    virtual Contents readFile(const std::string& /*name*/, std::size_t /*limit*/) { return {}; }
    // Appends to a file beside the record, made when it does not exist, and makes it durable.
    virtual bool appendFile(const std::string& /*name*/, std::string_view /*text*/) { return false; }
    // Renames a file beside the record, never over another, durably; the record itself too.
    virtual Move renameFile(const std::string& /*from*/, const std::string& /*to*/) { return Move::failed; }
    // Removes a file beside the record, durably; true also when there is none.
    virtual bool removeFile(const std::string& /*name*/) { return false; }
    // A record file the player names to be replayed, anywhere on the machine, read as read() reads the
    // record: none when it is not a file. A page, which has no files, is handed the file by the player.
    virtual Contents readRecordFile(const std::string& path, std::size_t limit);

    // Where a record of this name can be found, as the player is told.
    virtual std::string whereIs(const std::string& name) const = 0;
};

} // namespace zandrel
