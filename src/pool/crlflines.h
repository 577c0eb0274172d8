#pragma once
// The pool's saved forms (the recovery record's header, the group file) are
// lines that each end in CR LF and must read back exactly as they were
// written, with their check values as hexadecimal digits. Pure byte work.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace luckdial {

/// The value as eight lower-case hexadecimal digits.
std::string hex8(std::uint32_t value);

/// Reads a text line by line, each line ending in CR LF.
class CrLfLines {
public:
    explicit CrLfLines(std::string_view text) : text_(text) {}
    /// The next line without its CR LF; nothing when no CR LF follows.
    std::optional<std::string_view> next();
    /// Bytes read so far: where the next line starts.
    std::size_t position() const { return pos_; }
    /// Every byte has been read.
    bool done() const { return pos_ == text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace luckdial
