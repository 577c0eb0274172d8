// Office Open XML workbooks. The package's relationships lead from the root to
// the workbook, and from the workbook to its sheets, shared strings and
// styles; every part is streamed through expat, and the sheet is read row by
// row and never held whole.

#include "sheet/numberformat.h"
#include "sheet/readers.h"
#include "sheet/tablebuilder.h"
#include "sheet/xmlparser.h"
#include "sheet/ziparchive.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

namespace luckdial::sheet {

namespace {

/// Relationships, sheets, number formats and cell styles a workbook may
/// have; a spreadsheet program allows far fewer, a hostile file far more.
constexpr std::size_t kMaxEntries = 100'000;

/// Bytes of UTF-8 past which a cell's text is over the character limit
/// whatever its characters (escaped forms such as "_x000D_" included).
std::size_t maxCellBytes(const ReadLimits& limits) {
    return limits.maxCellChars * 7;
}

/// The text without the blanks and line breaks a writer put around it.
std::string_view trimmed(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

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

bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

/// A whole number as an attribute holds it; 0 when it is not one, as for a
/// missing attribute.
long long toNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    return ec == std::errc() && end == text.data() + text.size() ? n : 0;
}

/// A relationship target relative to the folder of the part that names it.
std::string resolve(const std::string& folder, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
                                                             : folder + std::string(target);
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

class RelationshipsHandler : public XmlHandler {
public:
    RelationshipsHandler(std::string folder, std::vector<Relationship>& out)
        : folder_(std::move(folder)), out_(out) {}

    void startElement(std::string_view name, const XmlAttributes& attrs) override {
        if (name != "Relationship") return;
        if (out_.size() >= kMaxEntries) return stop(ReadError::Damaged);
        if (attrs.value("TargetMode") == "External") return;
        out_.push_back({std::string(attrs.value("Id")), std::string(attrs.value("Type")),
                        resolve(folder_, attrs.value("Target"))});
    }
    void endElement(std::string_view) override {}

private:
    std::string folder_;
    std::vector<Relationship>& out_;
};

/// The relationships of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels").
ReadError readRelationships(const ZipArchive& zip, const std::string& part,
                            std::vector<Relationship>& out) {
    std::string folder = folderOf(part);
    std::string relsName = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    auto index = zip.find(relsName);
    if (!index) return ReadError::None;
    RelationshipsHandler handler(folder, out);
    return parseXml(zip, *index, handler);
}

class WorkbookHandler : public XmlHandler {
public:
    WorkbookHandler(Workbook& book, const std::unordered_map<std::string, std::string>& targets)
        : book_(book), targets_(targets) {}

    void startElement(std::string_view name, const XmlAttributes& attrs) override {
        ++depth_;
        if (!sawRoot_) {
            sawRoot_ = true;
            // An office package of another kind (a document, a presentation).
            if (name != "workbook") stop(ReadError::NotSpreadsheet);
        } else if (depth_ == 2 && name == "workbookPr") {
            // Only the workbook's own: extensions (under extLst) carry
            // elements of the same local name that say nothing of dates.
            std::string_view v = attrs.value("date1904");
            book_.date1904 = v == "1" || v == "true";
        } else if (depth_ == 3 && name == "sheet") {
            if (book_.sheets.size() >= kMaxEntries) return stop(ReadError::Damaged);
            // The relationship id is the one "id" attribute with a prefix.
            std::string id;
            attrs.forEach([&](std::string_view n, std::string_view v) {
                if (n != "id" && localName(n) == "id") id = v;
            });
            auto target = targets_.find(id);
            book_.sheets.push_back({std::string(attrs.value("name")),
                                    target == targets_.end() ? std::string() : target->second});
        }
    }
    void endElement(std::string_view) override { --depth_; }

    bool sawRoot() const { return sawRoot_; }

private:
    Workbook& book_;
    const std::unordered_map<std::string, std::string>& targets_;
    bool sawRoot_ = false;
    int depth_ = 0;
};

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

    WorkbookHandler handler(book, targets);
    book.error = parseXml(zip, *index, handler);
    if (book.error == ReadError::None && !handler.sawRoot()) book.error = ReadError::NotSpreadsheet;
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

/// The text of a string item (<si> in the shared strings, <is> in a cell):
/// the text directly in its <t> runs, without phonetic guides. Fed the
/// elements and text inside the item once begin() saw its start.
class StringItem {
public:
    /// maxBytes: the text past which the item is over any cell's limit.
    explicit StringItem(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    void begin() {
        text_.clear();
        depth_ = 1;
        phonetic_ = 0;
        run_ = 0;
    }
    bool active() const { return depth_ > 0; }

    void start(std::string_view name) {
        ++depth_;
        if (name == "rPh")
            ++phonetic_;
        else if (name == "t" && phonetic_ == 0 && run_ == 0)
            run_ = depth_;
    }
    /// True when this ends the item itself.
    bool end(std::string_view name) {
        if (run_ == depth_) run_ = 0;
        if (name == "rPh" && phonetic_ > 0) --phonetic_;
        return --depth_ == 0;
    }
    void characters(std::string_view text) {
        if (run_ != 0 && run_ == depth_) text_.append(text);
    }
    /// Longer than any cell may be: the part is damaged.
    bool overflowed() const { return text_.size() > maxBytes_; }
    std::string take() {
        unescape(text_);
        return std::move(text_);
    }

private:
    std::size_t maxBytes_;
    std::string text_;
    int depth_ = 0;    ///< elements open, the item's own included
    int phonetic_ = 0; ///< phonetic guides open
    int run_ = 0;      ///< the depth of the <t> being read, 0 outside one
};

class SharedStringsHandler : public XmlHandler {
public:
    SharedStringsHandler(std::vector<std::string>& out, const ReadLimits& limits)
        : out_(out), limits_(limits), item_(maxCellBytes(limits)) {}

    void startElement(std::string_view name, const XmlAttributes&) override {
        if (item_.active())
            item_.start(name);
        else if (name == "si")
            item_.begin();
    }
    void endElement(std::string_view name) override {
        if (!item_.active() || !item_.end(name)) return;
        std::string text = item_.take();
        if (text.size() > limits_.maxCellChars && cellChars(text) > limits_.maxCellChars)
            return stop(ReadError::Damaged);
        // The strings stay in memory for the whole read: they count against
        // the memory the rows may take, or a part of tiny items would multiply.
        bytes_ += TableBuilder::cellCost(text) + sizeof(std::string);
        if (bytes_ > limits_.maxTableBytes) return stop(ReadError::TooLarge);
        out_.push_back(std::move(text));
    }
    void characters(std::string_view text) override {
        item_.characters(text);
        if (item_.overflowed()) stop(ReadError::Damaged);
    }

    std::uint64_t bytes() const { return bytes_; }

private:
    std::vector<std::string>& out_;
    const ReadLimits& limits_;
    std::uint64_t bytes_ = 0;
    StringItem item_;
};

ReadError readSharedStrings(const ZipArchive& zip, const std::string& part,
                            std::vector<std::string>& out, std::uint64_t& bytes) {
    auto index = zip.find(part);
    if (!index) return ReadError::None;
    SharedStringsHandler handler(out, zip.limits());
    ReadError e = parseXml(zip, *index, handler);
    bytes = handler.bytes();
    return e;
}

/// The number format code of every cell style, in style order.
class StylesHandler : public XmlHandler {
public:
    explicit StylesHandler(std::vector<std::string>& codes) : codes_(codes) {}

    void startElement(std::string_view name, const XmlAttributes& attrs) override {
        if ((name == "numFmt" || name == "xf") && custom_.size() + codes_.size() >= kMaxEntries)
            return stop(ReadError::Damaged);
        if (name == "numFmt") {
            custom_[static_cast<int>(toNumber(attrs.value("numFmtId")))] =
                std::string(attrs.value("formatCode"));
        } else if (name == "cellXfs") {
            inCellXfs_ = true;
        } else if (name == "xf" && inCellXfs_) {
            int id = static_cast<int>(toNumber(attrs.value("numFmtId")));
            auto c = custom_.find(id);
            codes_.push_back(c != custom_.end() ? c->second : builtinFormatCode(id));
        }
    }
    void endElement(std::string_view name) override {
        if (name == "cellXfs") inCellXfs_ = false;
    }

private:
    std::vector<std::string>& codes_;
    std::unordered_map<int, std::string> custom_;
    bool inCellXfs_ = false;
};

ReadError readStyles(const ZipArchive& zip, const std::string& part,
                     std::vector<std::string>& codes) {
    auto index = zip.find(part);
    if (!index) return ReadError::None;
    StylesHandler handler(codes);
    return parseXml(zip, *index, handler);
}

/// "BC12" -> column 54 (0-based); -1 when the reference has no letters.
long long columnOf(std::string_view ref) {
    long long col = 0;
    std::size_t i = 0;
    for (; i < ref.size() && i < 4; ++i) {
        char c = ref[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + (c - 'A' + 1);
    }
    return i == 0 ? -1 : col - 1;
}

/// The sheet's cells into the table. Called a few times per cell of a
/// million-row sheet: a value's text goes from the parser's buffer straight
/// into the cell's string.
class SheetHandler : public XmlHandler {
public:
    SheetHandler(const Workbook& book, const std::vector<std::string>& strings,
                 const std::vector<std::string>& codes, TableBuilder& builder,
                 const ReadLimits& limits)
        : book_(book), strings_(strings), codes_(codes), out_(builder),
          maxValueBytes_(maxCellBytes(limits)), item_(maxCellBytes(limits)) {}

    void startElement(std::string_view name, const XmlAttributes& attrs) override {
        if (item_.active()) {
            item_.start(name);
        } else if (name == "v") {
            inValue_ = inCell_;
        } else if (name == "c") {
            std::string_view ref, type, style;
            attrs.forEach([&](std::string_view n, std::string_view v) {
                if (n == "r")
                    ref = v;
                else if (n == "t")
                    type = v;
                else if (n == "s")
                    style = v;
            });
            long long col = columnOf(ref);
            column_ = col >= 0 ? static_cast<std::size_t>(col) : nextColumn_;
            nextColumn_ = column_ + 1;
            type_ = typeOf(type);
            style_ = style.empty() ? 0 : static_cast<int>(toNumber(style));
            value_.clear();
            inline_.clear();
            inCell_ = true;
        } else if (name == "row") {
            long long r = toNumber(attrs.value("r"));
            if (r > 0)
                out_.beginRow(static_cast<std::size_t>(r - 1));
            else
                out_.beginRow();
            nextColumn_ = 0;
        } else if (name == "is" && inCell_) {
            item_.begin();
        }
    }

    void endElement(std::string_view name) override {
        if (item_.active()) {
            if (item_.end(name)) inline_ = item_.take();
        } else if (name == "v") {
            inValue_ = false;
        } else if (name == "c" && inCell_) {
            inCell_ = false;
            out_.addCell(column_, cellText());
        } else if (name == "row") {
            out_.endRow();
        } else if (name == "sheetData") {
            // What follows the rows (merged cells, page setup) is not read.
            return stop(out_.error());
        }
        if (out_.error() != ReadError::None) stop(out_.error());
    }

    void characters(std::string_view text) override {
        if (item_.active()) {
            item_.characters(text);
            if (item_.overflowed()) stop(ReadError::Damaged);
        } else if (inValue_) {
            value_.append(text);
            if (value_.size() > maxValueBytes_) stop(ReadError::Damaged);
        }
    }

private:
    enum class Type { Number, Shared, Inline, Text, Bool, Date };

    static Type typeOf(std::string_view t) {
        if (t.empty() || t == "n") return Type::Number;
        if (t == "s") return Type::Shared;
        if (t == "inlineStr") return Type::Inline;
        if (t == "b") return Type::Bool;
        if (t == "d") return Type::Date;
        return Type::Text; // a formula's text, an error value
    }

    const std::string& codeOf(int style) const {
        static const std::string none;
        return style < 0 || static_cast<std::size_t>(style) >= codes_.size()
                   ? none
                   : codes_[static_cast<std::size_t>(style)];
    }

    std::string cellText() {
        // Numbers, indexes and flags may come with line breaks around them
        // (as some templates write them); text never loses its own.
        if (type_ != Type::Text && type_ != Type::Inline) {
            std::string_view v = trimmed(value_);
            if (v.size() != value_.size()) value_ = std::string(v);
        }
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
        case Type::Date:
            return formatIsoDate(value_, codeOf(style_), book_.date1904);
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
            if (digits && (value_.size() == 1 || value_[0] != '0')) return std::move(value_);
            return formatNumber(value_, {}, book_.date1904);
        }
        return formatNumber(value_, codes_[static_cast<std::size_t>(style_)], book_.date1904);
    }

    const Workbook& book_;
    const std::vector<std::string>& strings_;
    const std::vector<std::string>& codes_;
    TableBuilder& out_;
    std::size_t maxValueBytes_;
    std::size_t column_ = 0, nextColumn_ = 0;
    Type type_ = Type::Number;
    int style_ = 0;
    bool inCell_ = false, inValue_ = false;
    std::string value_, inline_;
    StringItem item_; ///< an inline string being read
};

ReadError readRows(const ZipArchive& zip, const std::string& part, SheetHandler& handler) {
    auto index = zip.find(part);
    if (!index) return ReadError::Damaged;
    return parseXml(zip, *index, handler);
}

} // namespace

SheetList listXlsx(const ZipArchive& zip) {
    SheetList list;
    Workbook book = loadWorkbook(zip);
    list.error = book.error;
    if (book.error == ReadError::None)
        for (const SheetRef& s : book.sheets)
            list.names.push_back(s.name);
    return list;
}

Table readXlsx(const ZipArchive& zip, std::size_t index) {
    Table table;
    Workbook book = loadWorkbook(zip);
    if (book.error == ReadError::None && index >= book.sheets.size())
        book.error = ReadError::NotSpreadsheet;
    if (book.error != ReadError::None) {
        table.error = book.error;
        return table;
    }
    table.name = book.sheets[index].name;
    std::vector<std::string> strings, codes;
    std::uint64_t stringBytes = 0;
    ReadError e = readSharedStrings(zip, book.sharedStrings, strings, stringBytes);
    if (e == ReadError::None) e = readStyles(zip, book.styles, codes);
    if (e == ReadError::None) {
        TableBuilder builder(table.rows, zip.limits(), stringBytes);
        SheetHandler handler(book, strings, codes, builder, zip.limits());
        e = builder.error() != ReadError::None ? builder.error()
                                               : readRows(zip, book.sheets[index].part, handler);
    }
    failTable(table, e);
    return table;
}

} // namespace luckdial::sheet
