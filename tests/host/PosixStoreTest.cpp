// The POSIX folder: where it is, private to the player, and a record path that is a symbolic link
// or a FIFO is never written through nor waited on.
#include "support/KeptFolder.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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

} // namespace
} // namespace zandrel::testing
