// The built game in a real terminal (tmux), played as a person would: keys typed, the screen read.
#include "FuzzGame.hpp"
#include "RecordedGames.hpp"
#include "console/Console.hpp"
#include "record/Replayer.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

const std::string pausePrompt = "Press any key to continue . . .";

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        for (int c; (c = std::fgetc(pipe)) != EOF;) {
            output.push_back(static_cast<char>(c));
        }
        pclose(pipe);
    }
    return output;
}

bool installed(const std::string& tool) { return !run("command -v " + tool).empty(); }

// Polls until the condition holds, for some seconds at most.
template <typename Condition> bool eventually(Condition holds) {
    for (int tries = 0; tries < 500 && !holds(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return holds();
}

// A game in a terminal of its own, on a tmux server of its own, played through the script that
// starts it as the player asks (a job of its own, under a launcher, or outliving its terminal) and
// notes in a folder the terminal's settings, the game's process and its exit status.
// Each keeps its game in a folder of its own, or in the one of an earlier game it plays on.
class TmuxGame {
public:
    explicit TmuxGame(const std::string& how, const std::string& game = "'" ZANDREL_BINARY "'",
                      const TmuxGame* keptBy = nullptr) {
        const std::string state = (keptBy != nullptr ? keptBy : this)->file("state");
        tmux("new-session -d -x 100 -y 40 env XDG_STATE_HOME=" + state + " sh '" ZANDREL_TERMINAL_SCRIPT "' " +
             folder_ + " " + how + " " + game);
    }
    TmuxGame(const TmuxGame&) = delete;
    TmuxGame& operator=(const TmuxGame&) = delete;
    ~TmuxGame() { tmux("kill-server 2>/dev/null; rm -rf " + folder_); }

    std::string tmux(const std::string& command) { return run("tmux -f /dev/null -L " + name_ + " " + command); }
    std::string noted(const std::string& name) { return run("cat " + folder_ + "/" + name + " 2>/dev/null"); }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }
    // What the terminal shows up to where the game waits, the rows scrolled off its top included:
    // since the game's last clear, which wipes the scrollback too.
    std::string screen() {
        const std::string shown = tmux("capture-pane -p -S -");
        return shown.substr(0, shown.find_last_not_of('\n') + 1);
    }
    bool shows(const std::string& text) { return eventually([&] { return screen().find(text) != std::string::npos; }); }
    bool waitsAtPause() { return eventually([&] { return screen().ends_with("\n" + pausePrompt); }); }
    // At the class menu: the Knight chosen and confirmed, and the game at the pause that follows.
    bool knightChosen() {
        tmux("send-keys k Enter");
        if (!shows("Are you sure you want to be Knight?")) {
            return false;
        }
        tmux("send-keys y Enter");
        return waitsAtPause() && inSingleKeyMode();
    }
    // The terminal's settings as anyone may read them, in the words stty uses everywhere.
    std::string settings() { return run("stty -a < " + tmux("display-message -p '#{pane_tty}'")); }
    // The pause has taken the terminal out of line mode.
    bool inSingleKeyMode() {
        return eventually([&] { return settings().find(" -icanon ") != std::string::npos; });
    }
    // The job has stopped and the script that started it has the terminal back; it waits for a word.
    bool jobStopped() {
        return eventually([&] { return !noted("stopped").empty(); });
    }
    // The job goes on in the background (bg): any stop from now on is a stop of its own.
    bool jobInBackground() {
        return eventually([&] { return !noted("background").empty(); });
    }
    void tell(const std::string& word) {
        run("rm -f " + file("stopped") + "; echo " + word + " > " + file("word.part") + "; mv " + file("word.part") +
            " " + file("word"));
    }
    void signal(const std::string& name, const std::string& process) {
        run("kill -" + name + " $(cat " + file(process) + ")");
    }
    // The game's process is stopped, whoever stopped it.
    bool gameStopped() {
        return eventually([&] { return run("ps -o stat= -p $(cat " + file("game") + ")").starts_with("T"); });
    }
    // The game's process is gone, however it ended.
    bool gameGone() {
        return eventually([&] { return run("kill -0 $(cat " + file("game") + ") 2>/dev/null || echo gone") == "gone\n"; });
    }
    bool endedWith(const std::string& status) {
        return eventually([&] { return noted("status") == status + "\n"; });
    }

private:
    inline static int games_ = 0;
    std::string name_ = "zandrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++games_);
    std::string folder_ = (std::filesystem::temp_directory_path() / name_).string();
};

#define REQUIRE_TMUX()                                                                                                 \
    if (!installed("tmux")) {                                                                                          \
        GTEST_SKIP() << "tmux is not installed, so there is no real terminal to play in";                              \
    }

TEST(RealTerminal, OneUnechoedKeyAnswersEachPauseAndTheTerminalIsLeftAsItWas) {
    REQUIRE_TMUX();
    TmuxGame game("job");
    ASSERT_TRUE(game.shows(pausePrompt));
    game.tmux("send-keys Up"); // no Enter: the arrow alone answers the pause, and none of its bytes the menu
    ASSERT_TRUE(game.shows("[U]ndead"));
    EXPECT_EQ(game.screen().find("Welcome to Zandrel"), std::string::npos) << "the menu is on a cleared screen";
    game.tmux("send-keys k Enter");
    ASSERT_TRUE(game.shows("Are you sure you want to be Knight?"));
    game.tmux("send-keys y Enter");
    ASSERT_TRUE(game.shows("response: y\n" + pausePrompt) && game.inSingleKeyMode() && !game.noted("before").empty());

    // Stopped at the pause, the game gives the terminal back; continued, it waits for a key again.
    game.tmux("send-keys C-z");
    ASSERT_TRUE(game.jobStopped());
    EXPECT_EQ(game.noted("stopped"), game.noted("before"));
    game.tell("fg");
    EXPECT_TRUE(game.waitsAtPause()) << "shown again after fg";
    game.tmux("send-keys x");
    ASSERT_TRUE(game.shows("The Level 0 Knight!"));
    EXPECT_TRUE(game.screen().starts_with("The Level 0 Knight!")) << "the status panel is on a cleared screen";

    // Several turns, a key at each pause and a no to each question and battle menu; then Ctrl-C.
    std::string now;
    std::string answered;
    for (int pauses = 0;; answered = now) {
        ASSERT_TRUE(eventually([&] {
            now = game.screen();
            return now != answered && (now.ends_with(pausePrompt) || now.ends_with("response:") ||
                                       now.ends_with("before battle."));
        }));
        EXPECT_EQ(now.find(pausePrompt + " x"), std::string::npos) << "a key at a pause is never echoed";
        const bool atPause = now.ends_with(pausePrompt);
        if (atPause && (++pauses > 10 || now.find("GAME OVER!") != std::string::npos)) {
            break;
        }
        game.tmux(atPause ? "send-keys x" : "send-keys n Enter");
    }
    ASSERT_TRUE(game.inSingleKeyMode());
    game.tmux("send-keys C-c");
    EXPECT_TRUE(game.endedWith("130"));
    EXPECT_EQ(game.noted("after"), game.noted("before"));

    // So does Ctrl-\, by its own signal.
    TmuxGame quit("job");
    ASSERT_TRUE(quit.shows(pausePrompt) && quit.inSingleKeyMode());
    quit.tmux("send-keys 'C-\\'");
    EXPECT_TRUE(quit.endedWith("131"));
    EXPECT_EQ(quit.noted("after"), quit.noted("before"));

    // A terminal that goes away at a pause or at a question ends the game with status 2.
    for (const bool atQuestion : {false, true}) {
        TmuxGame lost("nohup");
        ASSERT_TRUE(lost.shows(pausePrompt) && lost.inSingleKeyMode());
        if (atQuestion) {
            lost.tmux("send-keys x");
            ASSERT_TRUE(lost.shows("[U]ndead"));
        }
        lost.tmux("kill-pane");
        EXPECT_TRUE(lost.endedWith("2")) << "at a question: " << atQuestion;
    }
}

// Plays on, a key at each pause and a no to each question and battle menu, until the screen shows
// what is wanted and the game waits for the player.
void playUntil(TmuxGame& game, const std::string& wanted, bool atPause) {
    std::string now;
    std::string answered;
    for (int waits = 0; waits < 60; ++waits, answered = now) {
        ASSERT_TRUE(eventually([&] {
            now = game.screen();
            return now != answered && (now.ends_with(pausePrompt) || now.ends_with("response:") ||
                                       now.ends_with("before battle."));
        })) << now << "\n(the game's exit status, if it ended: " << game.noted("status") << ")";
        if (now.find(wanted) != std::string::npos && now.ends_with(pausePrompt) == atPause) {
            return;
        }
        // Keys typed before a pause takes the terminal are dropped, as they may be.
        ASSERT_TRUE(!now.ends_with(pausePrompt) || game.inSingleKeyMode());
        game.tmux(now.ends_with(pausePrompt) ? "send-keys x" : "send-keys n Enter");
    }
    FAIL() << "never saw " << wanted << " with the game waiting";
}

// A kept game survives a closed terminal at a question and kill -9 at a pause: the next start
// shows the very screen, the same die included, and the game goes on. While it is stopped with
// Ctrl-Z, a second game is refused, and told how to bring the first one back.
TEST(RealTerminal, AKeptGameComesBackAfterAKillOrAHangupAndOnlyOneIsPlayedAtATime) {
    REQUIRE_TMUX();
    // The screen since the game's last clear, under the line that tells it is resumed (which is not
    // the game's, so a game resumed twice shows it once).
    const std::string resumed = "Resuming your game, started ";
    const auto resumes = [&](TmuxGame& game, const std::string& left) {
        ASSERT_TRUE(game.shows(resumed));
        const std::string now = game.screen();
        EXPECT_EQ(now.substr(now.find('\n') + 1), left.starts_with(resumed) ? left.substr(left.find('\n') + 1) : left);
        EXPECT_TRUE(now.starts_with(resumed) && now.find(" (zandrel --new starts another).\n") != std::string::npos);
        EXPECT_LE(now.find('\n'), 80U) << "the line fits the terminal's width";
    };

    // The first question of every game, so that no throw of the dice can end it before it is asked.
    TmuxGame first("job");
    ASSERT_TRUE(first.shows(pausePrompt));
    first.tmux("send-keys x");
    ASSERT_TRUE(first.shows("[U]ndead"));
    first.tmux("send-keys k Enter");
    ASSERT_TRUE(first.shows("Knight?"));
    const std::string asked = first.screen();
    first.tmux("kill-pane");
    ASSERT_TRUE(first.gameGone()) << "the hangup ends the game, and with it its hold on the record";

    TmuxGame second("job", "'" ZANDREL_BINARY "'", &first);
    resumes(second, asked);
    second.tmux("send-keys y Enter");
    playUntil(second, "You rolled a ", true);
    const std::string rolled = second.screen();
    second.signal("KILL", "game");
    ASSERT_TRUE(second.endedWith("137"));

    TmuxGame third("job", "'" ZANDREL_BINARY "'", &first);
    resumes(third, rolled);
    ASSERT_TRUE(third.inSingleKeyMode());
    third.tmux("send-keys C-z");
    ASSERT_TRUE(third.jobStopped());
    TmuxGame refused("job", "'" ZANDREL_BINARY "' --new", &first);
    EXPECT_TRUE(refused.endedWith("3"));
    const std::string holder = third.noted("game");
    EXPECT_EQ(refused.screen(), "zandrel: another game is in play (process " + holder.substr(0, holder.size() - 1) +
                                    "); a game stopped with Ctrl-Z comes back with fg");
    third.tell("fg");
    EXPECT_TRUE(third.waitsAtPause());
    const std::string waiting = third.screen();
    third.tmux("send-keys x");
    EXPECT_TRUE(eventually([&] { return third.screen() != waiting; })) << "the game goes on after fg and a key";
}

// A finished game watched again in a terminal: the keys are named where it starts, a key goes on at
// each pause, q ends it. Written to a pipe while a game is stopped with Ctrl-Z, it is the whole game's
// text; the stopped game's record is untouched, and after fg that game plays on.
TEST(RealTerminal, AReplayShowsAGameAgainAndNeverTouchesTheGameInPlay) {
    REQUIRE_TMUX();
    zandrel::fuzz::MemoryStore store;
    std::ostringstream played;
    zandrel::fuzz::playKept(
        zandrel::fuzz::readBytes(std::filesystem::path(ZANDREL_SOURCE_DIR) / "tools/fuzz/corpus/knight_wins"), store,
        played);
    std::ostringstream expected;
    {
        const zandrel::SeamsInPlace inPlace(zandrel::Seams{nullptr, &expected, &expected, [] {}, [] { return 0; }, nullptr});
        zandrel::replayRecord(store.files["finished-0001"], false, "it");
    }

    TmuxGame game("job");
    const std::string record = game.file("knight_wins.record");
    ASSERT_TRUE(game.shows(pausePrompt));
    std::ofstream(record, std::ios::binary) << store.files["finished-0001"];
    game.tmux("send-keys x");
    ASSERT_TRUE(game.shows("[U]ndead"));
    ASSERT_TRUE(game.knightChosen());
    game.tmux("send-keys C-z");
    ASSERT_TRUE(game.jobStopped());
    const std::string kept = run("cat " + game.file("state/zandrel/game"));
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(run("XDG_STATE_HOME=" + game.file("state") + " '" ZANDREL_BINARY "' --replay " + record + "; echo status=$?"),
              expected.str() + "status=0\n");
    EXPECT_EQ(run("cat " + game.file("state/zandrel/game")), kept) << "the replay touched the game in play";
    game.tell("fg");
    EXPECT_TRUE(game.waitsAtPause());
    game.tmux("send-keys x");
    EXPECT_TRUE(game.shows("The Level 0 Knight!")) << "the game goes on after fg and a key";

    TmuxGame watched("job", "'" ZANDREL_BINARY "' --replay " + record);
    ASSERT_TRUE(watched.shows("At each pause any key goes on, e shows the rest at once, q ends the replay.\n"));
    EXPECT_TRUE(watched.screen().starts_with("The game in " + record + ", begun "));
    ASSERT_TRUE(watched.shows(pausePrompt) && watched.inSingleKeyMode());
    watched.tmux("send-keys x");
    ASSERT_TRUE(watched.shows("What is your response: y\n" + pausePrompt)) << watched.screen();
    EXPECT_EQ(watched.screen().find("Welcome"), std::string::npos) << "the menu is on a cleared screen";
    watched.tmux("send-keys q");
    EXPECT_TRUE(watched.endedWith("0"));
    EXPECT_EQ(watched.noted("after"), watched.noted("before"));
}

// Under a launcher the stop reaches the launcher and the game apart: the shell may have taken the
// terminal back before the game hears of its own stop, and the game must not be stopped again for
// touching a terminal that is no longer its own.
TEST(RealTerminal, AGameStartedByALauncherStopsAndGoesOnAtAPauseAndEndsByQuitCleanly) {
    REQUIRE_TMUX();
    if (!installed("ps")) {
        GTEST_SKIP() << "ps is not installed, so a stopped game cannot be told from a waiting one";
    }
    TmuxGame game("launcher");
    ASSERT_TRUE(game.shows(pausePrompt) && game.inSingleKeyMode());

    // The launcher stops first and the shell takes the terminal back; only then does the game stop.
    game.signal("TSTP", "launcher");
    ASSERT_TRUE(game.jobStopped());
    game.signal("TSTP", "game");
    ASSERT_TRUE(game.gameStopped());
    EXPECT_EQ(game.settings(), game.noted("before")) << "the shell's terminal is left alone";
    game.tell("fg");
    EXPECT_TRUE(game.inSingleKeyMode() && game.waitsAtPause());
    game.tmux("send-keys x");
    ASSERT_TRUE(game.shows("[U]ndead")) << "the game goes on after fg and one key";

    // Put in the background at a pause, the game stops when it reads and leaves the shell's
    // terminal as it was; brought back, it waits for its key.
    ASSERT_TRUE(game.knightChosen());
    game.tmux("send-keys C-z");
    ASSERT_TRUE(game.jobStopped());
    game.tell("bg");
    ASSERT_TRUE(game.jobInBackground());
    EXPECT_TRUE(game.gameStopped());
    EXPECT_EQ(game.settings(), game.noted("before")) << "the background game turned off the shell's echo";
    game.tell("fg");
    EXPECT_TRUE(game.inSingleKeyMode() && game.waitsAtPause()) << game.screen();
    game.tmux("send-keys x");
    ASSERT_TRUE(game.shows("The Level 0 Knight!"));

    // Ctrl-\ at a pause ends the game by that signal, with the terminal as it was found.
    ASSERT_TRUE(game.waitsAtPause() && game.inSingleKeyMode());
    game.tmux("send-keys 'C-\\'");
    EXPECT_TRUE(game.endedWith("131")) << game.noted("status");
    EXPECT_EQ(game.noted("after"), game.noted("before"));
}

// A terminal that cannot clear (an editor's shell buffer, a serial line) says so by its TERM; it
// gets no escape sequence at all, where any other terminal gets the clear.
TEST(RealTerminal, OnlyATerminalThatCanClearGetsTheClear) {
    REQUIRE_TMUX();
    const std::string clear = "\x1b[H\x1b[2J\x1b[3J";
    for (const std::string how : {"env", "env TERM=dumb", "env TERM=", "env -u TERM"}) {
        TmuxGame game("job", how + " '" ZANDREL_BINARY "'");
        ASSERT_TRUE(game.shows(pausePrompt) && game.inSingleKeyMode());
        game.tmux("pipe-pane -o 'cat > " + game.file("raw") + "'");
        game.tmux("send-keys x");
        ASSERT_TRUE(game.shows("[U]ndead"));
        game.tmux("pipe-pane"); // closes the raw output
        ASSERT_TRUE(eventually([&] { return game.noted("raw").find("[U]ndead") != std::string::npos; })) << how;
        if (how == "env") {
            EXPECT_NE(game.noted("raw").find(clear), std::string::npos);
        } else {
            EXPECT_EQ(game.noted("raw").find('\x1b'), std::string::npos) << how;
        }
    }
}

// Input that ends at a question (one Ctrl-D at an empty answer): the game's one line about it
// starts a line of its own on the screen, while what the game wrote to its standard output stays as
// it was. So it is in a kept game, played straight in the terminal, and in one whose output goes on
// to a pipe, which is not kept.
TEST(RealTerminal, InputEndedAtAQuestionIsSaidOnALineOfItsOwn) {
    REQUIRE_TMUX();
    for (const bool kept : {true, false}) {
        TmuxGame game("job", kept ? "'" ZANDREL_BINARY "'" : "sh -c '\"$0\" | tee \"$1\"' '" ZANDREL_BINARY "' output");
        ASSERT_TRUE(game.shows(pausePrompt) && game.inSingleKeyMode());
        game.tmux("send-keys x");
        ASSERT_TRUE(game.shows("[U]ndead"));
        game.tmux("send-keys u Enter");
        ASSERT_TRUE(game.shows("What is your response:"));
        game.tmux("send-keys C-d");
        EXPECT_TRUE(game.shows("What is your response:\nzandrel: input ended while "
                               "the game was waiting for the player"))
            << game.screen();
        EXPECT_TRUE(game.endedWith(kept ? "2" : "0")) << "kept: " << kept << ", " << game.noted("status");
        if (kept) {
            EXPECT_EQ(game.screen().find("response:\nAre you sure"), std::string::npos)
                << "no prompt behind the one shown";
            continue;
        }
        EXPECT_TRUE(game.noted("output").ends_with("[U]ndead\tStrength: 1 Craft: 3 Gold: 0\n"
                                                   "Are you sure you want to be a Undead?\n"
                                                   "Valid Commands: [Y]es, [N]o\nWhat is your response: "))
            << game.noted("output");
    }
}

} // namespace
