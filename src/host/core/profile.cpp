#include "host/core/profile.h"

#include <vector>

namespace luckdial::profile {

namespace {

constexpr std::size_t kValueLimit = 10239;

struct Line {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    std::string_view text; ///< without its line end
    std::string_view name; ///< section name, or key name
    std::string_view value;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool isQuoted(std::string_view s) {
    return s.size() >= 2 && isQuote(s.front()) && s.back() == s.front();
}

/// A value enclosed in one pair of matching quotes reads without them, as in
/// the profile files people edit by hand; the quotes keep blanks at its ends.
std::string_view unquote(std::string_view s) {
    return isQuoted(s) ? s.substr(1, s.size() - 2) : s;
}

bool isLead(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// ASCII letters compared without case; the second byte of a GBK character
/// may look like a letter and is compared exactly.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isLead(a[i])) {
            if (a[i] != b[i]) return false;
            if (++i < a.size() && a[i] != b[i]) return false;
        } else if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

/// Position of the closing bracket, skipping GBK trail bytes (0x5D is one).
std::size_t closingBracket(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isLead(s[i]))
            ++i;
        else if (s[i] == ']')
            return i;
    }
    return std::string_view::npos;
}

Line classify(std::string_view text) {
    Line line;
    line.text = text;
    std::string_view body = trim(text);
    if (!body.empty() && body.front() == '[') {
        line.kind = Line::Section;
        std::string_view inner = body.substr(1);
        line.name = trim(inner.substr(0, closingBracket(inner)));
        return line;
    }
    std::size_t eq = body.find('='); // 0x3D never occurs inside a GBK character
    if (eq == std::string_view::npos) return line;
    line.name = trim(body.substr(0, eq));
    if (line.name.empty()) return line;
    line.kind = Line::Key;
    line.value = trim(body.substr(eq + 1));
    return line;
}

std::vector<Line> parse(std::string_view fileText) {
    std::vector<Line> lines;
    while (!fileText.empty()) {
        std::size_t lf = fileText.find('\n');
        std::string_view text = fileText.substr(0, lf);
        fileText.remove_prefix(lf == std::string_view::npos ? fileText.size() : lf + 1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        lines.push_back(classify(text));
    }
    return lines;
}

/// Calls f(index) for each key line named key inside a section named section;
/// f returns false to stop.
template <typename F>
void forEachKey(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                F f) {
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.kind == Line::Section)
            inSection = sameName(l.name, section);
        else if (inSection && l.kind == Line::Key && sameName(l.name, key) && !f(i))
            return;
    }
}

std::string join(const std::vector<std::string_view>& lines) {
    std::size_t size = 0;
    for (auto l : lines)
        size += l.size() + 2;
    std::string out;
    out.reserve(size);
    for (auto l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string_view> texts(const std::vector<Line>& lines) {
    std::vector<std::string_view> out;
    out.reserve(lines.size() + 2);
    for (const Line& l : lines)
        out.push_back(l.text);
    return out;
}

} // namespace

std::optional<std::string> read(std::string_view fileText, std::string_view section,
                                std::string_view key) {
    std::vector<Line> lines = parse(fileText);
    std::optional<std::string> found;
    forEachKey(lines, section, key, [&](std::size_t i) {
        found = std::string(unquote(lines[i].value).substr(0, kValueLimit));
        return false;
    });
    return found;
}

std::string write(std::string_view fileText, std::string_view section, std::string_view key,
                  std::string_view value) {
    // A line break inside the value would end the line and turn the rest into
    // lines of its own, so the value stops at the first one.
    value = value.substr(0, value.find_first_of("\r\n"));
    // A value that is itself quoted gets a second pair, which reading takes off.
    // Reading trims blanks before it looks for quotes, so the test is made on
    // the trimmed value: "' a'" followed by a blank is quoted too.
    std::string quoted;
    if (const std::string_view trimmed = trim(value); isQuoted(trimmed)) {
        quoted.append(1, trimmed.front()).append(trimmed).append(1, trimmed.front());
        value = quoted;
    }
    std::vector<Line> lines = parse(fileText);
    std::vector<std::string_view> out = texts(lines);

    std::string newLine;
    std::optional<std::size_t> existing;
    forEachKey(lines, section, key, [&](std::size_t i) {
        existing = i;
        return false;
    });
    if (existing) {
        newLine.append(lines[*existing].name).append("=").append(value);
        out[*existing] = newLine;
        return join(out);
    }

    newLine.append(key).append("=").append(value);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section || !sameName(lines[i].name, section)) continue;
        // After the section's last non-blank line, so blank lines that set it
        // apart from the next section stay where they are.
        std::size_t insertAt = i + 1;
        for (std::size_t j = i + 1; j < lines.size() && lines[j].kind != Line::Section; ++j)
            if (!trim(lines[j].text).empty()) insertAt = j + 1;
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        return join(out);
    }

    std::string header = "[" + std::string(section) + "]";
    out.push_back(header);
    out.push_back(newLine);
    return join(out);
}

std::string removeKey(std::string_view fileText, std::string_view section, std::string_view key) {
    std::vector<Line> lines = parse(fileText);
    std::vector<bool> drop(lines.size(), false);
    bool any = false;
    // Every duplicate goes, so that a later read does not find a second copy.
    forEachKey(lines, section, key, [&](std::size_t i) {
        drop[i] = any = true;
        return true;
    });
    if (!any) return std::string(fileText);
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!drop[i]) out.push_back(lines[i].text);
    return join(out);
}

std::string removeSection(std::string_view fileText, std::string_view section) {
    std::vector<Line> lines = parse(fileText);
    std::vector<std::string_view> out;
    bool inSection = false, any = false;
    for (const Line& l : lines) {
        if (l.kind == Line::Section) {
            inSection = sameName(l.name, section);
            any = any || inSection;
        }
        if (!inSection) out.push_back(l.text);
    }
    if (!any) return std::string(fileText);
    return join(out);
}

} // namespace luckdial::profile
