#include "sheet/numberformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace luckdial::sheet {

namespace {

enum class Kind { Literal, Digit, Point, Comma, Percent, Exp, General, Date, Unsupported };

struct Token {
    Kind kind;
    std::string text; // the literal, the placeholder character, "E+"/"E-" or the date part
};

bool startsWithNoCase(std::string_view s, std::size_t at, std::string_view word) {
    if (s.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char a = s[at + i], b = word[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

/// Byte length of the UTF-8 character starting with c.
std::size_t charLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<Token> tokenize(std::string_view code) {
    std::vector<Token> out;
    auto literal = [&](std::string_view text) {
        if (!out.empty() && out.back().kind == Kind::Literal)
            out.back().text += text;
        else
            out.push_back({Kind::Literal, std::string(text)});
    };
    std::size_t i = 0;
    while (i < code.size()) {
        char c = code[i];
        char lc = lower(c);
        if (c == '"') {
            std::size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos) end = code.size();
            literal(code.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '\\' && i + 1 < code.size()) {
            std::size_t n = charLength(static_cast<unsigned char>(code[i + 1]));
            literal(code.substr(i + 1, n));
            i += 1 + n;
        } else if (c == '_' && i + 1 < code.size()) {
            // Room the width of the next character: a space in text.
            literal(" ");
            i += 1 + charLength(static_cast<unsigned char>(code[i + 1]));
        } else if (c == '*' && i + 1 < code.size()) {
            // Fill to the column width: nothing in text.
            i += 1 + charLength(static_cast<unsigned char>(code[i + 1]));
        } else if (c == '[') {
            std::size_t end = code.find(']', i);
            if (end == std::string_view::npos) end = code.size();
            std::string_view inner = code.substr(i + 1, end - i - 1);
            if (!inner.empty() &&
                (lower(inner[0]) == 'h' || lower(inner[0]) == 'm' || lower(inner[0]) == 's') &&
                std::all_of(inner.begin(), inner.end(),
                            [&](char x) { return lower(x) == lower(inner[0]); })) {
                out.push_back({Kind::Date, std::string{'[', lower(inner[0]), ']'}});
            } else if (!inner.empty() && inner[0] == '$') {
                // A currency or locale tag: "[$¥-804]" shows "¥".
                std::string_view symbol = inner.substr(1);
                symbol = symbol.substr(0, symbol.find('-'));
                literal(symbol);
            } // a condition (read with the sections), a colour name or a calendar tag
              // changes nothing in text
            i = end + 1;
        } else if (startsWithNoCase(code, i, "general")) {
            out.push_back({Kind::General, {}});
            i += 7;
        } else if (startsWithNoCase(code, i, "am/pm")) {
            out.push_back({Kind::Date, "am/pm"});
            i += 5;
        } else if (startsWithNoCase(code, i, "a/p")) {
            out.push_back({Kind::Date, "a/p"});
            i += 3;
        } else if (code.substr(i, 13) == "\xE4\xB8\x8A\xE5\x8D\x88/\xE4\xB8\x8B\xE5\x8D\x88") {
            // 上午/下午
            out.push_back({Kind::Date, "cn-ampm"});
            i += 13;
        } else if ((lc == 'e') && i + 1 < code.size() &&
                   (code[i + 1] == '+' || code[i + 1] == '-')) {
            out.push_back({Kind::Exp, std::string("E") + code[i + 1]});
            i += 2;
        } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's' || lc == 'a') {
            std::size_t n = 1;
            while (i + n < code.size() && lower(code[i + n]) == lc)
                ++n;
            if (lc == 'a' && n < 3)
                literal(code.substr(i, n));
            else
                out.push_back({Kind::Date, std::string(n, lc)});
            i += n;
        } else if (c == '0' || c == '#' || c == '?') {
            out.push_back({Kind::Digit, std::string(1, c)});
            ++i;
        } else if (c == '.') {
            out.push_back({Kind::Point, "."});
            ++i;
        } else if (c == ',') {
            out.push_back({Kind::Comma, ","});
            ++i;
        } else if (c == '%') {
            out.push_back({Kind::Percent, "%"});
            ++i;
        } else {
            std::size_t n = charLength(static_cast<unsigned char>(c));
            literal(code.substr(i, n));
            i += n;
        }
    }
    return out;
}

/// The code's sections, split at semicolons outside quotes and brackets.
std::vector<std::string_view> sections(std::string_view code) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false, bracket = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '\\' && !quoted) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '[') {
            bracket = true;
        } else if (!quoted && c == ']') {
            bracket = false;
        } else if (!quoted && !bracket && c == ';') {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(start));
    return out;
}

/// v (not negative) in fixed notation with the given decimals. Like a
/// spreadsheet, it rounds the 15 significant digits the number shows, half
/// away from zero: 2.5 -> "3", 1.005 -> "1.01".
std::string roundFixed(double v, std::size_t decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string s = buf;
    std::size_t e = s.find('e');
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2); // 15 digits
    int pointPos = std::atoi(s.c_str() + e + 1) + 1;          // digits before the point
    std::string intPart, frac;
    if (v == 0) {
        intPart = "0";
    } else if (pointPos <= 0) {
        intPart = "0";
        frac = std::string(static_cast<std::size_t>(-pointPos), '0') + digits;
    } else if (pointPos >= static_cast<int>(digits.size())) {
        intPart = digits + std::string(static_cast<std::size_t>(pointPos) - digits.size(), '0');
    } else {
        intPart = digits.substr(0, static_cast<std::size_t>(pointPos));
        frac = digits.substr(static_cast<std::size_t>(pointPos));
    }
    bool up = frac.size() > decimals && frac[decimals] >= '5';
    frac.resize(decimals, '0');
    std::string all = intPart + frac;
    if (up) {
        std::size_t i = all.size();
        while (i > 0 && all[i - 1] == '9')
            all[--i] = '0';
        if (i == 0)
            all.insert(all.begin(), '1');
        else
            ++all[i - 1];
    }
    std::string whole = all.substr(0, all.size() - decimals);
    std::size_t lead = whole.find_first_not_of('0');
    whole = lead == std::string::npos ? "0" : whole.substr(lead);
    return decimals == 0 ? whole : whole + "." + all.substr(all.size() - decimals);
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

/// Up to maxDen: the fraction nearest to x (0 <= x), by its continued
/// fraction and the best of the last step's intermediate fractions.
std::pair<long long, long long> nearestFraction(double x, long long maxDen) {
    long long p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double r = x;
    for (int step = 0; step < 64; ++step) {
        double a = std::floor(r);
        if (a > 1e15) break;
        auto ai = static_cast<long long>(a);
        long long q2 = q0 + ai * q1;
        if (q2 > maxDen) {
            // The largest intermediate step that fits, if it is nearer.
            long long k = (maxDen - q0) / q1;
            long long pk = p0 + k * p1, qk = q0 + k * q1;
            if (std::fabs(x - static_cast<double>(pk) / static_cast<double>(qk)) <
                std::fabs(x - static_cast<double>(p1) / static_cast<double>(q1)))
                return {pk, qk};
            break;
        }
        long long p2 = p0 + ai * p1;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        double f = r - a;
        if (f < 1e-12) break;
        r = 1 / f;
    }
    return {p1, q1};
}

/// A fraction code ("# ?/?", "?/8", "# ??/16"): the whole part when the code
/// has one, then the rest as the nearest fraction the denominator's digits
/// allow, or over the fixed denominator. A zero fraction shows the whole
/// number alone. Nothing when the code is not a fraction.
std::optional<std::string> renderFraction(const std::vector<Token>& tokens, double value) {
    std::size_t slash = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind == Kind::Literal && tokens[i].text.find('/') != std::string::npos) {
            slash = i;
            break;
        }
    if (slash == tokens.size() || slash == 0 || tokens[slash - 1].kind != Kind::Digit)
        return std::nullopt;
    std::size_t numStart = slash;
    while (numStart > 0 && tokens[numStart - 1].kind == Kind::Digit)
        --numStart;
    bool whole = false;
    for (std::size_t i = 0; i < numStart; ++i)
        if (tokens[i].kind == Kind::Digit) whole = true;
    // The denominator: digits written after the slash, or placeholders.
    const std::string& after = tokens[slash].text.substr(tokens[slash].text.find('/') + 1);
    long long fixedDen = 0;
    for (char c : after)
        if (c >= '0' && c <= '9' && fixedDen < 100'000'000) fixedDen = fixedDen * 10 + (c - '0');
    int denPlaces = 0;
    for (std::size_t i = slash + 1; i < tokens.size() && tokens[i].kind == Kind::Digit; ++i)
        ++denPlaces;
    if (fixedDen == 0 && denPlaces == 0) return std::nullopt;

    const bool negative = value < 0;
    double a = std::fabs(value);
    if (a >= 1e15) return std::nullopt;
    double ip = whole ? std::floor(a) : 0;
    double rest = a - ip;
    long long num = 0, den = 1;
    if (fixedDen > 0) {
        den = fixedDen;
        num = std::llround(rest * static_cast<double>(den));
    } else {
        long long maxDen = 9;
        for (int k = 1; k < std::min(denPlaces, 7); ++k)
            maxDen = maxDen * 10 + 9;
        std::tie(num, den) = nearestFraction(rest, maxDen);
    }
    if (whole && num == den) {
        ip += 1;
        num = 0;
    }
    std::string out = negative && (ip > 0 || num > 0) ? "-" : "";
    if (whole && (ip > 0 || num == 0)) out += formatGeneral(ip);
    if (num > 0) {
        if (whole && ip > 0) out += ' ';
        out += std::to_string(num) + "/" + std::to_string(den);
    }
    return out;
}

std::optional<std::string> renderNumber(const std::vector<Token>& tokens, double value,
                                        bool showSign) {
    bool negative = value < 0;
    double v = std::fabs(value);
    for (const Token& t : tokens) {
        if (t.kind == Kind::Percent) v *= 100;
        if (t.kind == Kind::Unsupported) return std::nullopt;
    }
    if (std::optional<std::string> f = renderFraction(tokens, showSign && negative ? -v : v))
        return f;
    std::size_t firstDigit = tokens.size(), lastDigit = 0, point = tokens.size(),
                exp = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Kind::Digit) {
            firstDigit = std::min(firstDigit, i);
            lastDigit = i;
        }
        if (tokens[i].kind == Kind::Point && point == tokens.size() && exp == tokens.size())
            point = i;
        if (tokens[i].kind == Kind::Exp && exp == tokens.size()) exp = i;
    }
    bool hasGeneral = std::any_of(tokens.begin(), tokens.end(),
                                  [](const Token& t) { return t.kind == Kind::General; });
    std::string out;
    if (firstDigit == tokens.size()) {
        // Literals only, or the general form with literals around it.
        for (const Token& t : tokens) {
            if (t.kind == Kind::General)
                out += formatGeneral(showSign ? value : v);
            else if (t.kind != Kind::Percent || !hasGeneral)
                out += t.text;
            else
                out += '%';
        }
        return out;
    }

    const std::size_t intEnd = std::min({point, exp, lastDigit + 1});
    // Integer placeholders and how a comma among them groups thousands; commas
    // right after the last integer placeholder divide by a thousand each.
    std::vector<char> intPlaces;
    std::vector<bool> silent(tokens.size());
    bool grouping = false;
    std::size_t lastIntDigit = firstDigit;
    for (std::size_t i = firstDigit; i < intEnd; ++i)
        if (tokens[i].kind == Kind::Digit) lastIntDigit = i;
    for (std::size_t i = 0; i < intEnd; ++i) {
        if (tokens[i].kind == Kind::Digit) intPlaces.push_back(tokens[i].text[0]);
        if (tokens[i].kind == Kind::Comma && i > firstDigit && i < lastIntDigit) {
            grouping = true;
            silent[i] = true;
        }
    }
    // Commas right after the last placeholder of the integer or of the whole
    // number each divide by a thousand.
    for (std::size_t start : {lastIntDigit + 1, lastDigit + 1}) {
        for (std::size_t i = start; i < tokens.size() && tokens[i].kind == Kind::Comma; ++i) {
            if (silent[i]) break;
            v /= 1000;
            silent[i] = true;
        }
    }
    std::vector<char> fracPlaces;
    if (point < tokens.size())
        for (std::size_t i = point + 1; i < std::min(exp, tokens.size()); ++i)
            if (tokens[i].kind == Kind::Digit) fracPlaces.push_back(tokens[i].text[0]);

    int exponent = 0;
    if (exp < tokens.size()) {
        if (v != 0) {
            exponent = static_cast<int>(std::floor(std::log10(v)));
            int intDigits = std::max<int>(1, static_cast<int>(intPlaces.size()));
            // Engineering style ("##0.0E+0"): the exponent a multiple of the
            // integer placeholders.
            if (intDigits > 1) exponent -= ((exponent % intDigits) + intDigits) % intDigits;
            v /= std::pow(10.0, exponent);
        }
    }

    if (v >= 1e300) return std::nullopt;
    std::string fixed = roundFixed(v, fracPlaces.size());
    if (exp < tokens.size() && fixed.size() >= 2 && fixed.substr(0, 2) == "10" &&
        intPlaces.size() <= 1) {
        // Rounding carried the mantissa to ten.
        v /= 10;
        ++exponent;
        fixed = roundFixed(v, fracPlaces.size());
    }
    std::size_t dot = fixed.find('.');
    std::string intDigits = fixed.substr(0, dot);
    std::string fracDigits = dot == std::string::npos ? "" : fixed.substr(dot + 1);
    if (intDigits == "0") intDigits.clear();
    bool nonZero =
        std::any_of(intDigits.begin(), intDigits.end(), [](char c) { return c != '0'; }) ||
        std::any_of(fracDigits.begin(), fracDigits.end(), [](char c) { return c != '0'; });

    // Integer text: digits from the right into the placeholders, the leftmost
    // one taking whatever is left; '0' pads with zeros, '?' with spaces.
    std::vector<std::string> intText(intPlaces.size());
    {
        std::size_t d = intDigits.size();
        for (std::size_t k = intPlaces.size(); k-- > 0;) {
            if (d > 0) {
                if (k == 0) {
                    intText[k] = intDigits.substr(0, d);
                    d = 0;
                } else {
                    intText[k] = intDigits.substr(--d, 1);
                }
            } else if (intPlaces[k] == '0') {
                intText[k] = "0";
            } else if (intPlaces[k] == '?') {
                intText[k] = " ";
            }
        }
    }
    if (grouping) {
        std::string all;
        for (const std::string& s : intText)
            all += s;
        std::size_t lead = all.find_first_not_of(' ');
        std::string spaces = lead == std::string::npos ? all : all.substr(0, lead);
        std::string digits = lead == std::string::npos ? "" : all.substr(lead);
        std::fill(intText.begin(), intText.end(), std::string());
        if (!intText.empty()) intText[0] = spaces + groupThousands(digits);
    }
    // Fraction text: trailing zeros vanish under '#' and turn to spaces under '?'.
    std::vector<std::string> fracText(fracPlaces.size());
    {
        std::size_t keep = fracPlaces.size();
        while (keep > 0 && fracDigits[keep - 1] == '0' && fracPlaces[keep - 1] != '0')
            --keep;
        for (std::size_t k = 0; k < fracPlaces.size(); ++k) {
            if (k < keep)
                fracText[k] = fracDigits.substr(k, 1);
            else if (fracPlaces[k] == '?')
                fracText[k] = " ";
        }
    }

    if (showSign && negative && (nonZero || exp < tokens.size())) out += '-';
    std::size_t intIndex = 0, fracIndex = 0;
    bool afterExp = false;
    std::string expPlaces;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        switch (t.kind) {
        case Kind::Digit:
            if (afterExp)
                expPlaces += t.text;
            else if (i < intEnd)
                out += intText[intIndex++];
            else
                out += fracText[fracIndex++];
            break;
        case Kind::Point:
            if (i == point)
                out += '.';
            else
                out += t.text;
            break;
        case Kind::Comma:
            if (!silent[i]) out += ',';
            break;
        case Kind::Exp: {
            afterExp = true;
            // The exponent's placeholders follow; write it when they end.
            std::size_t j = i + 1;
            int places = 0;
            while (j < tokens.size() && tokens[j].kind == Kind::Digit) {
                ++places;
                ++j;
            }
            std::string e = std::to_string(std::abs(exponent));
            while (static_cast<int>(e.size()) < std::max(places, 1))
                e.insert(e.begin(), '0');
            out += 'E';
            if (exponent < 0)
                out += '-';
            else if (t.text == "E+")
                out += '+';
            out += e;
            i = j - 1;
            afterExp = false;
            break;
        }
        case Kind::General:
            out += formatGeneral(v);
            break;
        case Kind::Date:
        case Kind::Unsupported:
            return std::nullopt;
        case Kind::Literal:
        case Kind::Percent:
            out += t.text;
            break;
        }
    }
    // "#.##" on a whole number leaves a bare point: the sheet shows it too.
    return out;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long yy = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

std::string padded(long long n, std::size_t width) {
    std::string s = std::to_string(n);
    while (s.size() < width)
        s.insert(s.begin(), '0');
    return s;
}

std::optional<std::string> renderDate(const std::vector<Token>& tokens, double serial,
                                      bool date1904) {
    if (serial < 0 || serial > 2958465.99999) return std::nullopt; // before 1900 or after 9999
    // Sub-second digits after the seconds ("ss.00") decide the rounding.
    int subDigits = 0;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].kind == Kind::Date && tokens[i].text[0] == 's' &&
            tokens[i + 1].kind == Kind::Point)
            for (std::size_t j = i + 2; j < tokens.size() && tokens[j].kind == Kind::Digit; ++j)
                subDigits = std::min(subDigits + 1, 3);
    const long long unitsPerSecond = subDigits == 0   ? 1
                                     : subDigits == 1 ? 10
                                     : subDigits == 2 ? 100
                                                      : 1000;
    long long units = std::llround(serial * 86400.0 * static_cast<double>(unitsPerSecond));
    long long days = units / (86400 * unitsPerSecond);
    long long dayUnits = units % (86400 * unitsPerSecond);
    long long totalSeconds = units / unitsPerSecond;
    long long sub = units % unitsPerSecond;
    long long secOfDay = dayUnits / unitsPerSecond;
    int hour = static_cast<int>(secOfDay / 3600), minute = static_cast<int>(secOfDay / 60 % 60),
        second = static_cast<int>(secOfDay % 60);

    int year = 1900, month = 1, day = 0, weekday = 0;
    long long serialDays = date1904 ? days + 1462 : days;
    // Weekdays follow the serial, as the spreadsheet programs count them: so
    // serial 1 (1900-01-01, a Monday) is shown as a Sunday, like every day
    // before the 29 February 1900 that the 1900 system counts but never was.
    weekday = static_cast<int>((serialDays + 6) % 7);
    if (serialDays == 60 && !date1904) {
        year = 1900, month = 2, day = 29;
    } else if (serialDays == 0) {
        year = 1900, month = 1, day = 0;
    } else {
        // Serial 1 is 1900-01-01; from 61 on the phantom leap day is skipped.
        long long sinceEpoch = serialDays - (serialDays < 60 ? 25568 : 25569);
        civilFromDays(sinceEpoch, year, month, day);
    }

    bool twelveHour = std::any_of(tokens.begin(), tokens.end(), [](const Token& t) {
        return t.kind == Kind::Date &&
               (t.text == "am/pm" || t.text == "a/p" || t.text == "cn-ampm");
    });
    // "m" is minutes right after hours or right before seconds, months otherwise.
    auto isMinute = [&](std::size_t at) {
        for (std::size_t i = at; i-- > 0;) {
            if (tokens[i].kind != Kind::Date) continue;
            if (tokens[i].text[0] == 'h' || tokens[i].text == "[h]") return true;
            break;
        }
        for (std::size_t i = at + 1; i < tokens.size(); ++i) {
            if (tokens[i].kind != Kind::Date) continue;
            return tokens[i].text[0] == 's' || tokens[i].text == "[s]";
        }
        return false;
    };
    static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    static const char* const kCnDays[] = {"\xE6\x97\xA5", "\xE4\xB8\x80", "\xE4\xBA\x8C",
                                          "\xE4\xB8\x89", "\xE5\x9B\x9B", "\xE4\xBA\x94",
                                          "\xE5\x85\xAD"}; // 日一二三四五六

    std::string out;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind != Kind::Date) {
            if (t.kind == Kind::Point && i > 0 && tokens[i - 1].kind == Kind::Date &&
                tokens[i - 1].text[0] == 's' && subDigits > 0) {
                out += '.' + padded(sub, static_cast<std::size_t>(subDigits));
                while (i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Digit)
                    ++i;
            } else if (t.kind == Kind::General || t.kind == Kind::Unsupported ||
                       t.kind == Kind::Exp) {
                return std::nullopt;
            } else {
                out += t.text;
            }
            continue;
        }
        const std::string& p = t.text;
        std::size_t n = p.size();
        if (p == "[h]") {
            out += padded(totalSeconds / 3600, 1);
        } else if (p == "[m]") {
            out += padded(totalSeconds / 60, 1);
        } else if (p == "[s]") {
            out += padded(totalSeconds, 1);
        } else if (p == "am/pm") {
            out += hour < 12 ? "AM" : "PM";
        } else if (p == "a/p") {
            out += hour < 12 ? "A" : "P";
        } else if (p == "cn-ampm") {
            out += hour < 12 ? "\xE4\xB8\x8A\xE5\x8D\x88" : "\xE4\xB8\x8B\xE5\x8D\x88";
        } else if (p[0] == 'y') {
            out += n <= 2 ? padded(year % 100, 2) : padded(year, 4);
        } else if (p[0] == 'm' && n <= 2 && isMinute(i)) {
            out += padded(minute, n);
        } else if (p[0] == 'm') {
            if (n <= 2)
                out += padded(month, n);
            else if (n == 3)
                out += std::string(kMonths[month - 1]).substr(0, 3);
            else if (n == 4)
                out += kMonths[month - 1];
            else
                out += kMonths[month - 1][0];
        } else if (p[0] == 'd') {
            if (n <= 2)
                out += padded(day, n);
            else if (n == 3)
                out += std::string(kDays[weekday]).substr(0, 3);
            else
                out += kDays[weekday];
        } else if (p[0] == 'a') {
            out += n == 3 ? kCnDays[weekday]
                          : std::string("\xE6\x98\x9F\xE6\x9C\x9F") + kCnDays[weekday]; // 星期
        } else if (p[0] == 'h') {
            int h = hour;
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            out += padded(h, std::min<std::size_t>(n, 2));
        } else if (p[0] == 's') {
            out += padded(second, std::min<std::size_t>(n, 2));
        }
    }
    return out;
}

} // namespace

std::string builtinFormatCode(int id) {
    // 上午/下午, 年, 月, 日, 时, 分, 秒 in UTF-8.
    static const std::string am = "\xE4\xB8\x8A\xE5\x8D\x88/\xE4\xB8\x8B\xE5\x8D\x88";
    static const std::string yearMonth = "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"";
    static const std::string monthDay = "m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";
    static const std::string fullDate = "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\"";
    static const std::string hourMin = "h\"\xE6\x97\xB6\"mm\"\xE5\x88\x86\"";
    static const std::string hourMinSec = hourMin + "ss\"\xE7\xA7\x92\"";
    switch (id) {
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 11:
        return "0.00E+00";
    case 14:
        return "yyyy/m/d";
    case 15:
        return "d-mmm-yy";
    case 16:
        return "d-mmm";
    case 17:
        return "mmm-yy";
    case 18:
        return "h:mm AM/PM";
    case 19:
        return "h:mm:ss AM/PM";
    case 20:
        return "h:mm";
    case 21:
        return "h:mm:ss";
    case 22:
        return "yyyy/m/d h:mm";
    case 27:
    case 36:
    case 50:
    case 52:
    case 57:
        return yearMonth;
    case 28:
    case 29:
    case 51:
    case 53:
    case 54:
    case 58:
        return monthDay;
    case 30:
        return "m-d-yy";
    case 31:
        return fullDate;
    case 32:
        return hourMin;
    case 33:
        return hourMinSec;
    case 34:
    case 55:
        return am + hourMin;
    case 35:
    case 56:
        return am + hourMinSec;
    case 37:
        return "#,##0 ;(#,##0)";
    case 38:
        return "#,##0 ;[Red](#,##0)";
    case 39:
        return "#,##0.00;(#,##0.00)";
    case 40:
        return "#,##0.00;[Red](#,##0.00)";
    case 45:
        return "mm:ss";
    case 46:
        return "[h]:mm:ss";
    case 47:
        return "mm:ss.0";
    case 48:
        return "##0.0E+0";
    default:
        return {};
    }
}

namespace {

/// a (> 0) as a mantissa of up to six significant digits and an exponent of
/// at least two digits: "1.23457E+11", "1E-05".
std::string scientific(double a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.5E", a);
    std::string s = buf;
    std::size_t e = s.find('E');
    std::string mantissa = s.substr(0, e);
    while (mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
    int exponent = std::atoi(s.c_str() + e + 1);
    return mantissa + (exponent < 0 ? "E-" : "E+") + padded(std::abs(exponent), 2);
}

} // namespace

std::string formatGeneral(double value) {
    if (std::isnan(value) || std::isinf(value)) return "#NUM!";
    char buf[64];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return std::string(buf) == "-0" ? "0" : buf;
    }
    // What a standard-width column shows: eleven characters, the sign
    // aside; plain from 0.0001 up to eleven whole digits, else scientific.
    const double a = std::fabs(value);
    const std::string sign = value < 0 ? "-" : "";
    const int exponent = static_cast<int>(std::floor(std::log10(a)));
    if (exponent >= -4 && exponent <= 10) {
        const int decimals = exponent >= 0 ? std::max(0, 9 - exponent) : 9;
        std::string fixed = roundFixed(a, static_cast<std::size_t>(decimals));
        if (fixed.find('.') != std::string::npos) {
            while (fixed.back() == '0')
                fixed.pop_back();
            if (fixed.back() == '.') fixed.pop_back();
        }
        if (fixed.size() <= 11 && fixed != "0") return sign + fixed;
    }
    return sign + scientific(a);
}

namespace {
/// A section's condition ("[>100]", "[<=0]", "[=1]").
struct Condition {
    std::string op;
    double limit = 0;

    bool holds(double v) const {
        if (op == "<") return v < limit;
        if (op == "<=") return v <= limit;
        if (op == ">") return v > limit;
        if (op == ">=") return v >= limit;
        if (op == "<>") return v != limit;
        return v == limit;
    }
};

std::optional<Condition> conditionOf(std::string_view section) {
    for (std::size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (c == '"') {
            std::size_t end = section.find('"', i + 1);
            if (end == std::string_view::npos) return std::nullopt;
            i = end;
        } else if (c == '\\') {
            ++i;
        } else if (c == '[') {
            std::size_t end = section.find(']', i);
            if (end == std::string_view::npos) return std::nullopt;
            std::string_view inner = section.substr(i + 1, end - i - 1);
            std::size_t opLength = inner.find_first_not_of("<>=");
            if (opLength != 0 && opLength != std::string_view::npos && opLength <= 2) {
                Condition cond{std::string(inner.substr(0, opLength)), 0};
                std::string_view number = inner.substr(opLength);
                auto [end2, ec] =
                    std::from_chars(number.data(), number.data() + number.size(), cond.limit);
                if (ec == std::errc() && end2 == number.data() + number.size()) return cond;
            }
            i = end;
        }
    }
    return std::nullopt;
}

} // namespace

std::string formatNumber(std::string_view raw, std::string_view code, bool date1904) {
    std::string_view trimmed = raw;
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '+'))
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ')
        trimmed.remove_suffix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (trimmed.empty() || ec != std::errc() || end != trimmed.data() + trimmed.size())
        return std::string(raw);
    // The stored text of a whole number is shown as it is, even past 15 digits.
    bool plainInteger = std::all_of(trimmed.begin(), trimmed.end(),
                                    [](char c) { return (c >= '0' && c <= '9') || c == '-'; });

    std::vector<std::string_view> parts = sections(code);
    // A fourth section is for text; a number never takes it.
    if (parts.size() > 3) parts.resize(3);
    std::string_view section = parts[0];
    bool showSign = true;
    std::vector<std::optional<Condition>> conditions;
    for (std::string_view p : parts)
        conditions.push_back(conditionOf(p));
    if (conditions[0] || (parts.size() > 1 && conditions[1])) {
        // Conditional sections: the first whose condition holds, else the
        // first one without a condition after them; the sign is shown.
        std::optional<std::size_t> chosen;
        for (std::size_t i = 0; i < parts.size() && !chosen; ++i)
            if (conditions[i] ? conditions[i]->holds(value) : i > 0) chosen = i;
        if (!chosen) return plainInteger ? std::string(trimmed) : formatGeneral(value);
        section = parts[*chosen];
    } else if (value < 0 && parts.size() >= 2) {
        section = parts[1];
        showSign = false;
    } else if (value == 0 && parts.size() >= 3) {
        section = parts[2];
    }
    std::vector<Token> tokens = tokenize(section);
    bool general = tokens.empty() && parts.size() == 1;
    if (tokens.size() == 1 && tokens[0].kind == Kind::General) general = true;
    bool textOnly = tokens.size() == 1 && tokens[0].kind == Kind::Literal && tokens[0].text == "@";
    if (general || textOnly) return plainInteger ? std::string(trimmed) : formatGeneral(value);

    bool isDate = std::any_of(tokens.begin(), tokens.end(),
                              [](const Token& t) { return t.kind == Kind::Date; });
    std::optional<std::string> shown =
        isDate ? renderDate(tokens, value, date1904)
               : renderNumber(tokens, showSign ? value : std::fabs(value), showSign);
    if (shown) return *shown;
    return plainInteger ? std::string(trimmed) : formatGeneral(value);
}

namespace {

/// A number as stored text, every digit kept.
std::string formatGeneralRaw(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

/// Digits at text[at..at+n) as a number; false when they are not all digits.
bool digitsAt(std::string_view text, std::size_t at, std::size_t n, int& out) {
    if (text.size() < at + n) return false;
    out = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

std::optional<double> isoDateSerial(std::string_view iso, bool date1904) {
    double days = 0;
    std::size_t at = 0;
    int y = 0, mo = 0, d = 0;
    if (iso.size() >= 10 && iso[4] == '-' && iso[7] == '-') {
        if (!digitsAt(iso, 0, 4, y) || !digitsAt(iso, 5, 2, mo) || !digitsAt(iso, 8, 2, d) ||
            mo < 1 || mo > 12 || d < 1 || d > 31)
            return std::nullopt;
        // Days from 1970-01-01 (proleptic Gregorian), then to the serial.
        const int yy = y - (mo <= 2);
        const int era = (yy >= 0 ? yy : yy - 399) / 400;
        const int yoe = yy - era * 400;
        const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        const long long sinceEpoch = static_cast<long long>(era) * 146097 + doe - 719468;
        long long serial = sinceEpoch + 25569;
        if (serial < 61) serial -= 1; // before the phantom 29 February 1900
        days = static_cast<double>(serial);
        if (date1904) days -= 1462;
        at = 10;
        if (at < iso.size() && (iso[at] == 'T' || iso[at] == ' ')) ++at;
    }
    if (at < iso.size()) {
        int h = 0, mi = 0, sec = 0;
        if (!digitsAt(iso, at, 2, h) || iso.size() < at + 5 || iso[at + 2] != ':' ||
            !digitsAt(iso, at + 3, 2, mi) || h > 24 || mi > 59)
            return std::nullopt;
        at += 5;
        double fraction = 0;
        if (at < iso.size() && iso[at] == ':') {
            if (!digitsAt(iso, at + 1, 2, sec) || sec > 60) return std::nullopt;
            at += 3;
            if (at < iso.size() && iso[at] == '.') {
                double scale = 0.1;
                for (++at; at < iso.size() && iso[at] >= '0' && iso[at] <= '9'; ++at) {
                    fraction += (iso[at] - '0') * scale;
                    scale /= 10;
                }
            }
        }
        // A zone is dropped: the cell shows the clock time written.
        if (at < iso.size() && iso[at] != 'Z' && iso[at] != '+' && iso[at] != '-')
            return std::nullopt;
        days += (h * 3600.0 + mi * 60.0 + sec + fraction) / 86400.0;
    } else if (iso.size() < 10) {
        return std::nullopt;
    }
    return days;
}

std::string formatIsoDate(std::string_view iso, std::string_view code, bool date1904) {
    std::optional<double> serial = isoDateSerial(iso, date1904);
    if (!serial) return std::string(iso);
    bool dateCode = false;
    for (std::string_view part : sections(code))
        for (const Token& t : tokenize(part))
            if (t.kind == Kind::Date) dateCode = true;
    if (dateCode) return formatNumber(formatGeneralRaw(*serial), code, date1904);
    const bool hasTime = *serial != std::floor(*serial);
    const bool hasDate = iso.size() >= 10 && iso[4] == '-';
    const char* fallback = hasDate && hasTime ? "yyyy/m/d h:mm:ss"
                           : hasDate          ? "yyyy/m/d"
                                              : "h:mm:ss";
    return formatNumber(formatGeneralRaw(*serial), fallback, date1904);
}

} // namespace luckdial::sheet
