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

/// The column names of the winners spreadsheet (UTF-8): 序号, 中奖者, 奖项.
std::vector<std::string> resultColumns();

/// One row per non-empty line of the results text (GBK), as UTF-8 cells:
/// the line's number among the rows, the winner and the prize. A forfeit
/// line gives the typed text and 放弃领奖; a line of neither shape is kept
/// whole as the winner with no prize.
std::vector<std::vector<std::string>> resultRows(std::string_view gbkResults);

} // namespace luckdial
