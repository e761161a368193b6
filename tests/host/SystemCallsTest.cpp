// The POSIX folder's system calls, watched through the linker (each is wrapped): when a call of the
// store says it is done, what it changed is on the disk, each file synced after its last write and
// the folder after each name made, moved or removed; and when any one system call under it fails,
// the store says so, naming the file, rather than claim what it did not do.
#include "support/KeptFolder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <functional>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
int __real_fsync(int fd);
ssize_t __real_write(int fd, const void* data, size_t size);
ssize_t __real_pwrite(int fd, const void* data, size_t size, off_t at);
int __real_ftruncate(int fd, off_t length);
int __real_openat(int folder, const char* name, int how, ...);
int __real_renameat2(int from, const char* fromName, int to, const char* toName, unsigned how);
int __real_linkat(int from, const char* fromName, int to, const char* toName, int how);
int __real_unlinkat(int folder, const char* name, int how);
ssize_t __real_read(int fd, void* data, size_t size);
ssize_t __real___read_chk(int fd, void* data, size_t size, size_t room);
DIR* __real_fdopendir(int fd);
int __real_flock(int fd, int how);
}

namespace {

// What the calls made while the store is watched have done.
struct Watch {
    bool on = false;
    int calls = 0;   // the calls made so far
    int failing = 0; // the number of the one that fails, none when 0
    std::set<std::pair<dev_t, ino_t>> unsynced; // files written, and folders changed, since last synced
};
Watch watch;

// Whether this call is the one that fails; it then fails as a disk that has gone bad does.
bool failsNow() {
    if (!watch.on || ++watch.calls != watch.failing) {
        return false;
    }
    errno = EIO;
    return true;
}

std::pair<dev_t, ino_t> fileOf(int fd) {
    struct stat status {};
    fstat(fd, &status);
    return {status.st_dev, status.st_ino};
}

void changed(int fd) {
    if (watch.on) {
        watch.unsynced.insert(fileOf(fd));
    }
}

// The result of a call that changes the file or folder it is given; the change is kept when it worked.
template <typename Result> Result changes(int fd, Result result) {
    if (result >= 0) {
        changed(fd);
    }
    return result;
}

} // namespace

extern "C" {
int __wrap_fsync(int fd) {
    if (failsNow()) {
        return -1;
    }
    const int result = __real_fsync(fd);
    if (result == 0 && watch.on) {
        watch.unsynced.erase(fileOf(fd));
    }
    return result;
}
ssize_t __wrap_write(int fd, const void* data, size_t size) {
    return failsNow() ? -1 : changes(fd, __real_write(fd, data, size));
}
ssize_t __wrap_pwrite(int fd, const void* data, size_t size, off_t at) {
    return failsNow() ? -1 : changes(fd, __real_pwrite(fd, data, size, at));
}
int __wrap_ftruncate(int fd, off_t length) { return failsNow() ? -1 : changes(fd, __real_ftruncate(fd, length)); }
int __wrap_openat(int folder, const char* name, int how, ...) {
    std::va_list rest;
    va_start(rest, how);
    const auto mode = (how & O_CREAT) != 0 ? va_arg(rest, mode_t) : mode_t{0};
    va_end(rest);
    if (failsNow()) {
        return -1;
    }
    struct stat status {};
    const bool made = (how & O_CREAT) != 0 && fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0;
    const int fd = __real_openat(folder, name, how, mode);
    if (fd >= 0 && made) {
        changed(folder);
    }
    return fd;
}
int __wrap_renameat2(int from, const char* fromName, int to, const char* toName, unsigned how) {
    return failsNow() ? -1 : changes(to, __real_renameat2(from, fromName, to, toName, how));
}
int __wrap_linkat(int from, const char* fromName, int to, const char* toName, int how) {
    return failsNow() ? -1 : changes(to, __real_linkat(from, fromName, to, toName, how));
}
int __wrap_unlinkat(int folder, const char* name, int how) {
    return failsNow() ? -1 : changes(folder, __real_unlinkat(folder, name, how));
}
ssize_t __wrap_read(int fd, void* data, size_t size) { return failsNow() ? -1 : __real_read(fd, data, size); }
ssize_t __wrap___read_chk(int fd, void* data, size_t size, size_t room) {
    return failsNow() ? -1 : __real___read_chk(fd, data, size, room);
}
DIR* __wrap_fdopendir(int fd) { return failsNow() ? nullptr : __real_fdopendir(fd); }
int __wrap_flock(int fd, int how) { return failsNow() ? -1 : __real_flock(fd, how); }
}

namespace zandrel::testing {
namespace {

// A call of the store as a game makes it, and what is true of the folder when it says it is done.
using Folder = std::filesystem::path;
struct Step {
    const char* what;
    std::function<bool(RecordStore&, const Folder&)> call;
    std::function<bool(const Folder&)> done;
};

// What was read is what the disk holds.
bool readAsItIs(const RecordStore::Contents& read, const std::filesystem::path& file) {
    return read.state == RecordStore::Contents::State::found && read.text == contentsOf(file);
}

bool listedAsTheyAre(std::optional<std::vector<std::string>> names, const Folder& folder) {
    std::vector<std::string> there;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("finished-")) {
            there.push_back(entry.path().filename().string());
        }
    }
    if (!names) {
        return false;
    }
    std::sort(there.begin(), there.end());
    std::sort(names->begin(), names->end());
    return *names == there;
}

bool moved(RecordStore::Move move) { return move == RecordStore::Move::moved; }

const std::string header = "zandrel record 2\nbegan 5\n";
const std::string answer = std::string(9000, 'a') + "\n"; // more than one write of a read's chunk

// A game's life in the folder: begun, played, cut back, stopped, finished, listed and read again, a
// new one begun and set aside, and the finished one removed.
const Step steps[] = {
    {"a record begun", [](RecordStore& s, const Folder&) { return s.append(header) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game") == header; }},
    {"an answer kept", [](RecordStore& s, const Folder&) { return s.append(answer) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game").ends_with(answer); }},
    {"the record read", [](RecordStore& s, const Folder& f) { return readAsItIs(s.read(1 << 20), f / "game"); },
     [](const Folder&) { return true; }},
    {"the record cut back", [](RecordStore& s, const Folder&) { return s.cut(25) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game").size() == 25; }},
    {"the record stopped", [](RecordStore& s, const Folder&) { return s.rewriteStart("stopped record 1"); },
     [](const Folder& f) { return contentsOf(f / "game").starts_with("stopped record 1"); }},
    {"the first finished game listed", [](RecordStore& s, const Folder&) { return s.appendFile("finished-games", "1\n"); },
     [](const Folder& f) { return contentsOf(f / "finished-games").ends_with("1\n"); }},
    {"the next one listed", [](RecordStore& s, const Folder&) { return s.appendFile("finished-games", "2\n"); },
     [](const Folder& f) { return contentsOf(f / "finished-games").ends_with("2\n"); }},
    {"the record finished", [](RecordStore& s, const Folder&) { return moved(s.renameFile("game", "finished-0001")); },
     [](const Folder& f) { return !exists(f / "game") && exists(f / "finished-0001"); }},
    {"the finished games listed",
     [](RecordStore& s, const Folder& f) { return listedAsTheyAre(s.namesStartingWith("finished-"), f); },
     [](const Folder&) { return true; }},
    {"the finished game read",
     [](RecordStore& s, const Folder& f) { return readAsItIs(s.readFile("finished-0001", 1 << 20), f / "finished-0001"); },
     [](const Folder&) { return true; }},
    {"a new record begun", [](RecordStore& s, const Folder&) { return s.append(header) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game").ends_with(header); }},
    {"the record set aside", [](RecordStore& s, const Folder&) { return moved(s.moveAside("game-set-aside-0001-x")); },
     [](const Folder& f) { return !exists(f / "game") && exists(f / "game-set-aside-0001-x"); }},
    {"the finished record removed", [](RecordStore& s, const Folder&) { return s.removeFile("finished-0001"); },
     [](const Folder& f) { return !exists(f / "finished-0001"); }},
    {"a record begun to be removed", [](RecordStore& s, const Folder&) { return s.append(header) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game").ends_with(header); }},
    {"the record removed", [](RecordStore& s, const Folder&) { return s.remove(); },
     [](const Folder& f) { return !exists(f / "game"); }},
    {"a record begun after it", [](RecordStore& s, const Folder&) { return s.append(header) && s.sync(); },
     [](const Folder& f) { return contentsOf(f / "game").ends_with(header); }},
};

// Plays the steps with the system call of that number failing (none when 0); the calls made. Nothing
// the store opened stays open once it goes.
int playFailing(int failing) {
    const TestFolder test;
    const std::filesystem::path folder = test.path / "zandrel";
    const std::size_t filesBefore = openFiles();
    auto store = folderStore(folder);
    EXPECT_EQ(store->lock().state, RecordStore::Lock::State::taken);
    watch = Watch{false, 0, failing, {}};
    for (const Step& step : steps) {
        const int callsBefore = watch.calls;
        watch.on = true;
        watch.unsynced.clear();
        const bool said = step.call(*store, folder);
        watch.on = false;
        const bool struck = callsBefore < failing && failing <= watch.calls;
        if (said) {
            EXPECT_TRUE(step.done(folder)) << step.what << ", with call " << failing << " failing";
            EXPECT_TRUE(watch.unsynced.empty()) << step.what << " is not all on the disk, with call " << failing
                                                << " failing";
        } else {
            EXPECT_TRUE(store->lastProblem().starts_with(folder.string() + "/"))
                << step.what << " failed, with call " << failing << " failing, and says " << store->lastProblem();
            EXPECT_NE(failing, 0) << step.what << " failed on a disk that works";
        }
        if (struck && !said) {
            EXPECT_TRUE(store->lastProblem().ends_with(": Input/output error"))
                << step.what << " failed with call " << failing << " and says " << store->lastProblem();
        }
    }
    store.reset();
    EXPECT_EQ(openFiles(), filesBefore) << "a file left open, with call " << failing << " failing";
    return watch.calls;
}

TEST(PosixStoreSystemCalls, EachCallIsOnTheDiskWhenItSaysItIsDoneAndSaysWhenOneOfItsSystemCallsFails) {
    const int calls = playFailing(0);
    EXPECT_GT(calls, 30) << "the calls are watched";
    for (int failing = 1; failing <= calls; ++failing) {
        playFailing(failing);
    }

    // A lock the system refuses, where no other game holds it, is said as the system says it.
    const TestFolder test;
    const std::unique_ptr<RecordStore> store = folderStore(test.path / "zandrel");
    watch = Watch{true, 0, 1, {}};
    const RecordStore::Lock refused = store->lock();
    watch.on = false;
    EXPECT_EQ(refused.state, RecordStore::Lock::State::unusable);
    EXPECT_EQ(refused.detail, (test.path / "zandrel").string() + "/.: Input/output error");
}

} // namespace
} // namespace zandrel::testing
