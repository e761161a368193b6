#include "Faults.hpp"

#include "FuzzGame.hpp"
#include "record/Archive.hpp"
#include "record/KeptGame.hpp"
#include "record/Record.hpp"

#include <functional>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <utility>

namespace zandrel::fuzz {
namespace {

struct Killed {};

// Text on its way to the terminal, noting each time it comes.
class Shown final : public std::streambuf {
public:
    Shown(std::string& screen, std::function<void()> noted) : screen_(screen), noted_(std::move(noted)) {}

private:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        screen_.append(text, static_cast<std::size_t>(count));
        if (noted_ && count > 0) {
            noted_();
        }
        return count;
    }
    int_type overflow(int_type c) override {
        const char byte = traits_type::to_char_type(c);
        return traits_type::eq_int_type(c, traits_type::eof()) || xsputn(&byte, 1) == 1 ? traits_type::not_eof(c)
                                                                                        : traits_type::eof();
    }

    std::string& screen_;
    std::function<void()> noted_;
};

std::size_t eventsIn(const std::string& text) {
    record::Replay replay = record::read(text);
    std::size_t events = 0;
    for (; replay.state == record::Replay::State::resumable && !replay.done(); replay.take()) {
        ++events;
    }
    return events;
}

constexpr std::string_view resumeLine = "[cls]Resuming your game, started ";

bool resumed(const Played& run) { return run.screen.starts_with(resumeLine); }

// The screen as the game showed it: without the line that says it was resumed, which a resumed
// screen does not show again.
std::string gameText(std::string screen) {
    if (screen.starts_with(resumeLine)) {
        screen.erase(5, screen.find('\n') + 1 - 5);
    }
    return screen;
}

void prepare(FaultyStore& store, Disk disk, const std::string& unfinished) {
    for (int place = 1; place <= static_cast<int>(archive::keptAside); ++place) {
        const std::string earlier = record::header(place) + "p\n";
        store.setAside.emplace_back("game-set-aside-000" + std::to_string(place) + "-20261201T000000Z",
                                    FaultyStore::File{earlier, earlier, true});
    }
    if (disk == Disk::hundredFinished) {
        record::Summary summary;
        summary.className = summary.title = "Knight";
        std::string list = "zandrel finished games 1\n";
        for (int number = 1; number <= static_cast<int>(archive::finishedRecordsKept); ++number) {
            const std::string text = record::header(number) + "p\n" + record::endedLine(summary);
            store.files[archive::finishedName(number)] = FaultyStore::File{text, text, true};
            list += std::to_string(number) + " " + std::to_string(number) + " " + record::summaryWords(summary) + "\n";
        }
        store.files["finished-games"] = FaultyStore::File{list, list, true};
    }
    if (disk != Disk::fresh && disk != Disk::hundredFinished) {
        const std::string text = disk == Disk::damaged ? record::header(7) + "q\n" : unfinished;
        store.record = FaultyStore::File{text, text, true};
    }
}

std::size_t finishedBefore(Disk disk) { return disk == Disk::hundredFinished ? archive::finishedRecordsKept : 0; }

// Whether the start played its game to its end, won or lost, and kept it to the end.
bool finishedKept(const Played& run) {
    const int status = run.status.value_or(-1);
    return (status == 0 || status == 1) && run.said.find("can no longer be kept") == std::string::npos;
}

// No record of a game went, but for the oldest of more than five set aside, and the oldest record
// of more than a hundred finished games.
std::string lostGame(FaultyStore& store) {
    std::string lost;
    for (const FaultyStore::Removed& gone : store.removed) {
        const bool finished = gone.name.starts_with("finished-") &&
                              gone.name.find_first_not_of("0123456789", 9) == std::string::npos;
        if ((gone.name == "game" && gone.heldAGame) ||
            (gone.name.starts_with(setAsidePrefix) && (gone.before <= archive::keptAside || !gone.oldest)) ||
            (finished && (gone.before <= archive::finishedRecordsKept || !gone.oldest))) {
            lost = "the record " + gone.name + " was removed, one of " + std::to_string(gone.before);
        }
    }
    store.removed.clear();
    return lost;
}

// Every game that ended and was kept to its end is among the finished games once, with its record;
// so may be a game that ended as the disk failed, whose record the next start found whole.
std::string finishedGameLost(FaultyStore& store, std::size_t atLeast, std::size_t atMost) {
    const std::optional<std::vector<archive::FinishedGame>> games = archive::finishedGames(store, false);
    if (!games || games->size() < atLeast || games->size() > atMost) {
        return "a finished game was lost, or kept twice: " + std::to_string(games ? games->size() : 0) + " kept";
    }
    const std::string list = store.readFile("finished-games", SIZE_MAX).text;
    for (const archive::FinishedGame& game : *games) {
        const std::string line = "\n" + std::to_string(game.number) + " ";
        if (!game.summary || list.find(line) != list.rfind(line)) {
            return "game " + std::to_string(game.number) + " is listed without its summary, or twice";
        }
    }
    return games->empty() || games->back().recordKept ? "" : "the newest game's record is gone";
}

// After a start that met a fault: the fault was said once, the game played on as it would have, and
// the next start resumes a record that holds every event the player saw, or begins a new game.
// Where --new could not set the unfinished game aside, that game may come back as it was left.
std::string shownDrawThrownAgain(const Played& first, std::size_t replayedFirst, const std::string& keptThen,
                                 const Played& next, const Healthy& healthy, FaultRun& run) {
    const std::string told = "can no longer be kept";
    if (first.said.find(told) != first.said.rfind(told)) {
        return "the fault was said twice";
    }
    if (!healthy.whole.starts_with(gameText(first.screen))) {
        return "the game played otherwise than with a healthy disk";
    }
    if (!resumed(next)) {
        return next.screen.starts_with("\n\n\n\t\tWelcome") ? "" : "the next start neither resumed nor began";
    }
    run.resumed = true;
    if (first.said.find("cannot be set aside") != std::string::npos && keptThen == healthy.unfinished) {
        return ""; // the game the player asked to set aside, as it was
    }
    return eventsIn(keptThen) >= replayedFirst + first.seen ? "" : "resumed a record that lacks what the player saw";
}

} // namespace

Played playOn(std::span<const std::uint8_t> input, FaultyStore& store, const Start& start) {
    Played run;
    std::size_t asked = 0;
    std::size_t made = 0;
    Shown game(run.screen, [&] { run.seen = made; });
    Shown terminal(run.screen, {}); // the echoes of what is typed, not the game's text
    std::ostringstream said;
    std::ostream gameText(&game);
    std::ostream terminalText(&terminal);
    KeptPlay how;
    how.newGame = start.newGame;
    how.shiftLiveDraws = start.shiftDraws;
    how.terminal = &terminalText;
    how.said = &said;
    how.beforeEvent = [&](record::Kind) {
        if ((start.killAfterFault && store.failed) || asked++ == start.killBefore) {
            throw Killed{};
        }
    };
    how.afterEvent = [&](record::Kind) { ++made; };
    try {
        run.status = playKept(input, store, gameText, how).status;
    } catch (const Killed&) {
        run.status = -9;
    }
    run.said = said.str();
    return run;
}

Healthy playHealthy(std::span<const std::uint8_t> input, Disk disk) {
    Healthy healthy;
    healthy.disk = disk;
    // The unfinished game: this one, killed a third of the way.
    FaultyStore counted;
    const std::size_t events = playOn(input, counted, {}).seen;
    FaultyStore cut;
    playOn(input, cut, {.killBefore = events / 3});
    healthy.unfinished = cut.record.value_or(FaultyStore::File{}).durable;
    FaultyStore store;
    prepare(store, disk, healthy.unfinished);
    healthy.whole = gameText(playOn(input, store, {.newGame = disk == Disk::newAsked}).screen);
    for (int fault = 0; fault <= static_cast<int>(Fault::syncThenRename); ++fault) {
        healthy.calls[static_cast<Fault>(fault)] = store.callsOf(static_cast<Fault>(fault));
    }
    return healthy;
}

FaultRun runAgainst(std::span<const std::uint8_t> input, const Healthy& healthy, const FaultCase& fault) {
    FaultRun run;
    FaultyStore store;
    prepare(store, healthy.disk, healthy.unfinished);
    store.failAt(fault.fault, fault.n, fault.fromThenOn);
    const Played hit = playOn(input, store, {.newGame = healthy.disk == Disk::newAsked, .killAfterFault = true});
    run.failed = store.failed;
    run.ended = hit.status == cannotKeepStatus;
    std::string broken = lostGame(store);
    const bool resumedFirst = resumed(hit);
    store.crash(fault.writesSurvive);
    // A disk that stays full keeps a game that has ended where it stands, for a later start.
    const bool stillFull = fault.fromThenOn && fault.fault == Fault::diskFull;
    if (!stillFull) {
        store.heal();
    }
    store.failed = false;
    const std::string keptThen = store.record.value_or(FaultyStore::File{}).written;
    const Played next = playOn(input, store, {.shiftDraws = 1});
    const std::size_t before = finishedBefore(healthy.disk);
    for (const std::string& found : {
             lostGame(store),
             finishedGameLost(store, before + (finishedKept(hit) && !stillFull ? 1 : 0) + (finishedKept(next) && !stillFull ? 1 : 0),
                              before + 2),
             std::string(stillFull && finishedKept(hit) && !store.record &&
                                 archive::finishedGames(store, false).value_or(std::vector<archive::FinishedGame>{}).size() <= before
                             ? "a finished game was lost on a disk that stays full"
                             : ""),
             shownDrawThrownAgain(hit, resumedFirst ? eventsIn(healthy.unfinished) : 0, keptThen, next, healthy, run),
         }) {
        broken = broken.empty() ? found : broken;
    }
    run.broken = broken;
    return run;
}

} // namespace zandrel::fuzz
