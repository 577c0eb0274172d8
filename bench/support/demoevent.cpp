#include "demoevent.h"

#include "app/application.h"
#include "host/core/text.h"
#include "host/qt/qthost.h"
#include "settings/core/names.h"
#include "ui/widgets.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace fs = std::filesystem;

namespace luckdial::bench {
namespace {
const char* programName = "luckdial_bench";
int events = 0;
} // namespace

void setProgramName(const char* name) {
    programName = name;
}

void fail(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", programName, what.c_str());
    std::exit(1);
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

DemoEvent::DemoEvent(const std::string& tag) {
    dir_ = fs::temp_directory_path() /
           ("luckdial-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(++events));
    fs::create_directories(dir_);
    for (const auto& entry : fs::directory_iterator(LUCKDIAL_DEMO_DIR)) {
        if (entry.path().filename() == "wav") continue;
        fs::copy(entry.path(), dir_ / entry.path().filename(), fs::copy_options::recursive);
    }
    host_ = std::make_unique<QtHost>(gbk(dir_.string()));
}

DemoEvent::~DemoEvent() {
    app_.reset();
    host_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

void DemoEvent::set(const char* key, const std::string& value) {
    if (!host_->writeItem(host_->path(names::kConfigFile), names::kGeneral, gbk(key), gbk(value)))
        fail("cannot write the configuration");
}

Application& DemoEvent::start() {
    app_ = std::make_unique<Application>(*host_);
    if (!app_->start()) fail("start-up ended the program");
    return *app_;
}

FrameClock::FrameClock(TransparentLabel* winners) : winners_(winners) {
    winners_->installEventFilter(this);
}

bool FrameClock::eventFilter(QObject* watched, QEvent* event) {
    if (watched == winners_ && event->type() == QEvent::Paint && winners_->caption() != last_) {
        last_ = winners_->caption();
        shownAtMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
                .count());
        timespec used{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
        processorAtMs.push_back(static_cast<double>(used.tv_sec) * 1e3 +
                                static_cast<double>(used.tv_nsec) / 1e6);
    }
    return false;
}

} // namespace luckdial::bench
