// Hostile clients on 127.0.0.1, bounded in count and time, while a draw
// scrolls: 10,000 wrong secrets, malformed requests and WebSocket frames, a
// 100 MB body and 500 idle connections. Each is refused, the scroll goes on
// and draws its winners, and nothing of the event is written.

#include "remote_fixture.h"

#include "draw/core/drawstate.h"
#include "support/loopbackclient.h"

#include <QLabel>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <thread>

namespace luckdial::testing {
namespace {

using Raw = LoopbackClient;

std::string maskedFrame(unsigned char first, std::string_view payload) {
    std::string f(1, static_cast<char>(first));
    const unsigned char mask[4] = {0x12, 0x34, 0x56, 0x78};
    if (payload.size() < 126) {
        f += static_cast<char>(0x80 | payload.size());
    } else {
        f += static_cast<char>(0x80 | 126);
        f += static_cast<char>((payload.size() >> 8) & 0xff);
        f += static_cast<char>(payload.size() & 0xff);
    }
    f.append(reinterpret_cast<const char*>(mask), 4);
    for (std::size_t i = 0; i < payload.size(); ++i)
        f += static_cast<char>(payload[i] ^ mask[i % 4]);
    return f;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HostileTest : public RemoteTest {
protected:
    remote::Limits limits() const override {
        remote::Limits l; // the real lock and burst
        l.requestIdleMs = 800;
        l.helloMs = 800;
        // A fast machine answers all 10,000 tries within two seconds, which at
        // one try a second lets only four through; a short interval makes the
        // lock reachable however quick the machine is.
        l.attemptIntervalMs = 20;
        // Every attack here must reach the server's own bounds; the budget
        // of new connections is tested on its own.
        l.connectionBurst = 100000;
        return l;
    }
    std::string handshake() const {
        return "GET /ws HTTP/1.1\r\nHost: " + hostHeader() +
               "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    }
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path()))
            if (e.is_regular_file()) files[e.path().string()] = readBytes(e.path());
        return files;
    }
};

TEST_F(HostileTest, EveryAttackIsRefusedWhileTheDrawGoesOn) {
    const auto before = snapshot();
    const std::string rightSecret = secret();

    std::vector<std::function<void()>> attacks;
    // 10,000 wrong secrets, in batches: throttled, then locked, never a token.
    int wrong = 0, throttled = 0, other = 0;
    for (int batch = 0; batch < 20; ++batch) {
        attacks.push_back([&, batch] {
            for (int i = 0; i < 500; ++i) {
                Raw r(port_);
                r.send("GET /?k=wrong" + std::to_string(batch * 500 + i) +
                       " HTTP/1.1\r\nHost: " + hostHeader() + "\r\n\r\n");
                const std::string answer = r.readAll();
                const int status = statusOf(answer);
                if (status == 403 && tokenOf(answer).empty())
                    ++wrong;
                else if (status == 429)
                    ++throttled;
                else
                    ++other;
            }
        });
    }
    // Malformed requests: each answered with its refusal and closed.
    attacks.push_back([&] {
        const std::pair<std::string, int> requests[] = {
            {"POST / HTTP/1.1\r\nHost: a\r\n\r\n", 405},
            {"GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
            {"GET / HTTP/1.1\r\nHost: a\r\n x\r\n\r\n", 400},
            {"GET / HTTP/1.1\r\nX: " + std::string(10000, 'a'), 431},
            {std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11) + std::string(40, 'x'),
             400},
            {"GET /../../etc/passwd HTTP/1.1\r\nHost: a\r\n\r\n", 404},
        };
        for (const auto& [bytes, status] : requests) {
            Raw r(port_);
            r.send(bytes);
            const std::string answer = r.readAll();
            EXPECT_EQ(statusOf(answer), status) << bytes.substr(0, 40);
            EXPECT_NE(answer.find("X-Frame-Options: DENY"), std::string::npos);
        }
    });
    // Malformed WebSocket frames: each closes its connection.
    attacks.push_back([&] {
        const std::pair<const char*, std::string> frames[] = {
            {"unmasked", std::string("\x81\x05hello", 7)},
            {"2^40 bytes announced",
             std::string("\x81\xff\x00\x00\x01\x00\x00\x00\x00\x00\x12\x34\x56\x78", 14)},
            {"longer than a message", maskedFrame(0x81, std::string(300, 'a'))},
            {"binary", maskedFrame(0x82, "abc")},
            {"reserved opcode", maskedFrame(0x83, "abc")},
            {"reserved bits", maskedFrame(0xf1, "ask")},
            {"not a message", maskedFrame(0x81, "press")},
            {"not UTF-8", maskedFrame(0x81, "\xff\xfe")},
        };
        for (const auto& [what, frame] : frames) {
            Raw r(port_);
            r.send(handshake());
            EXPECT_EQ(r.readHead().rfind("HTTP/1.1 101", 0), 0u) << what;
            r.send(frame);
            EXPECT_TRUE(r.closedWithin(3000)) << what;
        }
        // Said nothing after the handshake: closed when the greeting time is up.
        Raw silent(port_);
        silent.send(handshake());
        silent.readHead();
        EXPECT_TRUE(silent.closedWithin(3000));
    });
    // A 100 MB body: refused on its head; the rest is never taken in.
    attacks.push_back([&] {
        Raw r(port_);
        r.send("GET / HTTP/1.1\r\nHost: " + hostHeader() + "\r\nContent-Length: 104857600\r\n\r\n");
        EXPECT_EQ(statusOf(r.readHead()), 413);
        const std::string chunk(1 << 16, 'x');
        std::size_t sent = 0;
        while (sent < (100u << 20) && r.send(chunk))
            sent += chunk.size();
        EXPECT_LT(sent, 100u << 20);
    });
    // 500 idle connections: beyond the bound closed at once, the rest when
    // their time is up.
    attacks.push_back([&] {
        std::vector<std::unique_ptr<Raw>> idle;
        for (int i = 0; i < 500; ++i)
            idle.push_back(std::make_unique<Raw>(port_));
        int connected = 0, closedSoon = 0;
        for (auto& r : idle)
            connected += r->connected() ? 1 : 0;
        EXPECT_EQ(connected, 500);
        for (auto& r : idle)
            closedSoon += r->closedWithin(1) ? 1 : 0;
        int closed = closedSoon;
        QElapsedTimer t;
        t.start();
        std::vector<bool> done(idle.size(), false);
        while (closed < 500 && t.elapsed() < 5000) {
            closed = 0;
            for (std::size_t i = 0; i < idle.size(); ++i) {
                if (!done[i]) done[i] = idle[i]->closedWithin(1);
                closed += done[i] ? 1 : 0;
            }
        }
        EXPECT_GE(closedSoon, 500 - static_cast<int>(limits().connections)) << closedSoon;
        EXPECT_EQ(closed, 500);
    });

    std::size_t next = 0;
    int frames = 0, framesAfterAttacks = 0;
    host().onDelay = [&] {
        ++frames;
        if (next < attacks.size()) {
            attacks[next++]();
            return;
        }
        if (++framesAfterAttacks >= 5) app().window().elements().stopButton->click();
    };
    app().draw().startDraw();
    host().onDelay = nullptr;

    EXPECT_EQ(wrong + throttled, 10000) << "other answers: " << other;
    EXPECT_GE(wrong, 5);
    EXPECT_GT(throttled, 0);
    EXPECT_GE(frames, static_cast<int>(attacks.size()) + 5);
    EXPECT_EQ(winnersIn(app().window().results()).size(), 2u);

    // Locked: even the right secret opens nothing until the operator re-arms.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* lock = remote().panel().findChild<QLabel*>(QString::fromUtf8("遥控_锁定"));
            return lock && !lock->text().isEmpty();
        },
        3000));
    EXPECT_TRUE(remote().panel().qrImage().isNull());
    EXPECT_EQ(statusOf(get("/?k=" + rightSecret)), 403);
    remote().service().rearm();
    EXPECT_FALSE(tokenOf(get("/?k=" + secret())).empty());
    EXPECT_EQ(remote().service().openConnections(), 0u);

    // Nothing of the event was written but what the draw itself writes.
    const auto after = snapshot();
    for (const auto& [path, bytes] : after) {
        const std::string name = std::filesystem::path(path).filename().string();
        if (name == "抽奖结果.txt" || name == "抽奖恢复.dat") continue;
        const auto was = before.find(path);
        ASSERT_NE(was, before.end()) << "new file " << path;
        EXPECT_EQ(was->second, bytes) << "changed " << path;
    }
}

/// A small budget of new connections: five at once, then twenty a second.
class BudgetTest : public RemoteTest {
protected:
    remote::Limits limits() const override {
        remote::Limits l = RemoteTest::limits();
        l.connectionBurst = 5;
        l.connectionsPerSecond = 20;
        return l;
    }
};

TEST_F(BudgetTest, AConnectionFloodWaitsItsTurnWhileThePhonePressesAtOnce) {
    const std::string token = tokenOf(get("/?k=" + secret()));
    ASSERT_FALSE(token.empty());
    auto p = phone("hello " + token);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p->last().contains(QStringLiteral("pool")); }, 3000));

    // One client opening connections as fast as it can, for a second.
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0}, tried{0};
    QElapsedTimer clock;
    clock.start();
    std::thread flood([&] {
        while (!stop) {
            Raw r(port_, 3000);
            ++tried;
            r.send("GET / HTTP/1.1\r\nHost: a\r\n\r\n");
            if (statusOf(r.readAll()) == 200) ++answered;
        }
    });
    QTest::qWait(300);
    // The phone's open connection is not held by the budget: its press
    // starts the draw while the new connections wait.
    int frames = 0;
    host().onDelay = [&] {
        if (++frames == 3) app().window().elements().stopButton->click();
    };
    QElapsedTimer press;
    press.start();
    p->say("press " + token);
    const bool drew = QTest::qWaitFor([&] { return frames >= 1; }, 3000);
    const qint64 pressMs = press.elapsed();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !app().draw().drawInProgress(); }, 3000));
    host().onDelay = nullptr;
    QTest::qWait(700);
    stop = true;
    flood.join();
    const double seconds = double(clock.elapsed()) / 1000.0;

    EXPECT_TRUE(drew);
    EXPECT_LT(pressMs, 1000);
    EXPECT_EQ(winnersIn(app().window().results()).size(), 2u);
    // The phone's page and the claim took two of the five; the rest of the
    // flood was let in at the budget's pace.
    EXPECT_LE(answered.load(), 5 + static_cast<int>(20 * seconds) + 2)
        << answered << " of " << tried << " in " << seconds << " s";
    EXPECT_GE(answered.load(), static_cast<int>(10 * (seconds - 0.5)));
}

} // namespace
} // namespace luckdial::testing
