// Configuration items: whatever the file holds, what is written reads back,
// and nothing else in the file changes its reading.
//
// Input: file text, then section, key, value and a second section and key,
// each ended by a backslash and one more byte (FuzzedDataProvider's strings);
// a last byte b, when there is one, repeats the value 2^(b % 16) times (up to
// 64 KiB), so that values past the length limit turn up.

#include "host/core/profile.h"

#include "check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kValueLimit = 10239;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

/// What reading gives back for a written value: the value up to its first
/// line break, without blanks at either end, at most kValueLimit bytes.
/// The one place to change when the reading of values changes.
std::string expectedValue(std::string_view written) {
    return trimBlanks(written.substr(0, written.find_first_of("\r\n"))).substr(0, kValueLimit);
}

/// True when a GBK lead byte (0x80 and above) is the last byte without the
/// byte it pairs with.
bool endsInLoneLead(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size())
        i += static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1;
    return i > s.size();
}

/// A name a program would use for a section or key: no brackets, '=' or
/// line breaks, no blanks around it, whole GBK characters, not empty.
std::string nameFrom(std::string raw, const char* fallback) {
    std::string name;
    for (char c : raw)
        if (c != '[' && c != ']' && c != '=' && c != '\r' && c != '\n') name += c;
    for (;;) {
        name = trimBlanks(name);
        if (!endsInLoneLead(name)) break;
        name.pop_back();
    }
    return name.empty() ? fallback : name;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Names that could be the same item: ASCII case ignored everywhere, which
/// is wider than the real rule (trail bytes exact), so no real match is missed.
bool maybeSameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace profile = luckdial::profile;
    FuzzedDataProvider in(data, size);
    const std::string file = in.ConsumeRandomLengthString(1 << 16);
    const std::string section = nameFrom(in.ConsumeRandomLengthString(64), "s");
    const std::string key = nameFrom(in.ConsumeRandomLengthString(64), "k");
    const std::string piece = in.ConsumeRandomLengthString(1 << 15);
    const std::string otherSection = nameFrom(in.ConsumeRandomLengthString(64), "t");
    const std::string otherKey = nameFrom(in.ConsumeRandomLengthString(64), "k");
    const unsigned repeat = 1u << (in.ConsumeIntegral<std::uint8_t>() % 16);
    std::string value = piece;
    for (unsigned k = 1; k < repeat && value.size() + piece.size() <= (1u << 16); ++k)
        value += piece;
    const bool other = !(maybeSameName(section, otherSection) && maybeSameName(key, otherKey));
    const bool otherSectionDiffers = !maybeSameName(section, otherSection);

    const std::optional<std::string> otherBefore = profile::read(file, otherSection, otherKey);
    // Every copy of a key goes, duplicates included.
    FUZZ_CHECK(!profile::read(profile::removeKey(file, section, key), section, key).has_value());

    const std::string written = profile::write(file, section, key, value);
    FUZZ_CHECK(profile::read(written, section, key) == expectedValue(value));
    if (other) FUZZ_CHECK(profile::read(written, otherSection, otherKey) == otherBefore);
    // Writing the same item again changes nothing more.
    FUZZ_CHECK(profile::write(written, section, key, value) == written);

    const std::string removed = profile::removeKey(written, section, key);
    FUZZ_CHECK(!profile::read(removed, section, key).has_value());
    if (other) FUZZ_CHECK(profile::read(removed, otherSection, otherKey) == otherBefore);

    const std::string noSection = profile::removeSection(written, section);
    FUZZ_CHECK(!profile::read(noSection, section, key).has_value());
    if (otherSectionDiffers)
        FUZZ_CHECK(profile::read(noSection, otherSection, otherKey) == otherBefore);
    return 0;
}
