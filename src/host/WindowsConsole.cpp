// The Windows console as the game's host: the pause reads one key from the console itself,
// never through the command interpreter, and the clear blanks the console's whole buffer.
#include "host/Host.hpp"
#include "host/NativeHost.hpp"

#include <conio.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <ostream>
#include <windows.h>

namespace zandrel {
namespace {

// A console, not a pipe, a file or the NUL device (which _isatty also calls a terminal).
bool isConsole(int fd, DWORD handleId) {
    DWORD mode = 0;
    return _isatty(fd) != 0 && GetConsoleMode(GetStdHandle(handleId), &mode) != 0;
}

bool personAtKeyboard() { return isConsole(_fileno(stdin), STD_INPUT_HANDLE); }
bool personWatching() { return personAtKeyboard() && isConsole(_fileno(stdout), STD_OUTPUT_HANDLE); }
bool errorsOnTerminal() { return isConsole(_fileno(stderr), STD_ERROR_HANDLE); }

// Keys typed ahead of the pause, or behind its key, answer nothing: one press ends one pause.
void dropWaitingKeys() { FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE)); }

class ConsolePlatform final : public Platform {
public:
    // Answers are read as the player typed them: a carriage return is an ordinary character
    // and Ctrl-Z in a file of answers is no end of input.
    ConsolePlatform() { _setmode(_fileno(stdin), _O_BINARY); }

    void pause() override { pauseForKey(); }

    int pauseForKey() override {
        if (!personAtKeyboard()) {
            return 0;
        }
        out() << pausePrompt;
        out().flush();
        dropWaitingKeys();
        // _getch reads the console raw, so Ctrl-C arrives as a key; it still ends the game.
        const int key = _getch();
        if (key == 3) {
            std::raise(SIGINT);
        }
        // Arrows and function keys come as a prefix and a second code: both are the one key.
        if (key == 0 || key == 0xE0) {
            (void)_getch();
        }
        dropWaitingKeys();
        out() << '\n';
        return key;
    }

    void clearScreen() override {
        if (!personWatching()) {
            return;
        }
        // The whole buffer is the console's scrollback, so blanking it wipes that too.
        const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (GetConsoleScreenBufferInfo(console, &info) == 0) {
            return;
        }
        const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
        const COORD home{0, 0};
        DWORD written = 0;
        FillConsoleOutputCharacterA(console, ' ', cells, home, &written);
        FillConsoleOutputAttribute(console, info.wAttributes, cells, home, &written);
        SetConsoleCursorPosition(console, home);
    }

    [[noreturn]] void endProcess(int status) override { std::exit(status); }
};

ConsolePlatform& thePlatform() {
    static ConsolePlatform platform;
    return platform;
}

} // namespace

Host host() {
    return nativeHost(thePlatform(), errorsOnTerminal(), isConsole(_fileno(stdout), STD_OUTPUT_HANDLE),
                      personWatching(), "");
}

} // namespace zandrel
