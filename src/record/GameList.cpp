#include "record/GameList.hpp"

#include "console/Console.hpp"
#include "record/Archive.hpp"
#include "record/Replayer.hpp"

#include <algorithm>
#include <initializer_list>
#include <cstdio>
#include <ctime>
#include <map>
#include <ostream>

namespace zandrel {
namespace {

// A time of day as the player's clock shows it: 2026-12-06 14:03, or with a T between, for a plain
// line that is one word.
std::string when(std::time_t time, char between = ' ') {
    const std::tm* local = std::localtime(&time);
    if (local == nullptr) {
        return "?";
    }
    std::string text = "0000-00-00 00:00";
    const auto put = [&text](std::size_t at, int value, std::size_t digits) {
        for (std::size_t digit = digits; digit-- > 0; value /= 10) {
            text[at + digit] = static_cast<char>('0' + value % 10);
        }
    };
    put(0, (local->tm_year + 1900) % 10000, 4);
    put(5, local->tm_mon + 1, 2);
    put(8, local->tm_mday, 2);
    text[10] = between;
    put(11, local->tm_hour, 2);
    put(14, local->tm_min, 2);
    return text;
}

// Columns of a row, each of its width, to the right or the left of it.
void column(std::string& row, std::string_view text, std::size_t width, bool right = true) {
    const std::size_t fill = width > text.size() ? width - text.size() : 0;
    if (right) {
        row.append(fill, ' ');
    }
    row += text;
    if (!right) {
        row.append(fill, ' ');
    }
}

// One game a row, in columns that fit 78 characters: what the header names.
constexpr std::string_view columns[] = {"#",     "Ended", "Class", "Won",  "Level", "Region",
                                        "Turns", "Life",  "Str",   "Craft", "Gold"};
constexpr std::size_t widths[] = {5, 18, 10, 6, 6, 7, 6, 5, 4, 6, 5};

std::string row(std::initializer_list<std::string_view> fields) {
    std::string line;
    std::size_t i = 0;
    for (const std::string_view field : fields) {
        // The date, the class and the outcome read from the left, after two blanks; the rest are
        // numbers.
        const bool left = i == 1 || i == 2 || i == 3;
        if (left) {
            line += "  ";
        }
        column(line, field, widths[i++] - (left ? 2 : 0), !left);
    }
    while (line.ends_with(' ')) {
        line.pop_back();
    }
    return line + "\n";
}

std::string row(const archive::FinishedGame& game) {
    const std::string number = std::to_string(game.number);
    if (!game.summary) {
        std::string line;
        column(line, number, widths[0]);
        return line + "  its record is damaged\n";
    }
    const record::Summary& s = *game.summary;
    const auto n = [](int value) { return std::to_string(value); };
    return row({number, when(s.ended), s.className, s.won ? "yes" : "no", n(s.level), n(s.region), n(s.turns),
                n(s.life), n(s.strength), n(s.craft), n(s.gold)});
}

std::string plainLine(const archive::FinishedGame& game) {
    if (!game.summary) {
        return std::to_string(game.number) + " damaged\n";
    }
    const record::Summary& s = *game.summary;
    return std::to_string(game.number) + (s.won ? " won " : " lost ") + s.className + " level " +
           std::to_string(s.level) + " region " + std::to_string(s.region) + " turns " + std::to_string(s.turns) +
           " life " + std::to_string(s.life) + " strength " + std::to_string(s.strength) + " craft " +
           std::to_string(s.craft) + " gold " + std::to_string(s.gold) + " experience " +
           std::to_string(s.experience) + "/" + std::to_string(s.experienceNeeded) + " began " +
           when(s.began, 'T') + " ended " + when(s.ended, 'T') + " title " + s.title +
           "\n";
}

// Games, wins and the fewest turns to a win, for each class played.
std::string byClass(const std::vector<archive::FinishedGame>& games) {
    struct Tally {
        int games = 0;
        int wins = 0;
        int fewestTurns = 0;
    };
    std::map<std::string, Tally> classes;
    for (const archive::FinishedGame& game : games) {
        if (game.summary) {
            Tally& tally = classes[game.summary->className];
            ++tally.games;
            if (game.summary->won) {
                ++tally.wins;
                tally.fewestTurns = tally.wins == 1 ? game.summary->turns
                                                    : std::min(tally.fewestTurns, game.summary->turns);
            }
        }
    }
    std::string text = "\nClass     Games  Wins  Fewest turns to a win\n";
    for (const auto& [name, tally] : classes) {
        char line[96];
        std::snprintf(line, sizeof line, "%-8s  %5d  %4d  %s\n", name.c_str(), tally.games, tally.wins,
                      tally.wins > 0 ? std::to_string(tally.fewestTurns).c_str() : "-");
        text += line;
    }
    return text;
}

// Mended only while no other game holds the store, which may be moving a record of its own.
std::optional<std::vector<archive::FinishedGame>> finishedGames(RecordStore& store) {
    const bool mayMend = store.lock().state == RecordStore::Lock::State::taken;
    std::optional<std::vector<archive::FinishedGame>> games = archive::finishedGames(store, mayMend);
    if (mayMend) {
        store.unlock();
    }
    return games;
}

} // namespace

int listFinishedGames(RecordStore& store, bool terminal) {
    const std::optional<std::vector<archive::FinishedGame>> games = finishedGames(store);
    if (!games) {
        *seams().err << "zandrel: your games cannot be listed (" << store.lastProblem() << ")\n";
        return 2;
    }
    if (games->empty()) {
        out() << "No game of yours has ended yet: a game won or lost is kept here once it ends.\n";
        return 0;
    }
    std::string text;
    if (terminal) {
        text += row({columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6], columns[7],
                     columns[8], columns[9], columns[10]});
    }
    for (std::size_t newest = games->size(); newest-- > 0;) {
        text += terminal ? row((*games)[newest]) : plainLine((*games)[newest]);
    }
    out() << text << (terminal ? byClass(*games) : "");
    return 0;
}

int replayFinishedGame(RecordStore& store, const std::string& numberOrFile, bool watching) {
    const bool byNumber =
        !numberOrFile.empty() && numberOrFile.size() < 10 &&
        numberOrFile.find_first_not_of("0123456789") == std::string::npos;
    if (!byNumber) {
        RecordStore::Contents file = store.readRecordFile(numberOrFile, record::maxSize + 1);
        if (file.state != RecordStore::Contents::State::found) {
            *seams().err << "zandrel: " << numberOrFile << " cannot be replayed: it is not a record file\n";
            return 2;
        }
        return replayRecord(std::move(file.text), watching, "the game in " + numberOrFile);
    }
    const int number = std::stoi(numberOrFile);
    std::vector<archive::FinishedGame> games = archive::finishedGames(store, false).value_or(std::vector<archive::FinishedGame>{});
    const auto game = std::find_if(games.begin(), games.end(),
                                   [&](const archive::FinishedGame& finished) { return finished.number == number; });
    if (game == games.end()) {
        *seams().err << "zandrel: there is no game " << number << " among your games (zandrel --games lists them)\n";
        return 2;
    }
    if (!game->recordKept) {
        *seams().err << "zandrel: game " << number << " cannot be replayed: only the records of the newest "
                     << archive::finishedRecordsKept << " games are kept\n";
        return 2;
    }
    const RecordStore::Contents contents = store.readFile(archive::finishedName(number), record::maxSize + 1);
    return replayRecord(contents.text, watching, "game " + std::to_string(number));
}

} // namespace zandrel
