#pragma once
// The results text read back line by line, for the winners spreadsheet: a
// winner line is the entry, the separator and the prize name; a forfeit line
// is the typed text in full-width parentheses, marked 放弃领奖.

#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

/// Between the winner's entry and the prize name in a winner line.
inline constexpr std::string_view kWinnerSeparator = "  ------  ";

/// The line a forfeit adds to the results text: "（", the typed text (GBK),
/// "---放弃领奖）" and "\r\n".
std::string forfeitLine(std::string_view who);

/// One line of the results text (GBK, without its line end).
struct ResultLine {
    enum Kind { Winner, Forfeit, Other };
    Kind kind = Other;
    /// The winner's entry, the typed text of a forfeit, or the whole line.
    std::string_view who;
    /// The prize name of a winner line.
    std::string_view prize;
};
ResultLine parseResultLine(std::string_view gbkLine);

/// Calls fn(line, lineEnd) for every line of the results text: the line
/// without its end ("\n" with a carriage return before it taken off) and
/// the end as it stands ("\r\n", "\n" or nothing for a last line).
template <typename Fn> void forEachResultLine(std::string_view gbkResults, Fn&& fn) {
    std::size_t start = 0;
    while (start < gbkResults.size()) {
        std::size_t end = gbkResults.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = gbkResults.size();
        std::string_view line = gbkResults.substr(start, end - start);
        std::string_view lineEnd = last ? std::string_view{} : gbkResults.substr(end, 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            lineEnd = gbkResults.substr(start + line.size(), last ? 1 : 2);
        }
        fn(line, lineEnd);
        start = end + 1;
    }
}

/// The column names of the winners spreadsheet (UTF-8): 序号, 中奖者, 奖项.
std::vector<std::string> resultColumns();

/// One row per non-empty line of the results text (GBK), as UTF-8 cells:
/// the line's number among the rows, the winner and the prize. A forfeit
/// line gives the typed text and 放弃领奖; a line of neither shape is kept
/// whole as the winner with no prize.
std::vector<std::vector<std::string>> resultRows(std::string_view gbkResults);

} // namespace luckdial
