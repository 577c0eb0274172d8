// What a file is, told by its first bytes and, for a zip, by its parts: the
// name a file carries is often wrong (a list saved as .xlsx and renamed .csv,
// an .xls renamed .xlsx), its content never is.

#include "sheet/readers.h"
#include "sheet/ziparchive.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

namespace {

enum class Kind { Zip, Compound, Text, Unknown };

/// The extension in lower case, empty when there is none.
std::string extensionOf(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

/// Text has no NUL byte in its first block, unless it is UTF-16 with its mark.
bool looksLikeText(std::string_view head) {
    if (head.size() >= 2 &&
        ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF')))
        return true;
    return head.find('\0') == std::string_view::npos;
}

/// The kind from the file's first bytes; error set when it cannot be read.
Kind sniff(const std::string& path, const ReadLimits& limits, ReadError& error) {
    error = ReadError::None;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ReadError::CannotOpen;
        return Kind::Unknown;
    }
    struct stat st {};
    char head[4096];
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ssize_t got = ok ? ::pread(fd, head, sizeof head, 0) : -1;
    ::close(fd);
    if (!ok || got < 0) {
        error = ReadError::CannotOpen;
        return Kind::Unknown;
    }
    if (static_cast<std::uint64_t>(st.st_size) > limits.maxFileBytes) {
        error = ReadError::TooLarge;
        return Kind::Unknown;
    }
    std::string_view bytes(head, static_cast<std::size_t>(got));
    if (bytes.substr(0, 2) == "PK") return Kind::Zip;
    if (bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return Kind::Compound;
    return looksLikeText(bytes) ? Kind::Text : Kind::Unknown;
}

/// Text is read only under a text file's name: anything else holding text
/// (a .doc of a few lines, a note named .xlsx) was not meant as a list.
ReadError textSeparator(const std::string& path, char& separator) {
    const std::string ext = extensionOf(path);
    if (ext == "csv") {
        separator = ',';
        return ReadError::None;
    }
    if (ext == "txt") {
        separator = '\t';
        return ReadError::None;
    }
    return ReadError::NotSpreadsheet;
}

} // namespace

ZipKind zipKind(const ZipArchive& zip, ReadError& why) {
    why = ReadError::NotSpreadsheet;
    if (auto mime = zip.find("mimetype")) {
        std::string type;
        // The type name is a line of text; anything longer is not one.
        if (ReadError e = zip.readAll(*mime, type, 4096); e != ReadError::None) {
            why = e == ReadError::TooLarge ? ReadError::NotSpreadsheet : e;
            return ZipKind::Other;
        }
        // A text document or a presentation is not a list of rows.
        if (type.rfind("application/vnd.oasis.opendocument.spreadsheet", 0) != 0)
            return ZipKind::Other;
        // With a password the parts are encrypted, and the manifest says how.
        if (auto manifest = zip.find("META-INF/manifest.xml")) {
            std::string text;
            if (zip.readAll(*manifest, text, 1 << 20) == ReadError::None &&
                text.find("encryption-data") != std::string::npos) {
                why = ReadError::PasswordProtected;
                return ZipKind::Other;
            }
        }
        return ZipKind::Ods;
    }
    // The binary workbook shares the package's layout, with .bin parts.
    if (zip.find("xl/workbook.bin")) {
        why = ReadError::BinaryWorkbook;
        return ZipKind::Other;
    }
    if (zip.find("xl/workbook.xml") || zip.find("_rels/.rels") || zip.find("[Content_Types].xml"))
        return ZipKind::Xlsx;
    if (zip.find("content.xml")) return ZipKind::Ods;
    return ZipKind::Other;
}

SheetList listSheets(const std::string& path, const ReadLimits& limits) {
    SheetList list;
    const Kind kind = sniff(path, limits, list.error);
    if (list.error != ReadError::None) return list;
    switch (kind) {
    case Kind::Zip: {
        ZipArchive zip(path, limits);
        if (zip.error() != ReadError::None) {
            list.error = zip.error();
            return list;
        }
        ReadError why = ReadError::None;
        switch (zipKind(zip, why)) {
        case ZipKind::Xlsx:
            return listXlsx(zip);
        case ZipKind::Ods:
            return listOds(zip);
        case ZipKind::Other:
            list.error = why;
            return list;
        }
        break;
    }
    case Kind::Compound:
        return listXls(path, limits);
    case Kind::Text: {
        char separator = ',';
        list.error = textSeparator(path, separator);
        if (list.error != ReadError::None) return list;
        return listDelimited(path, limits);
    }
    case Kind::Unknown:
        break;
    }
    list.error = ReadError::NotSpreadsheet;
    return list;
}

Table readSheet(const std::string& path, std::size_t index, const ReadLimits& limits) {
    Table table;
    const Kind kind = sniff(path, limits, table.error);
    if (table.error != ReadError::None) return table;
    switch (kind) {
    case Kind::Zip: {
        ZipArchive zip(path, limits);
        if (zip.error() != ReadError::None) {
            table.error = zip.error();
            return table;
        }
        ReadError why = ReadError::None;
        switch (zipKind(zip, why)) {
        case ZipKind::Xlsx:
            return readXlsx(zip, index);
        case ZipKind::Ods:
            return readOds(zip, index);
        case ZipKind::Other:
            table.error = why;
            return table;
        }
        break;
    }
    case Kind::Compound:
        return readXls(path, index, limits);
    case Kind::Text: {
        char separator = ',';
        table.error = textSeparator(path, separator);
        if (table.error != ReadError::None) return table;
        if (index == 0) return readDelimited(path, separator, limits);
        break;
    }
    case Kind::Unknown:
        break;
    }
    table.error = ReadError::NotSpreadsheet;
    return table;
}

} // namespace luckdial::sheet
