#include "console/NativePlatform.hpp"

#include <cstdlib>
#include <ostream>

#include <termios.h>
#include <unistd.h>

namespace zandrel {
namespace {

bool personAtKeyboard() { return isatty(STDIN_FILENO) == 1; }
bool personWatching() { return personAtKeyboard() && isatty(STDOUT_FILENO) == 1; }

class PosixPlatform final : public Platform {
public:
    void pause() override {
        if (!personAtKeyboard()) {
            return;
        }
        out() << "Press any key to continue . . . ";
        out().flush();
        termios saved{};
        const bool haveSettings = tcgetattr(STDIN_FILENO, &saved) == 0;
        if (haveSettings) {
            termios raw = saved;
            raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            raw.c_cc[VMIN] = 1;
            raw.c_cc[VTIME] = 0;
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
        }
        char key = 0;
        const auto got = read(STDIN_FILENO, &key, 1);
        if (haveSettings) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        }
        if (got != 1) {
            inputEnded();
        }
        out() << '\n';
        out().flush();
    }

    void clearScreen() override {
        if (!personWatching()) {
            return;
        }
        out() << "\x1b[H\x1b[2J\x1b[3J";
        out().flush();
    }

    [[noreturn]] void endProcess(int status) override { std::exit(status); }
};

} // namespace

Platform& nativePlatform() {
    static PosixPlatform platform;
    return platform;
}

} // namespace zandrel
