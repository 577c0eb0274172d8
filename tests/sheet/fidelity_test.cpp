// Files as other programs write them, read as their spreadsheet program
// shows them: the faults real workbooks showed, each on a small file made
// here; files recognised by what they hold, whatever their name; legacy
// .xls; and the bounds that keep any file quick and small to read or refuse.

#include "sheet/numberformat.h"
#include "sheet/sheet.h"
#include "support/tempdir.h"
#include "workbookfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/resource.h>

using namespace luckdial;
using namespace luckdial::sheet;
using namespace luckdial::sheet::test;

namespace {

const std::string kStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd hh:mm\"/></numFmts>"
    "<cellXfs count=\"3\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
    "</cellXfs></styleSheet>";
const std::string kShared = "<?xml version=\"1.0\"?><sst "
                            "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                            "<si><t>张三</t></si></sst>";

class Fidelity : public ::testing::Test {
protected:
    std::string zip(const std::vector<Part>& parts, const std::string& name) {
        std::string path = dir.path() + "/" + name;
        EXPECT_TRUE(writeZip(path, parts));
        return path;
    }
    std::string file(const std::string& bytes, const std::string& name) {
        std::string path = dir.path() + "/" + name;
        writeBytes(path, bytes);
        return path;
    }
    static std::string cellsRow(const std::string& cells) {
        return sheetXml("<row r=\"1\">" + cells + "</row>");
    }
    TempDir dir;
};

struct Shown {
    const char* what;
    std::string workbookPr;
    std::string cells;
    Row want;
};

} // namespace

TEST_F(Fidelity, XlsxCellsAsTheSheetShowsThem) {
    const std::vector<Shown> cases = {
        // Excel's own workbookPr comes first; an extension's of the same
        // name (prefix x15) must not reset the 1904 flag.
        {"1904 kept past an extension's workbookPr",
         "<workbookPr date1904=\"1\"/><extLst><ext uri=\"{x}\"><x15:workbookPr "
         "xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\" "
         "chartTrackingRefBase=\"1\"/></ext></extLst>",
         "<c r=\"A1\" s=\"1\"><v>43830</v></c>",
         {"2024/1/1"}},
        {"a shared index and a number with line breaks",
         "",
         "<c r=\"A1\" t=\"s\"><v>\n0</v></c><c r=\"B1\"><v>\n1001\n</v></c>"
         "<c r=\"C1\" t=\"b\"><v> 1 </v></c>",
         {"张三", "1001", "TRUE"}},
        {"ISO date cells through their code, or as a date",
         "",
         "<c r=\"A1\" t=\"d\" s=\"1\"><v>2021-01-01T10:10:10</v></c>"
         "<c r=\"B1\" t=\"d\" s=\"2\"><v>2021-01-01T10:10:10</v></c>"
         "<c r=\"C1\" t=\"d\"><v>2021-01-01T10:10:10</v></c>"
         "<c r=\"D1\" t=\"d\"><v>2021-03-04</v></c><c r=\"E1\" t=\"d\"><v>10:10:10</v></c>",
         {"2021/1/1", "2021-01-01 10:10", "2021/1/1 10:10:10", "2021/3/4", "10:10:10"}},
        {"General numbers in upper case and a column's digits",
         "",
         "<c r=\"A1\"><v>1.2345678901234567E+20</v></c><c r=\"B1\"><v>3.14159265358979</v></c>"
         "<c r=\"C1\"><v>0.000012345</v></c>",
         {"1.23457E+20", "3.141592654", "1.2345E-05"}},
    };
    for (const Shown& c : cases) {
        const std::string path =
            zip(xlsxParts({{"S", {"", cellsRow(c.cells)}}}, kShared, kStyles, c.workbookPr),
                "book.xlsx");
        Table t = readSheet(path, 0);
        ASSERT_EQ(t.error, ReadError::None) << c.what;
        EXPECT_EQ(t.rows, std::vector<Row>{c.want}) << c.what;
    }
}

TEST_F(Fidelity, PartNamesWithBackslashesAreFound) {
    std::vector<Part> parts =
        xlsxParts({{"考勤", {"", cellsRow("<c r=\"A1\" t=\"s\"><v>0</v></c>")}}}, kShared);
    for (Part& p : parts)
        if (p.name != "[Content_Types].xml")
            for (char& ch : p.name)
                if (ch == '/') ch = '\\';
    const std::string path = zip(parts, "export.xlsx");
    EXPECT_EQ(listSheets(path).names, std::vector<std::string>{"考勤"});
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, std::vector<Row>{{"张三"}});
}

TEST_F(Fidelity, OdsTextBoxesAndLinkCachesAreNoCells) {
    const std::string body =
        "<table:dde-links><table:dde-link><table:table table:name=\"cache\"><table:table-row>"
        "<table:table-cell><text:p>cached</text:p></table:table-cell></table:table-row>"
        "</table:table></table:dde-link></table:dde-links>"
        "<table:table table:name=\"名单\"><table:table-row><table:table-cell>"
        "<draw:frame xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\">"
        "<draw:text-box><text:p>a note in a box</text:p></draw:text-box></draw:frame>"
        "</table:table-cell><table:table-cell><text:p>李四</text:p></table:table-cell>"
        "</table:table-row></table:table>";
    const std::string path = zip(odsParts(body), "list.ods");
    EXPECT_EQ(listSheets(path).names, std::vector<std::string>{"名单"});
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"", "李四"}}));
}

TEST_F(Fidelity, FilesAreRecognisedByContent) {
    const std::vector<Part> book = xlsxParts({{"S", {"", cellsRow("<c r=\"A1\"><v>7</v></c>")}}});
    std::vector<Part> binary = book;
    binary.push_back({"xl/workbook.bin", "\x83\x01"});
    std::vector<Part> sealedOds = odsParts("<table:table table:name=\"S\"/>");
    sealedOds[1].content = "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:"
                           "xmlns:manifest:1.0\"><manifest:file-entry manifest:full-path="
                           "\"content.xml\"><manifest:encryption-data/></manifest:file-entry>"
                           "</manifest:manifest>";
    const std::string xls = compoundFile({{"Workbook", biffWorkbook({{"S", {{"=7"}}}})}});
    struct Case {
        std::string path;
        ReadError error;
        Row first; // the first row when readable
    };
    const std::vector<Case> cases = {
        {zip(book, "renamed.csv"), ReadError::None, {"7"}},
        {zip(book, "macros.xlsm"), ReadError::None, {"7"}},
        {zip(book, "noname"), ReadError::None, {"7"}},
        {zip(odsParts("<table:table table:name=\"S\"><table:table-row><table:table-cell>"
                      "<text:p>8</text:p></table:table-cell></table:table-row></table:table>"),
             "ods.xlsx"),
         ReadError::None,
         {"8"}},
        {file(xls, "legacy.xlsx"), ReadError::None, {"7"}},
        {file("1001,张三\r\n", "list.CSV"), ReadError::None, {"1001", "张三"}},
        {zip(binary, "binary.xlsx"), ReadError::BinaryWorkbook, {}},
        {zip(sealedOds, "sealed.ods"), ReadError::PasswordProtected, {}},
        {file(compoundFile({{"EncryptionInfo", "info"}, {"EncryptedPackage", "sealed"}}),
              "sealed.xlsx"),
         ReadError::PasswordProtected,
         {}},
        {file(compoundFile({{"WordDocument", "text"}}), "letter.xls"),
         ReadError::NotSpreadsheet,
         {}},
        {file(std::string("GIF89a\0\0\0binary", 15), "picture.csv"), ReadError::NotSpreadsheet, {}},
        {file("001\r\n002\r\n", "notes.xlsx"), ReadError::NotSpreadsheet, {}},
    };
    for (const Case& c : cases) {
        SheetList list = listSheets(c.path);
        EXPECT_EQ(list.error, c.error) << c.path;
        Table t = readSheet(c.path, 0);
        EXPECT_EQ(t.error, c.error) << c.path;
        if (c.error == ReadError::None) {
            ASSERT_FALSE(t.rows.empty()) << c.path;
            EXPECT_EQ(t.rows[0], c.first) << c.path;
        }
    }
}

TEST_F(Fidelity, LegacyXlsSheetsNumbersAndChineseText) {
    const std::string path = file(
        compoundFile(
            {{"Workbook",
              biffWorkbook({
                  {"员工", {{"工号", "姓名"}, {"=1001", "张三"}, {"=2.5", "李\xF0\xA0\x80\x80"}}},
                  {"二部", {{"=3"}}},
              })}}),
        "staff.xls");
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, (std::vector<std::string>{"员工", "二部"}));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{
                          {"工号", "姓名"}, {"1001", "张三"}, {"2.5", "李\xF0\xA0\x80\x80"}}));
    EXPECT_EQ(readSheet(path, 1).rows, std::vector<Row>{{"3"}});
    // Sheets that claim millions of cells are refused before the library
    // would allocate them, however small the file.
    const std::string claims =
        file(compoundFile(
                 {{"Workbook", biffWorkbook({{"A", {{"=1"}}}, {"B", {{"=1"}}}}, {65536, 256})}}),
             "claims.xls");
    EXPECT_EQ(listSheets(claims).error, ReadError::TooLarge);
}

TEST_F(Fidelity, CellsNestingAndTotalsAreBounded) {
    const std::string full(32767, 'x');
    auto sharedOf = [](const std::string& text) {
        return "<?xml version=\"1.0\"?><sst><si><t>" + text + "</t></si></sst>";
    };
    const std::string at = cellsRow("<c r=\"A1\" t=\"s\"><v>0</v></c>");
    // 32,767 characters are a cell; one more is a damaged file, in a shared
    // string, an inline string, a .csv field and an .ods cell alike.
    EXPECT_EQ(readSheet(zip(xlsxParts({{"S", {"", at}}}, sharedOf(full)), "a.xlsx"), 0).rows,
              std::vector<Row>{{full}});
    const std::vector<std::string> damaged = {
        zip(xlsxParts({{"S", {"", at}}}, sharedOf(full + "y")), "b.xlsx"),
        zip(xlsxParts({{"S",
                        {"", cellsRow("<c r=\"A1\" t=\"inlineStr\"><is><t>" + full +
                                      "y</t></is></c>")}}}),
            "c.xlsx"),
        file(full + "yy,1\r\n", "d.csv"),
        zip(odsParts("<table:table table:name=\"S\"><table:table-row><table:table-cell><text:p>" +
                     full + "y</text:p></table:table-cell></table:table-row></table:table>"),
            "e.ods"),
    };
    for (const std::string& path : damaged)
        EXPECT_EQ(readSheet(path, 0).error, ReadError::Damaged) << path;

    // Elements nested far deeper than any workbook's.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<x>";
    EXPECT_EQ(readSheet(zip(xlsxParts({{"S", {"", sheetXml(deep)}}}), "deep.xlsx"), 0).error,
              ReadError::Damaged);
    // The unzipped parts of one workbook count together: two parts that each
    // fit, but not both.
    ReadLimits limits;
    limits.maxUnzippedBytes = 60'000;
    const std::string padding(40'000, ' ');
    const std::string two =
        zip(xlsxParts({{"S", {"", cellsRow("<c r=\"A1\" t=\"s\"><v>0</v></c>") + padding}}},
                      sharedOf("a") + padding),
            "two.xlsx");
    EXPECT_EQ(readSheet(two, 0, limits).error, ReadError::TooLarge);
    EXPECT_EQ(readSheet(two, 0).error, ReadError::None);
}

TEST_F(Fidelity, ACancelledReadStopsWithNoRows) {
    const std::string path =
        zip(xlsxParts({{"S",
                        {"", "",
                         generatedSheet(200'000,
                                        [](std::size_t r) {
                                            std::string n = std::to_string(r);
                                            return "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" +
                                                   n + "</v></c></row>";
                                        })}}}),
            "big.xlsx");
    ReadProgress progress;
    ReadLimits limits;
    limits.progress = &progress;
    Table t = readSheet(path, 0, limits);
    ASSERT_EQ(t.error, ReadError::None);
    // The progress reached the end of the sheet's part.
    EXPECT_GT(progress.total.load(), 0u);
    EXPECT_EQ(progress.done.load(), progress.total.load());
    progress.cancel = true;
    std::string lines;
    for (int i = 0; i < 3000; ++i)
        lines += "1\n";
    for (const std::string& p : {path, file(lines, "many.csv")}) {
        Table c = readSheet(p, 0, limits);
        EXPECT_EQ(c.error, ReadError::Cancelled) << p;
        EXPECT_TRUE(c.rows.empty()) << p;
    }
}
