#include "record/Record.hpp"

#include <charconv>
#include <climits>
#include <string_view>

namespace zandrel::record {
namespace {

constexpr std::string_view formatLine = "zandrel record 1";
constexpr std::string_view formatName = "zandrel record ";
constexpr std::string_view beganWord = "began ";
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

// Whether the text is no more than the start of a header, as a game killed while it wrote its first
// line leaves it.
bool partOfAHeader(std::string_view text) {
    const std::string start = std::string(formatLine) + "\n" + std::string(beganWord);
    if (text.size() <= start.size()) {
        return std::string_view(start).starts_with(text);
    }
    return text.starts_with(start) && text.find_first_not_of("0123456789", start.size()) == std::string_view::npos;
}

} // namespace

std::string header(std::time_t began) {
    return std::string(formatLine) + "\n" + std::string(beganWord) + std::to_string(static_cast<long long>(began)) +
           "\n";
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

Replay read(std::string text) {
    Replay replay;
    if (partOfAHeader(text)) {
        replay.state = Replay::State::empty;
        return replay;
    }
    const std::string_view all(text);
    Event scratch;
    std::size_t at = 0;
    int number = 0;
    for (std::size_t end; (end = all.find('\n', at)) != std::string_view::npos; at = end + 1, ++number) {
        const std::string_view whole = all.substr(at, end - at);
        if (number == 0 && whole != formatLine) {
            replay.state = whole == stoppedFormatLine      ? Replay::State::stopped
                           : whole.starts_with(formatName) ? Replay::State::otherFormat
                                                           : Replay::State::damaged;
            return replay;
        }
        if (number == 1) {
            long long began = 0;
            if (!whole.starts_with(beganWord) || !readNumber(whole.substr(beganWord.size()), began)) {
                return replay;
            }
            replay.began = static_cast<std::time_t>(began);
            replay.state = Replay::State::resumable;
            replay.next_ = end + 1;
        }
        // What a game of 2.1.0 wrote after the events of a record it could keep no longer.
        if (number >= 2 && whole == "stopped") {
            replay.state = Replay::State::stopped;
            return replay;
        }
        if (number >= 2 && !readEvent(whole, scratch)) {
            replay.state = Replay::State::damaged;
            return replay;
        }
        replay.length = end + 1;
    }
    if (replay.state == Replay::State::resumable && replay.done()) {
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
