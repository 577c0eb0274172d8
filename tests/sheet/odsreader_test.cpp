// Reading .ods: the shown text of each cell, repeated rows and cells, several
// tables and files that are no spreadsheet. The files are zipped here from a
// content.xml written by the test.

#include "sheet/sheet.h"
#include "support/tempdir.h"
#include "workbookfiles.h"

#include <gtest/gtest.h>

using namespace luckdial;
using namespace luckdial::sheet;
using namespace luckdial::sheet::test;

namespace {

class OdsReader : public ::testing::Test {
protected:
    std::string write(const std::string& body, const std::string& name = "book.ods") {
        std::string path = dir.path() + "/" + name;
        EXPECT_TRUE(writeZip(path, odsParts(body)));
        return path;
    }
    static std::string table(const std::string& name, const std::string& rows) {
        return "<table:table table:name=\"" + name + "\"><table:table-column/>" + rows +
               "</table:table>";
    }
    TempDir dir;
};

} // namespace

TEST_F(OdsReader, CellsReadAsShown) {
    std::string path = write(table(
        "名单",
        "<table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>工号</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"string\"><text:p>姓名</text:p></table:table-cell>"
        "</table:table-row><table:table-row>"
        // A number shows its formatted text; a text "00123" stays as it is.
        "<table:table-cell office:value-type=\"float\" office:value=\"1001\"><text:p>1,001</text:p>"
        "</table:table-cell>"
        "<table:table-cell office:value-type=\"string\"><text:p>00123</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-01-01\">"
        "<text:p>2024年1月1日</text:p></table:table-cell>"
        "</table:table-row><table:table-row>"
        // Spaces, a tab, a line break, spans and two paragraphs; the note is not shown.
        "<table:table-cell><office:annotation><text:p>a note</text:p></office:annotation>"
        "<text:p>张<text:s text:c=\"3\"/>三<text:tab/>x<text:span>y</text:span></text:p>"
        "<text:p>第二行<text:line-break/>第三行<text:s/></text:p></table:table-cell>"
        // No paragraph: the value stands in.
        "<table:table-cell office:value-type=\"float\" office:value=\"42\"/>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
        "</table:table-row>"));
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, std::vector<std::string>{"名单"});
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.name, "名单");
    std::vector<Row> want = {{"工号", "姓名"},
                             {"1,001", "00123", "2024年1月1日"},
                             {"张   三\txy\n第二行\n第三行 ", "42", "true"}};
    EXPECT_EQ(t.rows, want);
}

TEST_F(OdsReader, RepeatedRowsAndCells) {
    std::string path = write(table(
        "S",
        "<table:table-row table:number-rows-repeated=\"2\">"
        "<table:table-cell "
        "table:number-columns-repeated=\"2\"><text:p>x</text:p></table:table-cell>"
        "<table:table-cell table:number-columns-repeated=\"3\"/>"
        "<table:table-cell><text:p>y</text:p></table:table-cell>"
        "<table:table-cell table:number-columns-repeated=\"16378\"/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell/></table:table-row>"
        "<table:table-header-rows><table:table-row><table:table-cell><text:p>in a group</text:p>"
        "</table:table-cell></table:table-row></table:table-header-rows>"
        // What a spreadsheet program writes to the end of the sheet: nothing to keep.
        "<table:table-row table:number-rows-repeated=\"1048570\">"
        "<table:table-cell table:number-columns-repeated=\"16384\"/></table:table-row>"));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    std::vector<Row> want = {
        {"x", "x", "", "", "", "y"}, {"x", "x", "", "", "", "y"}, {}, {}, {}, {"in a group"}};
    EXPECT_EQ(t.rows, want);
}

TEST_F(OdsReader, SeveralTables) {
    std::string path =
        write(table("一", "<table:table-row><table:table-cell><text:p>1</text:p></table:table-cell>"
                          "</table:table-row>") +
              table("二", "<table:table-row><table:table-cell><text:p>2</text:p></table:table-cell>"
                          "</table:table-row>"));
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, (std::vector<std::string>{"一", "二"}));
    Table second = readSheet(path, 1);
    ASSERT_EQ(second.error, ReadError::None);
    EXPECT_EQ(second.name, "二");
    EXPECT_EQ(second.rows, (std::vector<Row>{{"2"}}));
    EXPECT_EQ(readSheet(path, 2).error, ReadError::NotSpreadsheet);
}

TEST_F(OdsReader, RepeatsAreBoundedByTheLimits) {
    const std::string cell = "<table:table-cell><text:p>x</text:p></table:table-cell>";
    // Five million filled rows in a few bytes: refused before any is made.
    std::string many = write(table("S", "<table:table-row table:number-rows-repeated=\"5000000\">" +
                                            cell + "</table:table-row>"),
                             "many.ods");
    EXPECT_EQ(readSheet(many, 0).error, ReadError::TooManyRows);
    // A filled cell repeated past the widest sheet.
    std::string wide =
        write(table("S", "<table:table-row><table:table-cell table:number-columns-repeated="
                         "\"100000\"><text:p>x</text:p></table:table-cell></table:table-row>"),
              "wide.ods");
    EXPECT_EQ(readSheet(wide, 0).error, ReadError::Damaged);
    // Rows within the row limit whose cells would take too much memory.
    std::string heavy =
        write(table("S", "<table:table-row table:number-rows-repeated=\"3000000\">"
                         "<table:table-cell table:number-columns-repeated=\"1000\"><text:p>"
                         "a long enough text to leave the short-string buffer</text:p>"
                         "</table:table-cell></table:table-row>"),
              "heavy.ods");
    EXPECT_EQ(readSheet(heavy, 0).error, ReadError::TooLarge);
    // A run of spaces is clamped and counts against the cell's limit: past
    // 32,767 characters the file is damaged; under it, the text stays within
    // the memory limit.
    std::string spaces = write(
        table("S", "<table:table-row><table:table-cell><text:p>a<text:s text:c=\"2000000000\"/>"
                   "<text:s text:c=\"60000\"/></text:p></table:table-cell></table:table-row>"),
        "spaces.ods");
    EXPECT_EQ(readSheet(spaces, 0).error, ReadError::Damaged);
    std::string fewer =
        write(table("S", "<table:table-row><table:table-cell><text:p>a<text:s text:c=\"30000\"/>"
                         "</text:p></table:table-cell></table:table-row>"),
              "fewer.ods");
    ReadLimits small;
    small.maxTableBytes = 10'000;
    EXPECT_EQ(readSheet(fewer, 0, small).error, ReadError::TooLarge);
    Table t = readSheet(fewer, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows[0][0].size(), 1u + 30000);
}

TEST_F(OdsReader, OtherPackagesAndBrokenContent) {
    std::string textDocument = dir.path() + "/letter.ods";
    ASSERT_TRUE(writeZip(textDocument, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                        {"content.xml", "<office:document-content/>"}}));
    EXPECT_EQ(listSheets(textDocument).error, ReadError::NotSpreadsheet);
    EXPECT_EQ(readSheet(textDocument, 0).error, ReadError::NotSpreadsheet);

    std::string noContent = dir.path() + "/empty.ods";
    ASSERT_TRUE(writeZip(noContent, {{"readme.txt", "hello"}}));
    EXPECT_EQ(readSheet(noContent, 0).error, ReadError::NotSpreadsheet);

    std::vector<Part> parts = odsParts(table("S", "<table:table-row><table:table-cell>"));
    parts[2].content.resize(parts[2].content.size() - 80);
    std::string broken = dir.path() + "/broken.ods";
    ASSERT_TRUE(writeZip(broken, parts));
    EXPECT_EQ(readSheet(broken, 0).error, ReadError::Damaged);

    // A document type declaration, harmless or an entity bomb, is refused.
    for (const std::string& doctype :
         {std::string("<!DOCTYPE x>"),
          std::string(
              "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>")}) {
        std::vector<Part> declared = odsParts(table("S", "<table:table-row><table:table-cell>"
                                                         "<text:p>1</text:p></table:table-cell>"
                                                         "</table:table-row>"));
        std::string& content = declared[2].content;
        content.insert(content.find("<office:document-content"), doctype);
        std::string path = dir.path() + "/declared.ods";
        ASSERT_TRUE(writeZip(path, declared));
        EXPECT_EQ(listSheets(path).error, ReadError::Damaged) << doctype;
        EXPECT_EQ(readSheet(path, 0).error, ReadError::Damaged) << doctype;
    }
}
