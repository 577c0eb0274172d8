#include "settings/core/password.h"

namespace luckdial {
namespace {

// Scrambling byte for position i: a small linear sequence, so that equal
// password bytes do not show up as equal pairs of digits.
unsigned char scramble(std::size_t i) {
    return static_cast<unsigned char>((0x5Au + 73u * static_cast<unsigned>(i & 0xFFFFu)) & 0xFFu);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::string encodePassword(std::string_view password) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(password.size() * 2);
    for (std::size_t i = 0; i < password.size(); ++i) {
        const unsigned b = static_cast<unsigned char>(password[i]) ^ scramble(i);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0xFu]);
    }
    return out;
}

std::optional<std::string> decodePassword(std::string_view stored) {
    if (stored.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(stored.size() / 2);
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        const int hi = hexValue(stored[i]);
        const int lo = hexValue(stored[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(static_cast<unsigned>(hi * 16 + lo) ^ scramble(i / 2)));
    }
    return out;
}

} // namespace luckdial
