// The built game in a real terminal (tmux), played as a person would: keys typed, the screen read.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

const std::string pausePrompt = "Press any key to continue . . .";

// Polls until the condition holds, for a few seconds at most.
bool eventually(const std::function<bool()>& holds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
            output.append(chunk, got);
        }
        pclose(pipe);
    }
    return output;
}

// A game in a terminal of its own, on a tmux server of its own, played through the script that
// notes the terminal's settings before and after the game and how the game ended.
class TmuxGame {
public:
    explicit TmuxGame(const std::string& how = "") {
        std::filesystem::create_directories(folder_);
        run(tmux_ + "new-session -d -x 100 -y 40 sh '" ZANDREL_TERMINAL_SCRIPT "' '" ZANDREL_BINARY "' '" +
            folder_.string() + "' " + how);
    }
    TmuxGame(const TmuxGame&) = delete;
    TmuxGame& operator=(const TmuxGame&) = delete;
    ~TmuxGame() {
        run(tmux_ + "kill-server 2>/dev/null");
        std::filesystem::remove_all(folder_);
    }

    void tmux(const std::string& command) { run(tmux_ + command); }
    void type(const std::string& keys) { tmux("send-keys " + keys); }
    std::string screen() { return run(tmux_ + "capture-pane -p"); }
    bool shows(const std::string& text) { return eventually([&] { return screen().find(text) != std::string::npos; }); }
    bool ended() { return eventually([&] { return std::filesystem::exists(folder_ / "status"); }); }
    std::string noted(const char* name) {
        std::stringstream text;
        text << std::ifstream(folder_ / name).rdbuf();
        return text.str();
    }
    std::string settings() { return run("stty -a -F " + run(tmux_ + "display-message -p '#{pane_tty}'")); }
    // The pause has taken the terminal out of line mode: no line editing, no echo.
    bool inSingleKeyMode() { return eventually([&] { return settings().find(" -icanon ") != std::string::npos; }); }

private:
    inline static int games_ = 0;
    std::string name_ = "zandrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++games_);
    std::filesystem::path folder_ = std::filesystem::temp_directory_path() / name_;
    std::string tmux_ = "tmux -f /dev/null -L " + name_ + " ";
};

std::string lastLine(const std::string& screen) {
    const auto end = screen.find_last_not_of('\n');
    return end == std::string::npos ? "" : screen.substr(screen.rfind('\n', end) + 1, end - screen.rfind('\n', end));
}

bool endsWith(const std::string& line, const std::string& tail) {
    return line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
}

class RealTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        if (run("command -v tmux").empty()) {
            GTEST_SKIP() << "tmux is not installed, so there is no real terminal to play in";
        }
    }
};

TEST_F(RealTerminal, APlayerCreatesACharacterAndPlaysTurnsWithOneUnechoedKeyAtEachPause) {
    TmuxGame game;
    ASSERT_TRUE(game.shows(pausePrompt));
    game.type("Up"); // no Enter: the arrow alone answers the pause, and none of its bytes the menu
    ASSERT_TRUE(game.shows("[U]ndead"));
    EXPECT_EQ(game.screen().find("Welcome to Zandrel"), std::string::npos) << "the menu is on a cleared screen";
    game.type("k Enter");
    ASSERT_TRUE(game.shows("Are you sure you want to be Knight?"));
    EXPECT_EQ(game.screen().find("That is not one of the choices"), std::string::npos);
    game.type("y Enter");
    ASSERT_TRUE(game.shows("response: y\n" + pausePrompt));
    game.type("x");
    ASSERT_TRUE(game.shows("The Level 0 Knight!"));
    EXPECT_EQ(game.screen().rfind("The Level 0 Knight!", 0), 0U) << "the status panel is on a cleared screen";

    // Several turns: a key at each pause, a no to each question and battle menu.
    const auto waiting = [](const std::string& line) {
        return endsWith(line, pausePrompt) || endsWith(line, "response:") || endsWith(line, "before battle.");
    };
    std::string answered;
    for (int pauses = 0;;) {
        std::string now;
        ASSERT_TRUE(eventually([&] { return (now = game.screen()) != answered && waiting(lastLine(now)); }));
        EXPECT_EQ(now.find(pausePrompt + " x"), std::string::npos) << "a key at a pause is never echoed";
        const bool atPause = endsWith(lastLine(now), pausePrompt);
        if (atPause && (++pauses > 10 || now.find("GAME OVER!") != std::string::npos)) {
            break;
        }
        answered = now;
        game.type(atPause ? "x" : "n Enter");
    }
    ASSERT_TRUE(game.inSingleKeyMode());
    game.type("C-c");
    ASSERT_TRUE(game.ended());
    EXPECT_EQ(game.noted("status"), "130\n");
    EXPECT_NE(game.noted("before"), "");
    EXPECT_EQ(game.noted("after"), game.noted("before"));
}

TEST_F(RealTerminal, StoppedAtAPauseTheGameGivesTheTerminalBackAndWaitsForOneKeyAgainOnFg) {
    TmuxGame game;
    ASSERT_TRUE(game.shows(pausePrompt) && game.inSingleKeyMode());
    game.type("C-z");
    EXPECT_TRUE(eventually([&] { return game.noted("stopped") == game.noted("before"); })) << game.noted("stopped");
    EXPECT_TRUE(eventually([&] { return lastLine(game.screen()) == pausePrompt; })) << "shown again after fg";
    EXPECT_TRUE(game.inSingleKeyMode());
    game.type("x");
    EXPECT_TRUE(game.shows("[U]ndead"));
}

TEST_F(RealTerminal, ATerminalThatGoesAwayAtAPauseOrAQuestionEndsTheGameWithStatusTwo) {
    for (const bool atQuestion : {false, true}) {
        TmuxGame game("nohup");
        ASSERT_TRUE(game.shows(pausePrompt) && game.inSingleKeyMode());
        if (atQuestion) {
            game.type("x");
            ASSERT_TRUE(game.shows("[U]ndead"));
        }
        game.tmux("kill-pane");
        ASSERT_TRUE(game.ended()) << "at a question: " << atQuestion;
        EXPECT_EQ(game.noted("status"), "2\n") << "at a question: " << atQuestion;
    }
}

} // namespace
