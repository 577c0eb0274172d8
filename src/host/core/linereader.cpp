#include "host/core/linereader.h"

#include <array>
#include <cstdint>

namespace luckdial {

namespace {

enum ByteClass : std::uint8_t { Plain, Lead, LineFeed, Stop };

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0x80; b < 0x100; ++b)
        t[b] = Lead;
    t[0x0A] = LineFeed;
    t[0x00] = Stop;
    t[0x1A] = Stop;
    return t;
}

constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

} // namespace

std::string_view LineReader::readLine() {
    if (atEnd()) return {};
    const auto* base = reinterpret_cast<const unsigned char*>(text_.data());
    const unsigned char* p = base + pos_;
    const unsigned char* const end = base + text_.size();
    const unsigned char* const start = p;
    const unsigned char* lineEnd = end;
    std::size_t next = text_.size();
    while (p < end) {
        std::uint8_t cls = kClasses[*p];
        if (cls == Plain) {
            ++p;
        } else if (cls == Lead) {
            // The second byte of a pair is never a line end or Ctrl-Z, but a
            // NUL ends the text wherever it stands.
            if (end - p < 2) break; // a lead byte as the very last byte
            if (p[1] == 0) {
                lineEnd = p + 1;
                next = static_cast<std::size_t>(lineEnd - base);
                ended_ = true;
                break;
            }
            p += 2;
        } else if (cls == LineFeed) {
            lineEnd = p;
            next = static_cast<std::size_t>(p - base) + 1;
            break;
        } else {
            lineEnd = p;
            next = static_cast<std::size_t>(p - base);
            ended_ = true;
            break;
        }
    }
    pos_ = next;
    std::size_t len = static_cast<std::size_t>(lineEnd - start);
    if (len > 0 && start[len - 1] == '\r') --len;
    return text_.substr(static_cast<std::size_t>(start - base), len);
}

} // namespace luckdial
