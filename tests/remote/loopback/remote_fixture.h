#pragma once
// The real application on the fake host with its remote switched on at
// 127.0.0.1, and plain clients for it: blocking HTTP over a socket, and a
// QWebSocket that keeps what it is told.

#include "app/shell/event_fixture.h"

#include "remote/remotecontroller.h"
#include "remote/remotepanel.h"
#include "remote/remoteservice.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <string>
#include <vector>

namespace luckdial::testing {

class RemoteTest : public EventTest {
protected:
    void SetUp() override {
        EventTest::SetUp();
        writeEvent(50, 10, 2);
        create();
        ASSERT_TRUE(app().start());
        selectLevel();
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port_ = probe.serverPort();
        probe.close();
        remote().panel().setPort(port_);
        remote().service().setLimits(limits());
        ASSERT_TRUE(remote().switchOn(QHostAddress::LocalHost));
        ASSERT_EQ(remote().service().port(), port_);
    }
    void TearDown() override {
        host().onDelay = nullptr;
        EventTest::TearDown();
    }

    /// Every client of a test comes from 127.0.0.1: the throttle per address
    /// and the accepting budget are widened unless a test is about them.
    virtual remote::Limits limits() const {
        remote::Limits l;
        l.attemptBurst = 50;
        l.connectionBurst = 1000;
        return l;
    }
    RemoteController& remote() { return app().remote(); }
    std::string secret() { return remote().service().secret().toStdString(); }
    std::string hostHeader() const { return "127.0.0.1:" + std::to_string(port_); }

    /// The whole response to `request`, read until the server closes.
    std::string exchange(const std::string& request) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port_);
        if (!s.waitForConnected(3000)) return {};
        s.write(request.data(), static_cast<qint64>(request.size()));
        std::string out;
        QElapsedTimer t;
        t.start();
        while (s.state() == QAbstractSocket::ConnectedState && t.elapsed() < 5000) {
            s.waitForReadyRead(100);
            out += s.readAll().toStdString();
        }
        out += s.readAll().toStdString();
        return out;
    }
    std::string get(const std::string& target) {
        return exchange("GET " + target + " HTTP/1.1\r\nHost: " + hostHeader() + "\r\n\r\n");
    }
    static int statusOf(const std::string& response) {
        if (response.rfind("HTTP/1.1 ", 0) != 0 || response.size() < 12) return 0;
        return std::stoi(response.substr(9, 3));
    }
    /// The controller's token a page carries ("" when none).
    static std::string tokenOf(const std::string& response) {
        const std::string mark = "<meta name=\"t\" content=\"";
        const std::size_t at = response.find(mark);
        if (at == std::string::npos) return {};
        const std::size_t from = at + mark.size();
        return response.substr(from, response.find('"', from) - from);
    }

    struct Phone {
        QWebSocket socket;
        std::vector<QJsonObject> told;
        Phone() {
            QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& m) {
                told.push_back(QJsonDocument::fromJson(m.toUtf8()).object());
            });
        }
        QJsonObject last() const { return told.empty() ? QJsonObject() : told.back(); }
        bool closed() const { return socket.state() == QAbstractSocket::UnconnectedState; }
        void say(const std::string& text) { socket.sendTextMessage(QString::fromStdString(text)); }
    };
    std::unique_ptr<Phone> phone(const std::string& hello) {
        auto p = std::make_unique<Phone>();
        p->socket.open(QUrl(QString::fromStdString("ws://" + hostHeader() + "/ws")));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return p->socket.state() == QAbstractSocket::ConnectedState; }, 3000));
        if (!hello.empty()) p->say(hello);
        return p;
    }

    quint16 port_ = 0;
};

} // namespace luckdial::testing
