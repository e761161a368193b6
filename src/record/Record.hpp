#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The record of a game: text, one event per line, appended as the game goes. A header names the
// format and says when the game began; then come the answers as the game kept them, the end of
// each pause, and each draw of chance as its raw value.
//
//     zandrel record 1
//     began 1796569380
//     p
//     a k
//     d 17
//
// Answers may hold any byte but the line end; a backslash and every byte outside printable ASCII
// are written as \\ and \xHH, so that the record is plain ASCII everywhere it is kept.
namespace zandrel::record {

// The most a record may hold: with the five set aside beside it, it fits in a page's storage.
inline constexpr std::size_t maxSize = 786'432;

enum class Kind { answer, pause, draw };

struct Event {
    Kind kind;
    std::string answer; // what the game kept of the line
    int draw = 0;       // the raw value
};

std::string header(std::time_t began);
std::string line(const Event& event);
// Marks a record that stopped in the middle of its game: it no longer holds all the player saw.
inline constexpr std::string_view stoppedLine = "stopped\n";

// A record as it was read back. A last line without its line end was cut short as it was
// written; it is left out of `events` and of `length`, the bytes worth keeping.
struct Replay {
    enum class State { resumable, otherFormat, damaged, stopped } state = State::damaged;
    std::time_t began = 0;
    std::vector<Event> events;
    std::size_t length = 0;
};
Replay read(std::string_view text);

// An answer as the terminal showed it when it was typed: control characters as ^X, but for a tab,
// and for the carriage return that ends a line typed at a Windows console.
std::string echoed(std::string_view answer);

// The name of a record set aside at the given time; `n` tells apart those set aside within the
// same second. Names sort in the order records were set aside.
std::string setAsideName(std::time_t when, int n);

} // namespace zandrel::record
