// Legacy .xls workbooks (BIFF8, Excel 97-2003) through libfreexl, which
// reads the compound file and hands over cells as numbers, text (UTF-8,
// converted from the workbook's code page) and dates. It gives no number
// format codes: a number is shown in the general form and a date as
// "yyyy/m/d". It does not read formula results either: a formula cell
// comes out empty. Office keeps an encrypted .xlsx in the same compound
// container, so a file without a workbook stream is looked at for that.

#include "sheet/compoundfile.h"
#include "sheet/numberformat.h"
#include "sheet/readers.h"
#include "sheet/tablebuilder.h"

#include <freexl.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

namespace {

/// libfreexl allocates every sheet's cells at once, as many as the sheet's
/// dimensions say (16 bytes each): a few kilobytes claiming 65,536 rows of
/// 256 columns in each of many sheets would take gigabytes. The sheets
/// together may claim this many; a real .xls of 65,536 rows by 100 columns
/// is well within it.
constexpr std::uint64_t kMaxXlsCells = 10'000'000;
/// A legacy workbook holds at most 65,536 rows: its files stay far smaller
/// than the limit of the newer formats, and the library keeps their strings.
constexpr std::uint64_t kMaxXlsFileBytes = 48ull << 20;

/// The cells the workbook's sheets claim in their dimension records,
/// counted over the workbook stream's records; nothing when the container
/// or its stream cannot be read (the library then says what is wrong).
std::optional<std::uint64_t> claimedCells(const std::string& path) {
    std::uint64_t cells = 0;
    std::string head, data; // the record header or the dimension record being gathered
    std::uint32_t skip = 0, want = 0;
    bool inDimension = false;
    const bool read = readCompoundStream(path, {"Workbook", "Book"}, [&](std::string_view piece) {
        while (!piece.empty()) {
            if (skip > 0) {
                const auto n =
                    static_cast<std::uint32_t>(std::min<std::size_t>(skip, piece.size()));
                if (inDimension) data.append(piece.substr(0, n));
                piece.remove_prefix(n);
                skip -= n;
                if (skip == 0 && inDimension) {
                    inDimension = false;
                    auto byte = [&](std::size_t i) -> std::uint64_t {
                        return static_cast<unsigned char>(data[i]);
                    };
                    // BIFF8: last row + 1 in 32 bits, BIFF5: in 16 bits; then columns.
                    std::uint64_t rows =
                        want == 14 ? byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24
                                   : byte(2) | byte(3) << 8;
                    std::uint64_t columns =
                        want == 14 ? byte(10) | byte(11) << 8 : byte(6) | byte(7) << 8;
                    cells += rows * columns;
                    if (cells > kMaxXlsCells) return false;
                }
                continue;
            }
            const std::size_t n = std::min<std::size_t>(4 - head.size(), piece.size());
            head.append(piece.substr(0, n));
            piece.remove_prefix(n);
            if (head.size() < 4) continue;
            const unsigned type =
                static_cast<unsigned char>(head[0]) | static_cast<unsigned char>(head[1]) << 8;
            skip = static_cast<unsigned char>(head[2]) | static_cast<unsigned char>(head[3]) << 8;
            head.clear();
            inDimension = type == 0x0200 && (skip == 14 || skip == 10);
            want = skip;
            data.clear();
        }
        return true;
    });
    if (!read && cells <= kMaxXlsCells) return std::nullopt;
    return cells;
}

/// Whether the compound file names the streams of an encrypted package
/// ("EncryptionInfo", "EncryptedPackage"); names are UTF-16 in the directory.
bool isEncryptedPackage(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    static const char kName[] = "EncryptedPackage";
    std::string wanted;
    for (const char* c = kName; *c; ++c) {
        wanted += *c;
        wanted += '\0';
    }
    // Read in blocks that overlap by the name's length, so that a name across
    // two blocks is found.
    std::string block(1 << 16, '\0');
    std::size_t kept = 0;
    bool found = false;
    for (;;) {
        ssize_t n = ::read(fd, block.data() + kept, block.size() - kept);
        if (n <= 0) break;
        std::string_view data(block.data(), kept + static_cast<std::size_t>(n));
        if (data.find(wanted) != std::string_view::npos) {
            found = true;
            break;
        }
        kept = std::min(wanted.size(), data.size());
        std::memmove(block.data(), data.data() + data.size() - kept, kept);
    }
    ::close(fd);
    return found;
}

ReadError openError(int code, const std::string& path) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return ReadError::CannotOpen;
    case FREEXL_INSUFFICIENT_MEMORY:
        return ReadError::TooLarge;
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        // A compound file without a workbook: an encrypted workbook, or
        // another program's document (.doc, .ppt).
        return isEncryptedPackage(path) ? ReadError::PasswordProtected : ReadError::NotSpreadsheet;
    default:
        return ReadError::Damaged;
    }
}

class XlsFile {
public:
    XlsFile(const std::string& path, const ReadLimits& limits) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) >
                                                  std::min(limits.maxFileBytes, kMaxXlsFileBytes)) {
            error_ = ReadError::TooLarge;
            return;
        }
        if (std::optional<std::uint64_t> cells = claimedCells(path);
            cells && *cells > kMaxXlsCells) {
            error_ = ReadError::TooLarge;
            return;
        }
        const void* handle = nullptr;
        int rc = freexl_open(path.c_str(), &handle);
        if (rc != FREEXL_OK) {
            if (handle) freexl_close(handle);
            error_ = openError(rc, path);
            return;
        }
        handle_ = handle;
        unsigned password = 0, sheets = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
            password == FREEXL_BIFF_OBFUSCATED) {
            error_ = ReadError::PasswordProtected;
            return;
        }
        // The library reads BIFF8 only; an older workbook opens with no sheet.
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK ||
            sheets == 0) {
            error_ = ReadError::OldWorkbook;
            return;
        }
        sheets_ = sheets;
    }
    ~XlsFile() {
        if (handle_) freexl_close(handle_);
    }
    XlsFile(const XlsFile&) = delete;
    XlsFile& operator=(const XlsFile&) = delete;

    ReadError error() const { return error_; }
    unsigned sheets() const { return sheets_; }
    const void* handle() const { return handle_; }

    std::string name(unsigned index) const {
        const char* n = nullptr;
        if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(index), &n) !=
                FREEXL_OK ||
            !n)
            return {};
        return n;
    }

private:
    const void* handle_ = nullptr;
    ReadError error_ = ReadError::None;
    unsigned sheets_ = 0;
};

std::string cellText(const FreeXL_CellValue& v) {
    switch (v.type) {
    case FREEXL_CELL_INT:
        return std::to_string(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return formatGeneral(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return v.value.text_value ? v.value.text_value : "";
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        // "2021-01-01", "2021-01-01 10:10:10", "10:10:10".
        return v.value.text_value ? formatIsoDate(v.value.text_value, {}) : "";
    default:
        return {};
    }
}

} // namespace

SheetList listXls(const std::string& path, const ReadLimits& limits) {
    SheetList list;
    XlsFile file(path, limits);
    list.error = file.error();
    if (list.error != ReadError::None) return list;
    for (unsigned i = 0; i < file.sheets(); ++i)
        list.names.push_back(file.name(i));
    return list;
}

Table readXls(const std::string& path, std::size_t index, const ReadLimits& limits) {
    Table table;
    XlsFile file(path, limits);
    table.error = file.error();
    if (table.error == ReadError::None && index >= file.sheets())
        table.error = ReadError::NotSpreadsheet;
    if (table.error != ReadError::None) return table;
    const auto sheet = static_cast<unsigned short>(index);
    table.name = file.name(sheet);
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(file.handle(), sheet) != FREEXL_OK ||
        freexl_worksheet_dimensions(file.handle(), &rows, &columns) != FREEXL_OK) {
        table.error = ReadError::Damaged;
        return table;
    }
    TableBuilder out(table.rows, limits);
    ReadProgress* progress = limits.progress;
    if (progress) progress->total.store(rows, std::memory_order_relaxed);
    for (unsigned r = 0; r < rows && out.error() == ReadError::None; ++r) {
        out.beginRow(r);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(file.handle(), r, c, &value) != FREEXL_OK) {
                out.fail(ReadError::Damaged);
                break;
            }
            if (!out.addCell(c, cellText(value))) break;
        }
        out.endRow();
        if (progress) progress->done.store(r + 1, std::memory_order_relaxed);
    }
    failTable(table, out.error());
    return table;
}

} // namespace luckdial::sheet
