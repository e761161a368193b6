// The finished games: each kept under its number with a summary in a list that fits 80 columns, the
// records of the newest hundred kept and the summaries of all; a damaged list rebuilt beside its old
// copy; and any of them replayed again, or refused in one line.
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "console/Console.hpp"
#include "record/Archive.hpp"
#include "record/GameList.hpp"
#include "record/Record.hpp"
#include "record/Replayer.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace zandrel::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::uint8_t> seed(const std::string& name) {
    return fuzz::readBytes(std::filesystem::path(ZANDREL_SOURCE_DIR) / "tools/fuzz/corpus" / name);
}

// What the store's finished games say, and the exit status, as a command of the game shows them.
struct Shown {
    int status = 0;
    std::string out;
    std::string err;
};

template <typename Command> Shown show(Command command) {
    std::ostringstream out;
    std::ostringstream err;
    Shown shown;
    const SeamsInPlace inPlace(Seams{nullptr, &out, &err, [] {}, [] { return 0; }, nullptr});
    shown.status = command();
    shown.out = out.str();
    shown.err = err.str();
    return shown;
}

// Games played to their ends, kept as a person plays them, numbered in the order they ended; the
// list tells each, newest first, and a line for each class played; the end of each says its number.
TEST(GameList, FinishedGamesAreNumberedListedNewestFirstAndCountedByClass) {
    fuzz::MemoryStore store;
    EXPECT_EQ(show([&] { return listFinishedGames(store, true); }).out,
              "No game of yours has ended yet: a game won or lost is kept here once it ends.\n");
    std::string lastScreen;
    for (const char* name : {"knight_wins", "priest_loses", "undead_crosses_over", "knight_wins"}) {
        std::ostringstream screen;
        fuzz::playKept(seed(name), store, screen);
        lastScreen = screen.str();
    }
    EXPECT_TRUE(lastScreen.ends_with("Press any key to continue . . . \nGame 4 is kept; zandrel --replay 4 shows it again.\n"))
        << lastScreen.substr(lastScreen.size() - 200);
    EXPECT_FALSE(store.record) << "nothing is left to resume";

    const Shown table = show([&] { return listFinishedGames(store, true); });
    std::istringstream lines(table.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79U) << line;
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 10U) << table.out;
    EXPECT_EQ(rows[0], "    #  Ended             Class     Won  Level Region Turns Life Str Craft Gold");
    for (std::size_t row = 1; row <= 4; ++row) {
        EXPECT_THAT(rows[row], StartsWith("    " + std::to_string(5 - row) + "  2")) << "newest first";
    }
    EXPECT_THAT(rows[1], HasSubstr(":"));
    EXPECT_EQ(rows[1].substr(25, 27), "Knight    yes      0      3") << rows[1];
    EXPECT_THAT(rows[2], HasSubstr("  Undead    no "));
    EXPECT_EQ(rows[6], "Class     Games  Wins  Fewest turns to a win");
    EXPECT_THAT(rows[7], StartsWith("Knight        2     2  "));
    EXPECT_EQ(rows[8], "Priest        1     0  -");

    // Elsewhere one plain line a game, for sort and grep.
    const Shown plain = show([&] { return listFinishedGames(store, false); });
    EXPECT_THAT(plain.out, StartsWith("4 won Knight level "));
    EXPECT_THAT(plain.out, HasSubstr("\n3 lost Undead level "));
    EXPECT_THAT(plain.out, HasSubstr(" title Priest\n1 won Knight "));
    EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 4);
}

// A hundred records are kept, the newest, and the summaries of all; a list found damaged is rebuilt
// from the records and what can still be read of it, its old copy kept beside them; a damaged record
// stays among the finished games under its own name, and takes none of the five places.
TEST(GameList, TheNewestHundredRecordsAndEverySummaryStayAndADamagedListIsRebuilt) {
    fuzz::MemoryStore store;
    record::Summary summary;
    summary.className = summary.title = "Ogre";
    std::string list = "zandrel finished games 1\n";
    for (int number = 1; number <= 100; ++number) {
        summary.began = number;
        store.files[archive::finishedName(number)] = record::header(number) + "p\n" + record::endedLine(summary);
        list += std::to_string(number) + " " + std::to_string(number) + " " + record::summaryWords(summary) + "\n";
    }
    store.files["finished-games"] = list;
    std::ostringstream screen;
    fuzz::playKept(seed("priest_loses"), store, screen);
    EXPECT_THAT(screen.str(), HasSubstr("Game 101 is kept"));
    EXPECT_FALSE(store.files.contains("finished-0001")) << "the oldest record goes";
    EXPECT_TRUE(store.files.contains("finished-0002") && store.files.contains("finished-0101"));
    EXPECT_THAT(show([&] { return listFinishedGames(store, false); }).out, HasSubstr("\n1 lost Ogre ")) << "its summary stays";
    const Shown gone = show([&] { return replayFinishedGame(store, "1", false); });
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(gone.err, "zandrel: game 1 cannot be replayed: only the records of the newest 100 games are kept\n");
    const Shown unknown = show([&] { return replayFinishedGame(store, "102", false); });
    EXPECT_EQ(unknown.err, "zandrel: there is no game 102 among your games (zandrel --games lists them)\n");

    // The list damaged in two places: game 1's line, whose record is gone, survives the rebuild.
    const std::string before = store.files["finished-games"];
    store.files["finished-games"] = before.substr(0, before.find("\n50 ")) + "\nnot a game\n" +
                                    before.substr(before.find("\n51 ") + 1) + "102 torn";
    store.files[archive::finishedName(102)] = "damaged";
    const auto games = archive::finishedGames(store, true);
    ASSERT_TRUE(games);
    EXPECT_EQ(games->size(), 102U);
    EXPECT_EQ(games->front().number, 1);
    EXPECT_TRUE(games->front().summary && !games->front().recordKept);
    EXPECT_FALSE(games->back().summary) << "game 102's record is damaged";
    EXPECT_TRUE(games->back().recordKept);
    const auto copies = store.namesStartingWith("finished-games-damaged-");
    ASSERT_EQ(copies->size(), 1U);
    EXPECT_THAT(store.files[copies->front()], HasSubstr("\nnot a game\n"));
    EXPECT_THAT(store.files["finished-games"], HasSubstr("\n50 50 0 lost Ogre ")) << "rebuilt from game 50's record";
    EXPECT_THAT(show([&] { return listFinishedGames(store, true); }).out, HasSubstr("\n  102  its record is damaged\n"));
    EXPECT_TRUE(store.setAside.empty());
}

// A replay refuses, in one line and with status 2, a record it cannot show as it was played.
TEST(GameList, ARecordThatCannotBeReplayedIsRefusedInOneLine) {
    fuzz::MemoryStore store;
    std::ostringstream screen;
    fuzz::playKept(seed("knight_wins"), store, screen);
    const std::string won = store.files["finished-0001"];
    std::string lost = won;
    lost.replace(lost.rfind(" won "), 5, " lost ");
    std::string format1 = won;
    format1.replace(0, format1.find("rules 1\n") + 8, "zandrel record 1\nbegan 5\n");
    const std::pair<std::string, std::string> records[] = {
        {lost, "it does not end as its record says"},
        {won.substr(0, won.find("\na ")) + "\nd 3\n", "its record no longer fits the game"},
        {"zandrel record 2\nbegan 5\nrules 9\np\n", "it was played under other rules"},
        {"zandrel record 7\n", "its record is of another format"},
        {"", "it holds no game"},
        {"not a record\n", "its record is damaged"},
    };
    for (const auto& [record, why] : records) {
        const std::string& text = record; // older clang cannot capture a structured binding
        const Shown refused = show([&] { return replayRecord(text, false, "the game in it"); });
        EXPECT_EQ(refused.status, 2) << why;
        EXPECT_EQ(refused.err, "zandrel: the game in it cannot be replayed: " + why + "\n");
        EXPECT_EQ(refused.out, "") << "nothing of it is shown";
    }
    // A record of 2.1, of format 1 and no rules line, replays as it was played.
    const Shown old = show([&] { return replayRecord(format1, false, "game 1"); });
    EXPECT_EQ(old.status, 0) << old.err;
    EXPECT_EQ(old.out, show([&] { return replayFinishedGame(store, "1", false); }).out);
    EXPECT_THAT(old.out, HasSubstr("You have claimed the Crown of Command for the victory.\n"));
}

} // namespace
} // namespace zandrel::testing
