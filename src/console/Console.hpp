#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

namespace zandrel {

// What the game needs from the machine it runs on: a pause for one key, a cleared screen
// and the end of the process. The native one meets a real terminal; tests put in their own.
class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    Platform(Platform&&) = delete;
    Platform& operator=(Platform&&) = delete;
    virtual ~Platform() = default;

    // Lets the player read the screen: when a person is at the terminal, shows the pause's
    // prompt, waits for one key and ends the line. The line end may wait for the next flush.
    virtual void pause() = 0;
    // The same pause, telling which key ended it (its first byte), for a replay that the player
    // steps through; 0 where no key was read.
    virtual int pauseForKey() {
        pause();
        return 0;
    }
    // Wipes the screen when a person is watching it.
    virtual void clearScreen() = 0;
    // Ends the game with an exit status; never returns.
    [[noreturn]] virtual void endProcess(int status) = 0;
    // Gives up the game in play for a new one, when a kept game turns out not to be resumable
    // after all; never returns. By default it unwinds the game back to where it began (throws
    // BeginAgain); a host that catches no exceptions starts a new game its own way.
    [[noreturn]] virtual void beginAgain();
};

struct BeginAgain {};

// The three doors through which the game meets the world: the streams it talks on, the
// source of chance, and the platform. Everything the game prints, reads or rolls goes
// through here, so a test can stand in for any of them.
struct Seams {
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    std::function<void()> seedChance;
    std::function<int()> drawChance;
    Platform* platform;
};

// The seams in force; by default the standard streams, std::rand and the native platform.
Seams& seams();

// Puts other seams in force for as long as it lives, and the ones it found back afterwards,
// however the game in between ends: for the scripted and the fuzzed games.
class SeamsInPlace {
public:
    explicit SeamsInPlace(Seams replacement) : saved_(seams()) { seams() = std::move(replacement); }
    SeamsInPlace(const SeamsInPlace&) = delete;
    SeamsInPlace& operator=(const SeamsInPlace&) = delete;
    SeamsInPlace(SeamsInPlace&&) = delete;
    SeamsInPlace& operator=(SeamsInPlace&&) = delete;
    ~SeamsInPlace() { seams() = saved_; }

private:
    Seams saved_;
};

// The stream all game text is written to.
std::ostream& out();

// Reads one line of the player's answer: up to the line end, keeping at most 79 characters
// and discarding the rest of a longer line. When input has ended it says so and ends the
// game with status 2.
std::string readLine();

// The pause, the screen clear and the end of the game, each after flushing what the player
// has yet to see.
void pauseGame();
void clearScreen();
[[noreturn]] void endProcess(int status);

// Input ended, or the terminal went away, while the game wanted an answer or a key.
[[noreturn]] void inputEnded();

// The longest answer the game keeps of one line.
inline constexpr std::size_t maxLineLength = 79;

} // namespace zandrel
