#include "record/Archive.hpp"

#include "record/Record.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>
#include <string_view>
#include <utility>

namespace zandrel::archive {
namespace {

// A name's place in the order records were set aside: the number after the prefix, as in
// game-set-aside-0007-20261206T140300Z. Names of 2.1.0 (game-set-aside-20261206T140300Z-01)
// carry none and come first, among themselves in the order of their names.
long placeOf(std::string_view name) {
    name.remove_prefix(std::min(name.size(), setAsidePrefix.size()));
    const std::size_t digits = std::min(name.find_first_not_of("0123456789"), name.size());
    if (digits == 0 || digits > 9 || name.substr(digits, 1) != "-") {
        return 0;
    }
    return std::stol(std::string(name.substr(0, digits)));
}

std::string orderedName(std::string_view prefix, long place, std::time_t when);

constexpr std::string_view finishedPrefix = "finished-";
constexpr std::string_view finishedList = "finished-games";
constexpr std::string_view rebuiltList = "finished-games-new";
constexpr std::string_view damagedList = "finished-games-damaged-";
constexpr std::string_view listFormat = "zandrel finished games 1\n";
// The list is small, a line a game, but it grows for ever.
constexpr std::size_t listLimit = std::size_t{64} << 20U;

// The number of a finished game's record, from its name; zero for any other name.
int numberOf(std::string_view name) {
    if (!name.starts_with(finishedPrefix)) {
        return 0;
    }
    name.remove_prefix(finishedPrefix.size());
    int number = 0;
    const auto [end, problem] = std::from_chars(name.data(), name.data() + name.size(), number);
    return problem == std::errc() && end == name.data() + name.size() && number > 0 ? number : 0;
}

std::string listLine(int number, const record::Summary& summary) {
    return std::to_string(number) + " " + std::to_string(static_cast<long long>(summary.began)) + " " +
           record::summaryWords(summary) + "\n";
}

// One line of the list back: its number, and the summary; false when it is not one.
bool readListLine(std::string_view line, int& number, record::Summary& summary) {
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    long long began = 0;
    const auto [numberEnd, numberProblem] = std::from_chars(line.data(), line.data() + first, number);
    const auto [beganEnd, beganProblem] = std::from_chars(line.data() + first + 1, line.data() + second, began);
    summary.began = static_cast<std::time_t>(began);
    return second != std::string_view::npos && numberProblem == std::errc() && numberEnd == line.data() + first &&
           number > 0 && beganProblem == std::errc() && beganEnd == line.data() + second &&
           record::readSummaryWords(line.substr(second + 1), summary);
}

struct List {
    bool found = false;
    bool damaged = false;
    std::map<int, record::Summary> summaries;
};

List readList(RecordStore& store) {
    List list;
    const RecordStore::Contents contents = store.readFile(std::string(finishedList), listLimit);
    list.found = contents.state != RecordStore::Contents::State::none;
    const std::string_view text = contents.text;
    list.damaged = list.found && (!text.starts_with(listFormat) || !text.ends_with('\n'));
    for (std::size_t at = text.find('\n') + 1, end; at != 0 && (end = text.find('\n', at)) != std::string::npos;
         at = end + 1) {
        int number = 0;
        record::Summary summary;
        if (!readListLine(text.substr(at, end - at), number, summary) || list.summaries.contains(number)) {
            list.damaged = true;
            continue;
        }
        list.summaries.emplace_hint(list.summaries.end(), number, std::move(summary));
    }
    return list;
}

// A damaged list, rebuilt: the new one is written whole beside it first, then the old one moves
// aside and the new one takes its name, so that a kill between any two steps loses no summary.
void rebuildList(RecordStore& store, const std::vector<FinishedGame>& games) {
    std::string text(listFormat);
    for (const FinishedGame& game : games) {
        text += game.summary ? listLine(game.number, *game.summary) : "";
    }
    const std::string rebuilt(rebuiltList);
    if (!store.removeFile(rebuilt) || !store.appendFile(rebuilt, text)) {
        return;
    }
    RecordStore::Move aside = RecordStore::Move::nameTaken;
    for (long place = 1; place < 1000 && aside == RecordStore::Move::nameTaken; ++place) {
        aside = store.renameFile(std::string(finishedList), orderedName(damagedList, place, std::time(nullptr)));
    }
    if (aside == RecordStore::Move::moved || aside == RecordStore::Move::noRecord) {
        store.renameFile(rebuilt, std::string(finishedList));
    }
}

// A name in the order of its kind, then the time: game-set-aside-0007-20261206T140300Z.
std::string orderedName(std::string_view prefix, long place, std::time_t when) {
    char stamp[32] = "";
    if (const std::tm* utc = std::gmtime(&when)) {
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", utc);
    }
    char name[96];
    std::snprintf(name, sizeof name, "%s%04ld-%s", std::string(prefix).c_str(), place, stamp);
    return name;
}

std::string setAsideName(long place, std::time_t when) { return orderedName(setAsidePrefix, place, when); }

} // namespace

void sortSetAside(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& one, const std::string& other) {
        return std::pair(placeOf(one), std::string_view(one)) < std::pair(placeOf(other), std::string_view(other));
    });
}

SetAside setAside(RecordStore& store) {
    std::optional<std::vector<std::string>> listed = store.namesSetAside();
    if (!listed) {
        return {RecordStore::Move::failed, {}}; // where it would go in their order is not known
    }
    std::vector<std::string>& names = *listed;
    sortSetAside(names);
    const long last = names.empty() ? 0 : placeOf(names.back());
    SetAside aside{RecordStore::Move::nameTaken, {}};
    std::string name;
    // A name can be taken only by a file put there by hand: the next place is tried then.
    for (long place = last + 1; place <= last + 3 && aside.outcome == RecordStore::Move::nameTaken; ++place) {
        name = setAsideName(place, std::time(nullptr));
        aside.outcome = store.moveAside(name);
    }
    if (aside.outcome != RecordStore::Move::moved) {
        return aside;
    }
    aside.where = store.whereIs(name);
    names.push_back(name);
    for (std::size_t oldest = 0; oldest + keptAside < names.size(); ++oldest) {
        store.removeSetAside(names[oldest]); // one that cannot go now goes at a later start
    }
    return aside;
}

Unresumable makeUnresumable(RecordStore& store, bool holdsAGame) {
    if (!holdsAGame && store.remove()) {
        return {Unresumable::Way::gone, {}};
    }
    SetAside aside = setAside(store);
    if (aside.outcome == RecordStore::Move::moved) {
        return {Unresumable::Way::setAside, std::move(aside.where)};
    }
    if (aside.outcome == RecordStore::Move::noRecord) {
        return {Unresumable::Way::gone, {}};
    }
    if (store.rewriteStart(record::stoppedFormatLine)) {
        return {Unresumable::Way::marked, {}};
    }
    return {Unresumable::Way::failed, {}};
}

} // namespace zandrel::archive

namespace zandrel::archive {

std::string finishedName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%04d", std::string(finishedPrefix).c_str(), number);
    return name;
}

std::optional<std::vector<FinishedGame>> finishedGames(RecordStore& store, bool mend) {
    if (mend && store.readFile(std::string(finishedList), 1).state == RecordStore::Contents::State::none) {
        store.renameFile(std::string(rebuiltList), std::string(finishedList)); // a rebuild killed half-way
    }
    List list = readList(store);
    const std::optional<std::vector<std::string>> names = store.namesStartingWith(finishedPrefix);
    if (!names) {
        return std::nullopt;
    }
    std::map<int, FinishedGame> games;
    for (auto& [number, summary] : list.summaries) {
        games.emplace_hint(games.end(), number, FinishedGame{number, std::move(summary), false});
    }
    std::string unlisted;
    for (const std::string& name : *names) {
        const int number = numberOf(name);
        if (number == 0) {
            continue;
        }
        FinishedGame& game = games[number];
        game.number = number;
        game.recordKept = true;
        if (!game.summary) {
            const record::Replay replay = record::read(store.readFile(name, record::maxSize + 1).text);
            game.summary = replay.summary;
            unlisted += replay.summary ? listLine(number, *replay.summary) : "";
        }
    }
    std::vector<FinishedGame> inOrder;
    inOrder.reserve(games.size());
    for (auto& [number, game] : games) {
        inOrder.push_back(std::move(game));
    }
    if (mend && list.damaged) {
        rebuildList(store, inOrder);
    } else if (mend && !unlisted.empty()) {
        store.appendFile(std::string(finishedList), (list.found ? "" : std::string(listFormat)) + unlisted);
    }
    return inOrder;
}

std::optional<int> keepFinished(RecordStore& store, const record::Summary& summary) {
    const std::optional<std::vector<FinishedGame>> games = finishedGames(store, true);
    if (!games) {
        return std::nullopt;
    }
    int number = games->empty() ? 1 : games->back().number + 1;
    RecordStore::Move moved = RecordStore::Move::nameTaken;
    for (int tries = 0; tries < 3 && moved == RecordStore::Move::nameTaken; ++tries, ++number) {
        moved = store.renameFile("game", finishedName(number));
    }
    --number;
    if (moved != RecordStore::Move::moved) {
        return std::nullopt;
    }
    // Listed at once; a kill before this leaves the record, which the next look lists.
    const bool listFound = store.readFile(std::string(finishedList), 1).state != RecordStore::Contents::State::none;
    store.appendFile(std::string(finishedList), (listFound ? "" : std::string(listFormat)) + listLine(number, summary));
    std::vector<int> kept = {number};
    for (const FinishedGame& game : *games) {
        if (game.recordKept) {
            kept.push_back(game.number);
        }
    }
    std::sort(kept.begin(), kept.end());
    for (std::size_t oldest = 0; oldest + finishedRecordsKept < kept.size(); ++oldest) {
        store.removeFile(finishedName(kept[oldest])); // its summary stays in the list
    }
    return number;
}

} // namespace zandrel::archive
