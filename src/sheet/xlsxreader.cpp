// Office Open XML workbooks. The package's relationships lead from the root to
// the workbook, and from the workbook to its sheets, shared strings and
// styles; the sheet itself is streamed row by row and never held whole.

#include "sheet/numberformat.h"
#include "sheet/readers.h"
#include "sheet/tablebuilder.h"
#include "sheet/ziparchive.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace luckdial::sheet {

namespace {

/// Relationships, sheets, number formats and cell styles a workbook may
/// have; a spreadsheet program allows far fewer, a hostile file far more.
constexpr std::size_t kMaxEntries = 100'000;

struct SheetRef {
    std::string name;
    std::string part;
};

struct Workbook {
    ReadError error = ReadError::None;
    std::vector<SheetRef> sheets;
    std::string sharedStrings; ///< part name, empty when there is none
    std::string styles;
    bool date1904 = false;
};

struct Relationship {
    std::string id, type, target;
};

std::string toStd(QStringView s) {
    return s.toUtf8().toStdString();
}

bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

/// A relationship target relative to the folder of the part that names it.
std::string resolve(const std::string& folder, const std::string& target) {
    std::string joined = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t slash = joined.find('/', start);
        if (slash == std::string::npos) slash = joined.size();
        std::string piece = joined.substr(start, slash - start);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::string folderOf(const std::string& part) {
    std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

/// The relationships of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
ReadError readRelationships(const ZipArchive& zip, const std::string& part,
                            std::vector<Relationship>& out) {
    std::string folder = folderOf(part);
    std::string relsName = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    auto index = zip.find(relsName);
    if (!index) return ReadError::None;
    ZipEntryDevice device(zip, *index);
    if (device.status() != ReadError::None) return device.status();
    QXmlStreamReader xml(&device);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            if (out.size() >= kMaxEntries) return ReadError::Damaged;
            const QXmlStreamAttributes attrs = xml.attributes();
            if (attribute(attrs, u"TargetMode") == u"External") continue;
            out.push_back({toStd(attribute(attrs, u"Id")), toStd(attribute(attrs, u"Type")),
                           resolve(folder, toStd(attribute(attrs, u"Target")))});
        }
    }
    return xmlError(xml, device.status());
}

Workbook loadWorkbook(const ZipArchive& zip) {
    Workbook book;
    std::vector<Relationship> rootRels;
    if (ReadError e = readRelationships(zip, "", rootRels); e != ReadError::None) {
        book.error = e;
        return book;
    }
    std::string workbookPart;
    for (const Relationship& r : rootRels)
        if (endsWith(r.type, "/officeDocument")) workbookPart = r.target;
    if (workbookPart.empty()) workbookPart = "xl/workbook.xml";
    auto index = zip.find(workbookPart);
    if (!index) {
        book.error = ReadError::NotSpreadsheet;
        return book;
    }
    std::vector<Relationship> rels;
    if (ReadError e = readRelationships(zip, workbookPart, rels); e != ReadError::None) {
        book.error = e;
        return book;
    }
    std::unordered_map<std::string, std::string> targets;
    for (const Relationship& r : rels) {
        targets[r.id] = r.target;
        if (endsWith(r.type, "/sharedStrings")) book.sharedStrings = r.target;
        if (endsWith(r.type, "/styles")) book.styles = r.target;
    }

    ZipEntryDevice device(zip, *index);
    if (device.status() != ReadError::None) {
        book.error = device.status();
        return book;
    }
    QXmlStreamReader xml(&device);
    bool root = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (root) {
            // An office package of another kind (a document, a presentation).
            if (xml.name() != u"workbook") {
                book.error = ReadError::NotSpreadsheet;
                return book;
            }
            root = false;
        } else if (xml.name() == u"workbookPr") {
            const QXmlStreamAttributes attrs = xml.attributes();
            QStringView v = attribute(attrs, u"date1904");
            book.date1904 = v == u"1" || v == u"true";
        } else if (xml.name() == u"sheet") {
            if (book.sheets.size() >= kMaxEntries) {
                book.error = ReadError::Damaged;
                return book;
            }
            const QXmlStreamAttributes attrs = xml.attributes();
            // The relationship id is the one "id" attribute in a namespace.
            std::string id;
            for (const QXmlStreamAttribute& a : attrs)
                if (a.name() == u"id" && !a.namespaceUri().isEmpty()) id = toStd(a.value());
            auto target = targets.find(id);
            book.sheets.push_back({toStd(attribute(attrs, u"name")),
                                   target == targets.end() ? std::string() : target->second});
        }
    }
    if (xml.hasError())
        book.error = xmlError(xml, device.status());
    else if (root)
        book.error = ReadError::NotSpreadsheet;
    return book;
}

/// "_x000D_" and the like stand for characters XML cannot carry as they are.
void unescape(std::string& text) {
    if (text.find("_x") == std::string::npos) return;
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            int a = hex(text[i + 2]), b = hex(text[i + 3]), c = hex(text[i + 4]),
                d = hex(text[i + 5]);
            if (a >= 0 && b >= 0 && c >= 0 && d >= 0) {
                unsigned code = static_cast<unsigned>((a << 12) | (b << 8) | (c << 4) | d);
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    text = std::move(out);
}

/// The element's name without its prefix: the sheet is read without
/// namespace processing (faster), and some writers prefix every element
/// ("x:row").
QStringView localName(const QXmlStreamReader& xml) {
    QStringView name = xml.name();
    qsizetype colon = name.lastIndexOf(u':');
    return colon < 0 ? name : name.mid(colon + 1);
}

/// The text of a string item: its <t> runs, without phonetic guides.
QString readStringItem(QXmlStreamReader& xml) {
    QString text;
    int phonetic = 0;
    const QString end = localName(xml).toString();
    while (!xml.atEnd()) {
        auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (localName(xml) == u"rPh")
                ++phonetic;
            else if (localName(xml) == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (token == QXmlStreamReader::EndElement) {
            if (localName(xml) == u"rPh")
                --phonetic;
            else if (localName(xml) == end)
                break;
        }
    }
    return text;
}

ReadError readSharedStrings(const ZipArchive& zip, const std::string& part,
                            std::vector<std::string>& out) {
    // The strings stay in memory for the whole read: they count against the
    // memory the rows may take, or a part of tiny items would multiply.
    std::uint64_t bytes = 0;
    auto index = zip.find(part);
    if (!index) return ReadError::None;
    ZipEntryDevice device(zip, *index);
    if (device.status() != ReadError::None) return device.status();
    QXmlStreamReader xml(&device);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si") {
            std::string text = readStringItem(xml).toUtf8().toStdString();
            unescape(text);
            bytes += sizeof(std::string) + (text.size() > 15 ? text.size() + 1 : 0);
            if (bytes > zip.limits().maxTableBytes) return ReadError::TooLarge;
            out.push_back(std::move(text));
        }
    }
    return xml.hasError() ? xmlError(xml, device.status()) : ReadError::None;
}

/// The number format code of every cell style, in style order.
ReadError readStyles(const ZipArchive& zip, const std::string& part,
                     std::vector<std::string>& codes) {
    auto index = zip.find(part);
    if (!index) return ReadError::None;
    ZipEntryDevice device(zip, *index);
    if (device.status() != ReadError::None) return device.status();
    QXmlStreamReader xml(&device);
    std::unordered_map<int, std::string> custom;
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attrs = xml.attributes();
            if ((xml.name() == u"numFmt" || xml.name() == u"xf") &&
                custom.size() + codes.size() >= kMaxEntries)
                return ReadError::Damaged;
            if (xml.name() == u"numFmt") {
                custom[attribute(attrs, u"numFmtId").toInt()] =
                    toStd(attribute(attrs, u"formatCode"));
            } else if (xml.name() == u"cellXfs") {
                inCellXfs = true;
            } else if (xml.name() == u"xf" && inCellXfs) {
                int id = attribute(attrs, u"numFmtId").toInt();
                auto c = custom.find(id);
                codes.push_back(c != custom.end() ? c->second : builtinFormatCode(id));
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return xmlError(xml, device.status());
}

/// "BC12" -> column 54 (0-based); -1 when the reference has no letters.
long long columnOf(QStringView ref) {
    long long col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && i < 4; ++i) {
        char16_t c = ref[i].unicode();
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        if (c < u'A' || c > u'Z') break;
        col = col * 26 + (c - u'A' + 1);
    }
    return i == 0 ? -1 : col - 1;
}

/// Appends the text as UTF-8; numbers and references are ASCII and skip
/// the conversion.
void appendUtf8(std::string& out, QStringView text) {
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && p[i] < 0x80)
        ++i;
    if (i == n) {
        out.reserve(out.size() + static_cast<std::size_t>(n));
        for (qsizetype k = 0; k < n; ++k)
            out += static_cast<char>(p[k]);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

class SheetReader {
public:
    SheetReader(const Workbook& book, std::vector<std::string>& strings,
                std::vector<std::string>& codes, TableBuilder& builder)
        : book_(book), strings_(strings), codes_(codes), out_(builder) {}

    ReadError read(const ZipArchive& zip, const std::string& part) {
        auto index = zip.find(part);
        if (!index) return ReadError::Damaged;
        ZipEntryDevice device(zip, *index);
        if (device.status() != ReadError::None) return device.status();
        QXmlStreamReader xml(&device);
        xml.setNamespaceProcessing(false);
        // The loop runs a few times per cell of a million-row sheet: the
        // value's text is taken from the token as it passes, never copied
        // into a QString first.
        while (!xml.atEnd() && out_.error() == ReadError::None) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                startElement(xml);
                break;
            case QXmlStreamReader::Characters:
                if (inValue_) appendUtf8(value_, xml.text());
                break;
            case QXmlStreamReader::EndElement: {
                QStringView name = localName(xml);
                if (name == u"v") {
                    inValue_ = false;
                } else if (name == u"c" && inCell_) {
                    inCell_ = false;
                    out_.addCell(column_, cellText());
                } else if (name == u"row") {
                    out_.endRow();
                } else if (name == u"sheetData") {
                    return out_.error();
                }
                break;
            }
            default:
                break;
            }
        }
        if (out_.error() != ReadError::None) return out_.error();
        return xml.hasError() ? xmlError(xml, device.status()) : ReadError::None;
    }

private:
    void startElement(QXmlStreamReader& xml) {
        QStringView name = localName(xml);
        if (name == u"v") {
            inValue_ = inCell_;
        } else if (name == u"c") {
            const QXmlStreamAttributes attrs = xml.attributes();
            QStringView ref, type, style;
            for (const QXmlStreamAttribute& a : attrs) {
                QStringView n = a.name();
                if (n == u"r")
                    ref = a.value();
                else if (n == u"t")
                    type = a.value();
                else if (n == u"s")
                    style = a.value();
            }
            long long col = columnOf(ref);
            column_ = col >= 0 ? static_cast<std::size_t>(col) : nextColumn_;
            nextColumn_ = column_ + 1;
            type_ = typeOf(type);
            style_ = style.isEmpty() ? 0 : style.toInt();
            value_.clear();
            inline_.clear();
            inCell_ = true;
        } else if (name == u"row") {
            const QXmlStreamAttributes attrs = xml.attributes();
            qlonglong r = attribute(attrs, u"r").toLongLong();
            if (r > 0)
                out_.beginRow(static_cast<std::size_t>(r - 1));
            else
                out_.beginRow();
            nextColumn_ = 0;
        } else if (name == u"is" && inCell_) {
            inline_ = readStringItem(xml).toUtf8().toStdString();
            unescape(inline_);
        }
    }

    enum class Type { Number, Shared, Inline, Text, Bool };

    static Type typeOf(QStringView t) {
        if (t.isEmpty() || t == u"n") return Type::Number;
        if (t == u"s") return Type::Shared;
        if (t == u"inlineStr") return Type::Inline;
        if (t == u"b") return Type::Bool;
        return Type::Text; // a formula's text, an error value, an ISO date
    }

    std::string cellText() {
        switch (type_) {
        case Type::Shared: {
            if (value_.empty()) return {};
            std::size_t i = 0;
            auto [end, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), i);
            if (ec != std::errc() || end != value_.data() + value_.size() || i >= strings_.size()) {
                out_.fail(ReadError::Damaged);
                return {};
            }
            return strings_[i];
        }
        case Type::Inline:
            // A writer may also put an inline string's text in <v>.
            return inline_.empty() ? std::move(value_) : std::move(inline_);
        case Type::Bool:
            if (value_.empty()) return {};
            return value_ == "0" ? "FALSE" : "TRUE";
        case Type::Text:
            unescape(value_);
            return std::move(value_);
        case Type::Number:
            break;
        }
        if (value_.empty()) return {};
        if (style_ < 0 || static_cast<std::size_t>(style_) >= codes_.size() ||
            codes_[static_cast<std::size_t>(style_)].empty()) {
            // The general form, by far the most common: a whole number is
            // shown as it is stored.
            bool digits = std::all_of(value_.begin(), value_.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
            if (digits && value_.size() > 0 && (value_.size() == 1 || value_[0] != '0'))
                return std::move(value_);
            return formatNumber(value_, {}, book_.date1904);
        }
        return formatNumber(value_, codes_[static_cast<std::size_t>(style_)], book_.date1904);
    }

    const Workbook& book_;
    std::vector<std::string>& strings_;
    std::vector<std::string>& codes_;
    TableBuilder& out_;
    std::size_t column_ = 0, nextColumn_ = 0;
    Type type_ = Type::Number;
    int style_ = 0;
    bool inCell_ = false, inValue_ = false;
    std::string value_, inline_;
};

} // namespace

SheetList listXlsx(const std::string& path, const ReadLimits& limits) {
    SheetList list;
    ZipArchive zip(path, limits);
    if (zip.error() != ReadError::None) {
        list.error = zip.error();
        return list;
    }
    Workbook book = loadWorkbook(zip);
    list.error = book.error;
    if (book.error == ReadError::None)
        for (const SheetRef& s : book.sheets)
            list.names.push_back(s.name);
    return list;
}

Table readXlsx(const std::string& path, std::size_t index, const ReadLimits& limits) {
    Table table;
    ZipArchive zip(path, limits);
    if (zip.error() != ReadError::None) {
        table.error = zip.error();
        return table;
    }
    Workbook book = loadWorkbook(zip);
    if (book.error == ReadError::None && index >= book.sheets.size())
        book.error = ReadError::NotSpreadsheet;
    if (book.error != ReadError::None) {
        table.error = book.error;
        return table;
    }
    table.name = book.sheets[index].name;
    std::vector<std::string> strings, codes;
    ReadError e = readSharedStrings(zip, book.sharedStrings, strings);
    if (e == ReadError::None) e = readStyles(zip, book.styles, codes);
    if (e == ReadError::None) {
        TableBuilder builder(table.rows, limits);
        SheetReader reader(book, strings, codes, builder);
        e = reader.read(zip, book.sheets[index].part);
    }
    if (e != ReadError::None) {
        table.error = e;
        table.rows.clear();
        table.rows.shrink_to_fit();
    }
    return table;
}

QStringView attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return a.value();
    return {};
}

ReadError xmlError(const QXmlStreamReader& xml, ReadError deviceStatus) {
    if (deviceStatus != ReadError::None) return deviceStatus;
    return xml.hasError() ? ReadError::Damaged : ReadError::None;
}

} // namespace luckdial::sheet
