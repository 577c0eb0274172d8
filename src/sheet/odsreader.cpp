// OpenDocument spreadsheets. Every table lives in content.xml, streamed once
// through expat with namespaces (its elements are told apart by them); a
// cell's paragraphs hold the text as the sheet shows it, so numbers and dates
// need no formatting here. Rows and cells may say they repeat: empty repeats
// only move the position, and filled ones are expanded under the row, column
// and memory limits.

#include "sheet/readers.h"
#include "sheet/tablebuilder.h"
#include "sheet/xmlparser.h"
#include "sheet/ziparchive.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace luckdial::sheet {

namespace {

#define LUCKDIAL_ODS_NS "urn:oasis:names:tc:opendocument:xmlns:"
constexpr std::string_view kOffice = LUCKDIAL_ODS_NS "office:1.0|";
constexpr std::string_view kTable = LUCKDIAL_ODS_NS "table:1.0|";
constexpr std::string_view kText = LUCKDIAL_ODS_NS "text:1.0|";
constexpr std::string_view kDrawing = LUCKDIAL_ODS_NS "drawing:1.0|";
#undef LUCKDIAL_ODS_NS

/// One text:s element stands for at most this many spaces.
constexpr unsigned long long kMaxSpaceRun = 65535;
/// More tables than any spreadsheet program makes: a hostile file.
constexpr std::size_t kMaxTables = 100'000;

/// name is "uri|local" with this namespace prefix and local name.
bool is(std::string_view name, std::string_view ns, std::string_view local) {
    return name.size() == ns.size() + local.size() && name.substr(0, ns.size()) == ns &&
           name.substr(ns.size()) == local;
}

bool inNamespace(std::string_view name, std::string_view ns) {
    return name.substr(0, ns.size()) == ns;
}

std::string_view attribute(const XmlAttributes& attrs, std::string_view ns,
                           std::string_view local) {
    std::string name;
    name.reserve(ns.size() + local.size());
    name.append(ns).append(local);
    return attrs.exact(name);
}

/// A repeat count: at least 1; a huge one is kept as it is and left to the
/// limits.
std::size_t repeatOf(const XmlAttributes& attrs, std::string_view local) {
    std::string_view v = attribute(attrs, kTable, local);
    unsigned long long n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec == std::errc::result_out_of_range) return SIZE_MAX;
    return ec == std::errc() && end == v.data() + v.size() && n > 0 ? static_cast<std::size_t>(n)
                                                                    : 1;
}

/// content.xml's body, table by table: every table's name when listing,
/// the chosen table's cells into the builder when reading.
class ContentHandler : public XmlHandler {
public:
    /// builder null: list the tables' names.
    ContentHandler(const ReadLimits& limits, TableBuilder* builder, std::size_t wanted)
        : out_(builder), wanted_(wanted), maxCellBytes_(limits.maxCellChars * 4) {}

    std::vector<std::string> names;
    std::string tableName;
    bool foundSpreadsheet = false;
    bool foundTable = false;

    void startElement(std::string_view name, const XmlAttributes& attrs) override {
        ++depth_;
        if (skipFrom_ > 0) return;
        if (spreadsheet_ == 0) {
            if (is(name, kOffice, "spreadsheet")) {
                spreadsheet_ = depth_;
                foundSpreadsheet = true;
            } else if (is(name, kOffice, "text") || is(name, kOffice, "presentation") ||
                       is(name, kOffice, "drawing")) {
                stop(ReadError::NotSpreadsheet);
            }
            return;
        }
        if (table_ == 0) {
            // The sheets are the spreadsheet's own tables; others (cached
            // for links to other files, inside shapes) are no sheet.
            if (!is(name, kTable, "table") || depth_ != spreadsheet_ + 1) return skip();
            if (names.size() >= kMaxTables) return stop(ReadError::Damaged);
            std::string tname(attribute(attrs, kTable, "name"));
            if (!out_) {
                names.push_back(std::move(tname));
                return skip();
            }
            if (index_++ != wanted_) return skip();
            tableName = std::move(tname);
            foundTable = true;
            table_ = depth_;
            return;
        }
        if (cell_ > 0) return cellElement(name, attrs);
        if (is(name, kTable, "table-row")) {
            rowRepeat_ = repeatOf(attrs, "number-rows-repeated");
            out_->beginRow();
            column_ = 0;
        } else if (is(name, kTable, "table-cell") || is(name, kTable, "covered-table-cell")) {
            cell_ = depth_;
            cellRepeat_ = repeatOf(attrs, "number-columns-repeated");
            text_.clear();
            paragraphs_ = 0;
            inParagraph_ = 0;
            // Without a paragraph the cell shows its value.
            const std::string_view type = attribute(attrs, kOffice, "value-type");
            fallback_.clear();
            if (type == "date")
                fallback_ = attribute(attrs, kOffice, "date-value");
            else if (type == "time")
                fallback_ = attribute(attrs, kOffice, "time-value");
            else if (type == "boolean")
                fallback_ = attribute(attrs, kOffice, "boolean-value");
            else if (type == "string")
                fallback_ = attribute(attrs, kOffice, "string-value");
            else if (!type.empty())
                fallback_ = attribute(attrs, kOffice, "value");
        } else if (is(name, kTable, "table") || inNamespace(name, kDrawing)) {
            // A table inside a shape, a shape anchored to the sheet.
            skip();
        }
    }

    void endElement(std::string_view name) override {
        const int depth = depth_--;
        if (skipFrom_ > 0) {
            if (depth == skipFrom_) skipFrom_ = 0;
            return;
        }
        if (cell_ > 0) {
            if (depth == cell_) return endCell();
            if ((is(name, kText, "p") || is(name, kText, "h")) && inParagraph_ > 0) --inParagraph_;
            return;
        }
        if (table_ > 0) {
            if (depth == table_) return stop(out_->error());
            if (is(name, kTable, "table-row")) out_->endRow(rowRepeat_);
            if (out_->error() != ReadError::None) stop(out_->error());
        } else if (spreadsheet_ > 0 && depth == spreadsheet_) {
            // Everything after the sheets (settings, scripts) is not read.
            stop(ReadError::None);
        }
    }

    void characters(std::string_view text) override {
        if (skipFrom_ == 0 && cell_ > 0 && inParagraph_ > 0) append(text);
    }

private:
    void skip() { skipFrom_ = depth_; }

    void append(std::string_view text) {
        if (text_.size() + text.size() > maxCellBytes_) return stop(ReadError::Damaged);
        text_.append(text);
    }

    /// An element inside a cell: paragraphs and what stands for blanks are
    /// its text; notes and shapes (a text box anchored to the cell) are not.
    void cellElement(std::string_view name, const XmlAttributes& attrs) {
        if (is(name, kOffice, "annotation") || inNamespace(name, kDrawing) ||
            is(name, kTable, "table"))
            return skip();
        if (is(name, kText, "p") || is(name, kText, "h")) {
            if (paragraphs_++ > 0) append("\n");
            ++inParagraph_;
        } else if (inParagraph_ > 0) {
            if (is(name, kText, "s")) {
                std::string_view c = attribute(attrs, kText, "c");
                unsigned long long n = 1;
                auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), n);
                if (ec == std::errc::result_out_of_range) n = kMaxSpaceRun;
                if (ec == std::errc::invalid_argument || end != c.data() + c.size()) n = 1;
                n = std::clamp<unsigned long long>(n, 1, kMaxSpaceRun);
                if (text_.size() + n > maxCellBytes_) return stop(ReadError::Damaged);
                text_.append(static_cast<std::size_t>(n), ' ');
            } else if (is(name, kText, "tab")) {
                append("\t");
            } else if (is(name, kText, "line-break")) {
                append("\n");
            }
        }
    }

    void endCell() {
        cell_ = 0;
        std::string text = paragraphs_ > 0 ? std::move(text_) : std::move(fallback_);
        text_.clear();
        const std::size_t repeat = cellRepeat_;
        if (!text.empty()) {
            // Filled repeats past the widest sheet are a broken file.
            if (repeat > TableBuilder::kMaxColumns || column_ + repeat > TableBuilder::kMaxColumns)
                return stop(ReadError::Damaged);
            for (std::size_t k = 0; k + 1 < repeat; ++k)
                if (!out_->addCell(column_ + k, text)) return stop(out_->error());
            if (!out_->addCell(column_ + repeat - 1, std::move(text))) return stop(out_->error());
        }
        column_ = repeat > TableBuilder::kMaxColumns * 2 ? TableBuilder::kMaxColumns * 2
                                                         : column_ + repeat;
    }

    TableBuilder* out_;
    std::size_t wanted_;
    std::size_t maxCellBytes_;
    std::size_t index_ = 0; ///< tables seen
    int depth_ = 0;
    int skipFrom_ = 0;    ///< the depth of the element skipped whole, 0 when none
    int spreadsheet_ = 0; ///< the depth of office:spreadsheet once inside it
    int table_ = 0;       ///< the depth of the table read
    int cell_ = 0;        ///< the depth of the cell being read
    std::size_t column_ = 0, rowRepeat_ = 1, cellRepeat_ = 1;
    int paragraphs_ = 0, inParagraph_ = 0;
    std::string text_, fallback_;
};

/// Finds content.xml; the archive is known to hold a spreadsheet.
ReadError openContent(const ZipArchive& zip, std::uint64_t& content) {
    auto index = zip.find("content.xml");
    if (!index) return ReadError::NotSpreadsheet;
    content = *index;
    return ReadError::None;
}

} // namespace

SheetList listOds(const ZipArchive& zip) {
    SheetList list;
    std::uint64_t content = 0;
    list.error = openContent(zip, content);
    if (list.error != ReadError::None) return list;
    ContentHandler handler(zip.limits(), nullptr, 0);
    list.error = parseXml(zip, content, handler, true);
    if (list.error == ReadError::None && !handler.foundSpreadsheet)
        list.error = ReadError::NotSpreadsheet;
    if (list.error == ReadError::None) list.names = std::move(handler.names);
    return list;
}

Table readOds(const ZipArchive& zip, std::size_t index) {
    Table table;
    std::uint64_t content = 0;
    table.error = openContent(zip, content);
    if (table.error != ReadError::None) return table;
    TableBuilder out(table.rows, zip.limits());
    ContentHandler handler(zip.limits(), &out, index);
    ReadError e = parseXml(zip, content, handler, true);
    if (e == ReadError::None) e = out.error();
    if (e == ReadError::None && !handler.foundTable) e = ReadError::NotSpreadsheet;
    table.name = std::move(handler.tableName);
    failTable(table, e);
    return table;
}

} // namespace luckdial::sheet
