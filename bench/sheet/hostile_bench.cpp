// Hostile files through the real reader: small files that inflate to a
// gigabyte cell or string, repeats of spaces, rows and columns, millions of
// nested elements, a zip bomb, large text files. Each file is listed and its
// first sheet read the way the import window does it, in a fresh process of
// this program, which reports its peak resident memory and the time taken.
// Prints one "hostile_NAME: ..." line per file, then the worst figures; the
// exit status is 1 when a file of up to 100 MB took more than 512 MB or
// 10 s of processor time before it was read or refused.

#include "sheet/sheet.h"
#include "support/procstatus.h"
#include "support/tempdir.h"
#include "workbookfiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace luckdial;
using namespace luckdial::sheet::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr double kMaxPeakMb = 512;
constexpr double kMaxSeconds = 10;
constexpr std::uint64_t kBoundedFileBytes = 100 * 1000 * 1000;

void fail(const std::string& what) {
    std::fprintf(stderr, "luckdial_hostile_bench: %s\n", what.c_str());
    std::exit(2);
}

/// head, then unit count times, then tail.
Producer repeated(std::string head, std::string unit, std::uint64_t count, std::string tail) {
    struct State {
        std::string head, unit, tail;
        std::uint64_t left;
        std::string pending;
        std::size_t pos = 0;
        int stage = 0; // 0 head, 1 units, 2 tail, 3 done
    };
    auto s = std::make_shared<State>(
        State{std::move(head), std::move(unit), std::move(tail), count, {}, 0, 0});
    return [s](char* buffer, std::size_t size) -> std::size_t {
        std::size_t written = 0;
        while (written < size) {
            if (s->pos == s->pending.size()) {
                s->pos = 0;
                s->pending.clear();
                if (s->stage == 0) {
                    s->pending = s->head;
                    s->stage = 1;
                } else if (s->stage == 1 && s->left > 0) {
                    // Units in batches keep the callback cheap.
                    for (int k = 0; k < 4096 && s->left > 0; ++k, --s->left)
                        s->pending += s->unit;
                } else if (s->stage <= 2) {
                    s->pending = s->tail;
                    s->stage = 3;
                } else {
                    break;
                }
            }
            std::size_t n = std::min(size - written, s->pending.size() - s->pos);
            std::memcpy(buffer + written, s->pending.data() + s->pos, n);
            written += n;
            s->pos += n;
        }
        return written;
    };
}

/// The parts with the named one's content streamed from produce.
std::vector<Part> streaming(std::vector<Part> parts, const std::string& name, Producer produce) {
    for (Part& p : parts)
        if (p.name == name) {
            p.content.clear();
            p.produce = std::move(produce);
            return parts;
        }
    fail("no part " + name);
    return parts;
}

/// content.xml of an .ods whose spreadsheet body is head, unit × count, tail.
std::vector<Part> odsStreaming(const std::string& head, const std::string& unit,
                               std::uint64_t count, const std::string& tail) {
    const std::string mark = "\x01";
    std::vector<Part> parts = odsParts(mark);
    std::string content;
    for (const Part& p : parts)
        if (p.name == "content.xml") content = p.content;
    const std::size_t at = content.find(mark);
    return streaming(
        parts, "content.xml",
        repeated(content.substr(0, at) + head, unit, count, tail + content.substr(at + 1)));
}

const std::string kOdsRowOpen = "<table:table table:name=\"S\"><table:table-row>";
const std::string kOdsRowClose = "</table:table-row></table:table>";
const std::string kSheetHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
                               "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                               "main\"><sheetData>";
const std::string kSheetTail = "</sheetData></worksheet>";

struct Hostile {
    std::string name;
    std::string file;
    std::function<void(const std::string& path)> make;
};

void zipTo(const std::string& path, const std::vector<Part>& parts) {
    if (!writeZip(path, parts)) fail("cannot write " + path);
}

/// bytes of text (to whole lines), made of unit.
void textTo(const std::string& path, const std::string& unit, std::uint64_t bytes) {
    const std::uint64_t count = bytes / unit.size();
    std::ofstream out(path, std::ios::binary);
    std::string block;
    for (int k = 0; k < 4096; ++k)
        block += unit;
    for (std::uint64_t done = 0; done + 4096 <= count; done += 4096)
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!out) fail("cannot write " + path);
}

std::vector<Hostile> hostileFiles() {
    const std::string kib(1024, 'x');
    std::vector<Hostile> files;
    files.push_back({"ods_cell_900mib", "cell.ods", [=](const std::string& p) {
                         zipTo(p, odsStreaming(kOdsRowOpen + "<table:table-cell><text:p>", kib,
                                               900 * 1024,
                                               "</text:p></table:table-cell>" + kOdsRowClose));
                     }});
    files.push_back(
        {"xlsx_shared_string_900mib", "string.xlsx", [=](const std::string& p) {
             auto parts =
                 xlsxParts({{"S", {"", sheetXml("<row><c t=\"s\"><v>0</v></c></row>")}}}, "<sst/>");
             zipTo(p, streaming(parts, "xl/sharedStrings.xml",
                                repeated("<sst><si><t>", kib, 900 * 1024, "</t></si></sst>")));
         }});
    files.push_back(
        {"xlsx_inline_string_900mib", "inline.xlsx", [=](const std::string& p) {
             auto parts = xlsxParts({{"S", {"", ""}}});
             zipTo(p, streaming(parts, "xl/worksheets/sheet1.xml",
                                repeated(kSheetHead + "<row><c t=\"inlineStr\"><is><t>", kib,
                                         900 * 1024, "</t></is></c></row>" + kSheetTail)));
         }});
    // Under the unzipped bytes' limit as declared, so that the cell's own
    // limit has to stop it while it inflates.
    files.push_back({"ods_cell_600mib", "cell600.ods", [=](const std::string& p) {
                         zipTo(p, odsStreaming(kOdsRowOpen + "<table:table-cell><text:p>", kib,
                                               600 * 1024,
                                               "</text:p></table:table-cell>" + kOdsRowClose));
                     }});
    files.push_back(
        {"xlsx_shared_string_600mib", "string600.xlsx", [=](const std::string& p) {
             auto parts =
                 xlsxParts({{"S", {"", sheetXml("<row><c t=\"s\"><v>0</v></c></row>")}}}, "<sst/>");
             zipTo(p, streaming(parts, "xl/sharedStrings.xml",
                                repeated("<sst><si><t>", kib, 600 * 1024, "</t></si></sst>")));
         }});
    // Each text:s stands for a billion spaces, in a cell repeated over the
    // widest row and a million rows.
    files.push_back(
        {"ods_repeated_spaces", "spaces.ods", [=](const std::string& p) {
             zipTo(p, odsStreaming("<table:table table:name=\"S\"><table:table-row "
                                   "table:number-rows-repeated=\"1048576\"><table:table-cell "
                                   "table:number-columns-repeated=\"16384\"><text:p>",
                                   "<text:s text:c=\"1000000000\"/>", 1000,
                                   "</text:p></table:table-cell>" + kOdsRowClose));
         }});
    // A short text in every cell of a million rows of 1,024 columns.
    files.push_back(
        {"ods_repeated_rows_columns", "repeats.ods", [=](const std::string& p) {
             zipTo(p, odsStreaming("<table:table table:name=\"S\"><table:table-row "
                                   "table:number-rows-repeated=\"1048576\">",
                                   "<table:table-cell table:number-columns-repeated=\"1024\">"
                                   "<text:p>x</text:p></table:table-cell>",
                                   1, kOdsRowClose));
         }});
    files.push_back({"xlsx_nested_5m", "nested.xlsx", [=](const std::string& p) {
                         auto parts = xlsxParts({{"S", {"", ""}}});
                         // Opening tags only: the reader must stop long before any closing one.
                         zipTo(p, streaming(parts, "xl/worksheets/sheet1.xml",
                                            repeated(kSheetHead, "<a>", 5'000'000, kSheetTail)));
                     }});
    files.push_back({"ods_nested_5m", "nested.ods", [=](const std::string& p) {
                         zipTo(p, odsStreaming(kOdsRowOpen + "<table:table-cell><text:p>",
                                               "<text:span>", 5'000'000,
                                               "</text:p></table:table-cell>" + kOdsRowClose));
                     }});
    // 4 GiB of sheet XML in a few MB: stopped at the unzipped bytes' limit.
    files.push_back(
        {"xlsx_zip_bomb", "bomb.xlsx", [=](const std::string& p) {
             auto parts = xlsxParts({{"S", {"", ""}}});
             zipTo(p, streaming(parts, "xl/worksheets/sheet1.xml",
                                repeated(kSheetHead, std::string(1 << 20, ' '), 4096, kSheetTail)));
         }});
    // Two parts of 600 MiB each, each under the limit alone: their sum is not.
    files.push_back(
        {"xlsx_zip_bomb_two_parts", "bomb2.xlsx", [=](const std::string& p) {
             auto parts = xlsxParts({{"S", {"", ""}}}, "<sst/>");
             parts = streaming(parts, "xl/sharedStrings.xml",
                               repeated("<sst>", std::string(1 << 20, ' '), 600, "</sst>"));
             zipTo(p, streaming(parts, "xl/worksheets/sheet1.xml",
                                repeated(kSheetHead, std::string(1 << 20, ' '), 600, kSheetTail)));
         }});
    // Forty million one-digit cells in 600 MiB of sheet XML: the table's bound.
    files.push_back(
        {"xlsx_small_cells_600mib", "cells.xlsx", [=](const std::string& p) {
             std::string row = "<row>";
             for (int c = 0; c < 1000; ++c)
                 row += "<c><v>1</v></c>";
             row += "</row>";
             auto parts = xlsxParts({{"S", {"", ""}}});
             zipTo(p, streaming(parts, "xl/worksheets/sheet1.xml",
                                repeated(kSheetHead, row, 600 * kMiB / row.size(), kSheetTail)));
         }});
    files.push_back({"csv_250mib", "big.csv",
                     [](const std::string& p) { textTo(p, "1001,张三\r\n", 250 * kMiB); }});
    // Just under the file limit, in the shortest cells: the table's bound.
    files.push_back({"csv_95mib_short_cells", "short.csv",
                     [](const std::string& p) { textTo(p, "1,2,3,4,5,6,7\r\n", 95 * kMiB); }});
    // Rows of a staff list, just under the row limit.
    files.push_back({"csv_95mib_staff", "staff.csv", [](const std::string& p) {
                         textTo(p, "100001,张三丰,销售部,2024-01-01\r\n", 95 * kMiB);
                     }});
    return files;
}

using luckdial::testing::statusKilobytes;

const char* errorName(sheet::ReadError e) {
    static const char* const kNames[] = {
        "read",          "cannot-open", "not-spreadsheet", "damaged",      "too-large",
        "too-many-rows", "password",    "binary",          "old-workbook", "cancelled"};
    return kNames[static_cast<int>(e)];
}

/// The child's side: the sheet list, then the first sheet, as the import
/// window reads them; prints the outcome, the rows, the seconds (wall clock
/// and processor time) and the peak in KiB.
int measure(const std::string& path) {
    auto start = Clock::now();
    sheet::SheetList list = sheet::listSheets(path);
    sheet::ReadError error = list.error;
    std::size_t rows = 0;
    if (error == sheet::ReadError::None) {
        sheet::Table t = sheet::readSheet(path, 0);
        error = t.error;
        rows = t.rows.size();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%s %zu %.3f %.3f %ld\n", errorName(error), rows, seconds, cpu,
                statusKilobytes("VmHWM"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0) return measure(argv[2]);
    // Optional: the files whose name holds this text, and a folder to keep them in.
    const std::string only = argc >= 2 ? argv[1] : "";
    const std::string keep = argc >= 3 ? argv[2] : "";

    TempDir dir;
    double worstSeconds = 0, worstPeak = 0;
    std::string worstTimeName, worstPeakName;
    bool over = false;
    for (const Hostile& h : hostileFiles()) {
        if (!only.empty() && h.name.find(only) == std::string::npos) continue;
        const std::string path = (keep.empty() ? dir.path() : keep) + "/" + h.file;
        h.make(path);
        const auto bytes = std::filesystem::file_size(path);
        std::string command = "'" + std::string(argv[0]) + "' --measure '" + path + "'";
        FILE* child = popen(command.c_str(), "r");
        if (!child) fail("cannot start the measuring process");
        char outcome[64] = {};
        std::size_t rows = 0;
        double seconds = 0, cpu = 0;
        long peakKb = 0;
        const int got =
            std::fscanf(child, "%63s %zu %lf %lf %ld", outcome, &rows, &seconds, &cpu, &peakKb);
        if (pclose(child) != 0 || got != 5) fail("the measuring process failed on " + h.name);
        if (keep.empty()) std::filesystem::remove(path);

        const double peakMb = static_cast<double>(peakKb) / 1024.0;
        const bool bounded = bytes <= kBoundedFileBytes;
        // Processor time: on a machine shared with other work the wall clock
        // says more about the others than about the reader.
        const bool bad = bounded && (peakMb > kMaxPeakMb || cpu > kMaxSeconds);
        over = over || bad;
        std::printf(
            "hostile_%s: %s, %zu rows, file %.1f MB, %.0f ms (processor %.0f ms), peak %.0f "
            "MB%s\n",
            h.name.c_str(), outcome, rows, static_cast<double>(bytes) / 1e6, seconds * 1e3,
            cpu * 1e3, peakMb, bad ? "  OVER THE BOUND" : "");
        std::fflush(stdout);
        if (cpu > worstSeconds) worstSeconds = cpu, worstTimeName = h.name;
        if (peakMb > worstPeak) worstPeak = peakMb, worstPeakName = h.name;
    }
    std::printf("hostile_worst_processor_ms: %.0f ms (%s)\n", worstSeconds * 1e3,
                worstTimeName.c_str());
    std::printf("hostile_worst_peak_mb: %.0f MB (%s)\n", worstPeak, worstPeakName.c_str());
    return over ? 1 : 0;
}
