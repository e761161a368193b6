#pragma once

#include "record/RecordStore.hpp"

#include <string>
#include <vector>

// The records kept beside the game in play: those set aside because they could not be resumed. No
// record that holds a game is ever deleted, but for the oldest of more than five set aside.
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

} // namespace zandrel::archive
