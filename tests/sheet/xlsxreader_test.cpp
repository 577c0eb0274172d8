// Reading .xlsx: strings shared and inline, numbers as the sheet shows them,
// gaps and several sheets, on workbooks zipped from XML written here.

#include "sheet/sheet.h"
#include "support/tempdir.h"
#include "workbookfiles.h"

#include <gtest/gtest.h>

using namespace luckdial;
using namespace luckdial::sheet;
using namespace luckdial::sheet::test;

namespace {

class XlsxReader : public ::testing::Test {
protected:
    std::string write(const std::vector<Part>& parts, const std::string& name = "book.xlsx") {
        std::string path = dir.path() + "/" + name;
        EXPECT_TRUE(writeZip(path, parts));
        return path;
    }
    std::string oneSheet(const std::string& rows, const std::string& shared = {},
                         const std::string& styles = {}, const std::string& workbookPr = {}) {
        return write(xlsxParts({{"Sheet1", {"", sheetXml(rows)}}}, shared, styles, workbookPr));
    }
    TempDir dir;
};

const std::string kSharedHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

} // namespace

TEST_F(XlsxReader, SharedAndInlineStringsWithRunsAndLineBreaks) {
    std::string shared =
        kSharedHead + "<si><t>工号</t></si>"
                      "<si><t>姓名</t></si>"
                      // A rich-text run and a phonetic guide that is not shown.
                      "<si><r><rPr><b/></rPr><t>张</t></r><r><t xml:space=\"preserve\">三 </t></r>"
                      "<rPh sb=\"0\" eb=\"1\"><t>zhang</t></rPh></si>"
                      "<si><t>00123</t></si>"
                      "<si><t>第一行\n第二行</t></si>"
                      "<si><t>a_x000D_b_x005F_x0041_</t></si>"
                      "</sst>";
    std::string path = oneSheet(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>3</v></c><c r=\"B2\" t=\"s\"><v>2</v></c></row>"
        "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>1002</t></is></c>"
        "<c r=\"B3\" "
        "t=\"inlineStr\"><is><r><t>李</t></r><r><rPr><i/></rPr><t>四</t></r></is></c></row>"
        "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>4</v></c><c r=\"B4\" t=\"s\"><v>5</v></c></row>",
        shared);
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.name, "Sheet1");
    std::vector<Row> want = {
        {"工号", "姓名"}, {"00123", "张三 "}, {"1002", "李四"}, {"第一行\n第二行", "a\rb_x0041_"}};
    EXPECT_EQ(t.rows, want);
}

TEST_F(XlsxReader, NumbersAsTheSheetShowsThem) {
    // Styles: 0 general, 1 "00000", 2 "0.00", 3 built-in 14 (a date),
    // 4 "yyyy-mm-dd hh:mm", 5 "0.0%", 6 "#,##0", 7 "@" (text).
    std::string styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"3\"><numFmt numFmtId=\"164\" formatCode=\"00000\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"yyyy\\-mm\\-dd\\ hh:mm\"/>"
        "<numFmt numFmtId=\"166\" formatCode=\"0.0%\"/></numFmts>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"8\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"2\"/>"
        "<xf numFmtId=\"14\"/><xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"3\"/>"
        "<xf numFmtId=\"49\"/></cellXfs></styleSheet>";
    std::string path = oneSheet("<row r=\"1\">"
                                "<c r=\"A1\"><v>1001</v></c>"
                                "<c r=\"B1\" s=\"0\"><v>0.30000000000000004</v></c>"
                                "<c r=\"C1\" s=\"1\"><v>123</v></c>"
                                "<c r=\"D1\" s=\"2\"><v>3.14159</v></c>"
                                "<c r=\"E1\" s=\"3\"><v>45292</v></c>"
                                "<c r=\"F1\" s=\"4\"><v>45292.5</v></c>"
                                "<c r=\"G1\" s=\"5\"><v>0.125</v></c>"
                                "<c r=\"H1\" s=\"6\"><v>1234567</v></c>"
                                "<c r=\"I1\" s=\"7\"><v>42</v></c>"
                                "</row><row r=\"2\">"
                                "<c r=\"A2\" t=\"n\"><v>1.5E-3</v></c>"
                                "<c r=\"B2\" t=\"b\"><v>1</v></c>"
                                "<c r=\"C2\" t=\"str\"><f>A1&amp;\"x\"</f><v>1001x</v></c>"
                                "<c r=\"D2\" t=\"e\"><v>#N/A</v></c>"
                                "<c r=\"E2\"><v>-7</v></c>"
                                "<c r=\"F2\"><v>123456789012345678</v></c>"
                                "</row>",
                                {}, styles);
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    std::vector<Row> want = {{"1001", "0.3", "00123", "3.14", "2024/1/1", "2024-01-01 12:00",
                              "12.5%", "1,234,567", "42"},
                             {"0.0015", "TRUE", "1001x", "#N/A", "-7", "123456789012345678"}};
    EXPECT_EQ(t.rows, want);
}

TEST_F(XlsxReader, DatesCountFrom1904WhenTheWorkbookSaysSo) {
    std::string styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>";
    std::string path = oneSheet("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>43830</v></c></row>", {},
                                styles, "<workbookPr date1904=\"1\"/>");
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"2024/1/1"}}));
}

TEST_F(XlsxReader, GapsBecomeEmptyRowsAndCellsTrailingOnesVanish) {
    std::string path = oneSheet(
        "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c></row>"
        // Row 2 and 3 are missing, row 4 holds only an empty styled cell.
        "<row r=\"4\"><c r=\"A4\" s=\"0\"/></row>"
        "<row r=\"5\"><c r=\"C5\" t=\"inlineStr\"><is><t>c</t></is></c><c r=\"D5\" s=\"0\"/></row>"
        // Cells without references follow on from the previous one.
        "<row><c t=\"inlineStr\"><is><t>x</t></is></c><c "
        "t=\"inlineStr\"><is><t>y</t></is></c></row>"
        "<row r=\"9\"><c r=\"A9\" s=\"0\"/></row><row r=\"10\"/>");
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    std::vector<Row> want = {{"a"}, {}, {}, {}, {"", "", "c"}, {"x", "y"}};
    EXPECT_EQ(t.rows, want);
}

TEST_F(XlsxReader, SeveralSheetsInWorkbookOrder) {
    std::string path = write(xlsxParts(
        {{"名单", {"", sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")}},
         {"Second &amp; more", {"", sheetXml("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>")}},
         {"空", {"", sheetXml("")}}}));
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, (std::vector<std::string>{"名单", "Second & more", "空"}));

    Table second = readSheet(path, 1);
    ASSERT_EQ(second.error, ReadError::None);
    EXPECT_EQ(second.name, "Second & more");
    EXPECT_EQ(second.rows, (std::vector<Row>{{"2"}}));
    Table empty = readSheet(path, 2);
    EXPECT_EQ(empty.error, ReadError::None);
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(readSheet(path, 3).error, ReadError::NotSpreadsheet);
}

TEST_F(XlsxReader, PrefixedElementsReadAlike) {
    // Some generators qualify every element with a prefix.
    std::string path = write(xlsxParts(
        {{"S",
          {"", "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>7</x:v></x:c>"
               "<x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t>张三</x:t></x:is></x:c></x:row>"
               "</x:sheetData></x:worksheet>"}}}));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"7", "张三"}}));
}

TEST_F(XlsxReader, ExtensionIsMatchedWithoutCase) {
    std::string path =
        write(xlsxParts({{"S", {"", sheetXml("<row><c><v>5</v></c></row>")}}}), "BOOK.XLSX");
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"5"}}));
}

TEST_F(XlsxReader, HundredThousandRows) {
    constexpr std::size_t kRows = 100000;
    std::string path = write(xlsxParts({{"Big", {"", "", generatedSheet(kRows, [](std::size_t r) {
                                                     std::string n = std::to_string(r);
                                                     return "<row r=\"" + n + "\"><c r=\"A" + n +
                                                            "\"><v>" + n + "</v></c><c r=\"B" + n +
                                                            "\" t=\"inlineStr\"><is><t>名" + n +
                                                            "</t></is></c></row>";
                                                 })}}}));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    ASSERT_EQ(t.rows.size(), kRows);
    EXPECT_EQ(t.rows.front(), (Row{"1", "名1"}));
    EXPECT_EQ(t.rows[49999], (Row{"50000", "名50000"}));
    EXPECT_EQ(t.rows.back(), (Row{"100000", "名100000"}));
}

TEST_F(XlsxReader, PrefixesAreIgnoredInEveryPart) {
    // The package and workbook parts of some generators carry prefixes too,
    // and not always the ones another writer picks.
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
    std::vector<Part> parts = {
        {"_rels/.rels", "<p:Relationships xmlns:p=\"" + pkg +
                            "\"><p:Relationship Id=\"rId1\" Type=\"" + rel +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></p:Relationships>"},
        {"xl/_rels/workbook.xml.rels",
         "<p:Relationships xmlns:p=\"" + pkg + "\"><p:Relationship Id=\"a\" Type=\"" + rel +
             "/worksheet\" Target=\"worksheets/s.xml\"/><p:Relationship Id=\"b\" Type=\"" + rel +
             "/sharedStrings\" Target=\"strings.xml\"/><p:Relationship Id=\"c\" Type=\"" + rel +
             "/styles\" Target=\"styles.xml\"/></p:Relationships>"},
        {"xl/workbook.xml", "<m:workbook xmlns:m=\"" + main + "\" xmlns:rel=\"" + rel +
                                "\"><m:sheets><m:sheet name=\"名单\" sheetId=\"1\" rel:id=\"a\"/>"
                                "</m:sheets></m:workbook>"},
        {"xl/strings.xml", "<s:sst xmlns:s=\"" + main +
                               "\"><s:si><s:r><s:t>王</s:t></s:r><s:r><s:t>五</s:t></s:r>"
                               "<s:rPh><s:t>wang</s:t></s:rPh></s:si></s:sst>"},
        {"xl/styles.xml",
         "<y:styleSheet xmlns:y=\"" + main +
             "\"><y:numFmts><y:numFmt numFmtId=\"170\" formatCode=\"000000\"/>"
             "</y:numFmts><y:cellXfs><y:xf numFmtId=\"0\"/><y:xf numFmtId=\"170\"/>"
             "</y:cellXfs></y:styleSheet>"},
        {"xl/worksheets/s.xml",
         "<q:worksheet xmlns:q=\"" + main +
             "\"><q:sheetData><q:row r=\"1\"><q:c r=\"A1\" s=\"1\"><q:v>1001</q:v></q:c>"
             "<q:c r=\"B1\" t=\"s\"><q:v>0</q:v></q:c></q:row></q:sheetData></q:worksheet>"}};
    std::string path = write(parts);
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, (std::vector<std::string>{"名单"}));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"001001", "王五"}}));
}

TEST_F(XlsxReader, TextAcrossTheParsersChunksReadsWhole) {
    // The part reaches the parser a few hundred kilobytes at a time, and
    // text arrives in pieces: a long cell, a long shared string and every
    // row of a sheet several chunks long must come out whole.
    std::string longText;
    for (int i = 0; i < 16000; ++i)
        longText += "名" + std::to_string(i % 10); // 2 characters, 4 bytes each: 64 KB
    std::string shared = kSharedHead + "<si><t>" + longText + "x</t></si></sst>";
    constexpr std::size_t kRows = 30000;
    auto row = [&](std::size_t r) {
        std::string n = std::to_string(r);
        std::string cells = "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n +
                            "</v></c><c r=\"B" + n + "\" t=\"inlineStr\"><is><t>张&amp;" + n +
                            "</t></is></c>";
        if (r == 2) cells += "<c r=\"C2\" t=\"s\"><v>0</v></c>";
        // Sixty long cells: some of them cross from one chunk to the next.
        if (r % 500 == 3)
            cells += "<c r=\"C" + n + "\" t=\"inlineStr\"><is><t>" + longText + "y</t></is></c>";
        return cells + "</row>";
    };
    std::string path = write(xlsxParts({{"S", {"", "", generatedSheet(kRows, row)}}}, shared));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    ASSERT_EQ(t.rows.size(), kRows);
    std::size_t wrong = 0;
    for (std::size_t r = 1; r <= kRows; ++r) {
        Row want = {std::to_string(r), "张&" + std::to_string(r)};
        if (r == 2) want.push_back(longText + "x");
        if (r % 500 == 3) want.push_back(longText + "y");
        if (t.rows[r - 1] != want) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
}
