// Files a reader must refuse with a clear reason, quickly and without
// exhausting memory: cut short, not a workbook, too big, too many rows.

#include "sheet/sheet.h"
#include "support/tempdir.h"
#include "workbookfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

using namespace luckdial;
using namespace luckdial::sheet;
using namespace luckdial::sheet::test;
using Clock = std::chrono::steady_clock;

namespace {

std::string numberRow(std::size_t r) {
    std::string n = std::to_string(r);
    return "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
}

/// Both the sheet list and the first sheet fail with the same reason.
void expectRefused(const std::string& path, ReadError why, const ReadLimits& limits = {}) {
    EXPECT_EQ(listSheets(path, limits).error, why) << path;
    Table t = readSheet(path, 0, limits);
    EXPECT_EQ(t.error, why) << path;
    EXPECT_TRUE(t.rows.empty());
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

/// Rewrites the uncompressed size a zip declares for the entry, in its local
/// header and in the central directory.
bool declareSize(std::string& zip, const std::string& name, std::uint32_t size) {
    int patched = 0;
    for (std::size_t at = 0; (at = zip.find("PK", at)) != std::string::npos; ++at) {
        if (zip.compare(at, 4, "PK\x03\x04") == 0 && zip.compare(at + 30, name.size(), name) == 0) {
            put32(zip, at + 22, size);
            ++patched;
        } else if (zip.compare(at, 4, "PK\x01\x02") == 0 &&
                   zip.compare(at + 46, name.size(), name) == 0) {
            put32(zip, at + 24, size);
            ++patched;
        }
    }
    return patched == 2;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST(SheetBadInput, CutShortOrBrokenIsDamaged) {
    TempDir dir;
    std::string good = dir.path() + "/good.xlsx";
    std::string rows;
    for (std::size_t r = 1; r <= 2000; ++r)
        rows += numberRow(r);
    ASSERT_TRUE(writeZip(good, xlsxParts({{"S", {"", sheetXml(rows)}}})));
    std::string bytes = readBytes(good);
    ASSERT_EQ(readSheet(good, 0).error, ReadError::None);

    // Cut at several places: inside the data, inside the directory at the end.
    for (std::size_t keep : {bytes.size() / 3, bytes.size() / 2, bytes.size() - 30}) {
        std::string cut = dir.path() + "/cut" + std::to_string(keep) + ".xlsx";
        writeBytes(cut, std::string_view(bytes).substr(0, keep));
        expectRefused(cut, ReadError::Damaged);
    }

    // A sheet whose XML breaks off, and one whose string index points nowhere.
    std::string broken = dir.path() + "/broken.xlsx";
    ASSERT_TRUE(writeZip(broken, xlsxParts({{"S", {"", "<worksheet><sheetData><row><c>"}}})));
    EXPECT_EQ(readSheet(broken, 0).error, ReadError::Damaged);
    std::string badIndex = dir.path() + "/index.xlsx";
    ASSERT_TRUE(
        writeZip(badIndex, xlsxParts({{"S", {"", sheetXml("<row><c t=\"s\"><v>7</v></c></row>")}}},
                                     "<sst><si><t>only</t></si></sst>")));
    EXPECT_EQ(readSheet(badIndex, 0).error, ReadError::Damaged);
}

TEST(SheetBadInput, OtherFilesAreNotSpreadsheets) {
    TempDir dir;
    // A zip of something else.
    std::string plainZip = dir.path() + "/photos.xlsx";
    ASSERT_TRUE(writeZip(plainZip, {{"readme.txt", "hello"}, {"a/b.jpg", "\xFF\xD8"}}));
    expectRefused(plainZip, ReadError::NotSpreadsheet);
    // An office package of another kind.
    std::string document = dir.path() + "/letter.xlsx";
    ASSERT_TRUE(writeZip(
        document,
        {{"_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
          "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
         {"word/document.xml", "<document><body/></document>"}}));
    expectRefused(document, ReadError::NotSpreadsheet);
    // Text saved under the wrong name, and a kind of file not read at all.
    std::string text = dir.path() + "/list.xlsx";
    writeBytes(text, "1001 张三\r\n");
    expectRefused(text, ReadError::NotSpreadsheet);
    std::string other = dir.path() + "/list.xls";
    writeBytes(other, "\xD0\xCF\x11\xE0");
    expectRefused(other, ReadError::NotSpreadsheet);

    expectRefused(dir.path() + "/missing.xlsx", ReadError::CannotOpen);
    std::string folder = dir.path() + "/folder.xlsx";
    std::filesystem::create_directory(folder);
    expectRefused(folder, ReadError::CannotOpen);
}

TEST(SheetBadInput, GigabyteFileIsRefusedBySizeAtOnce) {
    TempDir dir;
    std::string path = dir.path() + "/huge.xlsx";
    {
        // Sparse: a gigabyte on paper, nothing on the disk.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "PK\x03\x04", 4), 4);
        ASSERT_EQ(ftruncate(fd, 1ll << 30), 0);
        ::close(fd);
    }
    auto start = Clock::now();
    expectRefused(path, ReadError::TooLarge);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.0);
}

TEST(SheetBadInput, PartsOverTheByteLimitAreRefused) {
    TempDir dir;
    std::string rows;
    for (std::size_t r = 1; r <= 20000; ++r)
        rows += numberRow(r);
    std::string path = dir.path() + "/big.xlsx";
    ASSERT_TRUE(writeZip(path, xlsxParts({{"S", {"", sheetXml(rows)}}})));
    ReadLimits limits;
    limits.maxUnzippedBytes = 100'000; // the sheet is about 800 KB inflated
    EXPECT_EQ(readSheet(path, 0, limits).error, ReadError::TooLarge);

    // A zip whose directory says the sheet is small: the count while
    // inflating must catch it.
    std::string lying = dir.path() + "/lying.xlsx";
    std::string bytes = readBytes(path);
    ASSERT_TRUE(declareSize(bytes, "xl/worksheets/sheet1.xml", 50'000));
    writeBytes(lying, bytes);
    EXPECT_EQ(readSheet(lying, 0, limits).error, ReadError::TooLarge);
}

TEST(SheetBadInput, WorkbookPartsCannotMultiplyInMemory) {
    TempDir dir;
    // Tiny shared strings, each costing far more in memory than in the file.
    std::string shared = "<sst>";
    for (int i = 0; i < 20000; ++i)
        shared += "<si><t>a</t></si>";
    shared += "</sst>";
    std::string strings = dir.path() + "/strings.xlsx";
    ASSERT_TRUE(writeZip(strings, xlsxParts({{"S", {"", sheetXml(numberRow(1))}}}, shared)));
    ReadLimits limits;
    limits.maxTableBytes = 200'000;
    EXPECT_EQ(readSheet(strings, 0, limits).error, ReadError::TooLarge);
    EXPECT_EQ(readSheet(strings, 0).error, ReadError::None);

    // More sheets than any spreadsheet program makes.
    std::vector<std::pair<std::string, Part>> sheets(100'001, {"S", {"", "<worksheet/>"}});
    std::vector<Part> parts = xlsxParts(sheets);
    // One sheet part is enough to make the point; the workbook names them all.
    parts.erase(std::remove_if(parts.begin(), parts.end(),
                               [](const Part& p) {
                                   return p.name.rfind("xl/worksheets/", 0) == 0 &&
                                          p.name != "xl/worksheets/sheet1.xml";
                               }),
                parts.end());
    std::string many = dir.path() + "/many.xlsx";
    ASSERT_TRUE(writeZip(many, parts));
    EXPECT_EQ(listSheets(many).error, ReadError::Damaged);
}

TEST(SheetBadInput, RowsPastTheLimitStopTheRead) {
    TempDir dir;
    // One cell far down: the rows between would count, so it is refused
    // before anything is allocated for them.
    std::string far = dir.path() + "/far.xlsx";
    ASSERT_TRUE(writeZip(far, xlsxParts({{"S", {"", sheetXml(numberRow(5'000'000))}}})));
    EXPECT_EQ(readSheet(far, 0).error, ReadError::TooManyRows);

    // Trailing empty rows do not count.
    std::string trailing = dir.path() + "/trailing.xlsx";
    ASSERT_TRUE(writeZip(
        trailing, xlsxParts({{"S", {"", sheetXml(numberRow(1) + "<row r=\"4000000\"/>")}}})));
    Table t = readSheet(trailing, 0);
    EXPECT_EQ(t.error, ReadError::None);
    EXPECT_EQ(t.rows.size(), 1u);

    ReadLimits limits;
    limits.maxRows = 10;
    std::string eleven = dir.path() + "/eleven.xlsx";
    ASSERT_TRUE(writeZip(eleven, xlsxParts({{"S", {"", "", generatedSheet(11, numberRow)}}})));
    EXPECT_EQ(readSheet(eleven, 0, limits).error, ReadError::TooManyRows);
    limits.maxRows = 11;
    EXPECT_EQ(readSheet(eleven, 0, limits).rows.size(), 11u);
}

TEST(SheetBadInput, FiveMillionRowsAreRefusedWithBoundedMemory) {
    TempDir dir;
    std::string path = dir.path() + "/five.xlsx";
    auto start = Clock::now();
    // The lightest row that still holds text keeps the test quick.
    ASSERT_TRUE(writeZip(path, xlsxParts({{"S", {"", "", generatedSheet(5'000'000, [](std::size_t) {
                                                     return std::string(
                                                         "<row><c><v>1</v></c></row>");
                                                 })}}})));
    double made = std::chrono::duration<double>(Clock::now() - start).count();

    long before = peakKilobytes();
    start = Clock::now();
    Table t = readSheet(path, 0);
    double read = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(t.error, ReadError::TooManyRows);
    EXPECT_TRUE(t.rows.empty());
    // The read may hold the rows up to the limit (about 72 bytes each), never
    // the whole sheet or a copy of it.
    long grown = peakKilobytes() - before;
    EXPECT_LT(grown, 500 * 1024) << "peak grew by " << grown << " KB";
    std::printf("five million rows: made in %.1f s, refused in %.1f s, peak +%ld MB\n", made, read,
                grown / 1024);
}

TEST(SheetBadInput, DocumentTypeDeclarationsAreRefused) {
    TempDir dir;
    // No workbook part carries one; with one, a few hundred bytes of
    // entities could expand to gigabytes.
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
        "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
        "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
        "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i "
        "\"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>";
    std::string sheet = dir.path() + "/laughs.xlsx";
    ASSERT_TRUE(writeZip(
        sheet, xlsxParts({{"S",
                           {"", laughs + "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&i;"
                                         "</t></is></c></row></sheetData></worksheet>"}}})));
    auto start = Clock::now();
    Table t = readSheet(sheet, 0);
    EXPECT_EQ(t.error, ReadError::Damaged);
    EXPECT_TRUE(t.rows.empty());
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.0);
    EXPECT_EQ(listSheets(sheet).error, ReadError::None); // the workbook itself is sound

    // Even a harmless declaration, in any part.
    const std::string doctype = "<!DOCTYPE x>";
    std::string strings = dir.path() + "/strings.xlsx";
    ASSERT_TRUE(writeZip(strings, xlsxParts({{"S", {"", sheetXml(numberRow(1))}}},
                                            doctype + "<sst><si><t>a</t></si></sst>")));
    EXPECT_EQ(readSheet(strings, 0).error, ReadError::Damaged);
    std::string styles = dir.path() + "/styles.xlsx";
    ASSERT_TRUE(writeZip(
        styles, xlsxParts({{"S", {"", sheetXml(numberRow(1))}}}, {}, doctype + "<styleSheet/>")));
    EXPECT_EQ(readSheet(styles, 0).error, ReadError::Damaged);
    std::vector<Part> parts = xlsxParts({{"S", {"", sheetXml(numberRow(1))}}});
    for (Part& p : parts)
        if (p.name == "xl/workbook.xml") p.content.insert(p.content.find("<workbook"), doctype);
    std::string workbook = dir.path() + "/workbook.xlsx";
    ASSERT_TRUE(writeZip(workbook, parts));
    expectRefused(workbook, ReadError::Damaged);
}

TEST(SheetBadInput, MalformedWorkbookPartsAreDamaged) {
    TempDir dir;
    const std::string sheet = sheetXml(numberRow(1));
    int made = 0;
    auto withPart = [&](const std::string& name, const std::string& content) {
        std::vector<Part> parts = xlsxParts({{"S", {"", sheet}}}, "<sst/>", "<styleSheet/>");
        for (Part& p : parts)
            if (p.name == name) p.content = content;
        std::string path = dir.path() + "/" + std::to_string(++made) + ".xlsx";
        EXPECT_TRUE(writeZip(path, parts));
        return path;
    };
    std::string path = withPart("xl/sharedStrings.xml", "<sst><si><t>a</si></sst>");
    EXPECT_EQ(readSheet(path, 0).error, ReadError::Damaged);
    path = withPart("xl/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"1\"></cellXfs>");
    EXPECT_EQ(readSheet(path, 0).error, ReadError::Damaged);
    path = withPart("xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\"");
    expectRefused(path, ReadError::Damaged);
    path = withPart("_rels/.rels", "<Relationships>&nbsp;</Relationships>"); // an unknown entity
    expectRefused(path, ReadError::Damaged);
    path = withPart("xl/workbook.xml", "");
    expectRefused(path, ReadError::Damaged);
    // A sheet that breaks after some rows keeps none of them.
    path = withPart("xl/worksheets/sheet1.xml",
                    "<worksheet><sheetData>" + numberRow(1) + numberRow(2) + "<row><c><v>3</c>");
    Table t = readSheet(path, 0);
    EXPECT_EQ(t.error, ReadError::Damaged);
    EXPECT_TRUE(t.rows.empty());
}
