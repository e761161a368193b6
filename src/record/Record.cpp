#include "record/Record.hpp"

#include "console/Console.hpp"
#include "record/RecordStore.hpp"

#include <charconv>
#include <climits>
#include <cstdio>
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
    return answer.size() <= maxLineLength;
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

Replay read(std::string_view text) {
    Replay replay;
    std::size_t at = 0;
    int number = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string_view::npos; at = end + 1, ++number) {
        const std::string_view whole = text.substr(at, end - at);
        if (number == 0 && whole != formatLine) {
            replay.state = whole.starts_with(formatName) ? Replay::State::otherFormat : Replay::State::damaged;
            return replay;
        }
        if (number == 1) {
            long long began = 0;
            if (!whole.starts_with(beganWord) || !readNumber(whole.substr(beganWord.size()), began)) {
                return replay;
            }
            replay.began = static_cast<std::time_t>(began);
            replay.state = Replay::State::resumable;
        }
        if (number >= 2 && whole == stoppedLine.substr(0, stoppedLine.size() - 1)) {
            replay.state = Replay::State::stopped;
            return replay;
        }
        if (number >= 2 && !readEvent(whole, replay.events.emplace_back())) {
            replay.state = Replay::State::damaged;
            return replay;
        }
        replay.length = end + 1;
    }
    return replay;
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

std::string setAsideName(std::time_t when, int n) {
    char stamp[32] = "";
    if (const std::tm* utc = std::gmtime(&when)) {
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", utc);
    }
    char count[8];
    std::snprintf(count, sizeof count, "-%02d", n);
    return std::string(setAsidePrefix) + stamp + count;
}

} // namespace zandrel::record
