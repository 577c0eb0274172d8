// The page's messages and the answers it is sent; the HTTP answers and the
// headers every one of them carries.

#include "remote/core/http.h"
#include "remote/core/message.h"

#include <gtest/gtest.h>

#include <string>

namespace luckdial::remote {
namespace {

TEST(RemoteMessage, FormsAndRefusals) {
    struct Case {
        const char* text;
        Verb verb;
        const char* token;
    };
    const Case cases[] = {
        {"hello abc", Verb::Hello, "abc"}, {"ask", Verb::Ask, ""},
        {"ping", Verb::Ping, ""},          {"ping abc", Verb::Ping, "abc"},
        {"press abc", Verb::Press, "abc"}, {"prev q2", Verb::Prev, "q2"},
        {"next q2", Verb::Next, "q2"},     {"page q2", Verb::Page, "q2"},
        {"press", Verb::Invalid, ""},      {"hello", Verb::Invalid, ""},
        {"ask abc", Verb::Invalid, ""},    {"press  abc", Verb::Invalid, ""},
        {"press ABC", Verb::Invalid, ""},  {"press abc ", Verb::Invalid, ""},
        {"PRESS abc", Verb::Invalid, ""},  {"", Verb::Invalid, ""},
        {"stop abc", Verb::Invalid, ""},   {"press a\nb", Verb::Invalid, ""},
    };
    for (const Case& c : cases) {
        const ClientMessage m = parseMessage(c.text);
        EXPECT_EQ(m.verb, c.verb) << c.text;
        if (c.verb != Verb::Invalid) {
            EXPECT_EQ(m.token, c.token) << c.text;
        }
    }
    EXPECT_EQ(parseMessage("press " + std::string(200, 'a')).verb, Verb::Invalid);
}

TEST(RemoteMessage, StateCarriesOnlyWhatTheHallShows) {
    DrawView v;
    v.level = "一等奖\"</script>";
    v.progress = "一等奖 已抽取3名\n";
    v.pool = 120;
    v.running = true;
    EXPECT_EQ(stateJson(v),
              "{\"role\":\"controller\",\"level\":\"一等奖\\\"\\u003c/script\\u003e\","
              "\"progress\":\"一等奖 已抽取3名\\u000a\",\"pool\":120,"
              "\"running\":true,\"busy\":false}");
    EXPECT_EQ(waitingJson(7), "{\"role\":\"waiting\",\"code\":7}");
}

class AnswerTest : public ::testing::Test {
protected:
    Limits limits;
    Session session{limits, [] { return std::string("tok"); }};
    HttpAnswer get(const std::string& target, const std::string& extra = {}) {
        RequestScreen screen(limits);
        screen.feed("GET " + target + " HTTP/1.1\r\nHost: 10.0.0.2:8765\r\n" + extra + "\r\n");
        EXPECT_EQ(screen.verdict(), Verdict::Complete) << target;
        return answerRequest(screen.head(), "10.0.0.9", 0, session);
    }
};

TEST_F(AnswerTest, RoutesAndClaims) {
    EXPECT_EQ(get("/").status, 503); // not armed
    session.arm("right");
    struct Case {
        const char* target;
        int status;
        Claim claim;
        bool token; // the page carries the controller's token
    };
    const Case cases[] = {
        {"/", 200, Claim::Off, false},
        {"/?k=wrong", 403, Claim::Wrong, false},
        {"/?k=right", 200, Claim::Granted, true},
        {"/?k=right", 403, Claim::Wrong, false}, // spent
        {"/app.js", 200, Claim::Off, false},
        {"/app.css", 200, Claim::Off, false},
        {"/ws", 404, Claim::Off, false}, // not a handshake
        {"/etc/passwd", 404, Claim::Off, false},
    };
    for (const Case& c : cases) {
        const HttpAnswer a = get(c.target);
        EXPECT_EQ(a.status, c.status) << c.target;
        EXPECT_EQ(a.claim, c.claim) << c.target;
        EXPECT_EQ(a.body.find("content=\"tok\"") != std::string::npos, c.token) << c.target;
    }
    const std::string ws = "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: k\r\n"
                           "Sec-WebSocket-Version: 13\r\n";
    EXPECT_TRUE(get("/ws", ws).webSocket);
    EXPECT_TRUE(get("/ws", ws + "Origin: http://10.0.0.2:8765\r\n").webSocket);
    const HttpAnswer foreign = get("/ws", ws + "Origin: http://evil.example\r\n");
    EXPECT_FALSE(foreign.webSocket);
    EXPECT_EQ(foreign.status, 403);
}

TEST(RemoteAnswer, EveryResponseForbidsFramingAndForeignContent) {
    for (const std::string& r :
         {responseBytes(200, "text/html; charset=utf-8", pageHtml("abc"), false, "10.0.0.2:8765"),
          refusalBytes(413)}) {
        for (const char* header : {"X-Frame-Options: DENY\r\n", "frame-ancestors 'none'",
                                   "default-src 'none'", "Cache-Control: no-store\r\n",
                                   "X-Content-Type-Options: nosniff\r\n", "Connection: close\r\n"})
            EXPECT_NE(r.find(header), std::string::npos) << header;
    }
    // The page loads nothing from elsewhere.
    const std::string page = pageHtml({}) + std::string(pageScript()) + std::string(pageStyle());
    for (const char* foreign : {"http://", "https://", "//cdn", "@import", "url("})
        EXPECT_EQ(page.find(foreign), std::string::npos) << foreign;
    EXPECT_EQ(pageHtml("bad token!").find("bad"), std::string::npos);
}

} // namespace
} // namespace luckdial::remote
