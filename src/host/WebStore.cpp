// The record in the browser's IndexedDB for the page's site, kept by the page (web/kept.mjs),
// which also holds the claim of the one tab that plays: a second tab is told so by the page and
// never starts a game. The finished games are kept there too, beside the record. Each call below
// is one call of the page's store, which the game waits for as it waits for the player: a write
// answers only once it is committed, or has failed.
#include "host/WebStore.hpp"

#include <emscripten.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Calls the page's store and keeps its answer, as text, until the game has room for it.
EM_ASYNC_JS(int, callPageStore, (const char* what, const char* argument, int length, int number), {
    const answer = await Module["store"][UTF8ToString(what)](UTF8ToString(argument, length), number);
    Module["storeAnswer"] = new TextEncoder().encode(String(answer ?? ""));
    return Module["storeAnswer"].length;
});

EM_JS(void, takeStoreAnswer, (char* into), {
    HEAPU8.set(Module["storeAnswer"], into);
    Module["storeAnswer"] = null;
});

EM_JS(void, tellOnPage, (const char* line, int length), { Module["tell"](UTF8ToString(line, length)); });

} // namespace

namespace zandrel {
namespace {

std::string callStore(const char* what, std::string_view argument = {}, int number = 0) {
    const int length = callPageStore(what, argument.data(), static_cast<int>(argument.size()), number);
    std::string answer(static_cast<std::size_t>(length), '\0');
    takeStoreAnswer(answer.data());
    return answer;
}

// The part of an answer after its word, as in "unusable:the reason".
std::string after(const std::string& answer) { return answer.substr(answer.find(':') + 1); }

// A file's contents as the page answers them: "found:" and the text, "none", or why not.
RecordStore::Contents contentsOf(std::string answer) {
    using State = RecordStore::Contents::State;
    if (answer.starts_with("found:")) {
        return {State::found, answer.substr(6), {}};
    }
    return answer == "none" ? RecordStore::Contents{State::none, {}, {}}
                            : RecordStore::Contents{State::unreadable, {}, after(answer)};
}

// Names as the page answers them: "names:" and one a line.
std::optional<std::vector<std::string>> namesOf(std::string all) {
    std::vector<std::string> names;
    if (!all.starts_with("names:")) {
        return std::nullopt;
    }
    all.erase(0, 6);
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = std::min(all.find('\n', at), all.size());
        names.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

RecordStore::Move moveOf(const std::string& answer) {
    using Move = RecordStore::Move;
    return answer == "moved" ? Move::moved : answer == "nameTaken" ? Move::nameTaken
                                         : answer == "noRecord"  ? Move::noRecord
                                                                 : Move::failed;
}

class PageStore final : public RecordStore {
public:
    Lock lock() override {
        const std::string answer = callStore("lock");
        return answer == "taken" ? Lock{Lock::State::taken, {}} : Lock{Lock::State::unusable, after(answer)};
    }
    void unlock() override {}

    Contents read(std::size_t limit) override { return contentsOf(callStore("read", {}, static_cast<int>(limit))); }

    bool cut(std::size_t length) override { return callStore("cut", {}, static_cast<int>(length)) == "ok"; }
    bool append(std::string_view text) override { return callStore("append", text) == "ok"; }
    bool sync() override { return callStore("sync") == "ok"; }
    std::string lastProblem() const override { return callStore("lastProblem"); }

    Move moveAside(const std::string& name) override { return moveOf(callStore("moveAside", name)); }

    bool rewriteStart(std::string_view text) override { return callStore("rewriteStart", text) == "ok"; }

    std::optional<std::vector<std::string>> namesSetAside() override { return namesOf(callStore("namesSetAside")); }

    bool removeSetAside(const std::string& name) override { return callStore("removeSetAside", name) == "ok"; }
    bool remove() override { return callStore("remove") == "ok"; }

    bool keepsFinishedGames() const override { return true; }
    std::optional<std::vector<std::string>> namesStartingWith(std::string_view prefix) override {
        return namesOf(callStore("namesStartingWith", prefix));
    }
    Contents readFile(const std::string& name, std::size_t limit) override {
        return contentsOf(callStore("readFile", name, static_cast<int>(limit)));
    }
    // Two texts in one call are a name, a line end, and the rest: no name holds a line end.
    bool appendFile(const std::string& name, std::string_view text) override {
        return callStore("appendFile", name + "\n" + std::string(text)) == "ok";
    }
    Move renameFile(const std::string& from, const std::string& to) override {
        return moveOf(callStore("renameFile", from + "\n" + to));
    }
    bool removeFile(const std::string& name) override { return callStore("removeFile", name) == "ok"; }
    // The file the player opened or the link followed, which the page holds.
    Contents readRecordFile(const std::string& path, std::size_t limit) override {
        return contentsOf(callStore("readRecordFile", path, static_cast<int>(limit)));
    }
    std::string whereIs(const std::string& name) const override { return name + " in this browser's storage"; }
};

} // namespace

Keeping pageKeeping() {
    static PageStore store;
    return {&store, true, "", "", // the New game button is always there
            [](std::string_view line) { tellOnPage(line.data(), static_cast<int>(line.size())); }};
}

} // namespace zandrel
