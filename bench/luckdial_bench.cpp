// The pool, draw and progress-save figures on a generated pool of 3,276,000
// eight-digit entries with CR LF ends. Each figure is printed as one line
// "name: value unit"; ratios compare against a plain baseline measured side
// by side in the same run, best of three each.

#include "pool/pool.h"
#include "support/corehost.h"
#include "support/tempdir.h"

#include "draw/core/winners.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace luckdial;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kEntries = Pool::kLimit;
constexpr int kRounds = 3;
// Loading is short and the machine may be shared: more rounds for the best.
constexpr int kLoadRounds = 7;
constexpr int kSaveRounds = 5;

template <typename F> double seconds(F f) {
    auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void fail(const char* what) {
    std::fprintf(stderr, "luckdial_bench: %s\n", what);
    std::exit(1);
}

std::string poolFileText() {
    std::string text(kEntries * 10, '\0');
    char* out = text.data();
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < kEntries; ++i) {
        x = x * 1103515245u + 12345u; // any spread of eight-digit numbers
        std::snprintf(out, 11, "%08u", 10000000u + x % 90000000u);
        out[8] = '\r';
        out[9] = '\n';
        out += 10;
    }
    return text;
}

/// The baseline of loading: the whole file into memory and its line feeds counted.
std::size_t readAndCountLines(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open the pool file");
    struct stat st {};
    fstat(fd, &st);
    std::string data(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t used = 0;
    while (used < data.size()) {
        ssize_t n = ::read(fd, data.data() + used, data.size() - used);
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return static_cast<std::size_t>(std::count(data.begin(), data.begin() + used, '\n'));
}

/// The baseline of saving: the same bytes to a new file in one call, synced.
void plainWrite(const std::string& path, const std::string& data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot create the baseline file");
    if (::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size()))
        fail("short write");
    fsync(fd);
    ::close(fd);
}

void print(const char* name, double value, const char* unit = "") {
    std::printf("%s: %.3f%s%s\n", name, value, *unit ? " " : "", unit);
    std::fflush(stdout);
}

} // namespace

int main() {
    TempDir dir;
    CoreHost host(dir.path());
    const std::string poolPath = host.path("pool.txt");
    const std::string text = poolFileText();
    if (!host.writeFile(poolPath, text)) fail("cannot write the pool file");
    const std::string nativePool = HostBase::nativePath(poolPath);

    // Loading, against reading the file and counting its lines.
    Pool pool;
    double bestLoad = 1e9, bestBaseline = 1e9;
    for (int round = 0; round < kLoadRounds; ++round) {
        std::size_t lines = 0;
        bestBaseline =
            std::min(bestBaseline, seconds([&] { lines = readAndCountLines(nativePool); }));
        benchmark::DoNotOptimize(lines);
        std::size_t reports = 0;
        bestLoad = std::min(bestLoad, seconds([&] {
                                auto file = host.openTextFile(poolPath);
                                loadPool(
                                    pool, *file, [&] { return host.tickCount(); },
                                    [&](std::size_t, double) { ++reports; });
                            }));
        if (pool.count() != kEntries || lines != kEntries) fail("the pool did not load whole");
    }
    print("pool_load_ms", bestLoad * 1e3, "ms");
    print("pool_load_baseline_ms", bestBaseline * 1e3, "ms");
    print("pool_load_ratio", bestLoad / bestBaseline);
    // Memory once the position tree exists, as during a draw.
    pool.removeAt(0);
    print("pool_bytes_per_file_byte",
          static_cast<double>(pool.memoryBytes()) / static_cast<double>(text.size()));

    // Saving the progress: build the text and replace the file crash-safely,
    // against one plain write and sync of the same bytes.
    double bestSave = 1e9, bestPlain = 1e9;
    const std::string progressPath = host.path("progress.txt");
    const std::string plainPath = HostBase::nativePath(host.path("plain.txt"));
    // The program deletes the old progress file before it saves, so both
    // sides create a new file. The disk makes these the noisiest figures.
    for (int round = 0; round < kSaveRounds; ++round) {
        const std::string bytes = progressText(pool);
        ::unlink(plainPath.c_str());
        host.deleteFile(progressPath);
        bestPlain = std::min(bestPlain, seconds([&] { plainWrite(plainPath, bytes); }));
        bestSave = std::min(bestSave, seconds([&] {
                                if (!host.writeFile(progressPath, progressText(pool)))
                                    fail("cannot write the progress file");
                            }));
    }
    print("progress_save_ms", bestSave * 1e3, "ms");
    print("progress_save_baseline_ms", bestPlain * 1e3, "ms");
    print("progress_save_ratio", bestSave / bestPlain);

    // Drawing 10,000 winners without repeats from the full pool (less the
    // one entry removed above).
    constexpr int kWinners = 10000;
    double bestDraw = 1e9;
    Pool drawn;
    for (int round = 0; round < kRounds; ++round) {
        drawn = pool;
        DrawGenerator gen;
        DrawInputs in;
        in.perDrawCount = kWinners;
        in.columns = 5;
        std::int32_t winnerNumber = 1;
        DrawOutcome outcome;
        bestDraw = std::min(bestDraw, seconds([&] {
                                outcome = drawWinners(drawn, gen, in, winnerNumber, kWinners + 1,
                                                      [&] { return host.tickCount(); });
                            }));
        if (outcome.winners.size() != kWinners || drawn.count() != kEntries - 1 - kWinners)
            fail("the draw did not take 10,000 winners");
    }
    print("draw_per_winner_us", bestDraw * 1e6 / kWinners, "us");

    // One scroll frame: reseed, 50 random picks, lay them out. Taken from the
    // pool after the draw, where positions go through the tree.
    constexpr int kFrames = 20000;
    constexpr int kPerFrame = 50;
    DrawGenerator gen;
    std::vector<std::string_view> frame(kPerFrame);
    std::size_t sink = 0;
    const std::int32_t n = static_cast<std::int32_t>(drawn.count());
    double frames = seconds([&] {
        for (int f = 0; f < kFrames; ++f) {
            gen.reseed(host.tickCount());
            for (auto& e : frame)
                e = drawn.entryAt(static_cast<std::size_t>(gen.randomIndex(1, n) - 1));
            std::string label = layoutWinners(frame, 5);
            sink += label.size();
            benchmark::DoNotOptimize(label);
        }
    });
    benchmark::DoNotOptimize(sink);
    print("frame_build_us", frames * 1e6 / kFrames, "us");
    return 0;
}
