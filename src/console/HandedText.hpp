#pragma once

#include <array>
#include <streambuf>
#include <string_view>

namespace zandrel {

// A stream buffer that gathers text and hands it on in pieces: whenever it fills, and whenever
// it is flushed. What a piece of text is handed to is the deriving class's business.
class HandedText : public std::streambuf {
public:
    HandedText() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

protected:
    // Takes one piece of text, never empty.
    virtual void hand(std::string_view text) = 0;
    // After the pieces of a flush are handed on.
    virtual void flushed() {}

    int_type overflow(int_type c) override {
        handGathered();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override {
        handGathered();
        flushed();
        return 0;
    }

private:
    void handGathered() {
        if (pptr() != pbase()) {
            hand({pbase(), static_cast<std::size_t>(pptr() - pbase())});
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

    std::array<char, 4096> buffer_{};
};

} // namespace zandrel
