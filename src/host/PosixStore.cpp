// The record in the XDG state folder of a POSIX system, private to the player. The folder is opened
// once and everything in it is reached through it; a folder that others may write to is not used;
// files are opened only as regular ones, never through a symbolic link and never waiting on a FIFO;
// every write is synced before the game shows what follows it, and a record is moved aside by a
// rename that replaces nothing and needs no new file.
#include "host/FolderStore.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandrel {
namespace {

constexpr char recordName[] = "game";
constexpr char lockName[] = "lock";
constexpr int newFile = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
// The player's alone, whatever the umask.
constexpr mode_t privateFolder = S_IRWXU;
constexpr mode_t privateFile = S_IRUSR | S_IWUSR;

// An open file, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    bool open() const { return fd_ != -1; }
    void reset(int fd = -1) {
        if (open()) {
            close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

class PosixStore final : public RecordStore {
public:
    explicit PosixStore(std::string folder) : path_(std::move(folder)) {}

    Lock lock() override {
        if (path_.empty()) {
            return {Lock::State::unusable, "there is no home folder to keep it in"};
        }
        if (lock_.open()) {
            return {Lock::State::taken, {}};
        }
        // A limit on the size of files the player set makes a write fail, which the game says; it
        // must not end the game unsaid.
        std::signal(SIGXFSZ, SIG_IGN);
        if (!makeFolder() || !folderOpened()) {
            return {Lock::State::unusable, problem_};
        }
        // The folder itself is locked, so that a lock file deleted under a game still keeps out a
        // second one; so is the lock file, which is all that a game of 2.1.0 locks.
        if (flock(folder_.get(), LOCK_EX | LOCK_NB) != 0) {
            return refused(".");
        }
        if (!openRegular(lockName, O_RDWR | O_CREAT, lock_) || !singleLink(lock_, lockName)) {
            unlock();
            return {Lock::State::unusable, problem_};
        }
        if (flock(lock_.get(), LOCK_EX | LOCK_NB) != 0) {
            Lock held = refused(lockName);
            unlock();
            return held;
        }
        // The lock holds all the same where this fails; only the number a second game is told is
        // missing.
        const std::string me = std::to_string(getpid()) + "\n";
        if (pwrite(lock_.get(), me.data(), me.size(), 0) == static_cast<ssize_t>(me.size())) {
            (void)ftruncate(lock_.get(), static_cast<off_t>(me.size())); // the longer number of a game gone
        }
        return {Lock::State::taken, {}};
    }

    void unlock() override {
        lock_.reset();
        flock(folder_.get(), LOCK_UN);
    }

    Contents read(std::size_t limit) override { return readFile(recordName, limit); }

    Contents readFile(const std::string& name, std::size_t limit) override {
        Descriptor file;
        if (!openRegular(name.c_str(), O_RDONLY, file)) {
            return errno == ENOENT ? Contents{} : Contents{Contents::State::unreadable, {}, problem_};
        }
        Contents contents{Contents::State::found, {}, {}};
        char chunk[BUFSIZ];
        while (contents.text.size() != limit) {
            const ssize_t got = ::read(file.get(), chunk, std::min(sizeof chunk, limit - contents.text.size()));
            if (got < 0) {
                fail(name);
                return {Contents::State::unreadable, {}, problem_};
            }
            if (got == 0) {
                break;
            }
            contents.text.append(chunk, static_cast<std::size_t>(got));
        }
        return contents;
    }

    bool cut(std::size_t length) override {
        return openForWriting() && (ftruncate(record_.get(), static_cast<off_t>(length)) == 0 || fail(recordName));
    }

    bool append(std::string_view text) override { return openForWriting() && writeAll(record_, text, recordName); }

    // The first time after the record is opened, its name in the folder is made durable too.
    bool sync() override {
        if (fsync(record_.get()) != 0) {
            return fail(recordName);
        }
        folderSynced_ = folderSynced_ || syncFolder();
        return folderSynced_ || fail(".");
    }

    std::string lastProblem() const override { return problem_; }

    Move moveAside(const std::string& name) override { return renameFile(recordName, name); }

    Move renameFile(const std::string& from, const std::string& to) override {
        if (from == recordName) {
            record_.reset();
        }
        if (!folderOpened()) {
            return failedMove(".");
        }
        struct stat status {};
        if (fstatat(folder_.get(), from.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT ? Move::noRecord : failedMove(from);
        }
        if (!renameWithoutReplacing(from, to)) {
            return errno == EEXIST ? Move::nameTaken : failedMove(from);
        }
        return syncFolder() ? Move::moved : failedMove(".");
    }

    // Written through a file of its own: the record's is opened to append.
    bool rewriteStart(std::string_view text) override {
        Descriptor file;
        struct stat status {};
        if (!openRegular(recordName, O_WRONLY, file) || fstat(file.get(), &status) != 0) {
            return fail(recordName);
        }
        const auto over = std::min(text.size(), static_cast<std::size_t>(status.st_size));
        return (pwrite(file.get(), text.data(), over, 0) == static_cast<ssize_t>(over) && fsync(file.get()) == 0) ||
               fail(recordName);
    }

    std::optional<std::vector<std::string>> namesSetAside() override { return namesStartingWith(setAsidePrefix); }

    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override {
        std::vector<std::string> names;
        if (!folderOpened()) {
            return errno == ENOENT ? std::optional(names) : std::nullopt;
        }
        // A listing of its own, from the start of the folder, whatever was read of it before.
        const int listed = openat(folder_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* listing = listed == -1 ? nullptr : fdopendir(listed);
        if (listing == nullptr) {
            fail(".");
            close(listed); // none, or one that no listing took
            return std::nullopt;
        }
        while (const dirent* entry = readdir(listing)) {
            if (std::string_view(entry->d_name).starts_with(prefix)) {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(listing);
        return names;
    }

    bool removeSetAside(const std::string& name) override { return removeFile(name); }

    bool remove() override {
        record_.reset();
        return removeFile(recordName);
    }

    bool removeFile(const std::string& name) override {
        if (!folderOpened() || (unlinkat(folder_.get(), name.c_str(), 0) != 0 && errno != ENOENT)) {
            return fail(name);
        }
        return syncFolder() || fail(".");
    }

    bool keepsFinishedGames() const override { return true; }

    bool appendFile(const std::string& name, std::string_view text) override {
        Descriptor file;
        const bool made = !openRegular(name.c_str(), O_WRONLY | O_APPEND, file) && errno == ENOENT &&
                          openRegular(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL, file);
        return file.open() && writeAll(file, text, name) && (fsync(file.get()) == 0 || fail(name)) &&
               (!made || syncFolder() || fail("."));
    }

    std::string whereIs(const std::string& name) const override { return path_ + "/" + name; }

private:
    // The folder and any of its parents that are missing, each private to the player, whatever the
    // umask.
    bool makeFolder() {
        std::filesystem::path part;
        for (const std::filesystem::path& name : std::filesystem::path(path_)) {
            part /= name;
            if (mkdir(part.c_str(), privateFolder) == 0) {
                chmod(part.c_str(), privateFolder);
            } else if (errno != EEXIST) {
                return failAt(part.string());
            }
        }
        return true;
    }

    // The folder, opened once, as it is; used only if it is private to the player: a folder another
    // user owns, or that others may write to, could be handed a record or a lock not the player's.
    bool folderOpened() {
        if (!folder_.open()) {
            folder_.reset(open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
        struct stat status {};
        if (!folder_.open() || fstat(folder_.get(), &status) != 0) {
            return failAt(path_);
        }
        if (status.st_uid != geteuid()) {
            problem_ = path_ + ": it belongs to another user";
        } else if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            problem_ = path_ + ": others may write to it";
        } else {
            return true;
        }
        errno = EACCES;
        return false;
    }

    // A lock file with another name elsewhere would lock, and be written over, through that name.
    bool singleLink(const Descriptor& file, const char* name) {
        struct stat status {};
        if (fstat(file.get(), &status) == 0 && status.st_nlink == 1) {
            return true;
        }
        problem_ = whereIs(name) + ": it has more than one link";
        return false;
    }

    // The lock on the folder or on the file is not to be had: another game holds it, or the system
    // refuses it.
    Lock refused(const char* name) {
        if (errno != EWOULDBLOCK) {
            fail(name);
            return {Lock::State::unusable, problem_};
        }
        char holder[24] = ""; // a process id, and the end of the text
        Descriptor file;
        file.reset(openat(folder_.get(), lockName, O_RDONLY | newFile));
        (void)pread(file.get(), holder, sizeof holder - 1, 0);
        return {Lock::State::heldElsewhere, std::string(holder, std::strcspn(holder, "\n"))};
    }

    // Renames a file of the folder, failing with EEXIST rather than replace one of the new name.
    // Where the system or the file system has no such rename, a second name is made, which fails
    // rather than replace one either, and the first goes.
    bool renameWithoutReplacing(const std::string& from, const std::string& to) {
        const int at = folder_.get();
#if defined(__APPLE__)
        if (renameatx_np(at, from.c_str(), at, to.c_str(), RENAME_EXCL) == 0) {
#else
        if (renameat2(at, from.c_str(), at, to.c_str(), RENAME_NOREPLACE) == 0) {
#endif
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            return false; // errno says why: EEXIST when the name is taken
        }
        return linkat(at, from.c_str(), at, to.c_str(), 0) == 0 && unlinkat(at, from.c_str(), 0) == 0;
    }

    bool writeAll(const Descriptor& file, std::string_view text, const std::string& name) {
        while (!text.empty()) {
            const ssize_t wrote = write(file.get(), text.data(), text.size());
            if (wrote <= 0) {
                return fail(name);
            }
            text.remove_prefix(static_cast<std::size_t>(wrote));
        }
        return true;
    }

    bool syncFolder() const { return fsync(folder_.get()) == 0; }

    // Opens a file of the folder, which must be a regular one.
    bool openRegular(const char* name, int how, Descriptor& file) {
        if (!folderOpened()) {
            return false;
        }
        file.reset(openat(folder_.get(), name, how | newFile, privateFile));
        struct stat status {};
        if (!file.open() || fstat(file.get(), &status) != 0) {
            return fail(name);
        }
        if (!S_ISREG(status.st_mode)) {
            file.reset(); // a device kept open here would be written to by the next call
            problem_ = whereIs(name) + ": not a regular file";
            errno = EINVAL;
            return false;
        }
        if ((how & O_ACCMODE) != O_RDONLY) {
            fchmod(file.get(), privateFile); // a file only read is left as it is
        }
        return true;
    }

    // A record opened anew may be a new name in the folder, which its first sync makes durable.
    bool openForWriting() {
        if (record_.open()) {
            return true;
        }
        folderSynced_ = false;
        return openRegular(recordName, O_WRONLY | O_APPEND | O_CREAT, record_);
    }

    // What went wrong, as the player is told; always false, and errno is kept.
    bool failAt(const std::string& path) {
        const int error = errno;
        problem_ = path + ": " + std::strerror(error);
        errno = error;
        return false;
    }
    bool fail(const std::string& name) { return failAt(whereIs(name)); }
    Move failedMove(const std::string& name) {
        fail(name);
        return Move::failed;
    }

    std::string path_;
    std::string problem_;
    Descriptor folder_;
    Descriptor lock_;
    Descriptor record_;
    bool folderSynced_{}; // set as the record is opened
};

} // namespace

std::unique_ptr<RecordStore> folderStore(const std::filesystem::path& folder) {
    return std::make_unique<PosixStore>(folder.string());
}

// XDG's state folder, when it is set to an absolute path; the default one under the home folder
// otherwise.
std::filesystem::path keptGameFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::filesystem::path(state) / "zandrel";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / ".local" / "state" / "zandrel";
    }
    return {};
}

} // namespace zandrel
