// The POSIX folder: where it is, private to the player, a record path that is a symbolic link or a
// FIFO never written through nor waited on, one game at a time whatever is done to the lock, and a
// game that can no longer be kept made unresumable on a disk with no room and no free inode.
#include "support/KeptFolder.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandrel::testing {

namespace {

unsigned modeOf(const std::filesystem::path& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return status.st_mode & 07777U;
}

TEST(PosixStore, TheGameIsKeptUnderXdgStateHomeOrHomeWhenThatIsNotAbsolute) {
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_STATE_HOME", "/state", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(keptGameFolder(), "/state/zandrel");
    for (const char* notAbsolute : {"", "state"}) {
        setenv("XDG_STATE_HOME", notAbsolute, 1);
        EXPECT_EQ(keptGameFolder(), "/home/player/.local/state/zandrel");
    }
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(keptGameFolder(), "/home/player/.local/state/zandrel");
    unsetenv("HOME");
    EXPECT_EQ(keptGameFolder(), "");
    setenv("HOME", home.c_str(), 1);
}

TEST(PosixStore, TheRecordIsPrivateAndNeverOpenedThroughALinkOrAFifo) {
    const TestFolder test;
    const std::filesystem::path& root = test.path;
    const std::filesystem::path folder = root / "state" / "zandrel";
    const mode_t umaskBefore = umask(0277); // private whatever the umask, even one that takes the owner's bits
    playKnightInto(folder);
    umask(umaskBefore);
    EXPECT_EQ(modeOf(root / "state"), 0700U);
    EXPECT_EQ(modeOf(folder), 0700U);
    EXPECT_EQ(modeOf(folder / "game"), 0600U);
    EXPECT_EQ(modeOf(folder / "lock"), 0600U);

    // A link planted where the record goes is set aside as it is; what it points at is untouched.
    std::ofstream(root / "elsewhere") << "not the game's";
    std::filesystem::remove(folder / "game");
    std::filesystem::create_symlink(root / "elsewhere", folder / "game");
    EXPECT_THAT(playKnightInto(folder), ::testing::HasSubstr("cannot be resumed (its record cannot be read: "));
    EXPECT_EQ(contentsOf(root / "elsewhere"), "not the game's");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "game"));

    // A FIFO there is never waited on.
    std::filesystem::remove(folder / "game");
    ASSERT_EQ(mkfifo((folder / "game").c_str(), 0600), 0);
    EXPECT_THAT(playKnightInto(folder), ::testing::HasSubstr("its record cannot be read: " + (folder / "game").string() +
                                                             ": not a regular file"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "game"));
}

struct Killed {};

// An Undead on the Plains, below 2 Life, draws sickness again and again: a record that grows long.
std::vector<std::uint8_t> longSickness() {
    std::vector<std::uint8_t> input = {'u', '\n', 'y', '\n', 0, 0};
    input.insert(input.end(), 4000, 16);
    return input;
}

// Plays the game kept in the folder, killed before its event of that number, or at its first event
// after it said it can no longer be kept; what it showed and said.
std::string playInto(const std::filesystem::path& folder, const std::vector<std::uint8_t>& input,
                     std::size_t killBefore = SIZE_MAX) {
    const std::unique_ptr<RecordStore> store = folderStore(folder);
    std::ostringstream screen;
    std::size_t events = 0;
    fuzz::KeptPlay how;
    how.beforeEvent = [&](record::Kind) {
        if (events++ == killBefore || screen.str().find("can no longer be kept") != std::string::npos) {
            throw Killed{};
        }
    };
    try {
        fuzz::playKept(input, *store, screen, how);
    } catch (const Killed&) {
    }
    return screen.str();
}

// A tmpfs of its own, as small as asked, for as long as the test runs; only root can mount one.
struct SmallDisk {
    std::filesystem::path path = std::filesystem::temp_directory_path() / ("zandrel-disk-" + std::to_string(getpid()));
    bool mounted = false;
    explicit SmallDisk(const std::string& options) {
        std::filesystem::create_directories(path);
        mounted = geteuid() == 0 && mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    SmallDisk(SmallDisk&&) = delete;
    SmallDisk& operator=(SmallDisk&&) = delete;
    ~SmallDisk() {
        if (mounted) {
            umount2(path.c_str(), MNT_DETACH);
        }
        std::filesystem::remove_all(path);
    }
    // Takes every free inode, then every free block.
    void fill() const {
        for (int n = 0; std::ofstream(path / ("inode-" + std::to_string(n))).good(); ++n) {
        }
        const int fd = open((path / "inode-0").c_str(), O_WRONLY | O_APPEND);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        close(fd);
    }
    // The name of the one record set aside there.
    std::string setAside() const {
        for (const auto& entry : std::filesystem::directory_iterator(path / "zandrel")) {
            if (entry.path().filename().string().starts_with("game-set-aside-")) {
                return entry.path().filename().string();
            }
        }
        return {};
    }
    void empty() const {
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.path().filename().string().starts_with("inode-")) {
                std::filesystem::remove(entry.path());
            }
        }
    }
};

// On a disk with no free inode and no free block, a record that can no longer be grown is set aside
// by a rename, which needs neither, or else marked where it stands; the next start never resumes it.
TEST(PosixStore, ADiskWithNoRoomAndNoFreeInodeStillKeepsAShownDieFromBeingThrownAgain) {
    const SmallDisk disk("size=512k,nr_inodes=64");
    if (!disk.mounted) {
        GTEST_SKIP() << "only root can mount the small disk this needs";
    }
    const std::filesystem::path folder = disk.path / "zandrel";
    const std::vector<std::uint8_t> game = longSickness();
    // A game kept up to a few bytes short of a whole page, the room a full disk leaves in a file.
    fuzz::MemoryStore memory;
    std::ostringstream unused;
    fuzz::playKept(game, memory, unused);
    std::string kept;
    for (const std::string& synced : memory.synced) {
        kept = synced.size() < 4096 ? synced : kept;
    }
    folderStore(folder)->lock();
    write(folder / "game", kept);
    disk.fill();

    const std::string hit = playInto(folder, game);
    EXPECT_THAT(hit, ::testing::HasSubstr("zandrel: this game can no longer be kept, so it cannot be resumed (" +
                                          (folder / "game").string() + ": No space left on device); what was kept "
                                                                       "of it is set aside as " +
                                          (folder / "game-set-aside-0001-").string()));
    EXPECT_FALSE(std::filesystem::exists(folder / "game"));
    EXPECT_THAT(contentsOf(folder / disk.setAside()), ::testing::StartsWith(kept)) << "what was kept is set aside";
    disk.empty();
    EXPECT_THAT(playInto(folder, game, 3), ::testing::StartsWith("\n\n\n\t\tWelcome")) << "a new game, no word of the old";

    // Where the record cannot be moved, its first line is written over in place, with no room to
    // spare: no release resumes it.
    disk.fill();
    const std::unique_ptr<RecordStore> store = folderStore(folder);
    ASSERT_EQ(store->lock().state, RecordStore::Lock::State::taken);
    const std::string before = contentsOf(folder / "game");
    ASSERT_THAT(before, ::testing::StartsWith("zandrel record 2\nbegan "));
    ASSERT_TRUE(store->rewriteStart(record::stoppedFormatLine)) << store->lastProblem();
    EXPECT_EQ(contentsOf(folder / "game"), "stopped record 1" + before.substr(16));
}

// A file system whose rename cannot refuse to replace (as NFS): the record is moved aside by a
// second name, made only where none is, and the first one's removal. bindfs shows a folder so.
TEST(PosixStore, AFileSystemWithNoRenameThatRefusesToReplaceStillSetsRecordsAsideNeverOverOne) {
    const TestFolder test;
    const std::filesystem::path under = test.path / "under";
    const std::filesystem::path folder = test.path / "seen";
    std::filesystem::create_directories(under);
    std::filesystem::create_directories(folder);
    if (geteuid() != 0 || std::system(("bindfs '" + under.string() + "' '" + folder.string() + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "only root with bindfs and FUSE can show a folder so";
    }
    {
        const std::unique_ptr<RecordStore> store = folderStore(folder);
        ASSERT_TRUE(store->append("one") && store->sync());
        EXPECT_EQ(store->moveAside("game-set-aside-0001-x"), RecordStore::Move::moved);
        EXPECT_EQ(contentsOf(under / "game-set-aside-0001-x"), "one");
        EXPECT_FALSE(std::filesystem::exists(under / "game"));
        ASSERT_TRUE(store->append("two") && store->sync());
        EXPECT_EQ(store->moveAside("game-set-aside-0001-x"), RecordStore::Move::nameTaken);
        EXPECT_EQ(contentsOf(under / "game-set-aside-0001-x"), "one");
        EXPECT_EQ(contentsOf(under / "game"), "two");
        std::filesystem::remove(under / "game");
        std::filesystem::create_directory(under / "game");
        EXPECT_EQ(store->moveAside("game-set-aside-0002-x"), RecordStore::Move::failed) << "a folder takes no second name";
    }
    umount2(folder.c_str(), MNT_DETACH);
}

// A limit on the size of files (ulimit -f) fails the write that would pass it: the game says so once
// and plays on, where the signal the system sends would have ended it unsaid.
TEST(PosixStore, AFileSizeLimitFailsAWriteAndNeverEndsTheGame) {
    const TestFolder folder;
    const auto limited = [&] {
        const rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string screen = playInto(folder.path, longSickness());
        const std::size_t said = screen.find("zandrel: ");
        // Only that line: the test reads what the game said through a file, under the same limit.
        std::cerr << screen.substr(said, screen.find('\n', said) - said);
        std::exit(0);
    };
    EXPECT_EXIT(limited(), ::testing::ExitedWithCode(0),
                "this game can no longer be kept, so it cannot be resumed \\(.*File too large\\)");
}

// One game at a time, whatever is done to the lock file: held by a game of 2.1.0 that locked that
// file alone, or planted as a hard link to a file elsewhere, which is never written through.
TEST(PosixStore, OneGameAtATimeHoweverTheLockFileIsTreated) {
    const TestFolder test;
    const std::filesystem::path folder = test.path / "zandrel";
    std::filesystem::create_directories(folder);
    const int old = open((folder / "lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(old, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::write(old, "4242\n", 5), 5);
    const std::unique_ptr<RecordStore> refused = folderStore(folder);
    EXPECT_EQ(refused->lock().detail, "4242") << "a game of 2.1.0 holds the lock file alone";
    close(old);
    EXPECT_EQ(folderStore(folder)->lock().state, RecordStore::Lock::State::taken) << "the refused game let go";

    std::filesystem::remove(folder / "lock");
    write(test.path / "elsewhere", "not the game's");
    std::filesystem::create_hard_link(test.path / "elsewhere", folder / "lock");
    const std::unique_ptr<RecordStore> unusable = folderStore(folder);
    const RecordStore::Lock planted = unusable->lock();
    EXPECT_EQ(planted.state, RecordStore::Lock::State::unusable);
    EXPECT_EQ(planted.detail, (folder / "lock").string() + ": it has more than one link");
    EXPECT_EQ(contentsOf(test.path / "elsewhere"), "not the game's");
    std::filesystem::remove(folder / "lock");
    EXPECT_EQ(folderStore(folder)->lock().state, RecordStore::Lock::State::taken) << "the refused game let go";
}

// A folder that others may write to, or that another user owns, could be handed a record or a lock
// that is not the player's: the game says so once and plays on without keeping anything there.
TEST(PosixStore, AFolderOthersMayWriteToOrAnotherUserOwnsIsNotUsed) {
    const TestFolder test;
    std::filesystem::create_directories(test.path);
    chmod(test.path.c_str(), 0777);
    std::string said = playKnightInto(test.path);
    EXPECT_THAT(said, ::testing::StartsWith("zandrel: this game is not kept, so it cannot be resumed (" +
                                            test.path.string() + ": others may write to it)\n\n\n\n\t\tWelcome"));
    EXPECT_FALSE(std::filesystem::exists(test.path / "game"));
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can give the folder to another user";
    }
    chmod(test.path.c_str(), 0700);
    ASSERT_EQ(chown(test.path.c_str(), 4242, 4242), 0);
    said = playKnightInto(test.path);
    EXPECT_THAT(said, ::testing::StartsWith("zandrel: this game is not kept, so it cannot be resumed (" +
                                            test.path.string() + ": it belongs to another user)\n"));
    EXPECT_FALSE(std::filesystem::exists(test.path / "game"));
}

// Each call of the store on a disk that works: what it keeps, reads, moves and removes, and that
// nothing it opened stays open once it goes.
TEST(PosixStore, EachCallKeepsReadsMovesAndRemovesWhatItSays) {
    const TestFolder test;
    const std::filesystem::path folder = test.path / "zandrel";
    const std::size_t filesBefore = openFiles();
    {
        const std::unique_ptr<RecordStore> store = folderStore(folder);
        EXPECT_EQ(store->read(100).state, RecordStore::Contents::State::none);
        std::filesystem::create_directories(folder);
        write(folder / "lock", "12345678901234567890\n"); // left by a game gone
        ASSERT_EQ(store->lock().state, RecordStore::Lock::State::taken);
        EXPECT_EQ(store->lock().state, RecordStore::Lock::State::taken) << "a second call changes nothing";
        EXPECT_EQ(contentsOf(folder / "lock"), std::to_string(getpid()) + "\n");
        EXPECT_FALSE(store->sync()) << "nothing to sync";
        EXPECT_EQ(store->lastProblem(), (folder / "game").string() + ": Bad file descriptor");
        ASSERT_TRUE(store->append("abcdef") && store->append("gh") && store->sync());
        EXPECT_EQ(store->read(100).text, "abcdefgh");
        EXPECT_EQ(store->read(3).text, "abc") << "no more than asked";
        ASSERT_TRUE(store->cut(5));
        EXPECT_EQ(contentsOf(folder / "game"), "abcde");
        EXPECT_TRUE(store->rewriteStart("XY"));
        EXPECT_TRUE(store->rewriteStart("0123456789")) << "written over the whole record, no further";
        EXPECT_EQ(contentsOf(folder / "game"), "01234");
        EXPECT_EQ(store->moveAside("game-set-aside-0001-x"), RecordStore::Move::moved);
        ASSERT_TRUE(store->append("again") && store->sync()) << "a new record, not the one moved aside";
        EXPECT_EQ(contentsOf(folder / "game"), "again");
        EXPECT_EQ(store->renameFile("game", "game-set-aside-0002-x"), RecordStore::Move::moved);
        EXPECT_EQ(store->moveAside("game-set-aside-0003-x"), RecordStore::Move::noRecord);
        EXPECT_FALSE(store->rewriteStart("X")) << "no record to write over";
        EXPECT_EQ(store->read(100).state, RecordStore::Contents::State::none);
        ASSERT_TRUE(store->append("again") && store->sync());
        EXPECT_TRUE(store->removeSetAside("game-set-aside-0002-x"));
        EXPECT_EQ(store->moveAside("game-set-aside-0001-x"), RecordStore::Move::nameTaken);
        EXPECT_EQ(contentsOf(folder / "game-set-aside-0001-x"), "01234") << "nothing replaced";
        EXPECT_EQ(store->namesSetAside(), std::vector<std::string>{"game-set-aside-0001-x"});

        EXPECT_TRUE(store->appendFile("finished-games", "one\n") && store->appendFile("finished-games", "two\n"));
        EXPECT_EQ(store->readFile("finished-games", 100).text, "one\ntwo\n");
        EXPECT_EQ(store->renameFile("finished-games", "finished-0001"), RecordStore::Move::moved);
        EXPECT_EQ(store->renameFile("finished-games", "finished-0002"), RecordStore::Move::noRecord);
        EXPECT_EQ(store->renameFile("game", "finished-0001"), RecordStore::Move::nameTaken);
        auto names = store->namesStartingWith("finished-").value_or(std::vector<std::string>{});
        EXPECT_EQ(names, std::vector<std::string>{"finished-0001"});
        EXPECT_TRUE(store->removeFile("finished-0001") && store->removeFile("finished-0001")) << "none is no fault";
        EXPECT_TRUE(store->removeSetAside("game-set-aside-0001-x"));
        EXPECT_TRUE(store->remove() && store->remove());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "the lock alone is left";
        ASSERT_TRUE(store->append(std::string(20'000, 'x')) && store->sync()) << "a new record, not the one removed";
        EXPECT_EQ(store->read(10'000).text.size(), 10'000U) << "no more than asked, over several reads";
        EXPECT_TRUE(store->remove());
        EXPECT_TRUE(store->keepsFinishedGames());
        EXPECT_EQ(store->whereIs("game"), (folder / "game").string());

        // A name that is not a regular file is never read as one.
        std::filesystem::create_directory(folder / "finished-0009");
        const RecordStore::Contents folderRead = store->readFile("finished-0009", 100);
        EXPECT_EQ(folderRead.state, RecordStore::Contents::State::unreadable);
        EXPECT_EQ(folderRead.why, (folder / "finished-0009").string() + ": not a regular file");
        // A folder in the record's place is set aside as any record that cannot be read.
        std::filesystem::create_directory(folder / "game");
        EXPECT_EQ(store->read(100).state, RecordStore::Contents::State::unreadable);
        EXPECT_EQ(store->moveAside("game-set-aside-0009-x"), RecordStore::Move::moved);
        EXPECT_TRUE(std::filesystem::is_directory(folder / "game-set-aside-0009-x"));
        store->unlock();
        EXPECT_EQ(folderStore(folder)->lock().state, RecordStore::Lock::State::taken) << "let go";
    }
    EXPECT_EQ(openFiles(), filesBefore) << "a file was left open";

    // A folder that is not there is read as holding nothing; one that others may write to is not
    // read at all.
    EXPECT_EQ(folderStore(test.path / "none")->readFile("game", 9).state, RecordStore::Contents::State::none);
    EXPECT_EQ(folderStore(test.path / "none")->namesStartingWith("game"), std::vector<std::string>{});
    chmod(folder.c_str(), 0777);
    const RecordStore::Contents shared = folderStore(folder)->readFile("lock", 9);
    EXPECT_EQ(std::pair(shared.state, shared.why),
              std::pair(RecordStore::Contents::State::unreadable, folder.string() + ": others may write to it"));
    chmod(folder.c_str(), 0700);

    // The holder of a lock is told as far as its first line goes, and no further than a process id.
    const int held = open((folder / "lock").c_str(), O_RDWR);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(ftruncate(held, 0), 0);
    ASSERT_EQ(::write(held, "123456789012345678901234567890\n", 31), 31);
    EXPECT_EQ(folderStore(folder)->lock().detail, "12345678901234567890123");
    close(held);
}

// On a disk that has gone read-only, each call that writes fails and says why, and each that reads
// still reads.
TEST(PosixStore, EachCallThatWritesSaysWhyOnADiskGoneReadOnly) {
    const TestFolder test;
    const std::filesystem::path folder = test.path / "zandrel";
    const std::filesystem::path seen = test.path / "read-only";
    {
        const std::unique_ptr<RecordStore> store = folderStore(folder);
        ASSERT_EQ(store->lock().state, RecordStore::Lock::State::taken);
        ASSERT_TRUE(store->append("zandrel record 2\n") && store->sync() && store->appendFile("finished-games", "x"));
    }
    std::filesystem::create_directories(seen);
    if (geteuid() != 0 || mount(folder.c_str(), seen.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "only root can show the folder read-only";
    }
    const bool readOnly = mount(nullptr, seen.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    const std::string gone = ": Read-only file system";
    if (readOnly) {
        const std::unique_ptr<RecordStore> store = folderStore(seen);
        const RecordStore::Lock lock = store->lock();
        EXPECT_EQ(lock.state, RecordStore::Lock::State::unusable);
        EXPECT_EQ(lock.detail, (seen / "lock").string() + gone);
        // Each call after one that failed on another name, so that each must say its own.
        const std::pair<std::function<bool()>, std::string> calls[] = {
            {[&] { return store->append("p\n"); }, "game"},
            {[&] { return store->appendFile("finished-games", "y"); }, "finished-games"},
            {[&] { return store->cut(3); }, "game"},
            {[&] { return store->renameFile("finished-games", "finished-0001") != RecordStore::Move::failed; },
             "finished-games"},
            {[&] { return store->rewriteStart("stopped"); }, "game"},
            {[&] { return store->removeFile("finished-games"); }, "finished-games"},
            {[&] { return store->moveAside("game-set-aside-0001-x") != RecordStore::Move::failed; }, "game"},
            {[&] { return store->appendFile("finished-games", "y"); }, "finished-games"},
            {[&] { return store->remove(); }, "game"},
        };
        for (const auto& [call, name] : calls) {
            EXPECT_FALSE(call()) << name;
            EXPECT_EQ(store->lastProblem(), (seen / name).string() + gone);
        }
        EXPECT_EQ(store->read(100).text, "zandrel record 2\n");
        EXPECT_EQ(store->namesStartingWith("finished-").value_or(std::vector<std::string>{}),
                  std::vector<std::string>{"finished-games"});
    }
    umount2(seen.c_str(), MNT_DETACH);
    EXPECT_TRUE(readOnly);
}

} // namespace
} // namespace zandrel::testing
