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

class PosixStore final : public RecordStore {
public:
    explicit PosixStore(std::string folder) : folder_(std::move(folder)) {}
    PosixStore(const PosixStore&) = delete;
    PosixStore& operator=(const PosixStore&) = delete;
    PosixStore(PosixStore&&) = delete;
    PosixStore& operator=(PosixStore&&) = delete;
    ~PosixStore() override {
        closeRecord();
        unlock();
        if (folderFd_ >= 0) {
            close(folderFd_);
        }
    }

    Lock lock() override {
        if (folder_.empty()) {
            return {Lock::State::unusable, "there is no home folder to keep it in"};
        }
        if (lockFd_ >= 0) {
            return {Lock::State::taken, {}};
        }
        // A limit on the size of files the player set makes a write fail, which the game says; it
        // must not end the game unsaid.
        std::signal(SIGXFSZ, SIG_IGN);
        if (!makeFolder() || !folderIsPrivate()) {
            return {Lock::State::unusable, problem_};
        }
        // The folder itself is locked, so that a lock file deleted under a game still keeps out a
        // second one; so is the lock file, which is all that a game of 2.1.0 locks.
        if (flock(folderFd_, LOCK_EX | LOCK_NB) != 0) {
            return refused(".");
        }
        if (!openRegular(lockName, O_RDWR | O_CREAT, lockFd_) || !singleLink(lockFd_, lockName)) {
            flock(folderFd_, LOCK_UN);
            return {Lock::State::unusable, problem_};
        }
        fchmod(lockFd_, 0600); // whatever the umask
        if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
            const Lock held = refused(lockName);
            unlock();
            return held;
        }
        const std::string me = std::to_string(getpid()) + "\n";
        if (ftruncate(lockFd_, 0) != 0 || pwrite(lockFd_, me.data(), me.size(), 0) < 0) {
            // The lock holds all the same; only the number a second game would be told is missing.
        }
        return {Lock::State::taken, {}};
    }

    void unlock() override {
        if (lockFd_ >= 0) {
            close(lockFd_);
            lockFd_ = -1;
        }
        if (folderFd_ >= 0) {
            flock(folderFd_, LOCK_UN);
        }
    }

    Contents read(std::size_t limit) override { return readFile(recordName, limit); }

    Contents readFile(const std::string& name, std::size_t limit) override {
        if (!folderOpened()) {
            return errno == ENOENT ? Contents{} : Contents{Contents::State::unreadable, {}, problem_};
        }
        int fd = -1;
        if (!openRegular(name.c_str(), O_RDONLY, fd)) {
            return errno == ENOENT ? Contents{Contents::State::none, {}, {}}
                                   : Contents{Contents::State::unreadable, {}, problem_};
        }
        Contents contents{Contents::State::found, {}, {}};
        char chunk[8192];
        while (contents.text.size() < limit) {
            const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, limit - contents.text.size()));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                fail(name);
                contents = {Contents::State::unreadable, {}, problem_};
            }
            if (got <= 0) {
                break;
            }
            contents.text.append(chunk, static_cast<std::size_t>(got));
        }
        close(fd);
        return contents;
    }

    bool cut(std::size_t length) override {
        return openForWriting() && (ftruncate(recordFd_, static_cast<off_t>(length)) == 0 || fail(recordName));
    }

    bool append(std::string_view text) override { return openForWriting() && writeAll(recordFd_, text, recordName); }

    bool sync() override {
        if (recordFd_ < 0 || fsync(recordFd_) != 0) {
            return fail(recordName);
        }
        // The first time, the record's name in the folder is made durable too.
        if (!folderSynced_ && !syncFolder()) {
            return fail(".");
        }
        folderSynced_ = true;
        return true;
    }

    std::string lastProblem() const override { return problem_; }

    Move moveAside(const std::string& name) override { return renameFile(recordName, name); }

    Move renameFile(const std::string& from, const std::string& to) override {
        if (from == recordName) {
            closeRecord();
        }
        struct stat status {};
        if (fstatat(folderFd_, from.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT ? Move::noRecord : failedMove(from);
        }
        if (!renameWithoutReplacing(from, to)) {
            return errno == EEXIST ? Move::nameTaken : failedMove(from);
        }
        return syncFolder() ? Move::moved : failedMove(".");
    }

    bool rewriteStart(std::string_view text) override {
        closeRecord();
        int fd = -1;
        if (!openRegular(recordName, O_WRONLY, fd)) {
            return false;
        }
        struct stat status {};
        bool written = fstat(fd, &status) == 0;
        const auto over = std::min(text.size(), static_cast<std::size_t>(std::max<off_t>(0, status.st_size)));
        written = written && pwrite(fd, text.data(), over, 0) == static_cast<ssize_t>(over) && fsync(fd) == 0;
        if (!written) {
            fail(recordName);
        }
        close(fd);
        return written;
    }

    std::optional<std::vector<std::string>> namesSetAside() override { return namesStartingWith(setAsidePrefix); }

    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override {
        std::vector<std::string> names;
        if (!folderOpened()) {
            return errno == ENOENT ? std::optional(names) : std::nullopt;
        }
        const int fd = dup(folderFd_);
        DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
        if (listing == nullptr) {
            if (fd >= 0) {
                close(fd);
            }
            fail(".");
            return std::nullopt;
        }
        rewinddir(listing); // the folder's own descriptor may have read it before
        errno = 0;
        while (const dirent* entry = readdir(listing)) {
            if (std::string_view(entry->d_name).starts_with(prefix)) {
                names.emplace_back(entry->d_name);
            }
        }
        const bool whole = errno == 0 || fail(".");
        closedir(listing);
        return whole ? std::optional(names) : std::nullopt;
    }

    bool removeSetAside(const std::string& name) override { return removeFile(name); }

    bool remove() override {
        closeRecord();
        return removeFile(recordName);
    }

    bool removeFile(const std::string& name) override {
        if (unlinkat(folderFd_, name.c_str(), 0) != 0 && errno != ENOENT) {
            return fail(name);
        }
        return syncFolder() || fail(".");
    }

    bool keepsFinishedGames() const override { return true; }

    bool appendFile(const std::string& name, std::string_view text) override {
        int fd = -1;
        const bool made = !openRegular(name.c_str(), O_WRONLY | O_APPEND, fd) && errno == ENOENT &&
                          openRegular(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL, fd);
        if (fd < 0) {
            return false;
        }
        fchmod(fd, 0600); // whatever the umask
        const bool written = writeAll(fd, text, name) && (fsync(fd) == 0 || fail(name));
        close(fd);
        return written && (!made || syncFolder() || fail("."));
    }

    std::string whereIs(const std::string& name) const override { return folder_ + "/" + name; }

private:
    // The folder and any of its parents that are missing, each private to the player.
    bool makeFolder() {
        if (folderFd_ >= 0) {
            return true;
        }
        for (std::size_t end = folder_.find('/', 1);; end = folder_.find('/', end + 1)) {
            const std::string part = folder_.substr(0, end);
            if (mkdir(part.c_str(), 0700) == 0) {
                chmod(part.c_str(), 0700); // whatever the umask
            } else if (errno != EEXIST) {
                return failAt(part);
            }
            if (end == std::string::npos) {
                break;
            }
        }
        folderFd_ = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return folderFd_ >= 0 || failAt(folder_);
    }

    // The folder as it is, to look at what it holds without the lock, as a replay or the list of
    // finished games does: never made, and used only if it is private.
    bool folderOpened() {
        if (folderFd_ < 0) {
            folderFd_ = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folderFd_ < 0) {
                return failAt(folder_);
            }
        }
        const int error = errno;
        const bool usable = folderIsPrivate();
        errno = usable ? error : EACCES;
        return usable;
    }

    // A folder another user owns, or that others may write to, could be given a record or a lock
    // that is not the player's: it is not used.
    bool folderIsPrivate() {
        struct stat status {};
        if (fstat(folderFd_, &status) != 0) {
            return failAt(folder_);
        }
        if (status.st_uid != geteuid()) {
            problem_ = folder_ + ": it belongs to another user";
        } else if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            problem_ = folder_ + ": others may write to it";
        } else {
            return true;
        }
        return false;
    }

    // A lock file with another name elsewhere would lock, and be written over, through that name.
    bool singleLink(int& fd, const char* name) {
        struct stat status {};
        if (fstat(fd, &status) == 0 && status.st_nlink == 1) {
            return true;
        }
        close(fd);
        fd = -1;
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
        char holder[24] = "";
        const int fd = openat(folderFd_, lockName, O_RDONLY | newFile);
        const ssize_t got = fd >= 0 ? pread(fd, holder, sizeof holder - 1, 0) : -1;
        if (fd >= 0) {
            close(fd);
        }
        holder[got > 0 ? got : 0] = '\0';
        return {Lock::State::heldElsewhere, std::string(holder, std::strcspn(holder, "\n"))};
    }

    // Renames a file of the folder, failing with EEXIST rather than replace one of the new name.
    // Where the system or the file system has no such rename, the name is claimed first with a new
    // file.
    bool renameWithoutReplacing(const std::string& from, const std::string& to) {
        if (renameExclusive(from, to)) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
            return false; // errno says why: EEXIST when the name is taken
        }
        const int claim = openat(folderFd_, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | newFile, 0600);
        if (claim < 0) {
            return false;
        }
        close(claim);
        if (renameat(folderFd_, from.c_str(), folderFd_, to.c_str()) != 0) {
            const int error = errno;
            unlinkat(folderFd_, to.c_str(), 0);
            errno = error;
            return false;
        }
        return true;
    }

    bool renameExclusive(const std::string& from, const std::string& to) {
        errno = 0;
#if defined(__APPLE__)
        return renameatx_np(folderFd_, from.c_str(), folderFd_, to.c_str(), RENAME_EXCL) == 0;
#elif defined(__linux__)
        return renameat2(folderFd_, from.c_str(), folderFd_, to.c_str(), RENAME_NOREPLACE) == 0;
#else
        errno = ENOSYS;
        return false;
#endif
    }

    bool writeAll(int fd, std::string_view text, const std::string& name) {
        while (!text.empty()) {
            const ssize_t wrote = write(fd, text.data(), text.size());
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote <= 0) {
                return fail(name);
            }
            text.remove_prefix(static_cast<std::size_t>(wrote));
        }
        return true;
    }

    bool syncFolder() const { return fsync(folderFd_) == 0; }

    // Opens a file of the folder, which must be a regular one.
    bool openRegular(const char* name, int how, int& fd) {
        fd = openat(folderFd_, name, how | newFile, 0600);
        if (fd < 0) {
            return fail(name);
        }
        struct stat status {};
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            close(fd);
            fd = -1;
            problem_ = whereIs(name) + ": not a regular file";
            errno = EINVAL;
            return false;
        }
        return true;
    }

    bool openForWriting() {
        if (recordFd_ >= 0) {
            return true;
        }
        if (!openRegular(recordName, O_WRONLY | O_APPEND | O_CREAT, recordFd_)) {
            return false;
        }
        fchmod(recordFd_, 0600); // whatever the umask
        return true;
    }

    void closeRecord() {
        if (recordFd_ >= 0) {
            close(recordFd_);
            recordFd_ = -1;
        }
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

    std::string folder_;
    std::string problem_;
    int folderFd_ = -1;
    int lockFd_ = -1;
    int recordFd_ = -1;
    bool folderSynced_ = false;
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
