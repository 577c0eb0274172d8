#include "remote/core/secret.h"

#include <cstddef>
#include <cstdint>

namespace luckdial::remote {

bool constantTimeEqual(std::string_view expected, std::string_view presented) {
    // Every byte of what was presented is looked at, whatever matches; the
    // expected text is read cyclically so a length mismatch costs the same.
    if (expected.empty()) return false;
    unsigned diff = expected.size() == presented.size() ? 0u : 1u;
    for (std::size_t i = 0; i < presented.size(); ++i)
        diff |= static_cast<unsigned char>(presented[i]) ^
                static_cast<unsigned char>(expected[i % expected.size()]);
    return diff == 0 && !presented.empty();
}

std::string base32(std::string_view bytes) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz234567";
    std::string out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : bytes) {
        buffer = (buffer << 8) | static_cast<unsigned char>(c);
        bits += 8;
        while (bits >= 5) {
            out += kLetters[(buffer >> (bits - 5)) & 31u];
            bits -= 5;
        }
    }
    if (bits > 0) out += kLetters[(buffer << (5 - bits)) & 31u];
    return out;
}

bool isTokenText(std::string_view text) {
    if (text.empty() || text.size() > 64) return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= '2' && c <= '7'))) return false;
    return true;
}

} // namespace luckdial::remote
