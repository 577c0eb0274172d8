// The spreadsheet readers on files made from the input. An input that starts
// with "@@ " is a workbook's parts, each one "@@ name" line and its content,
// zipped here as a spreadsheet program would zip them, so that mutations
// reach the XML of .xlsx and .ods parts instead of dying in the deflate
// stream; any other input is written as it is, once as .csv and once as
// .txt, which reaches the zip container, the .xls compound file and the text
// readers through the content sniffing. Limits are small, so that the bounds
// are met within the input sizes the fuzzer makes.

#include "sheet/sheet.h"

#include "check.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using luckdial::sheet::ReadError;
using luckdial::sheet::ReadLimits;
using luckdial::sheet::Table;

constexpr std::size_t kMaxSheetsRead = 4;

ReadLimits fuzzLimits() {
    ReadLimits limits;
    limits.maxFileBytes = 1 << 20;
    limits.maxUnzippedBytes = 8 << 20;
    limits.maxRows = 5000;
    limits.maxTableBytes = 2 << 20;
    limits.maxCellChars = 300;
    limits.maxDepth = 64;
    return limits;
}

/// A folder of this process for the files read, removed at exit. Kept in a
/// plain array: the exit handler runs after static objects are destroyed.
char gDir[] = "/tmp/fuzz_sheet.XXXXXX";

void removeDir() {
    for (const char* name : {"/in.csv", "/in.txt", "/in.xlsx"})
        ::unlink((std::string(gDir) + name).c_str());
    ::rmdir(gDir);
}

std::string workDir() {
    static const bool made = [] {
        if (!mkdtemp(gDir)) std::abort();
        std::atexit(removeDir);
        return true;
    }();
    (void)made;
    return gDir;
}

void writeFile(const std::string& path, std::string_view bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    FUZZ_CHECK(std::fclose(f) == 0);
}

/// The parts of an "@@ name" input, in order.
std::vector<std::pair<std::string, std::string>> splitParts(std::string_view in) {
    std::vector<std::pair<std::string, std::string>> parts;
    while (in.substr(0, 3) == "@@ ") {
        std::size_t eol = in.find('\n');
        std::string name(in.substr(3, eol == std::string_view::npos ? in.npos : eol - 3));
        in = eol == std::string_view::npos ? std::string_view() : in.substr(eol + 1);
        std::size_t next = in.find("\n@@ ");
        std::size_t end = next == std::string_view::npos ? in.size() : next;
        parts.emplace_back(std::move(name), std::string(in.substr(0, end)));
        in = next == std::string_view::npos ? std::string_view() : in.substr(next + 1);
    }
    return parts;
}

/// False when libzip refuses the parts (an empty or duplicate name).
bool writeZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& parts) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    FUZZ_CHECK(z != nullptr);
    for (const auto& [name, content] : parts) {
        zip_source_t* src = nullptr;
        if (content.empty()) {
            // libzip neither reads nor frees the buffer of an empty source.
            src = zip_source_buffer(z, nullptr, 0, 0);
        } else {
            void* copy = std::malloc(content.size());
            std::memcpy(copy, content.data(), content.size());
            src = zip_source_buffer(z, copy, content.size(), 1);
        }
        zip_int64_t at = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (at < 0) {
            if (src) zip_source_free(src);
            zip_discard(z);
            return false;
        }
        // Deflated like a real workbook; level 1 keeps each input quick.
        zip_set_file_compression(z, static_cast<zip_uint64_t>(at), ZIP_CM_DEFLATE, 1);
    }
    return zip_close(z) == 0;
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

/// UTF-16 code units, the unit of the cell limit.
std::size_t utf16Units(std::string_view s) {
    std::size_t n = 0;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80) n += c >= 0xF0 ? 2 : 1;
    }
    return n;
}

/// What every read table keeps to: rows within the limits, cells as UTF-8
/// within the cell limit, no trailing empty cells, and no more memory than
/// the table bound (counted here from below: row slots, cell slots, text).
void checkTable(const Table& t, const ReadLimits& limits) {
    if (t.error != ReadError::None) {
        FUZZ_CHECK(t.rows.empty());
        return;
    }
    FUZZ_CHECK(t.rows.size() <= limits.maxRows);
    FUZZ_CHECK(t.rows.empty() || !t.rows.back().empty());
    std::uint64_t bytes = 0;
    for (const auto& row : t.rows) {
        FUZZ_CHECK(row.empty() || !row.back().empty());
        bytes += sizeof row + row.size() * sizeof(std::string);
        for (const std::string& cell : row) {
            FUZZ_CHECK(validUtf8(cell));
            FUZZ_CHECK(utf16Units(cell) <= limits.maxCellChars);
            if (cell.size() > 15) bytes += cell.size();
        }
    }
    FUZZ_CHECK(bytes <= limits.maxTableBytes);
}

void readAll(const std::string& path) {
    const ReadLimits limits = fuzzLimits();
    const auto list = luckdial::sheet::listSheets(path, limits);
    FUZZ_CHECK(list.error <= ReadError::Cancelled);
    if (list.error != ReadError::None) {
        FUZZ_CHECK(list.names.empty());
        return;
    }
    // A workbook without sheets lists none; the caller says so.
    for (const std::string& name : list.names)
        FUZZ_CHECK(validUtf8(name));
    const std::size_t count = std::min(list.names.size(), kMaxSheetsRead);
    for (std::size_t i = 0; i < count; ++i) {
        const Table t = luckdial::sheet::readSheet(path, i, limits);
        FUZZ_CHECK(t.error <= ReadError::Cancelled);
        FUZZ_CHECK(t.error != ReadError::Cancelled); // nobody cancelled
        checkTable(t, limits);
        if (t.error == ReadError::None) FUZZ_CHECK(t.name == list.names[i]);
        // The same file reads the same way twice: no state is left behind.
        if (i == 0) {
            const Table again = luckdial::sheet::readSheet(path, i, limits);
            FUZZ_CHECK(again.error == t.error);
            FUZZ_CHECK(again.rows == t.rows);
        }
    }
    // One past the last sheet is refused, never read as some other sheet.
    FUZZ_CHECK(luckdial::sheet::readSheet(path, list.names.size(), limits).error !=
               ReadError::None);
}

} // namespace

// libfreexl 1.0.6 keeps a few bytes of some broken workbooks after it closes
// them (96 bytes a file, inside the library); not ours to mend, and it would
// hide every other finding.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfreexl.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string dir = workDir();
    if (in.substr(0, 3) == "@@ ") {
        const std::string path = dir + "/in.xlsx";
        if (writeZip(path, splitParts(in))) readAll(path);
        return 0;
    }
    for (const char* name : {"/in.csv", "/in.txt"}) {
        const std::string path = dir + name;
        writeFile(path, in);
        readAll(path);
    }
    return 0;
}
