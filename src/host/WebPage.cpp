#include "console/HandedText.hpp"
#include "host/Host.hpp"
#include "host/WebStore.hpp"

#include <emscripten.h>

#include <cstdlib>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>

// The page in a web browser as the game's terminal. The page (web/page.mjs) hands each new
// game the functions called below: the game's text goes to its terminal and its transcript,
// and the player's lines and keys come back from it. The game waits for them as it would at
// a console: Asyncify unwinds the game while the page waits and rewinds it when an answer
// comes, so the game keeps its plain sequential shape.

namespace {

EM_JS(void, showOnPage, (const char* text, int length, int isError), {
    Module["showText"](UTF8ToString(text, length), isError !== 0);
});

// The player's next line, the line end included, once Enter has been pressed; kept encoded
// until the game has room for it.
EM_ASYNC_JS(int, awaitLineFromPage, (), {
    Module["lineForGame"] = new TextEncoder().encode(await Module["readLine"]());
    return Module["lineForGame"].length;
});

EM_JS(void, takeLineFromPage, (char* into), {
    HEAPU8.set(Module["lineForGame"], into);
    Module["lineForGame"] = null;
});

// The key, as its first byte: a replay steps on it.
EM_ASYNC_JS(int, awaitKeyFromPage, (), { return (await Module["readKey"]()) ?? 0; });

EM_JS(void, clearPage, (), { Module["clearScreen"](); });

EM_JS(void, endGameOnPage, (int status), { Module["gameEnded"](status); });

// Nothing ever wakes this game again: the page starts a new one as a new instance.
EM_ASYNC_JS(void, sleepForever, (), { await new Promise(() => {}); });

// A kept game that could not be resumed after all: the page starts a new game in its place.
EM_JS(void, beginAgainOnPage, (), { Module["beginAgain"](); });

} // namespace

namespace zandrel {
namespace {

// Hands the game's text to the page whenever the game flushes it, as it would reach a
// terminal: before every pause, clear, read and the end of the game.
class PageText final : public HandedText {
public:
    explicit PageText(bool isError) : isError_(isError) {}

protected:
    void hand(std::string_view text) override {
        showOnPage(text.data(), static_cast<int>(text.size()), isError_ ? 1 : 0);
    }

private:
    bool isError_;
};

// The player's answers, one whole line at a time. Input never ends in a page, so every read
// waits until the player has submitted a line; the game itself keeps its 79 characters.
class PageAnswers final : public std::streambuf {
protected:
    int_type underflow() override {
        line_.resize(static_cast<std::size_t>(awaitLineFromPage()));
        takeLineFromPage(line_.data());
        setg(line_.data(), line_.data(), line_.data() + line_.size());
        return line_.empty() ? traits_type::eof() : traits_type::to_int_type(line_.front());
    }

private:
    std::string line_;
};

class PagePlatform final : public Platform {
public:
    // As at a console: the prompt, one key that is not echoed, then the end of the line.
    void pause() override { pauseForKey(); }

    int pauseForKey() override {
        out() << pausePrompt;
        out().flush();
        const int key = awaitKeyFromPage();
        out() << '\n';
        return key;
    }

    void clearScreen() override { clearPage(); }

    // The page learns how the game ended (0 won, 1 lost) and offers a new game; this one
    // sleeps for good, with nothing left for it to do.
    [[noreturn]] void endProcess(int status) override {
        endGameOnPage(status);
        sleepForever();
        std::abort();
    }

    // This game unwinds no further: the page starts a new game (which sets aside whatever record
    // is still there), and this one sleeps for good.
    [[noreturn]] void beginAgain() override {
        beginAgainOnPage();
        sleepForever();
        std::abort();
    }
};

} // namespace

Host host() {
    static PageText text(false);
    static PageText errors(true);
    static PageAnswers answers;
    static std::ostream textStream(&text);
    static std::ostream errorStream(&errors);
    static std::istream answerStream(&answers);
    static PagePlatform platform;
    return {&answerStream, &textStream, &errorStream, &platform, pageKeeping(), true};
}

} // namespace zandrel
