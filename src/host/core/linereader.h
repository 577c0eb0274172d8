#pragma once
// Line reading of pool and progress text: bytes from 0x80 pair with the next
// byte, LF ends a line, one trailing CR is dropped, NUL or an unpaired Ctrl-Z
// ends the text, nothing is trimmed, no length limit.
//
// Inline, because the pool loader calls it for millions of short lines.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace luckdial {

namespace linebytes {
enum Class : std::uint8_t { Plain, Lead, LineFeed, Stop };
constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0x80; b < 0x100; ++b)
        t[b] = Lead;
    t[0x0A] = LineFeed;
    t[0x00] = Stop;
    t[0x1A] = Stop;
    return t;
}
inline constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();
} // namespace linebytes

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    /// Continues at a byte position of the text (after the text changed).
    LineReader(std::string_view text, std::size_t position)
        : text_(text), pos_(position < text.size() ? position : text.size()) {}
    bool atEnd() const { return ended_ || pos_ >= text_.size(); }
    /// The next line (a view into the text) and moves past it.
    inline std::string_view readLine();
    /// Calls onLine(view) for every remaining line, as readLine would return
    /// them, and ends at the end of the text. Faster than a readLine loop for
    /// many short lines: a block of plain bytes is split at all its line feeds
    /// at once.
    template <typename F> void forEachLine(F&& onLine);
    std::size_t position() const { return pos_; }

private:
    static inline const unsigned char* findSpecial(const unsigned char* p,
                                                   const unsigned char* end);

    std::string_view text_;
    std::size_t pos_ = 0;
    bool ended_ = false;
};

/// The first byte in [p, end) that is not Plain, or end. Pool entries are
/// short, so one 16-byte block usually holds the whole line.
const unsigned char* LineReader::findSpecial(const unsigned char* p, const unsigned char* end) {
    using namespace linebytes;
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    const __m128i ctrlZ = _mm_set1_epi8(0x1A);
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lineFeed), _mm_cmpeq_epi8(v, nul)),
                         _mm_cmpeq_epi8(v, ctrlZ));
        // movemask of the bytes themselves gives their high bits: lead bytes.
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)) |
                              static_cast<unsigned>(_mm_movemask_epi8(v));
        if (mask != 0) return p + __builtin_ctz(mask);
        p += 16;
    }
#endif
    while (p < end && kClasses[*p] == Plain)
        ++p;
    return p;
}

std::string_view LineReader::readLine() {
    using namespace linebytes;
    if (atEnd()) return {};
    const auto* base = reinterpret_cast<const unsigned char*>(text_.data());
    const unsigned char* const end = base + text_.size();
    const unsigned char* const start = base + pos_;
    const unsigned char* p = start;
    const unsigned char* lineEnd = end;
    std::size_t next = text_.size();
    for (;;) {
        p = findSpecial(p, end);
        if (p == end) break;
        const std::uint8_t cls = kClasses[*p];
        if (cls == Lead) {
            if (end - p < 2) break; // a lead byte as the very last byte
            // The second byte of a pair is never a line end or Ctrl-Z, but a
            // NUL ends the text wherever it stands.
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
    return {reinterpret_cast<const char*>(start), len};
}

template <typename F> void LineReader::forEachLine(F&& onLine) {
#if defined(__SSE2__)
    const char* const base = text_.data();
    const std::size_t size = text_.size();
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    const __m128i ctrlZ = _mm_set1_epi8(0x1A);
    while (!atEnd()) {
        std::size_t lineStart = pos_;
        std::size_t block = pos_;
        // Blocks whose only special bytes are line feeds.
        while (size - block >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + block));
            unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lineFeed)));
            const unsigned others = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                                        _mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, ctrlZ)))) |
                                    static_cast<unsigned>(_mm_movemask_epi8(v));
            if (others != 0) feeds &= (others & (~others + 1)) - 1; // feeds before the first other
            while (feeds != 0) {
                const std::size_t at = block + static_cast<std::size_t>(__builtin_ctz(feeds));
                std::size_t len = at - lineStart;
                if (len > 0 && base[at - 1] == '\r') --len;
                onLine(std::string_view(base + lineStart, len));
                lineStart = at + 1;
                feeds &= feeds - 1;
            }
            if (others != 0) break;
            block += 16;
        }
        pos_ = lineStart;
        // The line holding a lead, NUL or Ctrl-Z byte, or the short tail of
        // the text, goes the careful way.
        if (!atEnd()) onLine(readLine());
    }
#else
    while (!atEnd())
        onLine(readLine());
#endif
}

} // namespace luckdial
