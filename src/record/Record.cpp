#include "record/Record.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <string_view>

namespace zandrel::record {
namespace {

constexpr std::string_view formatName = "zandrel record ";
// The format this release writes; it reads the one before too, which had no rules line.
constexpr std::string_view formatLine = "zandrel record 2";
constexpr std::string_view firstFormatLine = "zandrel record 1";
constexpr std::string_view beganWord = "began ";
constexpr std::string_view rulesWord = "rules ";
constexpr std::string_view endedWord = "ended ";
constexpr char hexDigits[] = "0123456789abcdef";

bool printable(unsigned char c) { return c >= 0x20 && c < 0x7F; }

// A whole number as the record writes one: digits alone, no sign, no leading zero.
bool readNumber(std::string_view text, long long& value) {
    if (text.empty() || (text.size() > 1 && text.front() == '0') || text.size() > 12) {
        return false;
    }
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    return problem == std::errc() && end == text.data() + text.size();
}

// A whole number that may be below zero, as Life may.
bool readSigned(std::string_view text, long long& value) {
    const bool negative = text.starts_with('-');
    if (!readNumber(text.substr(negative ? 1 : 0), value)) {
        return false;
    }
    value = negative ? -value : value;
    return true;
}

int hexValue(char c) {
    const std::string_view digits(hexDigits);
    const auto at = digits.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool unescape(std::string_view text, std::string& answer) {
    answer.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            answer.push_back(c);
        } else if (text.substr(i + 1, 1) == "\\") {
            answer.push_back('\\');
            ++i;
        } else if (text.substr(i + 1, 1) == "x" && i + 3 < text.size() && hexValue(text[i + 2]) >= 0 &&
                   hexValue(text[i + 3]) >= 0) {
            answer.push_back(static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3])));
            i += 3;
        } else {
            return false;
        }
    }
    return answer.size() <= maxAnswerLength;
}

bool readEvent(std::string_view text, Event& event) {
    long long value = 0;
    if (text == "p") {
        event.kind = Kind::pause;
        return true;
    }
    if (text.starts_with("a ")) {
        event.kind = Kind::answer;
        return unescape(text.substr(2), event.answer);
    }
    if (text.starts_with("d ") && readNumber(text.substr(2), value) && value <= INT_MAX) {
        event.kind = Kind::draw;
        event.draw = static_cast<int>(value);
        return true;
    }
    return false;
}

// Whether the text is no more than the start of a header, of either format, as a game killed
// while it wrote its first lines leaves it.
bool partOfAHeader(std::string_view text) {
    for (const std::string_view format : {formatLine, firstFormatLine}) {
        std::string start(format);
        start.append("\n").append(beganWord);
        std::string rules = "\n";
        if (format == formatLine) {
            rules.append(rulesWord).append(std::to_string(rulesInForce)).append("\n");
        }
        if (text.size() <= start.size() ? std::string_view(start).starts_with(text) : text.starts_with(start)) {
            const std::size_t digits = std::min(text.find_first_not_of("0123456789", start.size()), text.size());
            return text.size() <= start.size() || digits == text.size() ||
                   (digits > start.size() && text.size() - digits < rules.size() &&
                    std::string_view(rules).starts_with(text.substr(digits)));
        }
    }
    return false;
}

// Reads "rules N", which a record of format 2 has as its third line.
bool readRules(std::string_view whole, int& rules) {
    long long value = 0;
    if (!whole.starts_with(rulesWord) || !readNumber(whole.substr(rulesWord.size()), value) || value > INT_MAX) {
        return false;
    }
    rules = static_cast<int>(value);
    return true;
}

} // namespace

std::string header(std::time_t began) {
    std::string text(formatLine);
    text.append("\n").append(beganWord).append(std::to_string(static_cast<long long>(began)));
    return text.append("\n").append(rulesWord).append(std::to_string(rulesInForce)).append("\n");
}

std::string line(const Event& event) {
    switch (event.kind) {
    case Kind::pause:
        return "p\n";
    case Kind::draw:
        return "d " + std::to_string(event.draw) + "\n";
    case Kind::answer:
        break;
    }
    std::string text = "a ";
    for (const char c : event.answer) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (printable(byte)) {
            text.push_back(c);
        } else {
            text += {'\\', 'x', hexDigits[byte >> 4U], hexDigits[byte & 0xFU]};
        }
    }
    return text + "\n";
}

std::string endedLine(const Summary& summary) { return std::string(endedWord) + summaryWords(summary) + "\n"; }

std::string summaryWords(const Summary& summary) {
    std::string words = std::to_string(static_cast<long long>(summary.ended)) + (summary.won ? " won " : " lost ");
    words += summary.className;
    for (const int number : {summary.level, summary.experience, summary.experienceNeeded, summary.region, summary.turns,
                             summary.life, summary.strength, summary.craft, summary.gold}) {
        words.append(" ").append(std::to_string(number));
    }
    return words.append(" ").append(summary.title);
}

bool readSummaryWords(std::string_view words, Summary& summary) {
    std::string_view rest = words;
    const auto word = [&rest] {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view taken = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        return taken;
    };
    long long value = 0;
    if (!readNumber(word(), value)) {
        return false;
    }
    summary.ended = static_cast<std::time_t>(value);
    const std::string_view outcome = word();
    summary.won = outcome == "won";
    summary.className = word();
    for (int* number : {&summary.level, &summary.experience, &summary.experienceNeeded, &summary.region,
                        &summary.turns, &summary.life, &summary.strength, &summary.craft, &summary.gold}) {
        if (!readSigned(word(), value) || value < INT_MIN || value > INT_MAX) {
            return false;
        }
        *number = static_cast<int>(value);
    }
    summary.title = rest;
    return (outcome == "won" || outcome == "lost") && !summary.className.empty() && !summary.title.empty() &&
           std::none_of(words.begin(), words.end(), [](char c) { return !printable(static_cast<unsigned char>(c)); });
}

Replay read(std::string text) {
    Replay replay;
    if (partOfAHeader(text)) {
        replay.state = Replay::State::empty;
        return replay;
    }
    const std::string_view all(text);
    Event scratch;
    enum class Next { format, began, rules, events } next = Next::format;
    bool stopped = false;
    bool namesRules = false;
    std::size_t eventsStart = 0;
    std::size_t eventsEnd = 0;
    for (std::size_t at = 0, end; (end = all.find('\n', at)) != std::string_view::npos; at = end + 1) {
        const std::string_view whole = all.substr(at, end - at);
        if (next == Next::format) {
            stopped = whole == stoppedFormatLine;
            if (whole != formatLine && whole != firstFormatLine && !stopped) {
                replay.state = whole.starts_with(formatName) ? Replay::State::otherFormat : Replay::State::damaged;
                return replay;
            }
            namesRules = whole == formatLine;
            next = Next::began;
        } else if (next == Next::began) {
            long long began = 0;
            if (!whole.starts_with(beganWord) || !readNumber(whole.substr(beganWord.size()), began)) {
                return replay;
            }
            replay.began = static_cast<std::time_t>(began);
            replay.state = Replay::State::resumable;
            next = namesRules || stopped ? Next::rules : Next::events;
            eventsStart = end + 1;
        } else if (next == Next::rules && readRules(whole, replay.rules)) {
            next = Next::events; // a marked record may be of either format: with a rules line or without
            eventsStart = end + 1;
        } else if (next == Next::rules && !stopped) {
            replay.state = Replay::State::damaged;
            break;
        } else if (whole == "stopped") {
            stopped = true; // as a game of 2.1.0 marked a record it could keep no longer
            break;
        } else if (whole.starts_with(endedWord) && replay.state == Replay::State::resumable) {
            Summary summary;
            summary.began = replay.began;
            if (!readSummaryWords(whole.substr(endedWord.size()), summary)) {
                replay.state = Replay::State::damaged;
                break;
            }
            replay.state = Replay::State::finished;
            replay.summary = std::move(summary);
        } else if (replay.state != Replay::State::resumable || !readEvent(whole, scratch)) {
            replay.state = Replay::State::damaged; // no event, or events after the end
            replay.summary.reset();
            break;
        } else {
            eventsEnd = end + 1;
            next = Next::events;
        }
        replay.length = end + 1;
    }
    replay.next_ = eventsStart;
    replay.eventsEnd_ = std::max(eventsStart, eventsEnd);
    if (stopped) {
        replay.state = Replay::State::stopped;
    } else if (replay.state == Replay::State::resumable && replay.rules != rulesInForce) {
        replay.state = Replay::State::otherRules;
    } else if (replay.state == Replay::State::resumable && replay.done()) {
        replay.state = Replay::State::empty; // a header without one event: nothing was kept
    }
    replay.text_ = std::move(text);
    return replay;
}

Kind Replay::nextKind() const {
    return text_[next_] == 'p' ? Kind::pause : text_[next_] == 'a' ? Kind::answer : Kind::draw;
}

Event Replay::take() {
    const std::size_t end = text_.find('\n', next_);
    Event event;
    readEvent(std::string_view(text_).substr(next_, end - next_), event);
    next_ = end + 1;
    return event;
}

std::string echoed(std::string_view answer) {
    if (answer.ends_with('\r')) {
        answer.remove_suffix(1); // the first half of a console's line end
    }
    std::string shown;
    for (const char c : answer) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            shown += {'^', static_cast<char>(byte ^ 0x40U)};
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

} // namespace zandrel::record
