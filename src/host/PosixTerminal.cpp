// The POSIX terminal as the game's host: the pause reads one key in single-key mode and gives
// the terminal back as the player had it, whatever signal comes; the clear is the ANSI one.
#include "host/Host.hpp"
#include "host/NativeHost.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <ostream>
#include <string_view>

#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

namespace zandrel {
namespace {

bool personAtKeyboard() { return isatty(STDIN_FILENO) == 1; }
bool personWatching() { return personAtKeyboard() && isatty(STDOUT_FILENO) == 1; }
bool errorsOnTerminal() { return isatty(STDERR_FILENO) == 1; }

// A terminal that cannot clear (an editor's shell buffer, a serial line) says so by its TERM,
// as the system's own clear command knows; it would print the sequences as junk.
bool terminalClears() {
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

// How long the rest of a key (an arrow's escape sequence, a letter's further bytes) may
// trail its first byte.
constexpr long trailingBytesMicroseconds = 50'000;

// The terminal as the player had it, and as the pause wants it. The signal handlers read
// them, so they live outside the pause.
termios playerSettings{};
termios keySettings{};
volatile std::sig_atomic_t waitingForKey = 0;
volatile std::sig_atomic_t continued = 0;
// The shell has had the terminal since the prompt was shown, and may have written over it.
volatile std::sig_atomic_t promptHidden = 0;

// Everything below up to the table of signals runs inside signal handlers: only
// async-signal-safe calls.

// Only the foreground may change the terminal: a game in the background that tried would be
// stopped for it (SIGTTOU). A launcher stopped or ended along with the game may already have
// handed the terminal back to the shell.
// A terminal that is not the game's own controlling one has no foreground to respect.
bool ownsTerminal() {
    const pid_t foreground = tcgetpgrp(STDIN_FILENO);
    return foreground == getpgrp() || foreground == -1;
}

// The player's own settings go back even when the shell has the terminal again: they are what
// it had. SIGTTOU is held off for that alone, so that putting them back never stops the game.
void giveTerminalBack(int when = TCSANOW) {
    sigset_t terminalOutput;
    sigset_t before;
    sigemptyset(&terminalOutput);
    sigaddset(&terminalOutput, SIGTTOU);
    sigprocmask(SIG_BLOCK, &terminalOutput, &before);
    tcsetattr(STDIN_FILENO, when, &playerSettings);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void takeKeys() {
    if (waitingForKey != 0 && ownsTerminal()) {
        tcsetattr(STDIN_FILENO, TCSANOW, &keySettings);
        // The shell may have written over the line meanwhile; show again what the game waits
        // for, from the start of the line, so that a line nobody wrote over is not doubled.
        if (promptHidden != 0) {
            promptHidden = 0;
            [[maybe_unused]] const auto back = write(STDOUT_FILENO, "\r", 1);
            [[maybe_unused]] const auto shown = write(STDOUT_FILENO, pausePrompt, sizeof pausePrompt - 1);
        }
    }
}

void takeDefaultCourse(int sig) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(sig, &byDefault, nullptr);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, sig);
    raise(sig);
    sigprocmask(SIG_UNBLOCK, &just, nullptr);
}

void onEndingSignal(int sig) {
    giveTerminalBack();
    takeDefaultCourse(sig); // the game ends here, by this signal
}

void onStop(int sig) {
    const int savedErrno = errno;
    struct sigaction ours {};
    sigaction(sig, nullptr, &ours);
    giveTerminalBack();
    continued = 0;
    promptHidden = 1;
    takeDefaultCourse(sig); // stopped here until the player continues the game
    sigaction(sig, &ours, nullptr);
    if (continued == 0) {
        promptHidden = 0; // no shell to stop it for: the game was never stopped
    }
    errno = savedErrno;
}

// Continued after any stop, also one the game could not catch (the read of a game put in the
// background): whoever had the terminal meanwhile may have changed it. A game continued in the
// background takes it back only when it is brought to the foreground again.
void onContinue(int) {
    const int savedErrno = errno;
    continued = 1;
    takeKeys();
    errno = savedErrno;
}

// The shell took the terminal between the look at its owner and the pause's change: the change
// fails (EINTR) instead of stopping the game, which takes the terminal when it is brought back.
void onTerminalTaken(int) {}

// The signals the pause answers for while the terminal is in single-key mode: those that end
// the game restore the terminal first; a stop gives it back for as long as the game is stopped.
struct PauseSignal {
    int number;
    void (*handler)(int);
};
constexpr PauseSignal pauseSignals[] = {
    {SIGINT, onEndingSignal}, {SIGQUIT, onEndingSignal}, {SIGTERM, onEndingSignal}, {SIGHUP, onEndingSignal},
    {SIGTSTP, onStop},        {SIGCONT, onContinue},     {SIGTTOU, onTerminalTaken},
};
struct sigaction earlierActions[std::size(pauseSignals)];
bool handlerInstalled[std::size(pauseSignals)];

// The signals held off while the terminal's settings and the handlers change hands. Never
// SIGTTOU: held off, it would let a game in the background put the shell's terminal into
// single-key mode.
sigset_t heldSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const PauseSignal& sig : pauseSignals) {
        if (sig.number != SIGTTOU) {
            sigaddset(&set, sig.number);
        }
    }
    return set;
}

void installPauseHandlers() {
    const sigset_t held = heldSignals();
    for (std::size_t i = 0; i < std::size(pauseSignals); ++i) {
        const int sig = pauseSignals[i].number;
        sigaction(sig, nullptr, &earlierActions[i]);
        // A signal the game was started to ignore stays ignored.
        handlerInstalled[i] = earlierActions[i].sa_handler != SIG_IGN;
        if (!handlerInstalled[i]) {
            continue;
        }
        struct sigaction mine {};
        mine.sa_mask = held;
        mine.sa_flags = 0; // no restart: the key read sees EINTR and waits again
        mine.sa_handler = pauseSignals[i].handler;
        if (sig == SIGTSTP) {
            sigdelset(&mine.sa_mask, SIGCONT); // so that it can tell that the stop took place
        }
        sigaction(sig, &mine, nullptr);
    }
}

void removePauseHandlers() {
    for (std::size_t i = 0; i < std::size(pauseSignals); ++i) {
        if (handlerInstalled[i]) {
            sigaction(pauseSignals[i].number, &earlierActions[i], nullptr);
        }
    }
}

// Waits until a byte can be read, at most the given time when there is one.
// True when one can.
bool byteArrives(const timeval* within) {
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(STDIN_FILENO, &readable);
        timeval left{};
        if (within != nullptr) {
            left = *within;
        }
        const int ready = select(STDIN_FILENO + 1, &readable, nullptr, nullptr, within != nullptr ? &left : nullptr);
        if (ready >= 0) {
            return ready > 0;
        }
        if (errno != EINTR) {
            return true; // let the read itself report what is wrong
        }
    }
}

// One key press: its first byte, then whatever of it trails close behind, so that no byte of
// an arrow or a function key is left to answer the next question. The first byte, or -1 when the
// terminal has gone (end of file or a read error).
int readOneKey() {
    unsigned char first = 0;
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, &first, 1);
        if (got == 1) {
            break;
        }
        if (got < 0 && errno == EINTR) {
            continue; // a stop and a continue, or a signal the game leaves alone
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            byteArrives(nullptr);
            continue;
        }
        return -1;
    }
    const timeval trailing{0, trailingBytesMicroseconds};
    while (byteArrives(&trailing)) {
        unsigned char rest[64];
        const ssize_t got = read(STDIN_FILENO, rest, sizeof rest);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            break; // the key still counts; the next read will find the end
        }
    }
    return first;
}

class TerminalPlatform final : public Platform {
public:
    void pause() override { pauseForKey(); }

    int pauseForKey() override {
        if (!personAtKeyboard()) {
            return 0;
        }
        out() << pausePrompt;
        out().flush();
        const int key = waitForKey();
        if (key < 0) {
            inputEnded();
        }
        out() << '\n';
        return key;
    }

    void clearScreen() override {
        if (!personWatching() || !terminalClears()) {
            return;
        }
        // Cursor home, erase the display, erase the scrollback.
        out() << "\x1b[H\x1b[2J\x1b[3J";
        out().flush();
    }

    [[noreturn]] void endProcess(int status) override { std::exit(status); }

private:
    // Single-key mode (no line editing, no echo, signals still on) only for the one read.
    // The signals are held off while the settings and the handlers change hands, so that no
    // handler ever sees one without the other.
    static int waitForKey() {
        const sigset_t held = heldSignals();
        sigset_t before;
        sigprocmask(SIG_BLOCK, &held, &before);
        const bool singleKeys = tcgetattr(STDIN_FILENO, &playerSettings) == 0;
        if (singleKeys) {
            keySettings = playerSettings;
            keySettings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            keySettings.c_cc[VMIN] = 1;
            keySettings.c_cc[VTIME] = 0;
            installPauseHandlers();
            waitingForKey = 1;
            if (ownsTerminal()) {
                tcsetattr(STDIN_FILENO, TCSAFLUSH, &keySettings);
            } else {
                promptHidden = 1; // a game in the background takes it, and shows it, when brought back
            }
        }
        sigprocmask(SIG_SETMASK, &before, nullptr);

        const int key = readOneKey();

        sigprocmask(SIG_BLOCK, &held, nullptr);
        if (singleKeys) {
            waitingForKey = 0;
            giveTerminalBack(TCSAFLUSH); // dropping what was typed behind the key
            removePauseHandlers();
        }
        sigprocmask(SIG_SETMASK, &before, nullptr);
        return key;
    }
};

TerminalPlatform& thePlatform() {
    static TerminalPlatform platform;
    return platform;
}

} // namespace

Host host() {
    return nativeHost(thePlatform(), errorsOnTerminal(), isatty(STDOUT_FILENO) == 1, personWatching(),
                      "; a game stopped with Ctrl-Z comes back with fg");
}

} // namespace zandrel
