#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// The record of a game: text, one event per line, appended as the game goes. A header names the
// format, says when the game began and names the rules it is played under; then come the answers
// as the player typed them, the end of each pause, and each draw of chance as its raw value. A
// finished game's record ends in a line that tells how it ended.
//
//     zandrel record 2
//     began 1796569380
//     rules 1
//     p
//     a k
//     d 17
//     ended 1796573000 won Knight 5 12 64 3 120 3 20 15 7 Brave Knight
//
// Answers may hold any byte but the line end; a backslash and every byte outside printable ASCII
// are written as \\ and \xHH, so that the record is plain ASCII everywhere it is kept. A record of
// format 1 (2.1) has no rules line, and was played under rules 1.
namespace zandrel::record {

// The most a record may hold: with the five set aside beside it, it fits in a page's storage.
inline constexpr std::size_t maxSize = 786'432;

// The most of one typed line a record keeps: the longest line a terminal lets a person type. The
// game itself reads only its first characters, but a resumed screen shows the whole line again.
inline constexpr std::size_t maxAnswerLength = 4095;

// The rules this release plays: what the game does with every answer and draw. Another number
// would replay the same record into another game.
inline constexpr int rulesInForce = 1;

enum class Kind { answer, pause, draw };

struct Event {
    Kind kind = Kind::pause;
    std::string answer; // the line as it was typed
    int draw = 0;       // the raw value
};

// How a finished game went, as its record's last line and the list of finished games keep it.
struct Summary {
    std::time_t began = 0;
    std::time_t ended = 0;
    bool won = false;
    std::string className; // the class chosen: Knight, Ogre...
    std::string title;     // as it stood at the end: Brave Knight
    int level = 0;
    int experience = 0;
    int experienceNeeded = 1;
    int region = 1; // the furthest reached
    int turns = 0;
    int life = 0;
    int strength = 0;
    int craft = 0;
    int gold = 0;
};

std::string header(std::time_t began);
std::string line(const Event& event);
// The last line of a finished game's record.
std::string endedLine(const Summary& summary);

// The summary as one line of words, all of it but when the game began, title last; and back.
std::string summaryWords(const Summary& summary);
bool readSummaryWords(std::string_view words, Summary& summary);

// Written over the first line of a record that no longer holds all the player saw, at the same
// length, so that it needs no room the disk may not have: no release resumes a record so marked.
inline constexpr std::string_view stoppedFormatLine = "stopped record 1";

// A record as it was read back. A last line without its line end was cut short as it was written;
// it is left out of the events and of `length`, the bytes worth keeping. The events are read one
// at a time, as the game asks for them, so that no record takes more memory than its own text.
class Replay {
public:
    // `empty`: nothing, or only part of a header: a game cut short before it kept anything.
    // `finished`: the record of a game that has ended, its summary last.
    // `stopped` and `damaged` records still give the events before the mark or the damage.
    enum class State { resumable, empty, finished, otherFormat, otherRules, damaged, stopped };
    State state = State::damaged;
    std::time_t began = 0;
    int rules = rulesInForce;
    std::size_t length = 0;
    std::optional<Summary> summary; // of a finished game

    // The events, in order.
    bool done() const { return next_ >= eventsEnd_; }
    Kind nextKind() const;
    Event take();

private:
    friend Replay read(std::string text);
    std::string text_;
    std::size_t next_ = 0;
    std::size_t eventsEnd_ = 0;
};
Replay read(std::string text);

// An answer as the terminal showed it when it was typed: control characters as ^X, but for a tab,
// and for the carriage return that ends a line typed at a Windows console.
std::string echoed(std::string_view answer);

} // namespace zandrel::record
