#pragma once

#include "record/Record.hpp"
#include "record/RecordStore.hpp"

#include <optional>
#include <string>
#include <vector>

// The records kept beside the game in play: those set aside because they could not be resumed, and
// those of the games that have ended, with a list of their summaries. No record that holds a game is
// ever deleted, but for the oldest of more than five set aside, and the records of finished games
// older than the newest hundred, whose summaries stay.
namespace zandrel::archive {

// How many records set aside are kept.
inline constexpr std::size_t keptAside = 5;

// Puts the names of records set aside in the order they were set aside, the oldest first. Each name
// carries its place in that order; the clock, which may be set back, has no say in it.
void sortSetAside(std::vector<std::string>& names);

struct SetAside {
    RecordStore::Move outcome;
    std::string where; // as the player is told, once it is moved
};
// Moves the record aside under a name after all the others, then lets the oldest go until five are
// left.
SetAside setAside(RecordStore& store);

// What became of a record that must never be resumed.
struct Unresumable {
    enum class Way { gone, setAside, marked, failed } way;
    std::string where; // when set aside
};
// Makes sure no start resumes the record, with no new file and no new space: a record that holds no
// game the player has seen kept is removed; any other is set aside or, where it cannot be moved,
// marked where it stands.
Unresumable makeUnresumable(RecordStore& store, bool holdsAGame);

// How many finished games keep their records.
inline constexpr std::size_t finishedRecordsKept = 100;

// The name of a finished game's record: finished-0007.
std::string finishedName(int number);

struct FinishedGame {
    int number = 0;
    std::optional<record::Summary> summary; // none for a damaged record the list never had
    bool recordKept = false;
};

// The finished games, in the order they were played. With `mend`, the list is brought up to date
// first: a record that a game killed in its move did not list is listed, and a damaged list is
// rebuilt from the records and what can still be read of it, its old copy kept beside them. Without
// it nothing is written, as while another game holds the folder. None when they cannot be listed.
std::optional<std::vector<FinishedGame>> finishedGames(RecordStore& store, bool mend);

// Moves the record of the game that has just ended among the finished games, under the next number,
// lists it, and lets the records older than the newest hundred go; its number, or none when the
// record cannot be moved.
std::optional<int> keepFinished(RecordStore& store, const record::Summary& summary);

} // namespace zandrel::archive
