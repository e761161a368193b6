// The folder a native game is kept in, played through the record layer as a person plays: a record
// that cannot be resumed is set aside beside the others, never over one, the newest five are kept,
// and a folder the game cannot use is said once while the game plays on.
#include "support/KeptFolder.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace zandrel::testing {

TEST(FolderStore, RecordsThatCannotBeResumedAreSetAsideNeverOverAnotherAndTheNewestFiveAreKept) {
    const TestFolder folder;
    playKnightInto(folder.path);
    EXPECT_THAT(contentsOf(folder.path / "game"), ::testing::StartsWith("zandrel record 2\nbegan "));
    // Set aside before: by 2.1.0 under the names it would take in the next seconds, and by a game
    // whose clock was ahead, which is set back since. None is written over, and they are the
    // oldest.
    std::set<std::string> earlier = {"game-set-aside-0001-20991231T235959Z"};
    for (std::time_t when = std::time(nullptr), end = when + 3; when < end; ++when) {
        char planted[64];
        std::strftime(planted, sizeof planted, "game-set-aside-%Y%m%dT%H%M%SZ-01", std::gmtime(&when));
        earlier.insert(planted);
    }
    for (const std::string& name : earlier) {
        write(folder.path / name, "an earlier record");
    }
    std::vector<std::string> ours;
    for (int damaged = 0; damaged < 6; ++damaged) {
        write(folder.path / "game", "damaged " + std::to_string(damaged) + "\n");
        const std::string said = playKnightInto(folder.path);
        const std::string asBefore =
            "zandrel: your unfinished game cannot be resumed (its record is damaged); it is set aside as ";
        ASSERT_THAT(said, ::testing::StartsWith(asBefore + (folder.path / "game-set-aside-").string()));
        ours.push_back(
            said.substr(said.find("game-set-aside-"), said.find(", and a new game") - said.find("game-set")));
        EXPECT_FALSE(earlier.contains(ours.back())) << ours.back() << " was set aside over another";
        EXPECT_THAT(contentsOf(folder.path / ours.back()), ::testing::StartsWith("damaged " + std::to_string(damaged)));
    }
    std::set<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("game-set-aside-")) {
            kept.insert(name);
        }
    }
    EXPECT_EQ(kept, std::set<std::string>(std::next(ours.begin()), ours.end())) << "the five set aside last";
    EXPECT_THAT(contentsOf(folder.path / "game"), ::testing::StartsWith("zandrel record 2\nbegan "));
}

// A lock deleted under a game, where the system lets it be deleted at all, still keeps a second one out.
TEST(FolderStore, ALockDeletedUnderAGameStillKeepsASecondOneOut) {
    const TestFolder folder;
    const std::unique_ptr<RecordStore> first = folderStore(folder.path);
    ASSERT_EQ(first->lock().state, RecordStore::Lock::State::taken);
    std::error_code refused;
    std::filesystem::remove(folder.path / "lock", refused);
    const RecordStore::Lock second = folderStore(folder.path)->lock();
    EXPECT_EQ(second.state, RecordStore::Lock::State::heldElsewhere) << "a second game took the record";
    first->unlock();
    EXPECT_EQ(folderStore(folder.path)->lock().state, RecordStore::Lock::State::taken);
}

TEST(FolderStore, AFolderTheGameCannotUseIsSaidOnceAndTheGamePlaysOn) {
    const TestFolder folder;
    write(folder.path, "a file where the folder should be");
    const std::string screen = playKnightInto(folder.path);
    EXPECT_THAT(screen,
                ::testing::StartsWith("zandrel: this game is not kept, so it cannot be resumed (" + folder.path.string()));
    EXPECT_THAT(screen, ::testing::HasSubstr(")\n\n\n\n\t\tWelcome"));
    EXPECT_EQ(contentsOf(folder.path), "a file where the folder should be");
}

} // namespace zandrel::testing
