// Writing a sheet as .xlsx. The workbook is built in a temporary file beside
// the target, synced, and renamed over it, so a crash or a full disk leaves
// either the old file or the new one.

#include "sheet/sheet.h"

#include "host/core/replacement.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

namespace {

/// A cell holds at most this many UTF-16 units.
constexpr std::size_t kMaxCellUnits = 32767;
/// Wider columns than this help nobody read the sheet.
constexpr double kMaxColumnWidth = 80;

/// Decodes one UTF-8 character at i (advancing i); invalid bytes count as one.
char32_t nextChar(const std::string& s, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + n > s.size()) n = 1;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    return cp;
}

/// The text cut on a character boundary to what a cell can hold.
std::string fitCell(const std::string& text) {
    if (text.size() <= kMaxCellUnits) return text;
    std::size_t i = 0, units = 0;
    while (i < text.size()) {
        std::size_t at = i;
        char32_t cp = nextChar(text, i);
        units += cp >= 0x10000 ? 2 : 1;
        if (units > kMaxCellUnits) return text.substr(0, at);
    }
    return text;
}

/// Display width in character cells: Chinese, Japanese, Korean and
/// full-width forms take two; the longest line counts.
double displayWidth(const std::string& text) {
    double widest = 0, line = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = nextChar(text, i);
        if (cp == '\n') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                    (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                    (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                    (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
                    (cp >= 0x20000 && cp <= 0x3FFFD);
        line += wide ? 2 : 1;
    }
    return std::max(widest, line);
}

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

struct WorkbookGuard {
    lxw_workbook* book = nullptr;
    ~WorkbookGuard() {
        // A workbook not closed on the success path is closed here only to
        // free it; what it writes goes to the temporary file, which is removed.
        if (book) workbook_close(book);
    }
};

} // namespace

bool writeXlsx(const std::string& path, const std::string& sheetName, const Row& header,
               const std::vector<Row>& rows, std::string* error) {
    if (path.empty() || path.back() == '/') return fail(error, "no file name");
    if (rows.size() + 1 > LXW_ROW_MAX) return fail(error, "too many rows for a sheet");
    FileReplacement replacement(path);
    // libxlsxwriter writes the temporary by name.
    if (!replacement.ok() || !replacement.closeTemporary()) return fail(error, replacement.why());

    // Widths from the text before any row is written: in constant-memory mode
    // rows go to disk as they come.
    std::vector<double> widths(header.size(), 0);
    auto measure = [&](const Row& row) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    };
    measure(header);
    for (const Row& row : rows)
        measure(row);
    if (widths.size() > LXW_COL_MAX) return fail(error, "too many columns for a sheet");

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    WorkbookGuard guard{workbook_new_opt(replacement.temporaryPath().c_str(), &options)};
    if (!guard.book) return fail(error, "cannot start the workbook");
    if (lxw_error e = workbook_validate_sheet_name(guard.book, sheetName.c_str());
        e != LXW_NO_ERROR)
        return fail(error, std::string("bad sheet name: ") + lxw_strerror(e));
    lxw_worksheet* sheet = workbook_add_worksheet(guard.book, sheetName.c_str());
    lxw_format* bold = workbook_add_format(guard.book);
    if (!sheet || !bold) return fail(error, "cannot add the sheet");
    format_set_bold(bold);

    for (std::size_t c = 0; c < widths.size(); ++c) {
        // Two characters of room; an empty column keeps a usable width.
        double width = std::min(kMaxColumnWidth, std::max(widths[c], 6.0) + 2);
        auto col = static_cast<lxw_col_t>(c);
        if (lxw_error e = worksheet_set_column(sheet, col, col, width, nullptr); e != LXW_NO_ERROR)
            return fail(error, lxw_strerror(e));
    }
    auto writeRow = [&](lxw_row_t r, const Row& row, lxw_format* format) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c].empty()) continue;
            lxw_error e = worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c),
                                                 fitCell(row[c]).c_str(), format);
            if (e != LXW_NO_ERROR) return fail(error, lxw_strerror(e));
        }
        return true;
    };
    if (!writeRow(0, header, bold)) return false;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (!writeRow(static_cast<lxw_row_t>(r + 1), rows[r], nullptr)) return false;

    lxw_error closed = workbook_close(guard.book);
    guard.book = nullptr;
    if (closed != LXW_NO_ERROR) return fail(error, lxw_strerror(closed));

    if (!replacement.commit()) return fail(error, replacement.why());
    return true;
}

} // namespace luckdial::sheet
