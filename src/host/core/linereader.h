#pragma once
// Line reading of pool and progress text: bytes from 0x80 pair with the next
// byte, LF ends a line, one trailing CR is dropped, NUL or an unpaired Ctrl-Z
// ends the text, nothing is trimmed, no length limit.

#include <cstddef>
#include <string_view>

namespace luckdial {

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    /// Continues at a byte position of the text (after the text changed).
    LineReader(std::string_view text, std::size_t position)
        : text_(text), pos_(position < text.size() ? position : text.size()) {}
    bool atEnd() const { return ended_ || pos_ >= text_.size(); }
    /// The next line (a view into the text) and moves past it.
    std::string_view readLine();
    std::size_t position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool ended_ = false;
};

} // namespace luckdial
