// OpenDocument spreadsheets. Every table lives in content.xml, streamed once;
// a cell's paragraphs hold the text as the sheet shows it, so numbers and
// dates need no formatting here. Rows and cells may say they repeat: empty
// repeats only move the position, and filled ones are expanded under the
// row, column and memory limits.

#include "sheet/readers.h"
#include "sheet/tablebuilder.h"
#include "sheet/ziparchive.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>

namespace luckdial::sheet {

namespace {

constexpr QStringView kTableNs = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr QStringView kOfficeNs = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr QStringView kTextNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0";
/// One text:s element stands for at most this many spaces.
constexpr qlonglong kMaxSpaceRun = 65535;

/// Damaged for a document that does not parse, or the device's own reason
/// when reading it stopped first.
ReadError xmlError(const QXmlStreamReader& xml, ReadError deviceStatus) {
    if (deviceStatus != ReadError::None) return deviceStatus;
    return xml.hasError() ? ReadError::Damaged : ReadError::None;
}

/// The attribute's value by namespace and local name; empty when missing.
QStringView valueOf(const QXmlStreamAttributes& attrs, QStringView ns, QStringView name) {
    for (const QXmlStreamAttribute& a : attrs)
        if (a.name() == name && a.namespaceUri() == ns) return a.value();
    return {};
}

bool is(const QXmlStreamReader& xml, QStringView ns, QStringView name) {
    return xml.name() == name && xml.namespaceUri() == ns;
}

/// A repeat count: at least 1; a huge one is kept as it is and left to the
/// limits.
std::size_t repeatOf(const QXmlStreamAttributes& attrs, QStringView name) {
    bool ok = false;
    qulonglong n = valueOf(attrs, kTableNs, name).toULongLong(&ok);
    return ok && n > 0 ? static_cast<std::size_t>(n) : 1;
}

/// Checks the archive is a spreadsheet and finds content.xml.
ReadError openContent(const ZipArchive& zip, std::uint64_t& content) {
    if (auto mime = zip.find("mimetype")) {
        std::string type;
        // The type name is a line of text; anything longer is not one.
        if (ReadError e = zip.readAll(*mime, type, 4096); e != ReadError::None)
            return e == ReadError::TooLarge ? ReadError::NotSpreadsheet : e;
        // A text document or a presentation is not a list of rows.
        if (type.rfind("application/vnd.oasis.opendocument.spreadsheet", 0) != 0)
            return ReadError::NotSpreadsheet;
    }
    auto index = zip.find("content.xml");
    if (!index) return ReadError::NotSpreadsheet;
    content = *index;
    return ReadError::None;
}

/// Reads content.xml up to office:spreadsheet; NotSpreadsheet when the body
/// holds something else.
ReadError toSpreadsheet(QXmlStreamReader& xml) {
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        // No spreadsheet carries a document type; with one, a few hundred
        // bytes of entities could expand to gigabytes of cells.
        if (token == QXmlStreamReader::DTD) return ReadError::Damaged;
        if (token != QXmlStreamReader::StartElement) continue;
        if (is(xml, kOfficeNs, u"spreadsheet")) return ReadError::None;
        if (is(xml, kOfficeNs, u"text") || is(xml, kOfficeNs, u"presentation") ||
            is(xml, kOfficeNs, u"drawing"))
            return ReadError::NotSpreadsheet;
    }
    return xml.hasError() ? ReadError::Damaged : ReadError::NotSpreadsheet;
}

class CellText {
public:
    explicit CellText(std::uint64_t limit) : limit_(limit) {}

    /// The shown text of the cell whose start tag was just read: its
    /// paragraphs joined with line breaks, notes left out. Falls back to the
    /// cell's value attributes when it has no paragraph.
    std::string read(QXmlStreamReader& xml, const QXmlStreamAttributes& cellAttrs) {
        text_.clear();
        tooLong_ = false;
        int paragraphs = 0, inParagraph = 0, depth = 0;
        while (!xml.atEnd()) {
            auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                ++depth;
                QStringView name = xml.name();
                if (name == u"annotation" && xml.namespaceUri() == kOfficeNs) {
                    xml.skipCurrentElement();
                    --depth;
                } else if ((name == u"p" || name == u"h") && xml.namespaceUri() == kTextNs) {
                    if (paragraphs++ > 0) append(u"\n");
                    ++inParagraph;
                } else if (inParagraph > 0 && xml.namespaceUri() == kTextNs) {
                    if (name == u"s") {
                        bool ok = false;
                        const QXmlStreamAttributes attrs = xml.attributes();
                        qlonglong n = valueOf(attrs, kTextNs, u"c").toLongLong(&ok);
                        n = ok ? std::clamp<qlonglong>(n, 1, kMaxSpaceRun) : 1;
                        if (static_cast<std::uint64_t>(text_.size()) +
                                static_cast<std::uint64_t>(n) >
                            limit_)
                            tooLong_ = true;
                        else
                            text_.append(static_cast<std::size_t>(n), ' ');
                    } else if (name == u"tab") {
                        append(u"\t");
                    } else if (name == u"line-break") {
                        append(u"\n");
                    }
                }
            } else if (token == QXmlStreamReader::Characters) {
                if (inParagraph > 0) append(xml.text());
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth == 0) break; // the cell's own end
                --depth;
                if ((xml.name() == u"p" || xml.name() == u"h") && xml.namespaceUri() == kTextNs)
                    --inParagraph;
            }
        }
        if (paragraphs == 0) return fallback(cellAttrs);
        return text_;
    }

    bool tooLong() const { return tooLong_; }

private:
    void append(QStringView s) {
        const QByteArray utf8 = s.toUtf8();
        if (text_.size() + static_cast<std::size_t>(utf8.size()) > limit_) {
            tooLong_ = true;
            return;
        }
        text_.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }

    static std::string fallback(const QXmlStreamAttributes& attrs) {
        QStringView type = valueOf(attrs, kOfficeNs, u"value-type");
        QStringView value;
        if (type == u"date")
            value = valueOf(attrs, kOfficeNs, u"date-value");
        else if (type == u"time")
            value = valueOf(attrs, kOfficeNs, u"time-value");
        else if (type == u"boolean")
            value = valueOf(attrs, kOfficeNs, u"boolean-value");
        else if (type == u"string")
            value = valueOf(attrs, kOfficeNs, u"string-value");
        else if (!type.isEmpty())
            value = valueOf(attrs, kOfficeNs, u"value");
        return value.toUtf8().toStdString();
    }

    std::uint64_t limit_;
    std::string text_;
    bool tooLong_ = false;
};

} // namespace

SheetList listOds(const std::string& path, const ReadLimits& limits) {
    SheetList list;
    ZipArchive zip(path, limits);
    std::uint64_t content = 0;
    list.error = zip.error() != ReadError::None ? zip.error() : openContent(zip, content);
    if (list.error != ReadError::None) return list;
    ZipEntryDevice device(zip, content);
    if (device.status() != ReadError::None) {
        list.error = device.status();
        return list;
    }
    QXmlStreamReader xml(&device);
    if (ReadError e = toSpreadsheet(xml); e != ReadError::None) {
        list.error =
            xmlError(xml, device.status()) != ReadError::None ? xmlError(xml, device.status()) : e;
        return list;
    }
    while (!xml.atEnd()) {
        auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && is(xml, kTableNs, u"table")) {
            // More tables than any spreadsheet program makes: a hostile file.
            if (list.names.size() >= 100'000) {
                list.error = ReadError::Damaged;
                list.names.clear();
                return list;
            }
            const QXmlStreamAttributes attrs = xml.attributes();
            list.names.push_back(valueOf(attrs, kTableNs, u"name").toUtf8().toStdString());
            xml.skipCurrentElement();
        } else if (token == QXmlStreamReader::EndElement && is(xml, kOfficeNs, u"spreadsheet")) {
            break;
        }
    }
    if (xml.hasError()) {
        list.error = xmlError(xml, device.status());
        list.names.clear();
    }
    return list;
}

Table readOds(const std::string& path, std::size_t index, const ReadLimits& limits) {
    Table table;
    ZipArchive zip(path, limits);
    std::uint64_t content = 0;
    table.error = zip.error() != ReadError::None ? zip.error() : openContent(zip, content);
    if (table.error != ReadError::None) return table;
    ZipEntryDevice device(zip, content);
    if (device.status() != ReadError::None) {
        table.error = device.status();
        return table;
    }
    QXmlStreamReader xml(&device);
    if (ReadError e = toSpreadsheet(xml); e != ReadError::None) {
        table.error =
            xmlError(xml, device.status()) != ReadError::None ? xmlError(xml, device.status()) : e;
        return table;
    }

    TableBuilder out(table.rows, limits);
    CellText cell(limits.maxTableBytes);
    std::size_t tableIndex = 0;
    bool found = false, inTable = false;
    std::size_t column = 0; // the next cell's column in the current row
    std::size_t rowRepeat = 1;
    while (!xml.atEnd() && out.error() == ReadError::None) {
        auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (!inTable) {
                if (!is(xml, kTableNs, u"table")) continue;
                if (tableIndex++ != index) {
                    xml.skipCurrentElement();
                    continue;
                }
                const QXmlStreamAttributes attrs = xml.attributes();
                table.name = valueOf(attrs, kTableNs, u"name").toUtf8().toStdString();
                inTable = found = true;
            } else if (xml.name() == u"table-row" && xml.namespaceUri() == kTableNs) {
                const QXmlStreamAttributes attrs = xml.attributes();
                rowRepeat = repeatOf(attrs, u"number-rows-repeated");
                out.beginRow();
                column = 0;
            } else if ((xml.name() == u"table-cell" || xml.name() == u"covered-table-cell") &&
                       xml.namespaceUri() == kTableNs) {
                const QXmlStreamAttributes attrs = xml.attributes();
                std::size_t repeat = repeatOf(attrs, u"number-columns-repeated");
                std::string text = cell.read(xml, attrs);
                if (cell.tooLong()) {
                    out.fail(ReadError::TooLarge);
                    break;
                }
                if (!text.empty()) {
                    // Filled repeats past the widest sheet are a broken file.
                    if (repeat > TableBuilder::kMaxColumns ||
                        column + repeat > TableBuilder::kMaxColumns) {
                        out.fail(ReadError::Damaged);
                        break;
                    }
                    for (std::size_t k = 0; k < repeat; ++k)
                        out.addCell(column + k, text);
                }
                column = repeat > TableBuilder::kMaxColumns * 2 ? TableBuilder::kMaxColumns * 2
                                                                : column + repeat;
            } else if (xml.name() == u"table" && xml.namespaceUri() == kTableNs) {
                // A table inside a shape or a cell is not part of the rows.
                xml.skipCurrentElement();
            }
        } else if (token == QXmlStreamReader::EndElement && inTable) {
            if (xml.name() == u"table-row" && xml.namespaceUri() == kTableNs) {
                out.endRow(rowRepeat);
            } else if (is(xml, kTableNs, u"table")) {
                break;
            }
        }
    }
    ReadError e = out.error();
    if (e == ReadError::None && xml.hasError()) e = xmlError(xml, device.status());
    if (e == ReadError::None && !found) e = ReadError::NotSpreadsheet;
    failTable(table, e);
    return table;
}

} // namespace luckdial::sheet
