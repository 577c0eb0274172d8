#include "pool/savedstate.h"

#include "host/core/linereader.h"
#include "pool/crlflines.h"

#include <charconv>
#include <cstring>

namespace luckdial {

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

/// Eight tables, so that eight bytes are folded in per step: a record of a
/// full pool is tens of megabytes and is checked after every draw.
constexpr Tables makeTables() {
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t i = 0; i < 256; ++i)
        for (std::size_t s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFFu];
    return t;
}

constexpr Tables kTables = makeTables();

constexpr const char* kMagic = "LUCKDIAL RECOVERY 1";
constexpr const char* kMagicGroups = "LUCKDIAL RECOVERY 2";

/// Splits "word a b c" into its numbers after checking the word.
template <typename T, std::size_t N>
bool numbers(std::string_view line, std::string_view word, std::array<T, N>& out) {
    if (line.substr(0, word.size()) != word) return false;
    const char* p = line.data() + word.size();
    const char* const end = line.data() + line.size();
    for (T& value : out) {
        if (p == end || *p != ' ') return false;
        ++p;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc() || next == p) return false;
        p = next;
    }
    return p == end;
}

} // namespace

std::uint32_t crc32(std::string_view data, std::uint32_t crc) {
    crc = ~crc;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::size_t n = data.size();
    for (; n >= 8; n -= 8, p += 8) {
        std::uint32_t lo;
        std::uint32_t hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        lo ^= crc;
        crc = kTables[7][lo & 0xFFu] ^ kTables[6][(lo >> 8) & 0xFFu] ^
              kTables[5][(lo >> 16) & 0xFFu] ^ kTables[4][lo >> 24] ^ kTables[3][hi & 0xFFu] ^
              kTables[2][(hi >> 8) & 0xFFu] ^ kTables[1][(hi >> 16) & 0xFFu] ^ kTables[0][hi >> 24];
    }
    for (; n > 0; --n, ++p)
        crc = kTables[0][(crc ^ *p) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

std::string progressCheck(std::string_view progressText) {
    return std::to_string(progressText.size()) + " " + hex8(crc32(progressText));
}

std::string recoveryHeader(const std::array<std::int32_t, 8>& counters, std::size_t poolCount,
                           std::string_view poolText, std::string_view results,
                           std::string_view groups) {
    std::string head = groups.empty() ? kMagic : kMagicGroups;
    head += "\r\ncounters";
    for (const std::int32_t c : counters)
        head += " " + std::to_string(c);
    head += "\r\npool " + std::to_string(poolCount) + " " + std::to_string(poolText.size());
    head += "\r\nresults " + std::to_string(results.size()) + "\r\n";
    if (!groups.empty()) head += "groups " + std::to_string(groups.size()) + "\r\n";
    std::uint32_t crc = crc32(head);
    crc = crc32(poolText, crc);
    crc = crc32(results, crc);
    crc = crc32(groups, crc);
    head += "check " + hex8(crc) + "\r\n\r\n";
    return head;
}

std::optional<RecoveryContent> parseRecoveryRecord(std::string_view bytes) {
    // The header is read line by line; every field must be exactly as written.
    CrLfLines reader(bytes);
    RecoveryContent content;
    std::array<std::size_t, 2> pool{};
    std::array<std::size_t, 1> results{};
    std::array<std::size_t, 1> groups{};
    const auto magic = reader.next();
    const bool withGroups = magic == std::string_view(kMagicGroups);
    if (magic != std::string_view(kMagic) && !withGroups) return std::nullopt;
    auto next = reader.next();
    if (!next || !numbers(*next, "counters", content.counters)) return std::nullopt;
    next = reader.next();
    if (!next || !numbers(*next, "pool", pool)) return std::nullopt;
    next = reader.next();
    if (!next || !numbers(*next, "results", results)) return std::nullopt;
    if (withGroups) {
        next = reader.next();
        if (!next || !numbers(*next, "groups", groups)) return std::nullopt;
    }
    const std::size_t checked = reader.position();
    const auto checkLine = reader.next();
    if (!checkLine || reader.next() != std::string_view()) return std::nullopt;

    const std::string_view body = bytes.substr(reader.position());
    if (pool[1] > body.size() || results[0] > body.size() - pool[1] ||
        body.size() - pool[1] - results[0] != groups[0])
        return std::nullopt;
    const std::string_view poolText = body.substr(0, pool[1]);
    const std::string_view resultsText = body.substr(pool[1], results[0]);
    const std::string_view groupsText = body.substr(pool[1] + results[0]);
    std::uint32_t crc = crc32(bytes.substr(0, checked));
    crc = crc32(poolText, crc);
    crc = crc32(resultsText, crc);
    crc = crc32(groupsText, crc);
    if (*checkLine != "check " + hex8(crc)) return std::nullopt;

    // The pool text must give back exactly the entries it was written from.
    std::size_t entries = 0;
    LineReader lines(poolText);
    lines.forEachLine([&entries](std::string_view entry) { entries += entry.empty() ? 0 : 1; });
    if (entries != pool[0] || lines.position() != poolText.size()) return std::nullopt;

    content.poolCount = pool[0];
    content.poolText = std::string(poolText);
    content.results = std::string(resultsText);
    content.groups = std::string(groupsText);
    return content;
}

} // namespace luckdial
