#include "workbookfiles.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace luckdial::sheet::test {

namespace {

/// A libzip source that pulls its bytes from a Producer when the archive is
/// written.
struct Streamed {
    Producer produce;
};

zip_int64_t streamedCallback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<Streamed*>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_READ:
        return static_cast<zip_int64_t>(s->produce(static_cast<char*>(data), len));
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return 2 * sizeof(int);
    case ZIP_SOURCE_FREE:
        delete s;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        return -1;
    }
}

} // namespace

bool writeZip(const std::string& path, const std::vector<Part>& parts) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    for (const Part& p : parts) {
        zip_source_t* src = nullptr;
        if (p.produce) {
            src = zip_source_function(z, streamedCallback, new Streamed{p.produce});
        } else if (p.content.empty()) {
            // libzip neither reads nor frees the buffer of an empty source.
            src = zip_source_buffer(z, nullptr, 0, 0);
        } else {
            // libzip reads the buffer at zip_close; keep a copy alive until then.
            char* copy = static_cast<char*>(std::malloc(p.content.size() + 1));
            std::memcpy(copy, p.content.data(), p.content.size());
            src = zip_source_buffer(z, copy, p.content.size(), 1);
        }
        zip_int64_t index = src ? zip_file_add(z, p.name.c_str(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (src) zip_source_free(src);
            zip_discard(z);
            return false;
        }
        // Generated parts are large and only need to be quick to make.
        if (p.produce)
            zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    return zip_close(z) == 0;
}

std::vector<Part> xlsxParts(const std::vector<std::pair<std::string, Part>>& sheets,
                            const std::string& sharedStrings, const std::string& styles,
                            const std::string& workbookPr) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::vector<Part> parts;
    parts.push_back({"[Content_Types].xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
    parts.push_back({"_rels/.rels",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"" +
                         rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
                           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "xmlns:r=\"" +
                           rel + "\">" + workbookPr + "<sheets>";
    std::string rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        std::string n = std::to_string(i + 1);
        workbook +=
            "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        // Targets relative to xl/ and absolute ones both occur in the wild.
        std::string target =
            i % 2 == 0 ? "worksheets/sheet" + n + ".xml" : "/xl/worksheets/sheet" + n + ".xml";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "/worksheet\" Target=\"" +
                target + "\"/>";
        Part part = sheets[i].second;
        part.name = "xl/worksheets/sheet" + n + ".xml";
        parts.push_back(part);
    }
    if (!sharedStrings.empty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.push_back({"xl/sharedStrings.xml", sharedStrings});
    }
    if (!styles.empty()) {
        rels += "<Relationship Id=\"rIdT\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>";
        parts.push_back({"xl/styles.xml", styles});
    }
    workbook += "</sheets></workbook>";
    rels += "</Relationships>";
    parts.push_back({"xl/workbook.xml", workbook});
    parts.push_back({"xl/_rels/workbook.xml.rels", rels});
    return parts;
}

std::string sheetXml(const std::string& rows) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
           rows + "</sheetData></worksheet>";
}

Producer generatedSheet(std::size_t count, std::function<std::string(std::size_t)> row) {
    struct State {
        std::string pending;
        std::size_t pos = 0;
        std::size_t next = 0; // 0: the head; 1..count: rows; count + 1: the tail
        bool done = false;
    };
    auto state = std::make_shared<State>();
    return [state, count, row](char* buffer, std::size_t size) -> std::size_t {
        std::size_t written = 0;
        while (written < size) {
            if (state->pos == state->pending.size()) {
                if (state->done) break;
                state->pending.clear();
                state->pos = 0;
                if (state->next == 0) {
                    state->pending =
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
                        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                        "<sheetData>";
                } else if (state->next <= count) {
                    // Rows in batches keep the callback cheap.
                    for (std::size_t k = 0; k < 256 && state->next <= count; ++k)
                        state->pending += row(state->next++);
                    continue;
                } else {
                    state->pending = "</sheetData></worksheet>";
                    state->done = true;
                }
                ++state->next;
            }
            std::size_t n = std::min(size - written, state->pending.size() - state->pos);
            std::memcpy(buffer + written, state->pending.data() + state->pos, n);
            written += n;
            state->pos += n;
        }
        return written;
    };
}

std::vector<Part> odsParts(const std::string& spreadsheetBody) {
    std::vector<Part> parts;
    parts.push_back({"mimetype", "application/vnd.oasis.opendocument.spreadsheet"});
    parts.push_back({"META-INF/manifest.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
                     "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
                     "<manifest:file-entry manifest:full-path=\"/\" "
                     "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
                     "</manifest:manifest>"});
    parts.push_back(
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
         "<office:body><office:spreadsheet>" +
             spreadsheetBody + "</office:spreadsheet></office:body></office:document-content>"});
    return parts;
}

namespace {

void le(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::u16string utf16(const std::string& utf8Text) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8Text.size();) {
        auto c = static_cast<unsigned char>(utf8Text[i]);
        unsigned cp = c;
        std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (n > 1) cp = c & (0x3F >> (n - 1));
        for (std::size_t k = 1; k < n && i + k < utf8Text.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(utf8Text[i + k]) & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

} // namespace

std::string compoundFile(const std::vector<std::pair<std::string, std::string>>& streams) {
    constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD;
    // Sectors: 0 the allocation table, 1 the directory, then the streams.
    std::vector<std::uint32_t> fat = {kFatSector, kEnd};
    std::vector<std::string> bodies;
    std::vector<std::uint32_t> starts;
    for (const auto& [name, content] : streams) {
        std::string body = content;
        if (body.size() < 4096) body.resize(4096, '\0');
        const std::uint32_t first = static_cast<std::uint32_t>(fat.size());
        const std::size_t sectors = (body.size() + 511) / 512;
        for (std::size_t k = 0; k < sectors; ++k)
            fat.push_back(k + 1 < sectors ? first + static_cast<std::uint32_t>(k) + 1 : kEnd);
        body.resize(sectors * 512, '\0');
        starts.push_back(first);
        bodies.push_back(std::move(body));
    }
    fat.resize(128, kFree);

    std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    header.append(16, '\0');
    le(header, 0x3E, 2);   // minor version
    le(header, 3, 2);      // major version: 512-byte sectors
    le(header, 0xFFFE, 2); // byte order
    le(header, 9, 2);      // sector shift
    le(header, 6, 2);      // mini sector shift
    header.append(6, '\0');
    le(header, 0, 4);    // directory sectors (version 3: 0)
    le(header, 1, 4);    // allocation table sectors
    le(header, 1, 4);    // first directory sector
    le(header, 0, 4);    // transaction
    le(header, 4096, 4); // mini stream cutoff
    le(header, kEnd, 4); // first mini table sector
    le(header, 0, 4);    // mini table sectors
    le(header, kEnd, 4); // first extension sector
    le(header, 0, 4);    // extension sectors
    le(header, 0, 4);    // the allocation table is sector 0
    while (header.size() < 512)
        le(header, kFree, 4);

    std::string fatSector;
    for (std::uint32_t v : fat)
        le(fatSector, v, 4);

    auto entry = [](const std::u16string& name, int type, std::uint32_t start, std::uint64_t size,
                    std::uint32_t child, std::uint32_t right) {
        std::string e;
        for (char16_t c : name)
            le(e, c, 2);
        e.resize(64, '\0');
        le(e, (name.size() + 1) * 2, 2);
        e += static_cast<char>(type);
        e += '\x01';     // black
        le(e, kFree, 4); // left
        le(e, right, 4);
        le(e, child, 4);
        e.append(16 + 4 + 16, '\0'); // class id, state, times
        le(e, start, 4);
        le(e, size, 8);
        return e;
    };
    // The root, then the streams as a chain of right siblings.
    std::string directory = entry(u"Root Entry", 5, kEnd, 0, streams.empty() ? kFree : 1, kFree);
    for (std::size_t i = 0; i < streams.size(); ++i)
        directory += entry(utf16(streams[i].first), 2, starts[i],
                           streams[i].second.size() < 4096 ? 4096 : streams[i].second.size(), kFree,
                           i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree);
    directory.resize(512, '\0');

    std::string out = header + fatSector + directory;
    for (const std::string& b : bodies)
        out += b;
    return out;
}

std::string biffRecord(unsigned type, const std::string& data) {
    std::string r;
    le(r, type, 2);
    le(r, data.size(), 2);
    return r + data;
}

std::string biffWorkbook(
    const std::vector<std::pair<std::string, std::vector<std::vector<std::string>>>>& sheets,
    std::pair<std::uint32_t, std::uint16_t> dimensions) {
    auto bof = [](unsigned kind) {
        std::string d;
        le(d, 0x0600, 2);
        le(d, kind, 2);
        le(d, 0x0DBB, 2);
        le(d, 0x07CC, 2);
        le(d, 0, 4);
        le(d, 0x06, 4);
        return biffRecord(0x0809, d);
    };
    auto unicode = [](const std::string& text, int lengthBytes) {
        std::u16string t = utf16(text);
        std::string d;
        le(d, t.size(), lengthBytes);
        d += '\x01'; // two bytes per character
        for (char16_t c : t)
            le(d, c, 2);
        return d;
    };
    // The shared strings: every text cell, in order.
    std::vector<std::string> strings;
    for (const auto& sheet : sheets)
        for (const auto& row : sheet.second)
            for (const std::string& cell : row)
                if (!cell.empty() && cell[0] != '=') strings.push_back(cell);
    std::string globals = bof(0x0005);
    globals += biffRecord(0x0042, std::string("\xB0\x04", 2)); // code page: UTF-16
    // Cell formats: freexl looks every cell's format up; sixteen general ones.
    std::string xf;
    le(xf, 0, 2);
    le(xf, 0, 2);
    xf.append(16, '\0');
    for (int i = 0; i < 16; ++i)
        globals += biffRecord(0x00E0, xf);
    std::vector<std::size_t> sheetOffsetAt;
    for (const auto& sheet : sheets) {
        std::string d;
        le(d, 0, 4); // stream offset, filled below
        le(d, 0, 2);
        std::string name = unicode(sheet.first, 1);
        d += name;
        sheetOffsetAt.push_back(globals.size() + 4);
        globals += biffRecord(0x0085, d);
    }
    std::string sst;
    le(sst, strings.size(), 4);
    le(sst, strings.size(), 4);
    for (const std::string& s : strings)
        sst += unicode(s, 2);
    globals += biffRecord(0x00FC, sst);
    globals += biffRecord(0x000A, {});

    std::string out = globals;
    std::size_t next = 0;
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        const std::size_t offset = out.size();
        for (int i = 0; i < 4; ++i)
            out[sheetOffsetAt[k] + static_cast<std::size_t>(i)] =
                static_cast<char>((offset >> (8 * i)) & 0xFF);
        out += bof(0x0010);
        std::uint32_t rows = static_cast<std::uint32_t>(sheets[k].second.size());
        std::uint16_t columns = 0;
        for (const auto& row : sheets[k].second)
            columns = std::max<std::uint16_t>(columns, static_cast<std::uint16_t>(row.size()));
        if (dimensions.first > 0) rows = dimensions.first, columns = dimensions.second;
        std::string dim;
        le(dim, 0, 4);
        le(dim, rows, 4);
        le(dim, 0, 2);
        le(dim, columns, 2);
        le(dim, 0, 2);
        out += biffRecord(0x0200, dim);
        for (std::size_t r = 0; r < sheets[k].second.size(); ++r) {
            const auto& row = sheets[k].second[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (row[c].empty()) continue;
                std::string d;
                le(d, r, 2);
                le(d, c, 2);
                le(d, 15, 2); // the cell format
                if (row[c][0] == '=') {
                    double v = std::stod(row[c].substr(1));
                    std::uint64_t bits = 0;
                    std::memcpy(&bits, &v, 8);
                    le(d, bits, 8);
                    out += biffRecord(0x0203, d);
                } else {
                    le(d, next++, 4);
                    out += biffRecord(0x00FD, d);
                }
            }
        }
        out += biffRecord(0x000A, {});
    }
    return out;
}

} // namespace luckdial::sheet::test
