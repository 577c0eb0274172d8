// Numbers from text against the C library's strtod in the "C" locale. Only
// inputs whose leading number is plain decimal are compared: hexadecimal,
// infinity and NaN are read by strtod but are no numbers here by design.

#include "host/core/text.h"

#include "check.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsPlainDecimal(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && isCSpace(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) return false;
    if (i < s.size() && isDigit(s[i])) return true;
    return i + 1 < s.size() && s[i] == '.' && isDigit(s[i + 1]);
}

bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0; // tells 0 from -0
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double got = luckdial::toNumber(text);
    const int gotInt = luckdial::toInt(text);
    if (!startsPlainDecimal(text)) {
        // No digits, or the "0" of a hexadecimal number.
        FUZZ_CHECK(got == 0 && gotInt == 0);
        return 0;
    }

    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    // strtod stops at the first NUL; so does every number rule.
    const double want = strtod_l(text.c_str(), nullptr, cLocale);
    if (!sameDouble(got, want)) {
        std::fprintf(stderr, "toNumber %.17g (%a), strtod %.17g (%a)\n", got, got, want, want);
        FUZZ_CHECK(sameDouble(got, want));
    }

    const double whole = std::trunc(want);
    const int wantInt = whole >= 2147483647.0    ? INT_MAX
                        : whole <= -2147483648.0 ? INT_MIN
                                                 : static_cast<int>(whole);
    FUZZ_CHECK(gotInt == wantInt);
    return 0;
}
