#include "pool/groupfile.h"

#include "pool/crlflines.h"
#include "pool/pool.h"
#include "pool/savedstate.h"

#include <algorithm>
#include <charconv>

namespace luckdial {

namespace {

constexpr std::string_view kMagic = "LUCKDIAL GROUPS 1";

template <typename T> bool toNumberExact(std::string_view s, T& out) {
    if (s.empty()) return false;
    const auto [p, error] = std::from_chars(s.data(), s.data() + s.size(), out);
    return error == std::errc() && p == s.data() + s.size();
}

/// "word <n>" with a count no larger than the text could hold lines for.
bool countLine(std::optional<std::string_view> line, std::string_view word, std::size_t limit,
               std::size_t& n) {
    if (!line || line->substr(0, word.size() + 1) != std::string(word) + " ") return false;
    return toNumberExact(line->substr(word.size() + 1), n) && n <= limit;
}

} // namespace

std::string entriesCheck(const Pool& pool) {
    std::uint32_t crc = 0;
    pool.forEach([&crc](std::string_view entry) {
        crc = crc32(entry, crc);
        crc = crc32("\r\n", crc);
    });
    return std::to_string(pool.entryBytes() + 2 * pool.count()) + " " + hex8(crc);
}

std::string groupFileText(const GroupFile& file) {
    std::string text(kMagic);
    text += "\r\nentries " + file.check + "\r\nnames " + std::to_string(file.names.size()) + "\r\n";
    for (const std::string& name : file.names)
        text += name + "\r\n";
    text += "members " + std::to_string(file.members.size()) + "\r\n";
    for (const std::uint16_t m : file.members) {
        text += std::to_string(m);
        text += "\r\n";
    }
    text += "winners " + std::to_string(file.winners.size()) + "\r\n";
    for (const WinnerGroup& w : file.winners) {
        std::size_t id = 0;
        if (!w.group.empty()) {
            const auto it = std::find(file.names.begin(), file.names.end(), w.group);
            id = static_cast<std::size_t>(it - file.names.begin()) + 1;
        }
        text += std::to_string(w.row) + (w.forfeited ? " 1 " : " 0 ") + std::to_string(id) + "\t" +
                w.entry + "\r\n";
    }
    return text;
}

std::string groupFileText(const Pool& pool, const std::vector<WinnerGroup>& winners) {
    GroupFile file;
    file.check = entriesCheck(pool);
    file.names = pool.groupNames();
    file.members.reserve(pool.count());
    pool.forEachGroup([&](std::size_t, std::uint16_t id) { file.members.push_back(id); });
    // A winner's group that has left the pool with its last entry keeps a name.
    for (const WinnerGroup& w : winners)
        if (!w.group.empty() &&
            std::find(file.names.begin(), file.names.end(), w.group) == file.names.end())
            file.names.push_back(w.group);
    file.winners = winners;
    return groupFileText(file);
}

std::optional<GroupFile> parseGroupFile(std::string_view text) {
    CrLfLines lines(text);
    GroupFile file;
    if (lines.next() != kMagic) return std::nullopt;
    const auto entries = lines.next();
    if (!entries || entries->substr(0, 8) != "entries ") return std::nullopt;
    file.check = std::string(entries->substr(8));
    // No count may promise more lines than the text has bytes for.
    const std::size_t limit = text.size() / 2;
    std::size_t n = 0;
    if (!countLine(lines.next(), "names", std::min(limit, Pool::kMaxGroups), n))
        return std::nullopt;
    for (std::size_t k = 0; k < n; ++k) {
        const auto name = lines.next();
        if (!name || name->empty()) return std::nullopt;
        file.names.emplace_back(*name);
    }
    if (!countLine(lines.next(), "members", limit, n)) return std::nullopt;
    file.members.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const auto line = lines.next();
        std::uint16_t id = 0;
        if (!line || !toNumberExact(*line, id) || id > file.names.size()) return std::nullopt;
        file.members.push_back(id);
    }
    if (!countLine(lines.next(), "winners", limit, n)) return std::nullopt;
    for (std::size_t k = 0; k < n; ++k) {
        const auto line = lines.next();
        if (!line) return std::nullopt;
        const std::size_t tab = line->find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        const std::string_view head = line->substr(0, tab);
        const std::size_t a = head.find(' ');
        const std::size_t b = a == std::string_view::npos ? a : head.find(' ', a + 1);
        if (b == std::string_view::npos) return std::nullopt;
        WinnerGroup w;
        int forfeited = 0;
        std::size_t id = 0;
        if (!toNumberExact(head.substr(0, a), w.row) || w.row < 1 || w.row > 8 ||
            !toNumberExact(head.substr(a + 1, b - a - 1), forfeited) || forfeited < 0 ||
            forfeited > 1 || !toNumberExact(head.substr(b + 1), id) || id > file.names.size())
            return std::nullopt;
        w.forfeited = forfeited == 1;
        if (id > 0) w.group = file.names[id - 1];
        w.entry = std::string(line->substr(tab + 1));
        file.winners.push_back(std::move(w));
    }
    if (!lines.done()) return std::nullopt;
    return file;
}

bool applyGroupFile(Pool& pool, GroupFile file) {
    if (file.check != entriesCheck(pool) || file.members.size() != pool.count()) return false;
    return pool.setGroups(std::move(file.names), std::move(file.members));
}

std::optional<std::string> forfeitWinnerGroup(std::vector<WinnerGroup>& winners, int row,
                                              std::string_view entry) {
    for (auto it = winners.rbegin(); it != winners.rend(); ++it) {
        if (it->row == row && !it->forfeited && it->entry == entry) {
            it->forfeited = true;
            return it->group;
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::size_t>> groupSizes(const Pool& pool) {
    std::vector<std::size_t> sizes(pool.groupNames().size() + 1, 0);
    pool.forEachGroup([&](std::size_t, std::uint16_t id) { ++sizes[id]; });
    std::vector<std::pair<std::string, std::size_t>> out;
    for (std::size_t id = 1; id < sizes.size(); ++id)
        if (sizes[id] > 0) out.emplace_back(pool.groupNames()[id - 1], sizes[id]);
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return out;
}

} // namespace luckdial
