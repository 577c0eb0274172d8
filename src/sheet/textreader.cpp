// Rows from text files: .csv with commas and double-quote quoting (a quoted
// field may hold commas, quotes doubled and line breaks), .txt with tabs and
// no quoting, as the participant files have always been read. The encoding
// is recognised as for pool files; UTF-16 with a byte-order mark, which
// spreadsheet programs write as "Unicode text", is read as well.

#include "host/core/text.h"
#include "sheet/readers.h"
#include "sheet/tablebuilder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

namespace {

ReadError readFile(const std::string& path, std::uint64_t maxBytes, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadError::CannotOpen;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadError::CannotOpen;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return ReadError::TooLarge;
    }
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t used = 0;
    while (used < out.size()) {
        ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(used);
    return ReadError::None;
}

/// The file's text as UTF-8.
std::string toUtf8Text(std::string bytes) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                              (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        const bool little = bytes[0] == '\xFF';
        const std::size_t units = (bytes.size() - 2) / 2;
        auto unit = [&](std::size_t i) -> unsigned {
            auto a = static_cast<unsigned char>(bytes[2 + 2 * i]);
            auto b = static_cast<unsigned char>(bytes[3 + 2 * i]);
            return little ? (b << 8 | a) : (a << 8 | b);
        };
        std::string out;
        out.reserve(units * 3 / 2);
        for (std::size_t i = 0; i < units; ++i) {
            unsigned c = unit(i);
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
                unit(i + 1) < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
                ++i;
            } else if (c >= 0xD800 && c < 0xE000) {
                c = 0xFFFD; // half of a pair
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
    // Recognised as a pool file is: UTF-8 or GBK, a stray byte read as its
    // Western letter. GB18030 holds every character, so nothing is lost on
    // the way back to UTF-8.
    std::string gbkText = decodeFileText(std::move(bytes)).gbk;
    return utf8(gbkText);
}

void splitRows(const std::string& text, char separator, bool quoting, TableBuilder& out,
               ReadProgress* progress) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    if (progress) progress->total.store(n, std::memory_order_relaxed);
    std::size_t rows = 0;
    while (i < n && out.error() == ReadError::None) {
        if (progress && (++rows & 1023) == 0) progress->done.store(i, std::memory_order_relaxed);
        out.beginRow();
        std::string field;
        for (;;) {
            field.clear();
            if (quoting && i < n && text[i] == '"') {
                // Quoted: up to the closing quote, "" standing for one quote;
                // anything after it up to the separator is kept as it is.
                ++i;
                while (i < n) {
                    if (text[i] == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i++];
                }
            }
            while (i < n && text[i] != separator && text[i] != '\n' && text[i] != '\r')
                field += text[i++];
            out.addCell(std::move(field));
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
        out.endRow();
    }
}

/// The file's name without folder and extension.
std::string nameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return base.substr(0, base.rfind('.'));
}

ReadError checkFile(const std::string& path, std::uint64_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadError::CannotOpen;
    struct stat st {};
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular) return ReadError::CannotOpen;
    return static_cast<std::uint64_t>(st.st_size) > maxBytes ? ReadError::TooLarge
                                                             : ReadError::None;
}

} // namespace

SheetList listDelimited(const std::string& path, const ReadLimits& limits) {
    SheetList list;
    list.error = checkFile(path, limits.maxFileBytes);
    if (list.error == ReadError::None) list.names.push_back(nameOf(path));
    return list;
}

Table readDelimited(const std::string& path, char separator, const ReadLimits& limits) {
    Table table;
    table.name = nameOf(path);

    std::string bytes;
    table.error = readFile(path, limits.maxFileBytes, bytes);
    if (table.error != ReadError::None) return table;
    std::string text = toUtf8Text(std::move(bytes));
    // The text stays while the rows are made: it counts against their memory.
    TableBuilder out(table.rows, limits, text.capacity());
    splitRows(text, separator, separator == ',', out, limits.progress);
    failTable(table, out.error());
    return table;
}

} // namespace luckdial::sheet
