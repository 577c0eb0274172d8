#pragma once
// What the Qt benchmarks share: a copy of the demo event in a temporary
// folder, run by the real application on the real host, and the percentile
// every figure is given as.

#include <QObject>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace luckdial {
class Application;
class QtHost;
class TransparentLabel;
} // namespace luckdial

namespace luckdial::bench {

/// Prints "<program>: <what>" to stderr and ends the benchmark.
[[noreturn]] void fail(const std::string& what);
/// The name `fail` prints; set once by main or the first event.
void setProgramName(const char* name);

/// The p-th percentile (0 < p <= 1) by the nearest-rank rule; 0 when empty.
double percentile(std::vector<double> values, double p);

/// A program directory holding the demo event without its music. Items are
/// set in its configuration before `start`; the folder goes with the object.
class DemoEvent {
public:
    explicit DemoEvent(const std::string& tag);
    ~DemoEvent();
    DemoEvent(const DemoEvent&) = delete;
    DemoEvent& operator=(const DemoEvent&) = delete;

    /// Writes one item of the general section (both UTF-8, stored as GBK).
    void set(const char* key, const std::string& value);
    /// Starts the program on the event; ends the benchmark when it cannot.
    Application& start();

    Application& app() { return *app_; }
    QtHost& host() { return *host_; }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::unique_ptr<QtHost> host_;
    std::unique_ptr<Application> app_;
};

/// Notes when each new scroll frame reaches the screen: the first paint of
/// the winners label after its caption changed (ms since construction), and
/// the processor time the process had used by then, all its threads: the
/// work of a frame, which other processes on the machine do not lengthen.
class FrameClock : public QObject {
public:
    explicit FrameClock(TransparentLabel* winners);
    std::vector<double> shownAtMs;
    std::vector<double> processorAtMs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TransparentLabel* winners_;
    std::string last_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace luckdial::bench
