#include "record/Replayer.hpp"

#include "console/Console.hpp"
#include "flow/Driver.hpp"
#include "host/Host.hpp"
#include "record/Record.hpp"
#include "state/GameState.hpp"

#include <ctime>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>

namespace zandrel {
namespace {

using record::Kind;

// How a replay came to its end, thrown out of the game.
struct Ended {
    int status;
};
struct Stopped {};   // the record holds nothing more of its game
struct Unfitting {}; // the record holds another thing than the game asks for
struct Quit {};      // the player ended the replay

// The game's pauses, clears and end, as the record has them and a watching player steps through
// them; and every draw and answer, from the record.
class Replaying final : public Platform {
public:
    Replaying(record::Replay& replay, Platform* host, bool watching)
        : replay_(replay), host_(host), watching_(watching) {}

    void pause() override {
        take(Kind::pause);
        if (!watching_) {
            return;
        }
        if (atOnce_) {
            out() << pausePrompt << '\n';
            return;
        }
        const int key = host_->pauseForKey();
        if (key == 'q' || key == 'Q') {
            throw Quit{};
        }
        atOnce_ = key == 'e' || key == 'E';
    }

    // The rest shown at once scrolls by, so that it can be read back.
    void clearScreen() override {
        if (watching_ && !atOnce_) {
            host_->clearScreen();
        }
    }

    [[noreturn]] void endProcess(int status) override { throw Ended{status}; }

    record::Event take(Kind kind) {
        if (replay_.done()) {
            throw Stopped{};
        }
        if (replay_.nextKind() != kind) {
            throw Unfitting{};
        }
        return replay_.take();
    }

private:
    record::Replay& replay_;
    Platform* host_;
    bool watching_;
    bool atOnce_ = false;
};

// The player's answers from the record, each echoed as the terminal showed it when it was typed.
class RecordedAnswers final : public std::streambuf {
public:
    explicit RecordedAnswers(Replaying& replaying) : replaying_(replaying) {}

protected:
    int_type underflow() override {
        if (gptr() == egptr()) {
            line_ = replaying_.take(Kind::answer).answer;
            out() << record::echoed(line_) << '\n';
            line_ += '\n';
            setg(line_.data(), line_.data(), line_.data() + line_.size());
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    Replaying& replaying_;
    std::string line_;
};

// The replay's text on its way to the screen, noting whether it left a line open.
class Shown final : public std::streambuf {
public:
    explicit Shown(std::ostream& to) : to_(to) {}
    bool lineOpen() const { return lineOpen_; }

private:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        lineOpen_ = count > 0 ? text[count - 1] != '\n' : lineOpen_;
        return to_.rdbuf()->sputn(text, count);
    }
    int_type overflow(int_type c) override {
        const char byte = traits_type::to_char_type(c);
        return traits_type::eq_int_type(c, traits_type::eof()) || xsputn(&byte, 1) == 1 ? traits_type::not_eof(c)
                                                                                        : traits_type::eof();
    }
    int sync() override { return to_.rdbuf()->pubsync(); }

    std::ostream& to_;
    bool lineOpen_ = false;
};

// Text that goes nowhere: the unseen pass needs none of it, and a long game's would fill memory.
class Unseen final : public std::streambuf {
    std::streamsize xsputn(const char* /*text*/, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

struct Outcome {
    std::optional<int> status; // as the game ended, if it did
    bool stopped = false;      // at the end of the record, before the end of its game
    bool unfitting = false;
    bool eventsLeft = false; // in the record, after the end of its game
};

Outcome play(record::Replay replay, std::ostream& shown, Platform* host, bool watching) {
    Replaying replaying(replay, host, watching);
    RecordedAnswers recorded(replaying);
    std::istream answers(&recorded);
    Outcome outcome;
    {
        const SeamsInPlace inPlace(Seams{&answers, &shown, seams().err, [] {},
                                         [&replaying] { return replaying.take(Kind::draw).draw; }, &replaying});
        resetGame();
        try {
            outcome.status = runGame();
        } catch (const Ended& ended) {
            outcome.status = ended.status;
        } catch (const Stopped&) {
            outcome.stopped = true;
        } catch (const Unfitting&) {
            outcome.unfitting = true;
        } catch (const Quit&) {
            outcome.status.reset();
        }
        shown.flush();
    }
    outcome.eventsLeft = !replay.done();
    return outcome;
}

int refuse(const std::string& whose, const std::string& why) {
    *seams().err << "zandrel: " << whose << " cannot be replayed: " << why << "\n";
    seams().err->flush();
    return 2;
}

} // namespace

int replayRecord(std::string text, bool watching, const std::string& whose) {
    const record::Replay replay = record::read(std::move(text));
    using State = record::Replay::State;
    if (replay.state == State::empty || (replay.state == State::damaged && replay.done())) {
        return refuse(whose, replay.state == State::empty ? "it holds no game" : "its record is damaged");
    }
    if (replay.state == State::otherFormat || replay.state == State::otherRules) {
        return refuse(whose, replay.state == State::otherFormat ? "its record is of another format"
                                                                : "it was played under other rules");
    }
    // Played through once unseen, so that a record the rules would take elsewhere is refused
    // before anything of it is shown.
    Unseen nowhere;
    std::ostream unseen(&nowhere);
    const Outcome tried = play(replay, unseen, nullptr, false);
    if (tried.unfitting || (tried.status && tried.eventsLeft)) {
        return refuse(whose, "its record no longer fits the game");
    }
    if (replay.summary && (!tried.status || (*tried.status == 0) != replay.summary->won)) {
        return refuse(whose, "it does not end as its record says");
    }
    if (watching) {
        char began[32] = "";
        const std::time_t when = replay.began;
        if (const std::tm* local = std::localtime(&when)) {
            std::strftime(began, sizeof began, "%Y-%m-%d %H:%M", local);
        }
        std::string heading = whose + ", begun " + began + ", as it was played.\n";
        heading.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(heading.front())));
        out() << heading << "At each pause any key goes on, e shows the rest at once, q ends the replay.\n";
    }
    Shown shown(out());
    std::ostream screen(&shown);
    if (play(replay, screen, seams().platform, watching).stopped) {
        screen << (shown.lineOpen() ? "\n" : "") << "The record of this game stops here, before its end.\n";
    }
    screen.flush();
    out().flush();
    return 0;
}

} // namespace zandrel
