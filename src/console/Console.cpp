#include "console/Console.hpp"

#include "host/Host.hpp"

#include <cstdlib>
#include <ctime>
#include <istream>
#include <ostream>

namespace zandrel {

void Platform::beginAgain() { throw BeginAgain{}; }

Seams& seams() {
    static Seams current = [] {
        const Host here = host();
        return Seams{
            here.in,
            here.out,
            here.err,
            [] { std::srand(static_cast<unsigned>(std::time(nullptr))); },
            [] { return std::rand(); },
            here.platform,
        };
    }();
    return current;
}

std::ostream& out() { return *seams().out; }

std::string readLine() {
    out().flush();
    std::streambuf* source = seams().in->rdbuf();
    std::string line;
    bool readAnything = false;
    for (;;) {
        int c = std::char_traits<char>::eof();
        try {
            c = source->sbumpc();
        } catch (const std::ios_base::failure&) {
            // A read error, such as a terminal that has gone away: no more answers will come.
        }
        if (c == std::char_traits<char>::eof()) {
            break;
        }
        readAnything = true;
        if (c == '\n') {
            break;
        }
        if (line.size() < maxLineLength) {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!readAnything) {
        inputEnded();
    }
    return line;
}

void pauseGame() {
    out().flush();
    seams().platform->pause();
}

void clearScreen() {
    out().flush();
    seams().platform->clearScreen();
}

void endProcess(int status) {
    out().flush();
    seams().err->flush();
    seams().platform->endProcess(status);
    // No platform comes back from the end of the game; should one ever do so, stop here.
    // cppcheck-suppress unreachableCode
    std::abort();
}

void inputEnded() {
    out().flush();
    *seams().err << "zandrel: input ended while the game was waiting for the player\n";
    endProcess(2);
}

} // namespace zandrel
