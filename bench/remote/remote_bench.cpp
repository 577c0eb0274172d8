// The phone remote against the draw, timed on the offscreen platform
// (1920x1080) with the real application on the real host, on a copy of the
// demo event, the remote switched on at 127.0.0.1:
//   press_to_draw_ms         from a phone's WebSocket message "press" leaving
//                            the client to the draw taking it (the stop button
//                            shown for a start, the start button for a stop);
//                            20 presses, half starts, half stops;
//   scroll_jitter_ms         how far the interval between two scroll frames
//                            reaching the screen strays from the 30 ms period,
//                            with no client;
//   press_to_draw_flood_ms   the same while one client floods the remote as
//                            fast as it can: wrong secrets, garbage, idle
//                            connections, message floods. The client runs on
//                            this machine (at nice 10, as if it were elsewhere);
//   scroll_jitter_flood_ms   the scroll's jitter under that flood, with what the
//                            flood cost the window's thread: its processor time
//                            per frame and the queued calls the remote made on
//                            it, against the same scroll with no client.
// Printed as "name: value ms (...)" lines.

#include "app/application.h"
#include "demoevent.h"
#include "draw/core/drawstate.h"
#include "draw/drawcontroller.h"
#include "host/core/text.h"
#include "host/qt/qthost.h"
#include "remote/remotecontroller.h"
#include "remote/remotepanel.h"
#include "remote/remoteservice.h"
#include "settings/core/names.h"
#include "support/loopbackclient.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTcpServer>
#include <QTimer>

#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using luckdial::bench::fail;
using luckdial::bench::percentile;

namespace {

constexpr int kPeriodMs = 30;
constexpr int kFrames = 300;
constexpr int kWarmUpFrames = 10;
constexpr int kPresses = 20;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void report(const char* name, const std::vector<double>& v, const char* what) {
    std::printf("%s: %.2f ms (p99 of %zu %s; p50 %.2f ms, max %.2f ms)\n", name,
                percentile(v, 0.99), v.size(), what, percentile(v, 0.5), percentile(v, 1.0));
    std::fflush(stdout);
}

/// A plain client socket on 127.0.0.1 with short time-outs.
class Raw : public luckdial::testing::LoopbackClient {
public:
    explicit Raw(quint16 port) : LoopbackClient(port, 1000) {}
};

std::string handshake(quint16 port) {
    return "GET /ws HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

std::string textFrame(const std::string& text) {
    std::string f = {static_cast<char>(0x81), static_cast<char>(0x80 | text.size())};
    const char mask[4] = {1, 2, 3, 4};
    f.append(mask, 4);
    for (std::size_t i = 0; i < text.size(); ++i)
        f += static_cast<char>(text[i] ^ mask[i % 4]);
    return f;
}

/// The demo event (without music) with the first level drawing 10 entries,
/// effects off, and the program with its remote on.
class Event {
public:
    Event() : event_("remote") {
        auto set = [&](const char* key, const std::string& value) { event_.set(key, value); };
        set("特等奖人数", "100000");
        set("特等奖一次抽取人数", "10");
        set("列1", "5");
        set("滚动速度", std::to_string(kPeriodMs));
        set("禁用特效", "真");
        set("背景音乐", "假");
        app_ = &event_.start();
        app_->window().elements().levelCombo->setEditText(QString::fromUtf8("特等奖"));
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0)) fail("no free port");
        port_ = probe.serverPort();
        probe.close();
        app_->remote().panel().setPort(port_);
        if (!app_->remote().switchOn(QHostAddress::LocalHost)) fail("the remote did not start");
    }
    luckdial::Application& app() { return *app_; }
    quint16 port() const { return port_; }

    /// The controller's token, from the QR code's address.
    std::string claim() {
        const std::string secret = app_->remote().service().secret().toStdString();
        std::string token;
        std::thread client([&] {
            Raw r(port_);
            r.send("GET /?k=" + secret + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            const std::string page = r.readAll();
            const std::string mark = "<meta name=\"t\" content=\"";
            const std::size_t at = page.find(mark);
            if (at == std::string::npos) return;
            token = page.substr(at + mark.size(), 32);
            token = token.substr(0, token.find('"'));
        });
        client.join();
        if (token.empty()) fail("the secret gave no control");
        return token;
    }

private:
    luckdial::bench::DemoEvent event_;
    luckdial::Application* app_ = nullptr;
    quint16 port_ = 0;
};

/// Notes when a button is shown: the draw has taken the press.
class ShowClock : public QObject {
public:
    ShowClock(QWidget* start, QWidget* stop) : start_(start), stop_(stop) {
        start_->installEventFilter(this);
        stop_->installEventFilter(this);
    }
    std::atomic<int> shown{0};
    std::mutex lock;
    std::vector<Clock::time_point> at;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && (watched == start_ || watched == stop_)) {
            std::lock_guard<std::mutex> g(lock);
            at.push_back(Clock::now());
            ++shown;
        }
        return false;
    }

private:
    QWidget* start_;
    QWidget* stop_;
};

/// Floods the remote until told to stop; counts what it sent.
void flood(quint16 port, const std::atomic<bool>& stop, std::atomic<long>& requests) {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    std::vector<std::unique_ptr<Raw>> idle;
    long n = 0;
    while (!stop) {
        for (int i = 0; i < 8 && !stop; ++i) {
            Raw r(port);
            r.send("GET /?k=wrong" + std::to_string(n++) + " HTTP/1.1\r\nHost: a\r\n\r\n");
            r.readAll();
        }
        {
            Raw r(port);
            r.send(std::string(3000, '\x16'));
            r.readAll();
        }
        {
            Raw r(port);
            r.send(handshake(port));
            r.readHead();
            for (int i = 0; i < 60; ++i)
                r.send(textFrame("ping"));
            r.readAll();
        }
        if (idle.size() >= 20) idle.erase(idle.begin());
        idle.push_back(std::make_unique<Raw>(port));
        n += 3;
        requests = n;
    }
}

/// One flooding client for as long as it lives.
class Flood {
public:
    explicit Flood(quint16 port) : thread_([this, port] { flood(port, stop_, requests_); }) {}
    ~Flood() {
        stop_ = true;
        thread_.join();
    }
    long requests() const { return requests_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<long> requests_{0};
    std::thread thread_;
};

/// Counts the queued calls the remote's thread makes on the window's thread
/// (each is a signal of the service's, delivered as a meta-call event).
class CallCounter : public QObject {
public:
    explicit CallCounter(QObject* service) : service_(service) {
        service_->installEventFilter(this);
    }
    ~CallCounter() override { service_->removeEventFilter(this); }
    long calls = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) ++calls;
        return false;
    }

private:
    QObject* service_;
};

double threadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

/// Processor time (user and system) of this process's thread named `name`.
double namedThreadCpuMs(const std::string& name) {
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string n;
        std::getline(comm, n);
        if (n != name) continue;
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string f;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14) utime = std::stoull(f);
            if (i == 15) stime = std::stoull(f);
        }
        return double(utime + stime) * 1000.0 / double(::sysconf(_SC_CLK_TCK));
    }
    return 0;
}

using luckdial::bench::FrameClock;

void pressToDraw(Event& event, bool flooded) {
    const std::string token = event.claim();
    luckdial::MainElements& e = event.app().window().elements();
    ShowClock clock(e.startButton, e.stopButton);
    std::vector<double> latencies;
    std::atomic<bool> done{false};
    std::thread phone([&] {
        Raw r(event.port());
        r.send(handshake(event.port()));
        if (r.readHead().rfind("HTTP/1.1 101", 0) != 0) fail("no WebSocket");
        r.send(textFrame("hello " + token));
        std::optional<Flood> flood;
        if (flooded) flood.emplace(event.port());
        for (int i = 0; i < kPresses; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            r.drain();
            const int before = clock.shown.load();
            const Clock::time_point sent = Clock::now();
            r.send(textFrame("press " + token));
            const Clock::time_point deadline = sent + std::chrono::seconds(2);
            while (clock.shown.load() == before && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::lock_guard<std::mutex> g(clock.lock);
            if (clock.shown.load() == before) fail("a press did not reach the draw");
            latencies.push_back(msBetween(sent, clock.at.back()));
        }
        done = true;
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    phone.join();
    // The last press stopped the scroll; the draw has finished by now.
    report(flooded ? "press_to_draw_flood_ms" : "press_to_draw_ms", latencies,
           flooded ? "presses on 127.0.0.1 while a client floods" : "presses on 127.0.0.1");
}

/// What a scroll cost the window's thread, and the remote's.
struct Cost {
    long requests = 0;   ///< what the flood sent
    long calls = 0;      ///< queued calls of the remote on the window's thread
    double windowMs = 0; ///< processor time of the window's thread
    double remoteMs = 0; ///< processor time of the remote's thread
    double seconds = 0;
    std::size_t frames = 0;
};

std::vector<double> scrollJitter(Event& event, bool flooded, Cost& cost) {
    luckdial::MainElements& e = event.app().window().elements();
    FrameClock clock(e.winners);
    CallCounter calls(&event.app().remote().service());
    std::optional<Flood> flood;
    if (flooded) flood.emplace(event.port());
    const double remoteBefore = namedThreadCpuMs("remote");
    double windowBefore = 0;
    Clock::time_point startedAt;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clock.shownAtMs.size() >= static_cast<std::size_t>(kFrames + kWarmUpFrames + 1) &&
            event.app().state().drawRunning)
            e.stopButton->click();
    });
    QTimer::singleShot(0, [&] {
        poll.start(5);
        windowBefore = threadCpuMs();
        startedAt = Clock::now();
        calls.calls = 0;
        event.app().draw().startDraw();
        cost.windowMs = threadCpuMs() - windowBefore;
        cost.seconds = msBetween(startedAt, Clock::now()) / 1000.0;
        cost.calls = calls.calls;
        poll.stop();
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    cost.remoteMs = namedThreadCpuMs("remote") - remoteBefore;
    if (flood) cost.requests = flood->requests();
    flood.reset();
    cost.frames = clock.shownAtMs.size();
    std::vector<double> deviations;
    for (std::size_t i = kWarmUpFrames + 1; i < clock.shownAtMs.size(); ++i)
        deviations.push_back(std::abs(clock.shownAtMs[i] - clock.shownAtMs[i - 1] - kPeriodMs));
    if (deviations.size() < static_cast<std::size_t>(kFrames) / 2)
        fail("the scroll frames did not reach the screen");
    return deviations;
}

} // namespace

int main(int argc, char** argv) {
    luckdial::bench::setProgramName("luckdial_remote_bench");
    const fs::path screens = fs::temp_directory_path() /
                             ("luckdial-remote-screen-" + std::to_string(getpid()) + ".json");
    {
        std::ofstream out(screens);
        out << R"({"screens": [{"name": "hall", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
            << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    }
    const std::string platform = "offscreen:configfile=" + screens.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    const fs::path cwd =
        fs::temp_directory_path() / ("luckdial-remote-cwd-" + std::to_string(getpid()));
    fs::create_directories(cwd);
    fs::current_path(cwd);

    luckdial::prepareQtEnvironment();
    QApplication qtApp(argc, argv);
    auto costLine = [](const char* what, const Cost& c) {
        std::printf("(%s: the window's thread %.2f ms of processor per frame, %ld queued calls "
                    "from the remote (%.1f a second); the remote's thread %.0f ms in %.1f s)\n",
                    what, c.windowMs / double(std::max<std::size_t>(c.frames, 1)), c.calls,
                    double(c.calls) / std::max(c.seconds, 0.001), c.remoteMs, c.seconds);
    };
    {
        Event event;
        pressToDraw(event, false);
    }
    {
        Event event;
        pressToDraw(event, true);
    }
    {
        Event event;
        Cost cost;
        report("scroll_jitter_ms", scrollJitter(event, false, cost), "frames, no client");
        costLine("no client", cost);
    }
    {
        Event event;
        Cost cost;
        const std::vector<double> v = scrollJitter(event, true, cost);
        std::printf("(the flood sent %ld requests and messages during the scroll)\n",
                    cost.requests);
        costLine("flood", cost);
        report("scroll_jitter_flood_ms", v, "frames while a client floods");
    }
    std::error_code ignored;
    fs::current_path("/", ignored);
    fs::remove(screens, ignored);
    fs::remove_all(cwd, ignored);
    return 0;
}
