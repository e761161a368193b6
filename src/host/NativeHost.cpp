#include "host/NativeHost.hpp"

#include "host/FolderStore.hpp"

#include <iostream>
#include <memory>
#include <ostream>
#include <streambuf>

namespace zandrel {
namespace {

// A standard stream as the game writes it, noting whether its last byte left a line open.
class LineKeeper final : public std::streambuf {
public:
    explicit LineKeeper(std::ostream& to) : to_(to) {}
    bool lineOpen() const { return lineOpen_; }
    // Lines of this stream start on a line of their own, after any line the other left open.
    void startLinesAfter(const LineKeeper& other) { other_ = &other; }

private:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        if (count <= 0) {
            return 0;
        }
        if (!lineOpen_ && other_ != nullptr && other_->lineOpen()) {
            to_.rdbuf()->sputc('\n');
        }
        lineOpen_ = text[count - 1] != '\n';
        return to_.rdbuf()->sputn(text, count);
    }
    int sync() override { return to_.rdbuf()->pubsync(); }

    std::ostream& to_;
    const LineKeeper* other_ = nullptr;
    bool lineOpen_ = false;
};

struct Streams {
    LineKeeper output{std::cout};
    LineKeeper errors{std::cerr};
    std::ostream gameOutput{&output};
    std::ostream gameErrors{&errors};
};

Streams& streams() {
    static Streams standard;
    return standard;
}

void tellOnStandardError(std::string_view line) {
    Streams& standard = streams();
    standard.gameOutput.flush();
    standard.gameErrors << "zandrel: " << line << '\n';
    standard.gameErrors.flush();
}

} // namespace

Host nativeHost(Platform& platform, bool errorsOnTerminal, bool textOnTerminal, bool personPlaying,
               std::string_view otherGameHint) {
    Streams& standard = streams();
    // Sharing the terminal with a prompt that waits for its answer, the game's lines on standard
    // error would otherwise run on after the prompt.
    if (errorsOnTerminal) {
        standard.errors.startLinesAfter(standard.output);
    }
    static const std::unique_ptr<RecordStore> store = folderStore(keptGameFolder());
    return {&std::cin,
            &standard.gameOutput,
            &standard.gameErrors,
            &platform,
            {store.get(), personPlaying, "zandrel --new starts another", otherGameHint, tellOnStandardError,
             "zandrel --replay"},
            textOnTerminal};
}

} // namespace zandrel
