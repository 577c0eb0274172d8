// Writing .xlsx: what is written reads back the same, the header is bold, the
// columns fit their text, and a failed write leaves the old file as it was.

#include "sheet/sheet.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <regex>
#include <sys/stat.h>

using namespace luckdial;
using namespace luckdial::sheet;

namespace {

/// One part of a zip file, inflated.
std::string unzipPart(const std::string& path, const char* name) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z) return {};
    std::string out;
    if (zip_file_t* f = zip_fopen(z, name, 0)) {
        char buf[4096];
        zip_int64_t n;
        while ((n = zip_fread(f, buf, sizeof buf)) > 0)
            out.append(buf, static_cast<std::size_t>(n));
        zip_fclose(f);
    }
    zip_discard(z);
    return out;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const Row kHeader = {"序号", "中奖者", "奖项"};

} // namespace

TEST(XlsxWriter, RoundTripKeepsEveryCell) {
    TempDir dir;
    std::string path = dir.path() + "/抽奖结果.xlsx";
    std::vector<Row> rows = {{"1", "1001 张三", "一等奖"},        {"2", "00123 李四", "二等奖"},
                             {"3", "第一行\n第二行", "放弃领奖"}, {},
                             {"5", "", "x < y & \"z\""},          {"6", "Emoji 😀 and ễ"}};
    std::string error;
    ASSERT_TRUE(writeXlsx(path, "抽奖结果", kHeader, rows, &error)) << error;

    SheetList list = listSheets(path);
    ASSERT_EQ(list.error, ReadError::None);
    EXPECT_EQ(list.names, std::vector<std::string>{"抽奖结果"});
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    std::vector<Row> want = rows;
    want.insert(want.begin(), kHeader);
    EXPECT_EQ(t.rows, want);
    // Nothing but the workbook is left beside it.
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"抽奖结果.xlsx"});
}

TEST(XlsxWriter, HeaderIsBoldAndColumnsFitTheirText) {
    TempDir dir;
    std::string path = dir.path() + "/w.xlsx";
    // Column B: "1001 张三丰" is 5 + 3 * 2 = 11 cells wide; column C stays narrow.
    ASSERT_TRUE(writeXlsx(path, "S", kHeader, {{"1", "1001 张三丰", "x"}}));
    std::string sheet = unzipPart(path, "xl/worksheets/sheet1.xml");
    std::string styles = unzipPart(path, "xl/styles.xml");
    ASSERT_FALSE(sheet.empty());
    EXPECT_NE(styles.find("<b/>"), std::string::npos);

    std::smatch m;
    // The header cells carry a style, the body cells none.
    ASSERT_TRUE(std::regex_search(sheet, m, std::regex("<c r=\"A1\" s=\"(\\d+)\"")));
    EXPECT_NE(m[1], "0");
    EXPECT_TRUE(std::regex_search(sheet, std::regex("<c r=\"A2\" t=")));

    std::map<int, double> widths;
    std::regex col("<col min=\"(\\d+)\" max=\"\\d+\" width=\"([0-9.]+)\"");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), col);
         it != std::sregex_iterator(); ++it)
        widths[std::stoi((*it)[1])] = std::stod((*it)[2]);
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_GT(widths[2], widths[1]);
    EXPECT_GE(widths[2], 11.0);
    EXPECT_LT(widths[2], 16.0);
    EXPECT_LT(widths[3], widths[2]);
}

TEST(XlsxWriter, OverlongCellIsCutOnACharacterBoundary) {
    TempDir dir;
    std::string path = dir.path() + "/long.xlsx";
    std::string longText;
    for (int i = 0; i < 20000; ++i)
        longText += "张";
    longText = "a" + longText + longText; // 40,001 characters
    ASSERT_TRUE(writeXlsx(path, "S", {"h"}, {{longText}}));
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1][0], longText.substr(0, 1 + 32766 * 3));
}

TEST(XlsxWriter, FailedWritesLeaveTheOldFileAlone) {
    TempDir dir;
    std::string path = dir.path() + "/out.xlsx";
    writeBytes(path, "old content");

    std::string error;
    // A name a workbook cannot have.
    EXPECT_FALSE(writeXlsx(path, "bad[name]", kHeader, {{"1"}}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), "old content");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.xlsx"});

    // A file its owner protected is not replaced, not even by root.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    error.clear();
    EXPECT_FALSE(writeXlsx(path, "S", kHeader, {{"1"}}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), "old content");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.xlsx"});

    // A folder that does not exist.
    EXPECT_FALSE(writeXlsx(dir.path() + "/missing/out.xlsx", "S", kHeader, {}));
}

TEST(XlsxWriter, ReplacesAnExistingFileKeepingItsMode) {
    TempDir dir;
    std::string path = dir.path() + "/out.xlsx";
    writeBytes(path, "old content");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(writeXlsx(path, "S", kHeader, {{"7", "王五", "三等奖"}}));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    Table t = readSheet(path, 0);
    ASSERT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows, (std::vector<Row>{kHeader, {"7", "王五", "三等奖"}}));
}
