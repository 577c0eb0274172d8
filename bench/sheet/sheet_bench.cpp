// The import of a 1,000,000-row sheet of staff numbers and names, written by
// libxlsxwriter as a spreadsheet program writes it (numbers, shared strings).
// Prints "name: value unit" lines: the rows read per second (best of three)
// and the peak memory of one import, measured in a fresh process of this
// program so that nothing else it did counts.

#include "sheet/sheet.h"
#include "support/procstatus.h"
#include "support/tempdir.h"

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace luckdial;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kRows = 1'000'000;
constexpr int kRounds = 3;

void fail(const char* what) {
    std::fprintf(stderr, "luckdial_sheet_bench: %s\n", what);
    std::exit(1);
}

void print(const char* name, double value, const char* unit = "") {
    std::printf("%s: %.3f%s%s\n", name, value, *unit ? " " : "", unit);
    std::fflush(stdout);
}

void makeWorkbook(const std::string& path) {
    static const char* const kFamily[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄"};
    static const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静",
                                         "丽", "强", "磊", "洋", "艳"};
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "名单");
    worksheet_write_string(sheet, 0, 0, "工号", nullptr);
    worksheet_write_string(sheet, 0, 1, "姓名", nullptr);
    std::uint32_t x = 12345;
    for (std::size_t r = 1; r < kRows; ++r) {
        x = x * 1103515245u + 12345u;
        std::string name = std::string(kFamily[x % 8]) + kGiven[(x >> 8) % 10] +
                           kGiven[(x >> 16) % 10] + std::to_string(r % 1000);
        worksheet_write_number(sheet, static_cast<lxw_row_t>(r), 0, 100000.0 + r, nullptr);
        worksheet_write_string(sheet, static_cast<lxw_row_t>(r), 1, name.c_str(), nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR) fail("cannot write the workbook");
}

std::uint64_t unzippedSize(const std::string& path, const char* part) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z) fail("cannot open the workbook as a zip");
    zip_stat_t st;
    if (zip_stat(z, part, 0, &st) != 0) fail("the workbook has no such part");
    zip_discard(z);
    return st.size;
}

using luckdial::testing::statusKilobytes;

/// The child's side: one import, then the growth of the peak resident size.
int measureImport(const std::string& path) {
    long before = statusKilobytes("VmRSS");
    sheet::Table t = sheet::readSheet(path, 0);
    if (t.error != sheet::ReadError::None || t.rows.size() != kRows) return 1;
    benchmark::DoNotOptimize(t);
    std::printf("%ld\n", statusKilobytes("VmHWM") - before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure-import") == 0) return measureImport(argv[2]);

    TempDir dir;
    const std::string path = dir.path() + "/staff.xlsx";
    makeWorkbook(path);

    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        sheet::Table t = sheet::readSheet(path, 0);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        if (t.error != sheet::ReadError::None || t.rows.size() != kRows)
            fail("the sheet did not read whole");
        if (t.rows[1][0] != "100001") fail("a staff number did not read as the sheet shows it");
    }
    print("xlsx_import_ms", best * 1e3, "ms");
    print("xlsx_import_rows_per_s", static_cast<double>(kRows) / best, "rows/s");

    // The peak of one import in a fresh process of this program.
    std::string command = "'" + std::string(argv[0]) + "' --measure-import '" + path + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child) fail("cannot start the measuring process");
    long peakKb = -1;
    if (std::fscanf(child, "%ld", &peakKb) != 1) peakKb = -1;
    if (pclose(child) != 0 || peakKb < 0) fail("the measuring import failed");
    const double sheetBytes = static_cast<double>(unzippedSize(path, "xl/worksheets/sheet1.xml"));
    const double stringsBytes = static_cast<double>(unzippedSize(path, "xl/sharedStrings.xml"));
    print("xlsx_sheet_unzipped_mb", sheetBytes / 1048576.0, "MB");
    print("xlsx_strings_unzipped_mb", stringsBytes / 1048576.0, "MB");
    print("xlsx_import_peak_mb", static_cast<double>(peakKb) / 1024.0, "MB");
    print("xlsx_import_peak_ratio", static_cast<double>(peakKb) * 1024.0 / sheetBytes);
    return 0;
}
