#include "record/KeptGame.hpp"

#include "console/HandedText.hpp"
#include "flow/Driver.hpp"
#include "record/Archive.hpp"
#include "record/Record.hpp"
#include "record/RecordStore.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>

namespace zandrel {
namespace {

using record::Event;
using record::Kind;
using record::Replay;

// The most of the screen a resumed game shows again: more than any terminal keeps above its
// last clear, yet little beside the memory of a page.
constexpr std::size_t heldScreen = std::size_t{128} * 1024;

// A record that cannot be resumed makes way for a new game; false when it cannot be set aside
// either, so that the new game is not kept.
bool setAsideForNewGame(const Keeping& keeping, const std::string& why) {
    const std::string cannot = "your unfinished game cannot be resumed (" + why + ")";
    const archive::Unresumable made = archive::makeUnresumable(*keeping.store, true);
    if (made.way == archive::Unresumable::Way::setAside) {
        keeping.tell(cannot + "; it is set aside as " + made.where + ", and a new game begins");
        return true;
    }
    if (made.way == archive::Unresumable::Way::gone) {
        return true;
    }
    keeping.tell(cannot + " nor set aside (" + keeping.store->lastProblem() + "), so this game is not kept");
    return false;
}

// The game in play, kept as it happens, or replayed from its record up to the screen the player
// left and then kept on. It stands between the game and the host's own seams: the game's text
// is held back until every event before it is kept, and, while the record is replayed, until
// the game first asks for something the record does not hold.
class KeptGame final : public Platform {
public:
    KeptGame(const Keeping& keeping, std::optional<Replay> replay)
        : keeping_(keeping), store_(*keeping.store), host_(seams()), live_(!replay), began_(std::time(nullptr)) {
        if (replay) {
            kept_ = replay->length;
            began_ = replay->began;
            replay_ = std::move(*replay);
        }
    }

    [[noreturn]] void play();

    void pause() override {
        if (replays(Kind::pause)) {
            replay_.take();
            hold(pausePrompt);
            hold("\n");
            return;
        }
        host_.platform->pause();
        keep({Kind::pause, {}, 0});
    }

    void clearScreen() override {
        noteTurn();
        if (live_) {
            keepPending(); // the screen the player is shown is the one a resumed game shows again
            host_.platform->clearScreen();
        } else {
            held_.clear();
        }
    }

    [[noreturn]] void endProcess(int status) override {
        const bool ended = status == 0 || status == 1;
        if (!live_ && ended && replay_.done() && store_.keepsFinishedGames()) {
            // A game killed as it ended, before it said so in its record: it goes among the finished
            // games as any other, and a new one begins. Where it cannot go (a disk still full), it
            // stays where it is for a later start, and the new game is not kept.
            finish(status == 0);
            host_.platform->beginAgain();
        }
        if (!live_) {
            cannotResume(replay_.done() ? "that game had already ended" : "its record no longer fits the game");
        }
        if (ended && recording_) {
            finish(status == 0);
        }
        host_.platform->endProcess(status);
        // cppcheck-suppress unreachableCode
        std::abort(); // no host comes back from the end of the game
    }

    // The game's text on its way to the screen.
    void show(std::string_view text) {
        if (!live_) {
            hold(text);
            return;
        }
        keepPending();
        host_.out->write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    void flushShown() const {
        if (live_) {
            host_.out->flush();
        }
    }

    // The next answer as the record holds it, echoed as the terminal showed it; false once the
    // game is live.
    bool replayAnswer(std::string& line) {
        if (!replays(Kind::answer)) {
            return false;
        }
        line = replay_.take().answer;
        hold(record::echoed(line) + "\n");
        line += '\n';
        return true;
    }
    void answered(std::string_view typed) { keep({Kind::answer, std::string(typed), 0}); }

    int draw() {
        if (replays(Kind::draw)) {
            return replay_.take().draw;
        }
        const int value = host_.drawChance();
        keep({Kind::draw, {}, value});
        return value;
    }

    std::streambuf& liveAnswers() const { return *host_.in->rdbuf(); }

private:
    // Whether the record holds what the game asks for next. The game goes live at the first
    // thing the record does not hold; anything else than what it asks for is damage.
    bool replays(Kind kind) {
        if (live_) {
            return false;
        }
        if (replay_.done()) {
            goLive();
            return false;
        }
        if (replay_.nextKind() != kind) {
            cannotResume("its record no longer fits the game");
        }
        return true;
    }

    // A turn begins with the clear of the status panel, once the character is chosen; the clear of
    // the victory comes when the player has left the inner region.
    void noteTurn() {
        if (game.className != " " && game.region <= 3) {
            ++turns_;
        }
        furthest_ = std::max(furthest_, std::min(game.region, 3));
    }

    record::Summary summaryNow(bool won) const {
        record::Summary summary;
        summary.began = began_;
        summary.ended = std::time(nullptr);
        summary.won = won;
        summary.title = game.className;
        summary.className = summary.title.substr(summary.title.rfind(' ') + 1); // the class the title ends in
        summary.level = game.level;
        summary.experience = game.experience;
        summary.experienceNeeded = game.experienceNeeded;
        summary.region = furthest_;
        summary.turns = turns_;
        summary.life = game.life;
        summary.strength = game.strength;
        summary.craft = game.craft;
        summary.gold = game.gold;
        return summary;
    }

    // A game that has ended, won or lost, is kept among the finished games, under a number of its
    // own, where the store keeps them; elsewhere it is forgotten. False when it cannot be kept.
    bool finish(bool won) {
        keepPending();
        recording_ = false;
        if (!store_.keepsFinishedGames()) {
            store_.remove();
            return true;
        }
        const record::Summary summary = summaryNow(won);
        std::optional<int> number;
        if (store_.append(record::endedLine(summary)) && store_.sync()) {
            number = archive::keepFinished(store_, summary);
        }
        if (!number) {
            keeping_.tell(live_ ? "this game cannot be kept among your games (" + store_.lastProblem() + ")"
                                : "your last game cannot be kept among your games (" + store_.lastProblem() +
                                      "), so this game is not kept");
        } else if (live_ && !keeping_.watchAgain.empty()) {
            const std::string kept = std::to_string(*number);
            *host_.out << "Game " << kept << " is kept; " << keeping_.watchAgain << " " << kept << " shows it again.\n";
            host_.out->flush();
        }
        return number.has_value();
    }

    // The screen since the last clear, as far back as a terminal would keep it.
    void hold(std::string_view text) {
        held_ += text;
        if (held_.size() > 2 * heldScreen) {
            const std::size_t lineStart = held_.find('\n', held_.size() - heldScreen);
            held_.erase(0, lineStart == std::string::npos ? held_.size() - heldScreen : lineStart + 1);
        }
    }

    // The screen as the player left it: cleared, a line to say what happened, and the text
    // since the last clear, ending in the question or the pause that was waiting.
    void goLive() {
        out().flush(); // what the game has written so far joins the held screen
        live_ = true;
        host_.platform->clearScreen();
        char started[32] = "";
        if (const std::tm* local = std::localtime(&began_)) {
            std::strftime(started, sizeof started, "%Y-%m-%d %H:%M", local);
        }
        out() << "Resuming your game, started " << started;
        out() << (keeping_.anotherGame.empty() ? "" : " (" + std::string(keeping_.anotherGame) + ")") << ".\n";
        out() << std::exchange(held_, {});
        out().flush(); // on the screen before the game waits for the player
    }

    void keep(const Event& event) {
        if (!recording_) {
            return;
        }
        if (kept_ == 0 && pending_.empty()) {
            pending_ = record::header(began_);
        }
        const std::string line = record::line(event);
        if (kept_ + pending_.size() + line.size() > record::maxSize) {
            stopKeeping("it has grown longer than a record can be");
            return;
        }
        pending_ += line;
    }

    // Write-ahead: every event before the text about to be shown is kept and synced first.
    void keepPending() {
        if (!recording_ || pending_.empty()) {
            return;
        }
        if (!store_.append(pending_) || !store_.sync()) {
            stopKeeping(store_.lastProblem());
            return;
        }
        kept_ += pending_.size();
        pending_.clear();
    }

    // A record that stops in the middle of the game no longer holds all that the player has
    // seen: it must never be resumed, and the game shows nothing more until it is sure of that.
    void stopKeeping(const std::string& why) {
        recording_ = false;
        pending_.clear();
        const std::string gone = "this game can no longer be kept, so it cannot be resumed (" + why + ")";
        const archive::Unresumable made = archive::makeUnresumable(store_, kept_ > 0);
        switch (made.way) {
        case archive::Unresumable::Way::setAside:
            keeping_.tell(gone + "; what was kept of it is set aside as " + made.where);
            return;
        case archive::Unresumable::Way::gone:
        case archive::Unresumable::Way::marked:
            keeping_.tell(gone);
            return;
        case archive::Unresumable::Way::failed:
            break;
        }
        keeping_.tell("this game can no longer be kept (" + why + "), nor its record stopped from being resumed (" +
                      store_.lastProblem() + "), so it ends here");
        host_.platform->endProcess(cannotKeepStatus);
    }

    [[noreturn]] void cannotResume(const std::string& why) {
        setAsideForNewGame(keeping_, why);
        host_.platform->beginAgain();
        // cppcheck-suppress unreachableCode
        std::abort(); // no host comes back from giving up a game
    }

    const Keeping& keeping_;
    RecordStore& store_;
    Seams host_; // the seams the game meets the world through when it is live
    bool live_;
    bool recording_ = true;
    std::time_t began_;
    Replay replay_;
    std::string held_;    // the screen since the last clear, while the record is replayed
    std::string pending_; // events not yet written to the record
    std::size_t kept_ = 0;
    int turns_ = 0;
    int furthest_ = 1;
};

// The game's text, held in a buffer of its own until the game flushes it or the buffer fills.
class HeldText final : public HandedText {
public:
    explicit HeldText(KeptGame& game) : game_(game) {}

protected:
    void hand(std::string_view text) override { game_.show(text); }
    void flushed() override { game_.flushShown(); }

private:
    KeptGame& game_;
};

// The player's answers: from the record while it is replayed, then from the host, each kept
// whole, as it was typed, once the game has it up to its line end.
class KeptAnswers final : public std::streambuf {
public:
    explicit KeptAnswers(KeptGame& game) : game_(game) {}

protected:
    int_type underflow() override {
        return replayedLine() ? traits_type::to_int_type(*gptr()) : game_.liveAnswers().sgetc();
    }

    // Straight to the host's own read when live: a look ahead first would use up the end of input
    // that a terminal gives only once (Ctrl-D at an empty answer), and wait for more.
    int_type uflow() override {
        if (replayedLine()) {
            gbump(1);
            return traits_type::to_int_type(gptr()[-1]);
        }
        return passOn(game_.liveAnswers().sbumpc());
    }

private:
    bool replayedLine() {
        if (!atLineStart_ || !game_.replayAnswer(replayed_)) {
            return false;
        }
        setg(replayed_.data(), replayed_.data(), replayed_.data() + replayed_.size());
        return true;
    }

    int_type passOn(int_type c) {
        const bool ended = traits_type::eq_int_type(c, traits_type::eof());
        if (ended || traits_type::to_char_type(c) == '\n') {
            if (!ended || !atLineStart_) {
                game_.answered(wholeCharacters(std::exchange(typed_, {}))); // a last line without its line end too
            }
            atLineStart_ = true;
        } else {
            atLineStart_ = false;
            if (typed_.size() <= record::maxAnswerLength) {
                typed_.push_back(traits_type::to_char_type(c));
            }
        }
        return c;
    }

    // A line longer than a record keeps loses its end, but never half a character.
    static std::string wholeCharacters(std::string line) {
        std::size_t end = record::maxAnswerLength;
        if (line.size() > end) {
            // Back over the continuation bytes of a character that runs past the end, to its first.
            while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0U) == 0x80U &&
                   record::maxAnswerLength - end < 3) {
                --end;
            }
            line.resize(end);
        }
        return line;
    }

    KeptGame& game_;
    std::string replayed_;
    std::string typed_;
    bool atLineStart_ = true;
};

void KeptGame::play() {
    HeldText text(*this);
    KeptAnswers answers(*this);
    std::ostream textStream(&text);
    std::istream answerStream(&answers);
    const SeamsInPlace inPlace(
        Seams{&answerStream, &textStream, host_.err, host_.seedChance, [this] { return draw(); }, this});
    zandrel::endProcess(runGame());
}

// The unfinished game, when there is one that can be resumed. A record that cannot be resumed is
// set aside, and a new game begins; false when it cannot be set aside either, so that the new game
// is not kept.
bool readRecord(const Keeping& keeping, std::optional<Replay>& resumable, std::string& text) {
    RecordStore& store = *keeping.store;
    const RecordStore::Contents contents = store.read(record::maxSize + 1);
    text = contents.text;
    if (contents.state == RecordStore::Contents::State::none) {
        return true;
    }
    Replay replay = record::read(contents.text);
    std::string why;
    if (contents.state == RecordStore::Contents::State::unreadable) {
        why = "its record cannot be read: " + contents.why;
    } else if (contents.text.size() > record::maxSize) {
        why = "its record is longer than any kept game";
    } else if (replay.state == Replay::State::empty) {
        // A game killed before it kept anything holds no game: nothing to resume or set aside.
        if (store.remove() || store.cut(0)) {
            return true;
        }
        keeping.tell("this game is not kept, so it cannot be resumed (" + store.lastProblem() + ")");
        return false;
    } else if (replay.state == Replay::State::finished && store.keepsFinishedGames()) {
        // A game killed while it moved among the finished games: the move is done now.
        if (archive::keepFinished(store, *replay.summary)) {
            return true;
        }
        keeping.tell("your last game cannot be kept among your games (" + store.lastProblem() +
                     "), so this game is not kept");
        return false;
    } else if (replay.state == Replay::State::finished) {
        why = "that game had already ended";
    } else if (replay.state == Replay::State::otherRules) {
        why = "its record was played under other rules";
    } else if (replay.state == Replay::State::otherFormat) {
        why = "its record is of another format";
    } else if (replay.state == Replay::State::damaged) {
        why = "its record is damaged";
    } else if (replay.state == Replay::State::stopped) {
        why = "its record stopped in the middle of the game";
    } else if (replay.length == contents.text.size() || store.cut(replay.length)) {
        resumable = std::move(replay); // a last line cut short as it was written is cut away first
        return true;
    } else {
        why = "its record cannot be mended: " + store.lastProblem();
    }
    return setAsideForNewGame(keeping, why);
}

} // namespace

int playKeptGame(const Keeping& keeping, bool newGame) {
    if (!keeping.keepsGame && !newGame) {
        return runGame();
    }
    RecordStore& store = *keeping.store;
    const RecordStore::Lock lock = store.lock();
    if (lock.state == RecordStore::Lock::State::heldElsewhere) {
        const std::string holder = lock.detail.empty() ? "" : " (process " + lock.detail + ")";
        keeping.tell("another game is in play" + holder + std::string(keeping.otherGameHint));
        return anotherGameStatus;
    }
    if (lock.state == RecordStore::Lock::State::unusable) {
        keeping.tell(keeping.keepsGame ? "this game is not kept, so it cannot be resumed (" + lock.detail + ")"
                                       : "your unfinished game cannot be set aside (" + lock.detail + ")");
        return runGame();
    }
    std::string givenUp;
    for (;;) {
        if (newGame) {
            const archive::SetAside aside = archive::setAside(store);
            if (aside.outcome == RecordStore::Move::moved) {
                keeping.tell("your unfinished game is set aside as " + aside.where);
            } else if (aside.outcome != RecordStore::Move::noRecord) {
                keeping.tell("your unfinished game cannot be set aside (" + store.lastProblem() + ")" +
                             (keeping.keepsGame ? ", so this game is not kept" : ""));
                return runGame();
            }
        }
        if (!keeping.keepsGame) {
            store.unlock();
            return runGame();
        }
        std::optional<Replay> replay;
        std::string text;
        if (!readRecord(keeping, replay, text)) {
            return runGame();
        }
        // A record given up that could be neither set aside nor marked comes back as it was: the new
        // game is not kept, as it has said.
        if (replay && text == givenUp) {
            return runGame();
        }
        givenUp = replay ? text : std::string();
        try {
            KeptGame(keeping, std::move(replay)).play();
        } catch (const BeginAgain&) {
            resetGame(); // the record was set aside, marked never to be resumed, or kept among the finished
        }
    }
}

} // namespace zandrel
