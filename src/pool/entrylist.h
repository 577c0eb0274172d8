#pragma once
// Turning the rows of a participant list (a spreadsheet or a delimited text)
// into pool entries: which columns make an entry and how they are joined, one
// line per entry, empty rows skipped, duplicates counted and kept or dropped.
// Cells and entries are UTF-8 here, as the sheet reader gives them; the pool
// file's GBK text is made once at the end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace luckdial {

/// How the rows become entries.
struct EntryRecipe {
    /// The first row names the columns and is no entry.
    bool headerRow = false;
    /// 0-based columns, in the order they are joined.
    std::vector<std::size_t> columns{0};
    /// Put between the non-empty parts of an entry (UTF-8).
    std::string joiner = " ";
    /// Keep only the first of equal entries.
    bool dropDuplicates = false;
    /// 0-based column whose cell is the entry's group (a department);
    /// npos: no groups.
    std::size_t groupColumn = std::string::npos;
    /// 0-based column whose cell names the entry's photo (a file name or a
    /// path relative to the list's folder); npos: no photos.
    std::size_t photoColumn = std::string::npos;
};

struct EntryList {
    /// UTF-8, each one line, in row order.
    std::vector<std::string> entries;
    /// The group of each entry (UTF-8, one line, empty for none); empty when
    /// the recipe has no group column.
    std::vector<std::string> groups;
    /// The photo cell of each entry (UTF-8, one line, empty for none); empty
    /// when the recipe has no photo column.
    std::vector<std::string> photos;
    /// Rows below the header with nothing in the chosen columns.
    std::size_t emptyRows = 0;
    /// Entries equal to an earlier one: dropped or kept as the recipe says.
    std::size_t duplicates = 0;
    /// The first few entries that come more than once, to show the operator.
    std::vector<std::string> duplicateExamples;
    static constexpr std::size_t kDuplicateExamples = 3;
    /// More entries than a pool may hold.
    bool tooMany() const;
};

EntryList buildEntries(const std::vector<std::vector<std::string>>& rows,
                       const EntryRecipe& recipe);

/// A cell as one line of an entry: every line break (or other control
/// character but the tab, which would end or cut a pool line) becomes one
/// space, and spaces and tabs around each line are dropped.
std::string oneLine(std::string_view cell);

/// The pool file's bytes: every entry in GBK (GB18030 where GBK has no
/// character), each followed by "\r\n".
std::string poolFileText(const std::vector<std::string>& entries);

/// The group file of entries as poolFileText writes them: group names and
/// numbers in GBK, tied to the pool those lines load as. Empty when no entry
/// has a group.
std::string entryGroupFileText(const EntryList& list);

/// The list's groups by size, largest first (UTF-8).
std::vector<std::pair<std::string, std::size_t>> groupSizes(const EntryList& list);

/// "销售部 120、研发部 80、… 共 5 个分组" for the first few groups by size
/// (UTF-8); empty without groups.
std::string groupCountsText(const std::vector<std::pair<std::string, std::size_t>>& sizes,
                            std::size_t shown = 4);

/// Whether the first row looks like column names rather than a participant:
/// a name such as 姓名 or 工号, or text above a column of numbers.
bool likelyHeader(const std::vector<std::vector<std::string>>& rows);

/// The columns to offer first for a header: the staff number and the name
/// when both are there ("1001 张三"), the name alone, or else the first column.
std::vector<std::size_t> suggestedColumns(const std::vector<std::string>& header);

/// The spreadsheet name of a 0-based column: A ... Z, AA, AB ...
std::string columnLetters(std::size_t index);

} // namespace luckdial
