#include "pool/entrylist.h"

#include "host/core/text.h"
#include "pool/groupfile.h"
#include "pool/pool.h"
#include "pool/savedstate.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace luckdial {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

/// Bytes that end a pool line or its text (line feed, NUL, Ctrl-Z) or that a
/// reader would show as a break; the tab stays part of an entry.
bool breaksLine(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t') || b == 0x7F;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isNumber(std::string_view s) {
    s = trimmed(s);
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
    bool digit = false;
    bool point = false;
    for (const char c : s) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

bool namesPerson(std::string_view cell) {
    const std::string c = lowerAscii(trimmed(cell));
    return contains(c, "姓名") || contains(c, "名字") || c == "name";
}

bool namesNumber(std::string_view cell) {
    const std::string c = lowerAscii(trimmed(cell));
    // A telephone number is no participant number.
    if (contains(c, "手机") || contains(c, "电话")) return false;
    return contains(c, "工号") || contains(c, "编号") || contains(c, "号码") ||
           contains(c, "学号") || c == "id" || c == "no" || c == "no.";
}

bool namesColumn(std::string_view cell) {
    const std::string c(trimmed(cell));
    static constexpr std::array<std::string_view, 6> kOther = {"序号", "部门", "名单",
                                                               "名称", "手机", "电话"};
    return namesPerson(c) || namesNumber(c) ||
           std::any_of(kOther.begin(), kOther.end(), [&](std::string_view w) { return c == w; });
}

std::string_view cellAt(const std::vector<std::string>& row, std::size_t column) {
    return column < row.size() ? std::string_view(row[column]) : std::string_view();
}

} // namespace

bool EntryList::tooMany() const {
    return entries.size() > Pool::kLimit;
}

std::string oneLine(std::string_view cell) {
    std::string out;
    std::size_t start = 0;
    while (start <= cell.size()) {
        std::size_t end = start;
        while (end < cell.size() && !breaksLine(cell[end]))
            ++end;
        const std::string_view piece = trimmed(cell.substr(start, end - start));
        if (!piece.empty()) {
            if (!out.empty()) out += ' ';
            out += piece;
        }
        start = end + 1;
    }
    return out;
}

EntryList buildEntries(const std::vector<std::vector<std::string>>& rows,
                       const EntryRecipe& recipe) {
    EntryList list;
    const std::size_t first = recipe.headerRow && !rows.empty() ? 1 : 0;
    // Views into the entries stay valid: the vector never grows past this.
    list.entries.reserve(rows.size() - first);
    std::unordered_set<std::string_view> seen;
    seen.reserve(rows.size() - first);
    std::string entry;
    for (std::size_t r = first; r < rows.size(); ++r) {
        entry.clear();
        for (const std::size_t column : recipe.columns) {
            const std::string part = oneLine(cellAt(rows[r], column));
            if (part.empty()) continue;
            if (!entry.empty()) entry += recipe.joiner;
            entry += part;
        }
        if (entry.empty()) {
            ++list.emptyRows;
            continue;
        }
        if (seen.count(entry)) {
            ++list.duplicates;
            auto& examples = list.duplicateExamples;
            if (examples.size() < EntryList::kDuplicateExamples &&
                std::find(examples.begin(), examples.end(), entry) == examples.end())
                examples.push_back(entry);
            if (recipe.dropDuplicates) continue;
            list.entries.push_back(entry);
        } else {
            list.entries.push_back(entry);
            seen.insert(list.entries.back());
        }
        if (recipe.groupColumn != std::string::npos)
            list.groups.push_back(oneLine(cellAt(rows[r], recipe.groupColumn)));
        if (recipe.photoColumn != std::string::npos)
            list.photos.push_back(oneLine(cellAt(rows[r], recipe.photoColumn)));
    }
    return list;
}

std::string entryGroupFileText(const EntryList& list) {
    if (list.groups.size() != list.entries.size()) return {};
    GroupFile file;
    std::unordered_map<std::string, std::uint16_t> ids;
    file.members.reserve(list.entries.size());
    for (const std::string& g : list.groups) {
        std::uint16_t id = 0;
        if (!g.empty()) {
            const auto it = ids.find(g);
            if (it != ids.end()) {
                id = it->second;
            } else if (file.names.size() < Pool::kMaxGroups) {
                file.names.push_back(gbk(g));
                id = static_cast<std::uint16_t>(file.names.size());
                ids.emplace(g, id);
            }
        }
        file.members.push_back(id);
    }
    if (file.names.empty()) return {};
    file.check = progressCheck(poolFileText(list.entries));
    return groupFileText(file);
}

std::vector<std::pair<std::string, std::size_t>> groupSizes(const EntryList& list) {
    std::unordered_map<std::string, std::size_t> index;
    std::vector<std::pair<std::string, std::size_t>> out;
    for (const std::string& g : list.groups) {
        if (g.empty()) continue;
        const auto [it, added] = index.emplace(g, out.size());
        if (added) out.emplace_back(g, 0);
        ++out[it->second].second;
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return out;
}

std::string groupCountsText(const std::vector<std::pair<std::string, std::size_t>>& sizes,
                            std::size_t shown) {
    if (sizes.empty()) return {};
    std::string text;
    for (std::size_t k = 0; k < sizes.size() && k < shown; ++k)
        text += (k ? "、" : "") + sizes[k].first + " " + std::to_string(sizes[k].second);
    if (sizes.size() > shown) text += "、…";
    return text + "，共 " + std::to_string(sizes.size()) + " 个分组";
}

std::string poolFileText(const std::vector<std::string>& entries) {
    std::size_t bytes = 0;
    for (const std::string& e : entries)
        bytes += e.size() + 2;
    std::string text;
    text.reserve(bytes);
    for (const std::string& e : entries) {
        text += e;
        text += "\r\n";
    }
    // One conversion for the whole text: a GBK character never holds a line
    // end byte, so the lines stay as they were.
    return gbk(text);
}

bool likelyHeader(const std::vector<std::vector<std::string>>& rows) {
    if (rows.size() < 2) return false;
    const std::vector<std::string>& top = rows.front();
    bool anyText = false;
    for (const std::string& cell : top) {
        if (trimmed(cell).empty()) continue;
        if (isNumber(cell)) return false;
        if (namesColumn(cell)) return true;
        anyText = true;
    }
    if (!anyText) return false;
    // Text above numbers: a staff-number column under its name.
    const std::size_t last = std::min<std::size_t>(rows.size(), 21);
    for (std::size_t c = 0; c < top.size(); ++c) {
        if (trimmed(top[c]).empty()) continue;
        for (std::size_t r = 1; r < last; ++r)
            if (isNumber(cellAt(rows[r], c))) return true;
    }
    return false;
}

std::vector<std::size_t> suggestedColumns(const std::vector<std::string>& header) {
    auto find = [&header](auto matches) -> std::optional<std::size_t> {
        for (std::size_t c = 0; c < header.size(); ++c)
            if (matches(lowerAscii(trimmed(header[c])))) return c;
        return std::nullopt;
    };
    const std::optional<std::size_t> name =
        find([](const std::string& c) { return namesPerson(c); });
    // A staff number before any other number: 手机号码 is a number too.
    std::optional<std::size_t> number;
    for (const std::string_view word : {"工号", "编号", "学号"})
        if (!number) number = find([word](const std::string& c) { return contains(c, word); });
    if (!number) number = find([](const std::string& c) { return namesNumber(c); });
    if (number && name) return {*number, *name};
    if (name) return {*name};
    return {0};
}

std::string columnLetters(std::size_t index) {
    std::string out;
    for (std::size_t n = index + 1; n > 0; n = (n - 1) / 26)
        out.insert(out.begin(), static_cast<char>('A' + (n - 1) % 26));
    return out;
}

} // namespace luckdial
