#include "pool/crlflines.h"

namespace luckdial {

std::string hex8(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = digits[value & 0xFu];
    return out;
}

std::optional<std::string_view> CrLfLines::next() {
    const std::size_t end = text_.find("\r\n", pos_);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 2;
    return line;
}

} // namespace luckdial
