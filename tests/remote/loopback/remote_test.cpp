// The phone remote on the real application, with real HTTP and WebSocket
// clients on 127.0.0.1: the QR code's secret gives control once, the phone
// starts and stops a draw and follows it, other devices need the operator.

#include "remote_fixture.h"

#include "draw/core/drawstate.h"
#include "remote/qrcode.h"

#include <QListWidget>
#include <QThread>

namespace luckdial::testing {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList logLines(RemoteController& r) {
    QStringList lines;
    const auto* log = r.panel().findChild<QListWidget*>(u("遥控_日志"));
    for (int i = 0; log && i < log->count(); ++i)
        lines << log->item(i)->text();
    return lines;
}

TEST_F(RemoteTest, ThePhoneStartsAndStopsADrawAndFollowsIt) {
    EXPECT_EQ(remote().service().url().toStdString(),
              "http://127.0.0.1:" + std::to_string(port_) + "/?k=" + secret());
    EXPECT_FALSE(remote().panel().qrImage().isNull());

    const std::string page = get("/?k=" + secret());
    ASSERT_EQ(statusOf(page), 200) << page.substr(0, 200);
    EXPECT_NE(page.find("X-Frame-Options: DENY\r\n"), std::string::npos);
    const std::string token = tokenOf(page);
    ASSERT_FALSE(token.empty());

    auto p = phone("hello " + token);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p->last().contains(u("pool")); }, 3000));
    EXPECT_EQ(p->last().value(u("level")).toString(), u("特等奖"));
    EXPECT_EQ(p->last().value(u("pool")).toInt(), 50);
    EXPECT_FALSE(p->last().value(u("running")).toBool());

    // The second press goes out once the page has been told the scroll runs.
    bool sawRunning = false, stopSent = false;
    QObject::connect(&p->socket, &QWebSocket::textMessageReceived, [&] {
        if (p->last().value(u("running")).toBool()) sawRunning = true;
    });
    host().onDelay = [&] {
        QThread::msleep(1);
        if (sawRunning && !stopSent) {
            p->say("press " + token);
            stopSent = true;
        }
    };
    p->say("press " + token);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return stopSent && !app().draw().drawInProgress() &&
                   p->last().value(u("pool")).toInt() == 48;
        },
        10000));
    EXPECT_EQ(winnersIn(app().window().results()).size(), 2u);
    EXPECT_EQ(winnersIn(readDisk("抽奖结果.txt")).size(), 2u);
    EXPECT_EQ(p->last().value(u("progress")).toString(), u("特等奖 已抽取2名"));
    EXPECT_FALSE(p->last().value(u("running")).toBool());
    // No name of the pool is ever sent.
    for (const QJsonObject& told : p->told)
        for (const std::string& w : winnersIn(app().window().results()))
            EXPECT_FALSE(QJsonDocument(told).toJson().contains(QByteArray::fromStdString(w)));

    // The log comes in batches: both presses are in it soon after.
    QStringList log;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (log = logLines(remote())).filter(u("开始/停止")).size() >= 2; }, 3000));
    EXPECT_EQ(log.filter(u("扫码取得控制权")).size(), 1) << log.join(u("\n")).toStdString();
    EXPECT_EQ(log.filter(u("开始/停止")).size(), 2);

    // Switching off closes the phone's connection.
    remote().switchOff();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p->closed(); }, 3000));
    EXPECT_TRUE(remote().panel().qrImage().isNull());
}

TEST_F(RemoteTest, OtherDevicesAskTheOperator) {
    const std::string token = tokenOf(get("/?k=" + secret()));
    ASSERT_FALSE(token.empty());
    auto owner = phone("hello " + token);
    // The code once more, from another device: spent.
    EXPECT_EQ(statusOf(get("/?k=" + secret())), 403);
    EXPECT_TRUE(tokenOf(get("/")).empty());

    auto other = phone("ask");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return other->last().value(u("role")).toString() == u("waiting"); }, 3000));
    const auto id = static_cast<quint32>(other->last().value(u("code")).toInt());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto* list = remote().panel().findChild<QListWidget*>(u("遥控_等候列表"));
            return list && list->count() == 1;
        },
        3000));
    // Waiting gives no power: its presses are refused and the draw stays idle.
    other->say("press " + token.substr(0, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return other->closed(); }, 3000));
    EXPECT_FALSE(app().state().drawRunning);

    auto third = phone("ask");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return third->last().value(u("role")).toString() == u("waiting"); }, 3000));
    const auto thirdId = static_cast<quint32>(third->last().value(u("code")).toInt());
    EXPECT_NE(thirdId, id);
    remote().service().approve(thirdId);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return third->last().value(u("role")).toString() == u("controller"); }, 3000));
    std::string newToken;
    for (const QJsonObject& told : third->told)
        if (told.contains(u("token"))) newToken = told.value(u("token")).toString().toStdString();
    ASSERT_FALSE(newToken.empty());
    EXPECT_NE(newToken, token);
    // The former controller is told and let go; its token opens nothing now.
    EXPECT_TRUE(QTest::qWaitFor([&] { return owner->closed(); }, 3000));
    EXPECT_EQ(owner->last().value(u("role")).toString(), u("ask"));
    auto stale = phone("hello " + token);
    EXPECT_TRUE(QTest::qWaitFor([&] { return stale->closed(); }, 3000));

    // A denial closes the asker.
    auto fourth = phone("ask");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return fourth->last().value(u("role")).toString() == u("waiting"); }, 3000));
    remote().service().deny(static_cast<quint32>(fourth->last().value(u("code")).toInt()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fourth->closed(); }, 3000));
    EXPECT_EQ(fourth->last().value(u("role")).toString(), u("ask"));
    EXPECT_FALSE(third->closed());

    QStringList log;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (log = logLines(remote())).filter(u("拒绝 ")).size() >= 1; }, 3000));
    EXPECT_EQ(log.filter(u("请求控制")).size(), 3) << log.join(u("\n")).toStdString();
    EXPECT_EQ(log.filter(u("批准")).size(), 1);
}

/// The log held back for a minute: whatever reaches the draw meanwhile did
/// not wait for a batch.
class RemoteLogTest : public RemoteTest {
protected:
    remote::Limits limits() const override {
        remote::Limits l = RemoteTest::limits();
        l.logBatchMs = 60000;
        l.refusalWindowMs = 60000;
        return l;
    }
};

TEST_F(RemoteLogTest, APressGoesThroughWhileItsLogWaitsAndAFloodIsOneLine) {
    // The first batch (the new code) leaves at once; the next one not for a minute.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !logLines(remote()).filter(u("新的二维码")).isEmpty(); }, 3000));
    const std::string token = tokenOf(get("/?k=" + secret()));
    ASSERT_FALSE(token.empty());
    auto p = phone("hello " + token);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p->last().contains(u("pool")); }, 3000));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(statusOf(get("/?k=wrong" + std::to_string(i))), 403);

    int frames = 0;
    QStringList logWhileScrolling;
    host().onDelay = [&] {
        if (++frames == 1) logWhileScrolling = logLines(remote());
        if (frames == 3) app().window().elements().stopButton->click();
    };
    p->say("press " + token);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return frames >= 3 && !app().draw().drawInProgress(); }, 5000));
    host().onDelay = nullptr;
    EXPECT_EQ(winnersIn(app().window().results()).size(), 2u);
    EXPECT_TRUE(logWhileScrolling.filter(u("开始/停止")).isEmpty())
        << logWhileScrolling.join(u("\n")).toStdString();
    EXPECT_TRUE(logWhileScrolling.filter(u("次错误的密钥")).isEmpty());

    // Switching off sends what was held back, in the order it happened.
    remote().switchOff();
    QStringList log;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(log = logLines(remote())).filter(u("手机遥控已关闭")).isEmpty(); }, 3000));
    // Fifty wrong secrets: the five that lock the remote, then the rest.
    auto at = [&](const char* what) {
        for (int i = 0; i < log.size(); ++i)
            if (log[i].endsWith(u(what))) return i;
        return -1;
    };
    ASSERT_EQ(log.filter(u("次错误的密钥")).size(), 2) << log.join(u("\n")).toStdString();
    EXPECT_LT(at(" 扫码取得控制权"), at(" 127.0.0.1：5 次错误的密钥"));
    EXPECT_LT(at(" 127.0.0.1：5 次错误的密钥"), at("遥控已锁定"));
    EXPECT_LT(at("遥控已锁定"), at(" 127.0.0.1：45 次错误的密钥"));
    EXPECT_LT(at(" 127.0.0.1：45 次错误的密钥"), at("：开始/停止"));
    EXPECT_LT(at("：开始/停止"), at("手机遥控已关闭"));
    EXPECT_GE(at(" 扫码取得控制权"), 0);
}

TEST(RemoteQrCode, HoldsTheTextAsModules) {
    const QImage small = remote::qrCodeImage("http://10.0.0.2:8765/?k=abc", 4);
    ASSERT_FALSE(small.isNull());
    // Version 2 or 3 for such an address: 25 or 29 modules and the quiet zone.
    EXPECT_EQ(small.width() % 4, 0);
    EXPECT_GE(small.width() / 4, 25 + 8);
    EXPECT_EQ(small.pixelColor(0, 0), QColor(Qt::white));
    // The finder pattern's corner module, just inside the quiet zone.
    EXPECT_EQ(small.pixelColor(4 * 4 + 1, 4 * 4 + 1), QColor(Qt::black));
    EXPECT_TRUE(remote::qrCodeImage({}, 4).isNull());
}

} // namespace
} // namespace luckdial::testing
