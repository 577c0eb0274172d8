// Start-up with a full-size pool: time from the creation handler's start until
// the event loop runs, and the process's peak resident memory. Offscreen.
// Prints "startup_ms: X ms" and "startup_peak_mb: X MB".

#include "app/application.h"
#include "host/core/text.h"
#include "host/qt/qthost.h"
#include "pool/pool.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kEntries = luckdial::Pool::kLimit;

void writePool(const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary);
    std::string chunk;
    chunk.reserve(1 << 20);
    char line[16];
    for (std::size_t i = 0; i < kEntries; ++i) {
        std::snprintf(line, sizeof line, "%08zu\r\n", 10000000 + i * 7 % 90000000);
        chunk += line;
        if (chunk.size() > (1 << 20) - 16) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
}

void writeConfig(const std::filesystem::path& file) {
    using luckdial::gbk;
    std::ofstream out(file, std::ios::binary);
    out << "[zbt]\r\n"
        << gbk("界面大小=全屏\r\n特等奖=特等奖\r\n特等奖人数=1\r\n一等奖=一等奖\r\n一等奖人数="
               "5\r\n");
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("luckdial-startup-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // Names on disk are UTF-8 (the host converts its GBK paths).
    writePool(dir / "抽奖号码库.txt");
    writeConfig(dir / "peizhi.a");
    // No title file of the caller's directory may take part.
    std::filesystem::current_path(dir);

    luckdial::prepareQtEnvironment();
    QApplication qtApp(argc, argv);
    int code = 0;
    {
        luckdial::QtHost host(luckdial::gbk(dir.string()));
        luckdial::Application app(host);

        using Clock = std::chrono::steady_clock;
        const Clock::time_point begin = Clock::now();
        if (!app.start()) {
            std::fprintf(stderr, "start-up ended the program\n");
            return 1;
        }
        double ms = 0;
        QTimer::singleShot(0, &qtApp, [&] {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
            QCoreApplication::exit(0);
        });
        QApplication::exec();

        const std::size_t loaded = app.window().pool().count();
        if (loaded != kEntries) {
            std::fprintf(stderr, "pool holds %zu entries, expected %zu\n", loaded, kEntries);
            code = 1;
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("startup_ms: %.0f ms\n", ms);
        std::printf("startup_peak_mb: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return code;
}
