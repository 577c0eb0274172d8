// Requests as the remote reads them: what is taken, what is refused with
// which status, and that the pieces the bytes arrive in change nothing.

#include "remote/core/request.h"

#include <gtest/gtest.h>

#include <string>

namespace luckdial::remote {
namespace {

struct HeadCase {
    const char* what;
    std::string bytes;
    int status; // 0: taken
    const char* path = "";
    const char* key = nullptr; // nullptr: no "k="
    bool webSocket = false;
};

const std::string kWs = "GET /ws HTTP/1.1\r\nHost: 10.0.0.2:8765\r\nUpgrade: websocket\r\n"
                        "Connection: keep-alive, Upgrade\r\nSec-WebSocket-Key: abc=\r\n"
                        "Sec-WebSocket-Version: 13\r\n";

TEST(RemoteRequest, HeadsAreTakenOrRefused) {
    const HeadCase cases[] = {
        {"page", "GET / HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/"},
        {"secret", "GET /?k=abc27 HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/", "abc27"},
        {"secret among others", "GET /?x=1&k=q&y HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/", "q"},
        {"empty secret", "GET /?k= HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/", ""},
        {"head", "HEAD /app.js HTTP/1.0\r\n\r\n", 0, "/app.js"},
        {"websocket", kWs + "\r\n", 0, "/ws", nullptr, true},
        {"websocket without version",
         "GET /ws HTTP/1.1\r\nHost: a\r\nUpgrade: websocket\r\n"
         "Connection: Upgrade\r\nSec-WebSocket-Key: k\r\n\r\n",
         0, "/ws", nullptr, false},
        {"zero length", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 000\r\n\r\n", 0, "/"},
        {"post", "POST / HTTP/1.1\r\nHost: a\r\n\r\n", 405},
        {"body", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 104857600\r\n\r\n", 413},
        {"two lengths",
         "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n", 400},
        {"signed length", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: -1\r\n\r\n", 400},
        {"chunked", "GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
        {"no host", "GET / HTTP/1.1\r\n\r\n", 400},
        {"two hosts", "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400},
        {"bad host", "GET / HTTP/1.1\r\nHost: a\"b\r\n\r\n", 400},
        {"folded header", "GET / HTTP/1.1\r\nHost: a\r\n x\r\n\r\n", 400},
        {"bare LF in a line", "GET / HTTP/1.1\r\nHost: a\nX: y\r\n\r\n", 400},
        {"no colon", "GET / HTTP/1.1\r\nHost: a\r\nnonsense\r\n\r\n", 400},
        {"control byte", std::string("GET / HTTP/1.1\r\nHost: a\r\nX: \x01\r\n\r\n"), 400},
        {"absolute target", "GET http://a/ HTTP/1.1\r\nHost: a\r\n\r\n", 400},
        {"version 2", "GET / HTTP/2.0\r\nHost: a\r\n\r\n", 505},
        {"not http", "GET / SPDY\r\n\r\n", 400},
        {"extra blank", "GET  / HTTP/1.1\r\nHost: a\r\n\r\n", 400},
        {"long target", "GET /" + std::string(2000, 'a') + " HTTP/1.1\r\nHost: a\r\n\r\n", 414},
        {"many headers",
         [] {
             std::string s = "GET / HTTP/1.1\r\nHost: a\r\n";
             for (int i = 0; i < 41; ++i)
                 s += "X: y\r\n";
             return s + "\r\n";
         }(),
         431},
        {"huge head", "GET / HTTP/1.1\r\nHost: a\r\nX: " + std::string(5000, 'y') + "\r\n\r\n",
         431},
    };
    const Limits limits;
    for (const HeadCase& c : cases) {
        RequestScreen whole(limits);
        const Verdict v = whole.feed(c.bytes);
        if (c.status == 0) {
            ASSERT_EQ(v, Verdict::Complete) << c.what << " status " << whole.status();
            EXPECT_EQ(whole.head().path, c.path) << c.what;
            EXPECT_EQ(whole.head().key.has_value(), c.key != nullptr) << c.what;
            if (c.key) {
                EXPECT_EQ(*whole.head().key, c.key) << c.what;
            }
            EXPECT_EQ(whole.head().webSocket, c.webSocket) << c.what;
        } else {
            ASSERT_EQ(v, Verdict::Refused) << c.what;
            EXPECT_EQ(whole.status(), c.status) << c.what;
        }
        // Byte by byte, the same verdict (the head's end split anywhere).
        RequestScreen pieces(limits);
        Verdict last = Verdict::NeedMore;
        for (char ch : c.bytes)
            last = pieces.feed(std::string_view(&ch, 1));
        EXPECT_EQ(last, v) << c.what;
        EXPECT_EQ(pieces.status(), whole.status()) << c.what;
    }
}

TEST(RemoteRequest, EndlessBytesAreCutAtTheBound) {
    const Limits limits;
    struct Stream {
        const char* what;
        std::string start;
        char filler;
        int status;
    };
    const Stream streams[] = {
        {"header without end", "GET / HTTP/1.1\r\nX: ", 'a', 431},
        {"no request line", "", 'x', 400},
        {"binary", "\x16\x03\x01", '\0', 400},
    };
    for (const Stream& s : streams) {
        RequestScreen screen(limits);
        screen.feed(s.start);
        const std::string chunk(1000, s.filler);
        int fed = 0;
        while (screen.verdict() == Verdict::NeedMore && fed < 100000) {
            screen.feed(chunk);
            ++fed;
        }
        EXPECT_EQ(screen.verdict(), Verdict::Refused) << s.what;
        EXPECT_EQ(screen.status(), s.status) << s.what;
        // Never more kept than the bound and the byte that passed it.
        EXPECT_LE(screen.headSize(), limits.headBytes + 1) << s.what;
        EXPECT_LE(fed, 5) << s.what;
    }
}

} // namespace
} // namespace luckdial::remote
