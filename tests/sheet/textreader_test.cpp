// Reading .csv and .txt: quoting and line breaks in .csv, tabs in .txt, the
// encodings a list arrives in, and the limits.

#include "host/core/text.h"
#include "sheet/sheet.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace luckdial;
using namespace luckdial::sheet;

namespace {

class TextReader : public ::testing::Test {
protected:
    std::string write(const std::string& name, std::string_view bytes) {
        std::string path = dir.path() + "/" + name;
        writeBytes(path, bytes);
        return path;
    }
    TempDir dir;
};

} // namespace

TEST_F(TextReader, CsvQuotingAndLineBreaks) {
    std::string path = write("名单.csv", "\xEF\xBB\xBF"
                                         "工号,姓名\r\n"
                                         "1001,张三\r\n"
                                         "\r\n"
                                         "00123,\"李, 四\"\r\n"
                                         "1003,\"王\"\"五\"\"\"\n"
                                         "1004,\"第一行\r\n第二行\",\n"
                                         ",,x\r"
                                         "\"\"\"quoted\"\" tail\" after,last");
    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, std::vector<std::string>{"名单"});
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.name, "名单");
    std::vector<Row> want = {{"工号", "姓名"},
                             {"1001", "张三"},
                             {},
                             {"00123", "李, 四"},
                             {"1003", "王\"五\""},
                             {"1004", "第一行\r\n第二行"},
                             {"", "", "x"},
                             {"\"quoted\" tail after", "last"}};
    EXPECT_EQ(t.rows, want);
    EXPECT_EQ(readSheet(path, 1).error, ReadError::NotSpreadsheet);
}

TEST_F(TextReader, TxtIsTabSeparatedWithoutQuoting) {
    std::string path = write("pool.TXT", "1001\t张三\n\"1002\"\t\"李四\n1003\n\n");
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{{"1001", "张三"}, {"\"1002\"", "\"李四"}, {"1003"}}));
}

TEST_F(TextReader, EncodingsAreRecognised) {
    // GBK, as pool files have always been, and the same names in UTF-8.
    Table fromGbk = readSheet(write("gbk.csv", gbk("1001,张三\r\n1002,谢伟\r\n")), 0);
    Table fromUtf8 = readSheet(write("utf8.csv", "1001,张三\r\n1002,谢伟\r\n"), 0);
    std::vector<Row> want = {{"1001", "张三"}, {"1002", "谢伟"}};
    ASSERT_EQ(fromGbk.error, ReadError::None);
    EXPECT_EQ(fromGbk.rows, want);
    EXPECT_EQ(fromUtf8.rows, want);
    // Characters GBK lacks survive a UTF-8 file.
    Table wide = readSheet(write("wide.txt", "Nguyễn\t😀\n"), 0);
    EXPECT_EQ(wide.rows, (std::vector<Row>{{"Nguyễn", "😀"}}));
    // UTF-16 with its byte-order mark, little- and big-endian.
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (char16_t c : std::u16string(u"1001\t张三\r\n")) {
        le += static_cast<char>(c & 0xFF);
        le += static_cast<char>(c >> 8);
        be += static_cast<char>(c >> 8);
        be += static_cast<char>(c & 0xFF);
    }
    EXPECT_EQ(readSheet(write("le.txt", le), 0).rows, (std::vector<Row>{{"1001", "张三"}}));
    EXPECT_EQ(readSheet(write("be.txt", be), 0).rows, (std::vector<Row>{{"1001", "张三"}}));
}

TEST_F(TextReader, LimitsAndMissingFiles) {
    std::string path = write("rows.csv", "1\n2\n3\n4\n");
    ReadLimits limits;
    limits.maxRows = 3;
    EXPECT_EQ(readSheet(path, 0, limits).error, ReadError::TooManyRows);
    limits.maxRows = 4;
    EXPECT_EQ(readSheet(path, 0, limits).rows.size(), 4u);
    limits.maxFileBytes = 7;
    EXPECT_EQ(listSheets(path, limits).error, ReadError::TooLarge);
    EXPECT_EQ(readSheet(path, 0, limits).error, ReadError::TooLarge);
    EXPECT_EQ(listSheets(dir.path() + "/missing.csv").error, ReadError::CannotOpen);
    EXPECT_EQ(readSheet(dir.path() + "/missing.txt", 0).error, ReadError::CannotOpen);
}
