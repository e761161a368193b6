// A game kept as it is played: nothing is shown before it is kept, a game cut short anywhere
// resumes at the screen the player left and plays on as it would have, and a record that cannot
// be resumed is set aside for a new game.
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "console/Console.hpp"
#include "flow/Start.hpp"
#include "record/KeptGame.hpp"
#include "record/Record.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <regex>
#include <sstream>
#include <streambuf>

namespace zandrel::testing {
namespace {

using fuzz::MemoryStore;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::uint8_t> script(const std::string& name) {
    return fuzz::readBytes(std::filesystem::path(ZANDREL_SOURCE_DIR) / "tools/fuzz/corpus" / name);
}

// A screen that notes in the store's log each piece of text handed to it, and each flush.
class LoggedScreen final : public std::streambuf {
public:
    explicit LoggedScreen(std::vector<std::string>& log) : log_(log) {}

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        log_.push_back("show " + std::string(text, static_cast<std::size_t>(count)));
        return count;
    }
    int_type overflow(int_type c) override {
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    int sync() override {
        log_.emplace_back("flush");
        return 0;
    }

private:
    std::vector<std::string>& log_;
};

std::size_t count(const std::string& text, const std::regex& pattern) {
    return static_cast<std::size_t>(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), {}));
}

// An Undead on the Plains, below 2 Life, draws sickness again two hundred times, more text than
// fits the game's buffer between two flushes, and then a friendly merchant.
std::vector<std::uint8_t> twoHundredSicknesses() {
    std::vector<std::uint8_t> input = {'u', '\n', 'y', '\n', 0, 0};
    input.insert(input.end(), 200, 16);
    input.push_back(3);
    return input;
}

// No die or card reaches the screen before the draw it shows is written to the record and synced,
// also when the text fills the game's buffer between two flushes: a player who quits after a bad
// roll finds the same roll on the next start. The screen is flushed whenever the game waits, and
// the record is synced only when there is something new in it.
TEST(KeptGame, NoDrawIsShownBeforeItIsSynced) {
    const std::string sickness = "You drew the number 16 card.\n";
    const std::pair<std::vector<std::uint8_t>, std::size_t> games[] = {{script("knight_wins"), 24},
                                                                       {twoHundredSicknesses(), 202}};
    for (const auto& [input, drawsShown] : games) {
        std::vector<std::string> log;
        MemoryStore store;
        store.log = &log;
        LoggedScreen logged(log);
        std::ostream screen(&logged);
        fuzz::playKept(input, store, screen);
        const std::regex drawLine("^d ", std::regex::multiline);
        const std::regex shownDraw("rolled a|drew the number");
        std::size_t written = 0;
        std::size_t synced = 0;
        std::size_t shown = 0;
        std::string waiting;
        std::string shownText;
        for (const std::string& entry : log) {
            if (entry.starts_with("append ")) {
                written += count(entry.substr(7), drawLine);
                waiting = "sync";
            } else if (entry == "sync") {
                EXPECT_EQ(waiting, "sync") << "a sync with nothing new to keep";
                synced = written;
                waiting.clear();
            } else if (entry.starts_with("show ")) {
                shownText += entry.substr(5);
                shown += count(entry, shownDraw);
                ASSERT_LE(shown, synced) << "shown before its draw was synced: " << entry;
                EXPECT_NE(waiting, "flush") << "the game went on while the player's screen was not flushed";
                const bool waits = entry.ends_with(". . . ") || entry.ends_with("response: ");
                waiting = waits ? "flush" : waiting == "flush" ? "" : waiting;
            } else if (waiting == "flush") {
                waiting.clear();
            }
        }
        EXPECT_EQ(shown, drawsShown);
        EXPECT_EQ(count(shownText, std::regex(sickness)), drawsShown == 202 ? 200U : 0U) << "nothing lost between buffers";
    }
}

// A game resumed from `record` shows the screen the player left and the rest of the whole game,
// with the same ending.
void expectResumedAlike(std::span<const std::uint8_t> input, const std::string& record, const std::string& whole,
                        const fuzz::Ending& ending, MemoryStore& store) {
    store.record = record;
    store.files.clear(); // the finished game is numbered as the whole one was
    std::ostringstream resumed;
    EXPECT_EQ(fuzz::playKept(input, store, resumed).status, ending.status);
    EXPECT_TRUE(fuzz::resumedAlike(whole, resumed.str()))
        << "cut after " << record.size() << " bytes of the record, it resumed as\n"
        << resumed.str().substr(0, 400);
}

// The Knight's question answered at last, after refused answers: every byte but the line end (and
// the zero that ends a script's answers), an empty line, lines longer than the game reads, one of
// them of characters of two bytes each, one ended by a carriage return as a Windows console ends it,
// and backslashes that look like the record's.
std::vector<std::uint8_t> oddAnswers() {
    std::string answers = "k\nx\\x41\\\\\n" + std::string(100, 'x') + "\nx";
    for (int i = 0; i < 60; ++i) {
        answers += "\xc3\xa9";
    }
    answers += "\n";
    for (int byte = 1; byte < 256; ++byte) {
        answers += byte % 40 == 1 ? "\nx" : "";
        answers += byte == '\n' ? ' ' : static_cast<char>(byte);
    }
    answers += "\nx\r\ny\n";
    return {answers.begin(), answers.end()};
}

// Every recorded game, cut after each event and inside each line of its record (a write torn by
// a crash), resumes alike; and again when its resumed game is cut once more. So does a game of
// odd answers, each kept in the record as it was typed.
TEST(KeptGame, AGameCutAnywhereResumesAtTheScreenItWasLeftAtAndPlaysOnAlike) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> games = {{"odd answers", oddAnswers()}};
    for (const fuzz::RecordedGame& game : fuzz::recordedGames(ZANDREL_SOURCE_DIR)) {
        games.emplace_back(game.name, fuzz::readBytes(game.script));
    }
    for (const auto& [name, input] : games) {
        SCOPED_TRACE(name);
        MemoryStore kept;
        std::ostringstream screen;
        const fuzz::Ending ending = fuzz::playKept(input, kept, screen);
        ASSERT_FALSE(kept.synced.empty());
        EXPECT_EQ(kept.record.has_value(), ending.status.value_or(2) >= 2) << "only a finished game is forgotten";
        const std::string record = kept.synced.back();
        if (name == "odd answers") {
            EXPECT_THAT(record,
                        HasSubstr("\na k\na x\\\\x41\\\\\\\\\na " + std::string(100, 'x') + "\na x\\xc3\\xa9"));
            EXPECT_THAT(record, HasSubstr("\\xc3\\xa9\na \na x\\x01\\x02"));
            EXPECT_THAT(record, ::testing::AllOf(HasSubstr("\\x09 \\x0b"), HasSubstr("~\\x7f\\x80"),
                                                 HasSubstr("\\xff\na x\\x0d\na y\n")));
            const std::string response = "What is your response: ";
            EXPECT_THAT(screen.str(), HasSubstr(response + "x\xc3\xa9\xc3\xa9"));
            EXPECT_THAT(screen.str(), ::testing::AllOf(HasSubstr(response + "x\\x41\\\\\n"),
                                                       HasSubstr(response + "x^A^B^C^D^E^F^G^H\t ^K^L^M^N"),
                                                       HasSubstr(response + "x\n"), HasSubstr("z{|}~^?\x80")));
        }
        const std::string whole = screen.str();
        std::vector<std::size_t> ends;
        // From the first event on: a record of a header alone holds no game to resume.
        const std::size_t header = record.find('\n', record.find("\nrules ") + 1) + 1;
        for (std::size_t end = header; (end = record.find('\n', end) + 1) != 0;) {
            ends.push_back(end);
        }
        // A finished game's record, whole or but for the line that says how it ended, is no longer
        // resumable: it is left out here.
        const bool finished = ending.status.value_or(2) < 2;
        ends.resize(ends.size() - (finished ? 2 : 0));
        const std::size_t step = std::max<std::size_t>(1, ends.size() / 150); // long games are sampled
        for (std::size_t i = 0; i < ends.size(); i += step) {
            MemoryStore cut;
            expectResumedAlike(input, record.substr(0, ends[i]), whole, ending, cut);
            const std::size_t torn = i + 1 < ends.size() ? (ends[i] + ends[i + 1]) / 2 : ends[i];
            expectResumedAlike(input, record.substr(0, torn), whole, ending, cut);
            // A record written after a torn line was cut away resumes as well, unless it is the
            // whole record of the finished game again.
            const std::string& rewritten = cut.synced.empty() ? record : cut.synced[cut.synced.size() / 2];
            if (i % 10 == 0 && cut.synced.size() > 1 && !(finished && rewritten.size() >= ends.back())) {
                MemoryStore again;
                expectResumedAlike(input, rewritten, whole, ending, again);
            }
        }
    }
}

// Whether the text has the pattern's letters, with a digit wherever the pattern has a #.
bool looksLike(const std::string& text, const std::string& pattern) {
    return std::equal(text.begin(), text.end(), pattern.begin(), pattern.end(), [](char c, char wanted) {
        return wanted == '#' ? std::isdigit(static_cast<unsigned char>(c)) != 0 : c == wanted;
    });
}

// A record that cannot be resumed is set aside under a name of its own, never over an earlier
// one, the newest five are kept, and a new game begins from the banner.
TEST(KeptGame, ARecordThatCannotBeResumedIsSetAsideForANewGame) {
    const std::vector<std::uint8_t> won = script("knight_wins");
    MemoryStore whole;
    std::ostringstream unused;
    fuzz::playKept(won, whole, unused);
    const std::string header = record::header(5);
    // The whole game, but for the line that says how it ended.
    const std::string played = whole.synced.back().substr(0, whole.synced.back().rfind("ended "));
    const std::pair<std::string, std::string> records[] = {
        {header + "p\nq\n", "its record is damaged"},
        {header + "p\nd 07\n", "its record is damaged"}, // numbers are written without leading zeros
        {header + "p\nd 5x\n", "its record is damaged"},
        {"zandrel record 1\nbegan x\n", "its record is damaged"},
        {"zandrel record 2\nbegan 5\np\n", "its record is damaged"}, // no rules named
        {"zandrel record 3\nbegan 5\n", "its record is of another format"},
        {"zandrel record 2\nbegan 5\nrules 2\np\n", "its record was played under other rules"},
        {header + "stopped\n", "its record stopped in the middle of the game"},
        {"stopped record 1\nbegan 5\np\n", "its record stopped in the middle of the game"},
        {header + "d 3\n", "its record no longer fits the game"},
        {played + "p\n", "its record no longer fits the game"},
        {whole.synced.back() + "p\n", "its record is damaged"}, // nothing comes after the end
        {std::string(record::maxSize + 1, 'p'), "its record is longer than any kept game"},
    };
    // A Knight chosen, who waits for his first roll when the script's chance runs out (the answers
    // that a record seems to hold are skipped, so there are more).
    std::string knight;
    for (int i = 0; i < 6; ++i) {
        knight += "k\ny\n";
    }
    const std::vector<std::uint8_t> newGame(knight.begin(), knight.end());
    MemoryStore store;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < 2 * std::size(records); ++i) {
        const auto& [record, why] = records[i % std::size(records)];
        store.record = record;
        std::ostringstream screen;
        EXPECT_EQ(fuzz::playKept(newGame, store, screen).status, std::nullopt) << why;
        const std::string told = screen.str();
        EXPECT_THAT(told, HasSubstr("The Level 0 Knight!\n\nLife: 3 Strength: 3 Craft: 3 Gold: 1 EXP: 0/1")) << why;
        EXPECT_THAT(told, StartsWith("zandrel: your unfinished game cannot be resumed (" + why + "); it is set aside as "));
        EXPECT_THAT(told, HasSubstr(", and a new game begins\n\n\n\n\t\tWelcome to Zandrel")) << why;
        names.push_back(told.substr(told.find("game-set-aside-"), told.find(", and a new") - told.find("game-set")));
        EXPECT_TRUE(looksLike(names.back(), "game-set-aside-####-########T######Z")) << names.back();
        EXPECT_THAT(store.setAside[names.back()], StartsWith(record.substr(0, 20))) << why;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "no record set aside over another";
    EXPECT_EQ(fuzz::MemoryStore().namesSetAside(), std::vector<std::string>{});
    EXPECT_EQ(store.namesSetAside(), std::vector<std::string>(names.end() - 5, names.end())) << "the newest five";
    EXPECT_THAT(store.record.value_or(""), StartsWith(header.substr(0, 17))) << "the new game is kept";

    // Asked for a new game, the player's unfinished one is set aside first.
    fuzz::KeptPlay asked;
    asked.newGame = true;
    std::ostringstream screen;
    fuzz::playKept(newGame, store, screen, asked);
    EXPECT_THAT(screen.str(), StartsWith("zandrel: your unfinished game is set aside as game-set-aside-"));
    EXPECT_EQ(store.setAside.size(), 5U);
    const auto before = store.namesSetAside();
    store.record.reset(); // and with no unfinished game, nothing is set aside, nor any removed
    fuzz::playKept(newGame, store, screen, asked);
    EXPECT_EQ(store.namesSetAside(), before);

    // A record that can be neither resumed nor set aside is marked never to be resumed, in place,
    // and the new game is not kept.
    MemoryStore unmovable;
    unmovable.movesFail = true;
    unmovable.record = header + "q\n";
    std::ostringstream unkept;
    fuzz::playKept(newGame, unmovable, unkept);
    EXPECT_THAT(unkept.str(), StartsWith("zandrel: your unfinished game cannot be resumed (its "
                                         "record is damaged) nor set "
                                         "aside (the disk failed), so this game is not "
                                         "kept\n\n\n\n\t\tWelcome"));
    EXPECT_EQ(unmovable.record, "stopped record 1\nbegan 5\nrules 1\nq\n");

    // While another game holds the record, this one is refused and leaves it alone.
    MemoryStore held;
    held.heldBy = "4242";
    held.record = header;
    std::ostringstream refused;
    EXPECT_EQ(fuzz::playKept(newGame, held, refused, asked).status, anotherGameStatus);
    EXPECT_EQ(refused.str(), "zandrel: another game is in play (process 4242)\n");
    EXPECT_EQ(held.record, header);

    // The greatest draw a generator gives is resumed like any other.
    MemoryStore greatest;
    greatest.record = header + "p\na k\na y\np\np\nd 2147483647\n";
    std::ostringstream resumed;
    fuzz::playKept(newGame, greatest, resumed);
    EXPECT_THAT(resumed.str(), HasSubstr("You rolled a 2 on one die.\n\t2= Forest"));
}

// A record that holds no game, as a game killed before it kept anything leaves it (nothing, or a
// header cut short or alone), is removed without a word, takes none of the five places, and the new
// game is kept in its stead. A line typed longer than a record keeps loses its end, but never half
// a character.
TEST(KeptGame, ARecordThatHoldsNoGameIsRemovedQuietly) {
    const std::string header = record::header(17);
    for (const std::string& nothing : {std::string(), std::string("zandrel rec"), header.substr(0, 17),
                                       header.substr(0, header.size() - 1), header, header + "p"}) {
        MemoryStore store;
        store.record = nothing;
        std::ostringstream screen;
        const std::string answers = "k\nxx" + std::string(5000, '\0') + "\n";
        std::vector<std::uint8_t> input(answers.begin(), answers.end());
        for (std::size_t at = 4; at < answers.size() - 1; at += 2) {
            input[at] = 0xC3; // é, two bytes each, the second of one at the last byte kept
            input[at + 1] = 0xA9;
        }
        EXPECT_EQ(fuzz::playKept(input, store, screen).status, 2);
        EXPECT_THAT(screen.str(), StartsWith("\n\n\n\t\tWelcome")) << "said nothing: " << nothing;
        EXPECT_TRUE(store.setAside.empty());
        record::Replay kept = record::read(store.record.value_or(""));
        ASSERT_EQ(kept.state, record::Replay::State::resumable) << nothing;
        std::string longest;
        while (!kept.done()) {
            const record::Event event = kept.take();
            longest = event.answer.size() > longest.size() ? event.answer : longest;
        }
        EXPECT_EQ(longest.size(), 4094U);
        EXPECT_TRUE(longest.ends_with("\xc3\xa9"));
    }
}

// The usage and the version are shown on standard output, and an argument the game does not know
// is refused with the usage on standard error; none of them plays or touches a kept game. Only
// --new asks for a new game.
TEST(KeptGame, TheCommandLineShowsTheUsageOrTheVersionAndRefusesWhatItDoesNotKnow) {
    const std::string usage = "Usage: zandrel [--new | --games | --replay NUMBER | --replay FILE | --help | --version]\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    } lines[] = {
        {{"--version"}, 0, "zandrel " ZANDREL_VERSION "\n", ""},
        {{"--help"}, 0, usage, ""},
        {{"-n"}, 2, "", "zandrel: unknown argument: -n\n" + usage},
        {{"--replay"}, 2, "", "zandrel: --replay wants a number or a file: --replay\n" + usage},
    };
    for (auto line : lines) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        const SeamsInPlace inPlace(Seams{&in, &out, &err, [] {}, [] { return 0; }, nullptr});
        std::vector<char*> arguments = {nullptr};
        for (std::string& argument : line.arguments) {
            arguments.push_back(argument.data());
        }
        EXPECT_EQ(readCommandLine(arguments).status, line.status) << line.arguments[0];
        EXPECT_THAT(out.str(), StartsWith(line.out));
        EXPECT_THAT(err.str(), StartsWith(line.err));
        EXPECT_EQ(out.str().empty(), line.out.empty());
        EXPECT_EQ((out.str() + err.str()).find("--replay FILE    show again the game of a record file") != std::string::npos,
                  line.arguments[0] != "--version");
    }
    // Only --new asks for a new game; --games and --replay ask for the finished games.
    std::vector<std::string> words = {"zandrel", "--new", "--games", "--replay", "7"};
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    const std::span<char* const> all(arguments);
    EXPECT_EQ(readCommandLine(all.first(1)).action, Command::Action::play);
    EXPECT_FALSE(readCommandLine(all.first(1)).newGame);
    EXPECT_TRUE(readCommandLine(all.first(2)).newGame);
    EXPECT_EQ(readCommandLine(all.first(3)).action, Command::Action::games);
    const Command replay = readCommandLine(all);
    EXPECT_EQ(std::pair(replay.action, replay.replay), std::pair(Command::Action::replay, std::string("7")));
    EXPECT_FALSE(replay.status);
}

} // namespace
} // namespace zandrel::testing
