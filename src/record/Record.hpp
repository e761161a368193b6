#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

// The record of a game: text, one event per line, appended as the game goes. A header names the
// format and says when the game began; then come the answers as the player typed them, the end of
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

// The most of one typed line a record keeps: the longest line a terminal lets a person type. The
// game itself reads only its first characters, but a resumed screen shows the whole line again.
inline constexpr std::size_t maxAnswerLength = 4095;

enum class Kind { answer, pause, draw };

struct Event {
    Kind kind = Kind::pause;
    std::string answer; // the line as it was typed
    int draw = 0;       // the raw value
};

std::string header(std::time_t began);
std::string line(const Event& event);

// Written over the first line of a record that no longer holds all the player saw, at the same
// length, so that it needs no room the disk may not have: no release resumes a record so marked.
inline constexpr std::string_view stoppedFormatLine = "stopped record 1";

// A record as it was read back. A last line without its line end was cut short as it was written;
// it is left out of the events and of `length`, the bytes worth keeping. The events are read one at
// a time, as the game asks for them, so that no record takes more memory than its own text.
class Replay {
public:
    // `empty`: nothing, or only part of a header: a game cut short before it kept anything.
    enum class State { resumable, empty, otherFormat, damaged, stopped };
    State state = State::damaged;
    std::time_t began = 0;
    std::size_t length = 0;

    // The events, in order, once the record is resumable.
    bool done() const { return next_ >= length; }
    Kind nextKind() const;
    Event take();

private:
    friend Replay read(std::string text);
    std::string text_;
    std::size_t next_ = 0;
};
Replay read(std::string text);

// An answer as the terminal showed it when it was typed: control characters as ^X, but for a tab,
// and for the carriage return that ends a line typed at a Windows console.
std::string echoed(std::string_view answer);

} // namespace zandrel::record
