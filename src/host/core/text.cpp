#include "host/core/text.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <limits>

namespace luckdial {

namespace {

// One conversion descriptor per direction and thread, closed when the thread
// ends. Opening a descriptor costs far more than a short conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    /// Converts the whole input; on a byte sequence the source encoding
    /// rejects, emits `replacement` and skips `skip(rest)` bytes.
    template <typename Skip>
    std::string run(std::string_view in, std::string_view replacement, Skip skip) {
        std::string out;
        if (in.empty()) return out;
        if (!valid()) return std::string(in);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ, or EINVAL for an incomplete sequence at the end.
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2);
            std::memcpy(out.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            std::size_t n = errno == EINVAL ? srcLeft : skip(std::string_view(src, srcLeft));
            src += n;
            srcLeft -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

/// Length of the valid UTF-8 sequence at the start of s, or 0 when invalid.
std::size_t utf8SequenceLength(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = b(0);
    if (c < 0x80) return 1;
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (c == 0xED)
            hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    if (b(1) < lo || b(1) > hi) return 0;
    for (std::size_t i = 2; i < len; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF) return 0;
    return len;
}

/// Bytes of one broken UTF-8 sequence: the offending byte and the
/// continuation bytes that follow it, so one broken character gives one '?'.
std::size_t skipBrokenUtf8(std::string_view rest) {
    std::size_t n = 1;
    while (n < rest.size() && n < 4 && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string gbk(std::string_view utf8Text) {
    thread_local Converter toGbk("GB18030", "UTF-8");
    return toGbk.run(utf8Text, "?", skipBrokenUtf8);
}

std::string utf8(std::string_view gbkText) {
    thread_local Converter fromGbk("UTF-8", "GB18030");
    // Skipping only the offending byte keeps an ASCII byte that followed a
    // stray lead byte.
    return fromGbk.run(gbkText, "\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; });
}

namespace {

std::uint32_t codePoint(std::string_view s, std::size_t len) {
    auto b = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i]));
    };
    if (len == 3) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
}

/// Characters a name list in UTF-8 is made of: Chinese characters, Chinese
/// and full-width punctuation, Vietnamese letters, emoji. GBK bytes misread
/// as UTF-8 mostly land elsewhere (other scripts, private use, empty planes).
bool isLikelyInUtf8Names(std::uint32_t cp) {
    return (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3000 && cp <= 0x303F) ||
           (cp >= 0xFF00 && cp <= 0xFFEF) || (cp >= 0x2000 && cp <= 0x206F) ||
           (cp >= 0x1E00 && cp <= 0x1EFF) || (cp >= 0x1F300 && cp <= 0x1FAFF);
}

bool isGbkTrail(unsigned char t) {
    return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE);
}

/// Length of the valid GBK or GB18030 character at the start of s (which
/// starts with a byte from 0x80), or 0 when the byte fits no character.
std::size_t gbkSequenceLength(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (b(0) < 0x81 || b(0) > 0xFE || s.size() < 2) return 0;
    if (isGbkTrail(b(1))) return 2;
    if (b(1) >= 0x30 && b(1) <= 0x39 && s.size() >= 4 && b(2) >= 0x81 && b(2) <= 0xFE &&
        b(3) >= 0x30 && b(3) <= 0x39)
        return 4;
    return 0;
}

/// A common Chinese character or full-width sign in GBK (the first level of
/// the national standard, and its punctuation rows), leaving out the pairs
/// that also read as a two-byte UTF-8 character: those count for neither side.
bool isCommonGbk(unsigned char lead, unsigned char trail) {
    if (trail < 0xA1) return false;
    if (!((lead >= 0xB0 && lead <= 0xD7) || (lead >= 0xA1 && lead <= 0xA3))) return false;
    return !(lead >= 0xC2 && lead <= 0xDF && trail <= 0xBF);
}

/// Moves i past plain ASCII, eight bytes at a time: pool files are mostly digits.
std::size_t skipAscii(std::string_view bytes, std::size_t i) {
    const std::size_t n = bytes.size();
    const char* p = bytes.data();
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ULL) break;
        i += 8;
    }
    while (i < n && static_cast<unsigned char>(p[i]) < 0x80)
        ++i;
    return i;
}

struct Utf8Reading {
    std::size_t likely = 0;   ///< three- and four-byte characters of name lists
    std::size_t unlikely = 0; ///< bytes that are no UTF-8, or unlikely characters
    bool anyHighByte = false;
};

Utf8Reading readAsUtf8(std::string_view bytes) {
    Utf8Reading r;
    for (std::size_t i = skipAscii(bytes, 0); i < bytes.size(); i = skipAscii(bytes, i)) {
        r.anyHighByte = true;
        const std::size_t len = utf8SequenceLength(bytes.substr(i));
        if (len == 0) {
            ++r.unlikely;
            ++i;
            continue;
        }
        if (len >= 3) {
            if (isLikelyInUtf8Names(codePoint(bytes.substr(i), len)))
                ++r.likely;
            else
                ++r.unlikely;
        }
        i += len;
    }
    return r;
}

std::size_t commonGbkCharacters(std::string_view bytes) {
    std::size_t common = 0;
    for (std::size_t i = skipAscii(bytes, 0); i < bytes.size(); i = skipAscii(bytes, i)) {
        const std::size_t len = gbkSequenceLength(bytes.substr(i));
        if (len == 2 && isCommonGbk(static_cast<unsigned char>(bytes[i]),
                                    static_cast<unsigned char>(bytes[i + 1])))
            ++common;
        i += len == 0 ? 1 : len;
    }
    return common;
}

/// GB18030 text of each byte from 0x80 read as Windows-1252; "?" where that
/// code page has no character.
const std::array<std::string, 128>& westernLetters() {
    static const std::array<std::string, 128> table = [] {
        std::array<std::string, 128> t;
        Converter fromWestern("GB18030", "CP1252");
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char c = static_cast<char>(b);
            std::string out = fromWestern.run(std::string_view(&c, 1), "?",
                                              [](std::string_view) { return std::size_t{1}; });
            t[static_cast<std::size_t>(b - 0x80)] = out.empty() ? "?" : out;
        }
        return t;
    }();
    return table;
}

void appendWestern(std::string& out, char c) {
    out += westernLetters()[static_cast<unsigned char>(c) - 0x80u];
}

/// GBK text with every byte that begins no GBK or GB18030 character replaced
/// by its Western letter; the text itself when there is none.
std::string repairGbk(std::string bytes) {
    std::size_t first = bytes.size();
    for (std::size_t i = skipAscii(bytes, 0); i < bytes.size(); i = skipAscii(bytes, i)) {
        const std::size_t len = gbkSequenceLength(std::string_view(bytes).substr(i));
        if (len == 0) {
            first = i;
            break;
        }
        i += len;
    }
    if (first == bytes.size()) return bytes;
    std::string out;
    out.reserve(bytes.size() + 16);
    out.append(bytes, 0, first);
    const std::string_view in(bytes);
    for (std::size_t i = first; i < in.size();) {
        const std::size_t plain = skipAscii(in, i);
        out.append(in.substr(i, plain - i));
        i = plain;
        if (i >= in.size()) break;
        const std::size_t len = gbkSequenceLength(in.substr(i));
        if (len == 0) {
            appendWestern(out, in[i]);
            ++i;
        } else {
            out.append(in.substr(i, len));
            i += len;
        }
    }
    return out;
}

/// UTF-8 to GBK where every byte that is no part of a UTF-8 character is
/// read as a Western letter ("Jos\xE9" from an old editor becomes "José").
std::string utf8ToGbkLenient(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t runStart = 0;
    for (std::size_t i = skipAscii(in, 0); i < in.size(); i = skipAscii(in, i)) {
        const std::size_t len = utf8SequenceLength(in.substr(i));
        if (len != 0) {
            i += len;
            continue;
        }
        out += gbk(in.substr(runStart, i - runStart));
        appendWestern(out, in[i]);
        runStart = ++i;
    }
    out += gbk(in.substr(runStart));
    return out;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

} // namespace

TextKind textKind(std::string_view bytes) {
    if (bytes.substr(0, 3) == kBom) return TextKind::Utf8;
    const Utf8Reading u = readAsUtf8(bytes);
    if (!u.anyHighByte) return TextKind::Ascii;
    // Nothing but two-byte sequences: a quarter of the common GBK characters
    // read that way, so such text stays GBK.
    if (u.likely == 0) return TextKind::Gbk;
    // GBK misread as UTF-8 leaves many stray bytes; a UTF-8 list with one
    // line from an old editor leaves a few.
    if (u.unlikely * 4 > u.likely) return TextKind::Gbk;
    return u.likely >= commonGbkCharacters(bytes) ? TextKind::Utf8 : TextKind::Gbk;
}

DecodedText decodeFileText(std::string bytes) {
    DecodedText d;
    const TextKind kind = textKind(bytes);
    if (kind == TextKind::Utf8) {
        d.wasUtf8 = true;
        std::string_view body(bytes);
        d.hadBom = body.substr(0, 3) == kBom;
        if (d.hadBom) body.remove_prefix(3);
        d.gbk = utf8ToGbkLenient(body);
    } else if (kind == TextKind::Gbk) {
        d.gbk = repairGbk(std::move(bytes));
    } else {
        d.gbk = std::move(bytes);
    }
    return d;
}

std::string fileTextToGbk(std::string bytes) {
    return decodeFileText(std::move(bytes)).gbk;
}

double toNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissa = i;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < n && isDigit(text[i]))
        ++i, ++intDigits;
    std::size_t pointAt = i;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return 0;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            expNegative = text[j] == '-';
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) {
                // Capped far above any digit count a text can have, so that
                // the overflow test below still weighs it against the digits.
                if (exponent < 100000000000000LL) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (expNegative) exponent = -exponent;
            i = j;
        }
    }
    // from_chars takes no '+' and no leading white space, and never looks at
    // the locale, unlike strtod.
    std::string_view number = text.substr(mantissa, i - mantissa);
    double value = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                     std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Decimal exponent of the first significant digit decides between
        // overflow (atof gives HUGE_VAL) and underflow (0).
        long long firstDigit = 0;
        bool found = false;
        for (std::size_t k = mantissa; k < pointAt; ++k) {
            if (text[k] != '0') {
                firstDigit = static_cast<long long>(pointAt - k);
                found = true;
                break;
            }
        }
        if (!found) {
            for (std::size_t k = pointAt + 1; k < pointAt + 1 + fracDigits; ++k) {
                if (text[k] != '0') {
                    firstDigit = -static_cast<long long>(k - pointAt) + 1;
                    found = true;
                    break;
                }
            }
        }
        value = found && firstDigit + exponent > 0 ? HUGE_VAL : 0.0;
    } else if (ec != std::errc()) {
        value = 0;
    }
    return negative ? -std::fabs(value) : std::fabs(value);
}

int toInt(std::string_view text) {
    double v = std::trunc(toNumber(text));
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

std::string toText(long long value) {
    return std::to_string(value);
}

std::string toText(double value) {
    // to_chars with a precision formats as printf's %.13g in the C locale,
    // whatever locale the toolkit has set for the process.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
    if (ec != std::errc()) return {};
    return std::string(buf, end);
}

std::string middle(std::string_view text, long long start, long long length) {
    if (start < 1 || length <= 0 || static_cast<unsigned long long>(start) > text.size()) return {};
    std::size_t from = static_cast<std::size_t>(start - 1);
    std::size_t count =
        std::min<unsigned long long>(static_cast<unsigned long long>(length), text.size() - from);
    return std::string(text.substr(from, count));
}

} // namespace luckdial
