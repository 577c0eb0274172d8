#include "workbookfiles.h"

#include <zip.h>

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

} // namespace luckdial::sheet::test
