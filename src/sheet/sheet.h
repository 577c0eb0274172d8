#pragma once
// Spreadsheets in and out. Participant lists are read from .xlsx, .ods, .csv
// and .txt; winners are written as .xlsx. Everything here is Qt-free at the
// interface: paths are file-system paths (UTF-8 on disk), cells are UTF-8 text
// exactly as the sheet shows them (a text cell "00123" stays "00123", a number
// cell 1001 is "1001", a date is its shown text).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace luckdial::sheet {

using Row = std::vector<std::string>;

/// Why a file could not be read. None means the read succeeded.
enum class ReadError {
    None,
    CannotOpen,     ///< missing or unreadable file
    NotSpreadsheet, ///< not a workbook of a kind we read (a zip without a sheet, a bad extension)
    Damaged,        ///< a workbook whose zip or XML is broken or truncated
    TooLarge,       ///< the file or an unzipped part is over the byte limit
    TooManyRows,    ///< more rows than the limit
};

/// Bounds that keep a hostile or mistaken file from exhausting memory.
struct ReadLimits {
    std::uint64_t maxFileBytes = 256ull << 20; ///< the file on disk
    std::uint64_t maxUnzippedBytes = 1024ull
                                     << 20; ///< one unzipped part (sheet XML, shared strings)
    std::size_t maxRows = 3'276'001;        ///< rows of the sheet read, empty rows included
    /// Memory the rows read may take (cells and their text): a row repeated a
    /// million times in a few bytes of XML is refused as TooLarge.
    std::uint64_t maxTableBytes = 1024ull << 20;
};

/// The sheets of a workbook; a .csv or .txt file has one, named after the file.
struct SheetList {
    ReadError error = ReadError::None;
    std::vector<std::string> names;
};

/// One sheet's rows in order. Empty rows are kept as empty Rows so that row
/// numbers match what the user sees; trailing empty cells are dropped.
struct Table {
    ReadError error = ReadError::None;
    std::string name;
    std::vector<Row> rows;
};

/// Lists the sheets of the file (kind chosen by extension, case-insensitive:
/// .xlsx, .ods, .csv, .txt).
SheetList listSheets(const std::string& path, const ReadLimits& limits = {});

/// Reads the sheet with the given index (0-based, in listSheets order).
/// Text files (.csv, .txt) are recognised as UTF-8 or GBK the way pool files
/// are; .csv is comma-separated with double-quote quoting, .txt tab-separated.
Table readSheet(const std::string& path, std::size_t index, const ReadLimits& limits = {});

/// Writes one sheet as .xlsx: the header row in bold, then the rows, column
/// widths fitted to the text. The file is replaced crash-safely (a temporary
/// beside it, then rename); on failure the old file is untouched, false is
/// returned and *error (when given) holds a short English reason for the log.
bool writeXlsx(const std::string& path, const std::string& sheetName, const Row& header,
               const std::vector<Row>& rows, std::string* error = nullptr);

} // namespace luckdial::sheet
