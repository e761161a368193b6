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
    EXPECT_THAT(contentsOf(folder.path / "game"), ::testing::StartsWith("zandrel record 1\nbegan "));
    // Names the game would take in the next seconds, already there: none is written over.
    std::set<std::string> names;
    std::string last;
    for (std::time_t when = std::time(nullptr), end = when + 3; when < end; ++when) {
        char planted[64];
        std::strftime(planted, sizeof planted, "game-set-aside-%Y%m%dT%H%M%SZ-01", std::gmtime(&when));
        write(folder.path / planted, "an earlier record");
        names.insert(planted);
    }
    for (int damaged = 0; damaged < 6; ++damaged) {
        write(folder.path / "game", "damaged " + std::to_string(damaged) + "\n");
        const std::string said = playKnightInto(folder.path);
        const std::string asBefore =
            "zandrel: your unfinished game cannot be resumed (its record is damaged); it is set aside as ";
        ASSERT_THAT(said, ::testing::StartsWith(asBefore + (folder.path / "game-set-aside-").string()));
        last = said.substr(said.find("game-set-aside-"), said.find(", and a new game") - said.find("game-set"));
        EXPECT_TRUE(names.insert(last).second) << last << " was set aside over another";
    }
    std::set<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        const std::string name = entry.path().filename().string();
        const std::string record = contentsOf(entry.path());
        if (name.starts_with("game-set-aside-")) {
            kept.insert(name);
            EXPECT_TRUE(record == "an earlier record" || record.starts_with("damaged ")) << name << ": " << record;
        }
    }
    EXPECT_EQ(kept, std::set<std::string>(std::next(names.begin(), 4), names.end())) << "the newest five";
    EXPECT_THAT(contentsOf(folder.path / last), ::testing::StartsWith("damaged 5"));
    EXPECT_THAT(contentsOf(folder.path / "game"), ::testing::StartsWith("zandrel record 1\nbegan "));
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
