// Text recognition and conversion: no input crashes them, and the properties
// below hold whatever way the recognition decides.

#include "host/core/text.h"

#include "check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Strict UTF-8, written out rule by rule: no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut short. Calls f(code point) for each
// character; false when the bytes are not UTF-8.
template <typename F> bool decodeUtf8(std::string_view s, F f) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            len = 1;
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1Fu;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0Fu;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (s.size() - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3Fu);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        f(cp);
        i += len;
    }
    return true;
}

bool isValidUtf8(std::string_view s) {
    return decodeUtf8(s, [](std::uint32_t) {});
}

std::size_t lineFeeds(std::string_view s) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);

    const luckdial::TextKind kind = luckdial::textKind(in);
    const luckdial::DecodedText decoded = luckdial::decodeFileText(std::string(in));
    FUZZ_CHECK(decoded.wasUtf8 == (kind == luckdial::TextKind::Utf8));
    // Every line stays a line: the same line feeds, and no byte from 0x80
    // left where the line rules would pair it with a line feed.
    FUZZ_CHECK(lineFeeds(decoded.gbk) == lineFeeds(in));
    for (std::size_t i = 0; i < decoded.gbk.size(); ++i) {
        if (static_cast<unsigned char>(decoded.gbk[i]) < 0x80) continue;
        FUZZ_CHECK(i + 1 < decoded.gbk.size() && decoded.gbk[i + 1] != '\n');
        ++i;
    }
    if (kind == luckdial::TextKind::Ascii) FUZZ_CHECK(decoded.gbk == in);

    // Whatever the bytes, the UTF-8 side of a conversion is valid UTF-8:
    // broken input becomes replacement characters, never broken output.
    FUZZ_CHECK(isValidUtf8(luckdial::utf8(in)));
    (void)luckdial::gbk(in);

    // No two lines of a file merge on the way to GBK, so a pool or a
    // progress file keeps at least as many lines as it had.
    FUZZ_CHECK(lineFeeds(luckdial::fileTextToGbk(std::string(in))) >= lineFeeds(in));

    // GB18030 holds every Unicode character, so UTF-8 text comes back whole;
    // except 24 private-use characters (U+E78D..U+E864) to which the C
    // library's current GB18030 table gives no bytes (they become '?').
    bool privateUse = false;
    const bool valid = decodeUtf8(
        in, [&](std::uint32_t cp) { privateUse = privateUse || (cp >= 0xE000 && cp <= 0xF8FF); });
    if (valid && !privateUse && in.find('\0') == std::string_view::npos)
        FUZZ_CHECK(luckdial::utf8(luckdial::gbk(in)) == in);
    return 0;
}
