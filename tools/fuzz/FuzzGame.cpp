#include "FuzzGame.hpp"

#include "console/Console.hpp"
#include "flow/Driver.hpp"
#include "host/Host.hpp"
#include "record/KeptGame.hpp"
#include "record/Record.hpp"
#include "state/GameState.hpp"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>

namespace zandrel::fuzz {
namespace {

// Thrown where the game would end the process.
struct GameOver {
    int status;
};

// Thrown when the script holds no more chance; it ends the run, it is not a fault.
struct ChanceRanOut {};

// No one is at the terminal: pauses and clears pass at once, marked in the transcript when it
// is asked for, and the end of the game comes back to the fuzzer instead of ending it.
class ReplayPlatform final : public Platform {
public:
    explicit ReplayPlatform(std::ostream* marks) : marks_(marks) {}

    void pause() override { mark("[pause]"); }
    void clearScreen() override { mark("[cls]"); }
    [[noreturn]] void endProcess(int status) override { throw GameOver{status}; }

private:
    void mark(const char* what) {
        if (marks_ != nullptr) {
            *marks_ << what;
        }
    }

    std::ostream* marks_;
};

// Hands the game the script's answers and marks each in the transcript once the game has read
// the whole of it, where a terminal would have shown it as typed.
class MarkedAnswers final : public std::streambuf {
public:
    MarkedAnswers(std::string answers, std::ostream& transcript)
        : answers_(std::move(answers)), transcript_(transcript) {}

protected:
    int_type underflow() override {
        return next_ < answers_.size() ? traits_type::to_int_type(answers_[next_]) : traits_type::eof();
    }

    int_type uflow() override {
        if (next_ == answers_.size()) {
            if (answerStart_ < next_) {
                markAnswer(next_); // a last answer without a line end counts too
            }
            return traits_type::eof();
        }
        const char c = answers_[next_++];
        if (c == '\n') {
            markAnswer(next_ - 1);
        }
        return traits_type::to_int_type(c);
    }

private:
    void markAnswer(std::size_t end) {
        transcript_ << "[answer " << answers_.substr(answerStart_, end - answerStart_) << "]";
        answerStart_ = next_;
    }

    std::string answers_;
    std::ostream& transcript_;
    std::size_t next_ = 0;
    std::size_t answerStart_ = 0;
};

constexpr int maxDrawBytes = 5;

void before(const KeptPlay& how, record::Kind kind) {
    if (how.beforeEvent) {
        how.beforeEvent(kind);
    }
}

void after(const KeptPlay& how, record::Kind kind) {
    if (how.afterEvent) {
        how.afterEvent(kind);
    }
}

// A person at a terminal: each pause shows its prompt and, once a key is pressed, ends the line;
// screen clears are marked.
class Terminal final : public Platform {
public:
    explicit Terminal(const KeptPlay& how) : how_(how) {}

    void pause() override {
        stillPlaying();
        before(how_, record::Kind::pause);
        out() << pausePrompt;
        out().flush();
        after(how_, record::Kind::pause);
        out() << '\n';
    }
    void clearScreen() override {
        out() << "[cls]";
        out().flush();
    }
    // A process ends where it is told to. The end thrown from within a stream's flush is caught there,
    // so it is thrown again at the game's next step, and it is the end that counts.
    [[noreturn]] void endProcess(int status) override {
        ended_ = ended_.value_or(status);
        throw GameOver{*ended_};
    }
    void stillPlaying() const {
        if (ended_) {
            throw GameOver{*ended_};
        }
    }

private:
    const KeptPlay& how_;
    std::optional<int> ended_;
};

// The answers as the player types them, each echoed on the screen once it is whole, as the
// terminal shows it.
class EchoedAnswers final : public std::streambuf {
public:
    EchoedAnswers(std::string answers, std::ostream& screen, const KeptPlay& how, const Terminal& terminal)
        : answers_(std::move(answers)), screen_(screen), how_(how), terminal_(terminal) {}

protected:
    int_type underflow() override {
        return next_ < answers_.size() ? traits_type::to_int_type(answers_[next_]) : traits_type::eof();
    }
    int_type uflow() override {
        terminal_.stillPlaying();
        if (line_.empty() && !lastEchoed_) {
            before(how_, record::Kind::answer);
        }
        if (next_ == answers_.size()) {
            if (next_ > 0 && answers_.back() != '\n' && !lastEchoed_) {
                screen_ << record::echoed(line_) << '\n'; // as a replay shows a last answer
                lastEchoed_ = true;
                after(how_, record::Kind::answer);
            }
            return traits_type::eof();
        }
        const char c = answers_[next_++];
        if (c == '\n') {
            screen_ << record::echoed(line_) << '\n';
            line_.clear();
            after(how_, record::Kind::answer);
        } else {
            line_.push_back(c);
        }
        return traits_type::to_int_type(c);
    }

private:
    std::string answers_;
    std::ostream& screen_;
    const KeptPlay& how_;
    const Terminal& terminal_;
    std::string line_;
    std::size_t next_ = 0;
    bool lastEchoed_ = false;
};

// What of the script a kept record already holds: its answers and its draws.
std::pair<std::size_t, std::size_t> keptSoFar(const std::string& kept) {
    std::size_t answers = 0;
    std::size_t draws = 0;
    record::Replay replay = record::read(kept);
    while (replay.state == record::Replay::State::resumable && !replay.done()) {
        const record::Kind kind = replay.take().kind;
        answers += kind == record::Kind::answer ? 1 : 0;
        draws += kind == record::Kind::draw ? 1 : 0;
    }
    return {answers, draws};
}

} // namespace

GameScript splitInput(std::span<const std::uint8_t> input) {
    const auto separator = std::find(input.begin(), input.end(), std::uint8_t{0});
    GameScript script;
    script.answers.assign(input.begin(), separator);
    if (separator != input.end()) {
        script.draws = std::span(std::next(separator), input.end());
    }
    return script;
}

int DrawReader::next() {
    if (rest_.empty()) {
        throw ChanceRanOut{};
    }
    std::uint64_t value = 0;
    int shift = 0;
    for (int taken = 0; taken < maxDrawBytes && !rest_.empty(); ++taken) {
        const std::uint8_t byte = rest_.front();
        rest_ = rest_.subspan(1);
        value |= static_cast<std::uint64_t>(byte & 0x7FU) << shift;
        shift += 7;
        if ((byte & 0x80U) == 0) {
            break;
        }
    }
    return static_cast<int>(value % (static_cast<std::uint64_t>(RAND_MAX) + 1));
}

Ending playScript(std::span<const std::uint8_t> input, std::ostream& transcript, Marks marks) {
    const GameScript script = splitInput(input);
    const bool marked = marks == Marks::pausesClearsAndAnswers;
    std::istringstream plainAnswers(script.answers);
    MarkedAnswers markedBuffer(script.answers, transcript);
    std::istream markedAnswers(&markedBuffer);
    DrawReader draws(script.draws);
    ReplayPlatform platform(marked ? &transcript : nullptr);
    const SeamsInPlace inPlace(Seams{
        marked ? static_cast<std::istream*>(&markedAnswers) : &plainAnswers,
        &transcript,
        &transcript,
        [] {},
        [&draws] { return draws.next(); },
        &platform,
    });
    resetGame();
    Ending ending;
    try {
        ending.status = runGame();
    } catch (const GameOver& over) {
        ending.status = over.status;
    } catch (const ChanceRanOut&) {
        ending.status.reset();
    }
    return ending;
}

std::string describe(const Ending& ending) {
    return ending.status ? "exit status " + std::to_string(*ending.status) : "out of chance";
}

std::string transcriptOf(std::span<const std::uint8_t> input) {
    std::ostringstream transcript;
    const Ending ending = playScript(input, transcript, Marks::pausesClearsAndAnswers);
    transcript << "\n<== " << describe(ending) << "\n";
    return transcript.str();
}

RecordStore::Contents MemoryStore::read(std::size_t limit) {
    if (!record) {
        return {Contents::State::none, {}, {}};
    }
    return {Contents::State::found, record->substr(0, limit), {}};
}

bool MemoryStore::cut(std::size_t length) {
    if (failing || !record) {
        return false;
    }
    record->resize(std::min(length, record->size()));
    return true;
}

bool MemoryStore::append(std::string_view text) {
    if (log != nullptr) {
        log->push_back("append " + std::string(text));
    }
    record = record.value_or("") + std::string(text);
    return true;
}

bool MemoryStore::sync() {
    if (log != nullptr) {
        log->emplace_back("sync");
    }
    if (failing) {
        return false;
    }
    if (snapshots) {
        synced.push_back(record.value_or(""));
    }
    return true;
}

RecordStore::Move MemoryStore::moveAside(const std::string& name) { return renameFile("game", name); }

RecordStore::Move MemoryStore::renameFile(const std::string& from, const std::string& to) {
    std::map<std::string, std::string>& into = to.starts_with(setAsidePrefix) ? setAside : files;
    const auto found = files.find(from);
    if (from == "game" ? !record : found == files.end()) {
        return Move::noRecord;
    }
    if (into.contains(to)) {
        return Move::nameTaken;
    }
    if (movesFail) {
        return Move::failed;
    }
    if (from == "game") {
        into[to] = *std::exchange(record, std::nullopt);
    } else {
        into[to] = found->second;
        files.erase(found);
    }
    return Move::moved;
}

std::optional<std::vector<std::string>> MemoryStore::namesStartingWith(std::string_view prefix) {
    std::vector<std::string> names;
    for (const auto* kept : {&setAside, &files}) {
        for (const auto& [name, text] : *kept) {
            if (name.starts_with(prefix)) {
                names.push_back(name);
            }
        }
    }
    return names;
}

RecordStore::Contents MemoryStore::readFile(const std::string& name, std::size_t limit) {
    const auto found = files.find(name);
    return found == files.end() ? Contents{} : Contents{Contents::State::found, found->second.substr(0, limit), {}};
}

bool MemoryStore::appendFile(const std::string& name, std::string_view text) {
    if (failing) {
        return false;
    }
    files[name] += text;
    return true;
}

bool MemoryStore::rewriteStart(std::string_view text) {
    if (failing || !record) {
        return false;
    }
    const std::size_t over = std::min(text.size(), record->size());
    record->replace(0, over, text.substr(0, over));
    return true;
}

std::optional<std::vector<std::string>> MemoryStore::namesSetAside() { return namesStartingWith(setAsidePrefix); }

Ending playKept(std::span<const std::uint8_t> input, RecordStore& store, std::ostream& screen, const KeptPlay& how) {
    const GameScript script = splitInput(input);
    const RecordStore::Contents kept = store.read(record::maxSize);
    const auto [answersKept, drawsKept] = keptSoFar(kept.text);
    std::size_t answersLeft = 0;
    for (std::size_t skipped = 0; skipped < answersKept && answersLeft < script.answers.size(); ++skipped) {
        const std::size_t end = script.answers.find('\n', answersLeft);
        answersLeft = end == std::string::npos ? script.answers.size() : end + 1;
    }
    std::ostream& echoes = how.terminal != nullptr ? *how.terminal : screen;
    std::ostream& errors = how.said != nullptr ? *how.said : echoes;
    Terminal terminal(how);
    EchoedAnswers echoed(script.answers.substr(answersLeft), echoes, how, terminal);
    std::istream answers(&echoed);
    DrawReader draws(script.draws);
    for (std::size_t skipped = 0; skipped < drawsKept && !draws.exhausted(); ++skipped) {
        draws.next();
    }
    const auto draw = [&draws, &how, &terminal] {
        terminal.stillPlaying();
        before(how, record::Kind::draw);
        const auto value =
            static_cast<int>((draws.next() + static_cast<long long>(how.shiftLiveDraws)) % (RAND_MAX + 1LL));
        after(how, record::Kind::draw);
        return value;
    };
    const SeamsInPlace inPlace(Seams{&answers, &screen, &errors, [] {}, draw, &terminal});
    const Keeping keeping{&store, true, "zandrel --new starts another", "",
                          [&errors](std::string_view line) { errors << "zandrel: " << line << '\n'; },
                          "zandrel --replay"};
    resetGame();
    Ending ending;
    try {
        ending.status = playKeptGame(keeping, how.newGame);
    } catch (const GameOver& over) {
        ending.status = over.status;
    } catch (const ChanceRanOut&) {
        ending.status.reset();
    }
    return ending;
}

bool resumedAlike(const std::string& whole, const std::string& resumed) {
    const std::string line = "[cls]Resuming your game, started ";
    const std::size_t lineEnd = resumed.find('\n');
    if (!resumed.starts_with(line) || lineEnd == std::string::npos) {
        return false;
    }
    const std::string_view rest = std::string_view(resumed).substr(lineEnd + 1);
    const std::size_t from = whole.size() - std::min(whole.size(), rest.size());
    return whole.ends_with(rest) && (from == 0 || std::string_view(whole).substr(0, from).ends_with("[cls]"));
}

} // namespace zandrel::fuzz
