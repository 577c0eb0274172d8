#pragma once
// Spreadsheets in and out. Participant lists are read from .xlsx (and .xlsm),
// .ods, .xls, .csv and .txt, recognised by their content; winners are written
// as .xlsx. Everything here is Qt-free at the
// interface: paths are file-system paths (UTF-8 on disk), cells are UTF-8 text
// exactly as the sheet shows them (a text cell "00123" stays "00123", a number
// cell 1001 is "1001", a date is its shown text).

#include <atomic>
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
    PasswordProtected, ///< an encrypted workbook: only its program can open it
    BinaryWorkbook,    ///< an Excel binary workbook (.xlsb), which is not read
    OldWorkbook,       ///< an .xls the legacy reader cannot read (Excel 5/95, broken)
    Cancelled,         ///< the caller asked the read to stop
};

/// Lets another thread follow a long read and stop it: the reader sets done
/// and total (in bytes of the part being read, or rows) now and then and
/// ends with Cancelled soon after cancel is set.
struct ReadProgress {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
};

/// Bounds that keep a hostile or mistaken file from exhausting memory.
/// The defaults keep any file of up to 100 MB under 512 MB of memory and
/// about ten seconds of reading before it is read or refused.
struct ReadLimits {
    std::uint64_t maxFileBytes = 100ull << 20; ///< the file on disk
    /// All parts of one workbook unzipped together (sheet XML, shared strings,
    /// styles), counted as they inflate.
    std::uint64_t maxUnzippedBytes = 640ull << 20;
    std::size_t maxRows = 3'276'001; ///< rows of the sheet read, empty rows included
    /// Memory the rows read may take (cells and their text, with the shared
    /// strings of a workbook or the text of a text file): a row repeated a
    /// million times in a few bytes of XML is refused as TooLarge. A full
    /// pool's rows of a number and a name fit.
    std::uint64_t maxTableBytes = 400ull << 20;
    /// Characters of one cell: the spreadsheet programs' own limit; a longer
    /// cell is refused as Damaged.
    std::size_t maxCellChars = 32'767;
    /// Elements open inside each other in one XML part.
    int maxDepth = 256;
    /// When set, the read reports to it and stops when it is cancelled.
    ReadProgress* progress = nullptr;
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

/// Lists the sheets of the file. The kind is recognised by content: a zip
/// holding a workbook part (.xlsx, .xlsm) or an OpenDocument spreadsheet,
/// the compound file of an .xls (or of an encrypted workbook), or text, which
/// is read when the name ends in .csv or .txt (any case).
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
