#include "remote/remoteserver.h"

#include "remote/core/http.h"
#include "remote/core/message.h"
#include "remote/core/request.h"
#include "remote/core/secret.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <array>
#include <cmath>

namespace luckdial::remote {
namespace {

std::string freshToken() {
    std::array<quint32, 5> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return base32(std::string_view(reinterpret_cast<const char*>(words.data()),
                                   words.size() * sizeof(quint32)));
}

QString verbLine(Verb verb) {
    switch (verb) {
    case Verb::Press:
        return QStringLiteral("开始/停止");
    case Verb::Prev:
        return QStringLiteral("上一奖项");
    case Verb::Next:
        return QStringLiteral("下一奖项");
    case Verb::Page:
        return QStringLiteral("下一页");
    default:
        return {};
    }
}

/// An IPv4 client shows as "192.168.1.20", not as its IPv6-mapped form.
QString addressText(const QHostAddress& address) {
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

enum class Role { Unknown, Waiting, Controller };

/// A connection still being read as HTTP.
struct RemoteServer::HttpConnection {
    QPointer<QTcpSocket> socket;
    std::shared_ptr<RequestScreen> screen;
    std::uint64_t openedMs = 0;
    bool answered = false;
};

struct RemoteServer::Client {
    QWebSocket* socket = nullptr;
    QString address;
    Role role = Role::Unknown;
    quint32 askId = 0;
    std::uint64_t openedMs = 0;
    std::uint64_t activeMs = 0;
    double tokens = 0;
    std::uint64_t refilledMs = 0;
};

RemoteServer::RemoteServer(const Limits& limits, QObject* parent)
    : QObject(parent), limits_(limits), session_(limits_, &freshToken), log_(limits_),
      clock_(std::make_unique<QElapsedTimer>()) {
    clock_->start();
    tcp_ = new QTcpServer(this);
    tcp_->setMaxPendingConnections(static_cast<int>(limits_.connections));
    // A burst of connections is taken in and counted, not dropped unseen by
    // the system while the server catches up.
    tcp_->setListenBacklogSize(128);
    connect(tcp_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = tcp_->nextPendingConnection())
            accept(s);
    });
    acceptTokens_ = limits_.connectionBurst;
    resumeAccepting_ = new QTimer(this);
    resumeAccepting_->setSingleShot(true);
    connect(resumeAccepting_, &QTimer::timeout, this, [this] {
        if (tcp_->isListening()) tcp_->resumeAccepting();
    });
    webSockets_ =
        new QWebSocketServer(QStringLiteral("luckdial"), QWebSocketServer::NonSecureMode, this);
    webSockets_->setMaxPendingConnections(static_cast<int>(limits_.connections));
    webSockets_->setHandshakeTimeout(std::chrono::milliseconds(limits_.helloMs));
    connect(webSockets_, &QWebSocketServer::newConnection, this, [this] { takeWebSocket(); });

    // Idle and half-open connections are swept out; the sweep is cheap (a
    // few dozen connections at most).
    auto* sweep = new QTimer(this);
    const auto shortest = std::min({limits_.requestIdleMs, limits_.helloMs, limits_.socketIdleMs});
    sweep->setInterval(static_cast<int>(std::clamp<std::uint32_t>(shortest / 4, 20, 1000)));
    connect(sweep, &QTimer::timeout, this, [this] {
        const std::uint64_t now = nowMs();
        for (HttpConnection& c : http_) {
            if (!c.socket) continue;
            const std::uint64_t limit = c.answered ? 2000 : limits_.requestIdleMs;
            if (now - c.openedMs > limit) {
                if (!c.answered) countRefusal();
                c.socket->abort();
                c.socket->deleteLater();
                c.socket = nullptr;
            }
        }
        http_.erase(std::remove_if(http_.begin(), http_.end(),
                                   [](const HttpConnection& c) { return !c.socket; }),
                    http_.end());
        std::vector<Client*> idle;
        for (const auto& c : clients_) {
            const bool silent = now - c->activeMs > limits_.socketIdleMs;
            const bool nameless = c->role == Role::Unknown && now - c->openedMs > limits_.helloMs;
            if (silent || nameless) idle.push_back(c.get());
        }
        for (Client* c : idle) {
            countRefusal();
            drop(c);
        }
    });
    sweep->start();

    refusalReport_ = new QTimer(this);
    refusalReport_->setInterval(500);
    connect(refusalReport_, &QTimer::timeout, this, [this] {
        if (refused_ == reported_) return;
        reported_ = refused_;
        Q_EMIT refusedCount(refused_);
    });
    refusalReport_->start();

    // The log is looked at often and sent seldom: `RemoteLog` decides when.
    auto* logReport = new QTimer(this);
    logReport->setInterval(
        static_cast<int>(std::clamp<std::uint32_t>(limits_.logBatchMs / 2, 10, 250)));
    connect(logReport, &QTimer::timeout, this, [this] {
        const std::uint64_t now = nowMs();
        if (log_.due(now)) sendLog(log_.take(now));
    });
    logReport->start();
}

RemoteServer::~RemoteServer() {
    shutDown();
}

std::uint64_t RemoteServer::nowMs() const {
    return static_cast<std::uint64_t>(clock_->elapsed());
}

bool RemoteServer::listen(const QHostAddress& address, quint16 port) {
    return tcp_->listen(address, port);
}

quint16 RemoteServer::port() const {
    return tcp_->serverPort();
}

void RemoteServer::arm(const std::string& secret) {
    session_.arm(secret);
    note(QStringLiteral("新的二维码"));
}

std::size_t RemoteServer::openConnections() {
    sockets_.erase(std::remove_if(sockets_.begin(), sockets_.end(),
                                  [](const QPointer<QTcpSocket>& s) {
                                      return !s || s->state() == QAbstractSocket::UnconnectedState;
                                  }),
                   sockets_.end());
    return sockets_.size();
}

void RemoteServer::countRefusal() {
    ++refused_;
}

void RemoteServer::note(const QString& line) {
    log_.note(line.toStdString());
}

void RemoteServer::sendLog(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QStringList out;
    out.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& l : lines)
        out << QString::fromStdString(l);
    Q_EMIT logged(out);
}

bool RemoteServer::takeAcceptToken() {
    const std::uint64_t now = nowMs();
    const double rate = std::max<double>(1, limits_.connectionsPerSecond) / 1000.0;
    acceptTokens_ = std::min<double>(limits_.connectionBurst,
                                     acceptTokens_ + double(now - acceptRefilledMs_) * rate);
    acceptRefilledMs_ = now;
    if (acceptTokens_ >= 1) {
        acceptTokens_ -= 1;
        return true;
    }
    // Until the next connection is allowed the system holds the rest in its
    // queue (or turns them away when it is full): they cost nothing here.
    tcp_->pauseAccepting();
    resumeAccepting_->start(static_cast<int>(std::ceil((1 - acceptTokens_) / rate)));
    return false;
}

void RemoteServer::accept(QTcpSocket* socket) {
    socket->setParent(this);
    if (!takeAcceptToken()) {
        countRefusal();
        socket->abort();
        socket->deleteLater();
        return;
    }
    const QHostAddress peer = socket->peerAddress();
    const std::size_t open = openConnections();
    const auto fromPeer = static_cast<std::size_t>(
        std::count_if(sockets_.begin(), sockets_.end(),
                      [&](const QPointer<QTcpSocket>& s) { return s->peerAddress() == peer; }));
    if (open >= limits_.connections || fromPeer >= limits_.connectionsPerAddress) {
        countRefusal();
        socket->abort();
        socket->deleteLater();
        return;
    }
    sockets_.emplace_back(socket);
    // Qt stops reading from the network when this much is waiting: a client
    // sending without end costs one buffer, not memory without bound.
    socket->setReadBufferSize(static_cast<qint64>(limits_.headBytes) * 2);
    HttpConnection c{socket, std::make_shared<RequestScreen>(limits_), nowMs(), false};
    http_.push_back(c);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { screen(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void RemoteServer::screen(QTcpSocket* socket) {
    const auto it = std::find_if(http_.begin(), http_.end(),
                                 [&](const HttpConnection& c) { return c.socket == socket; });
    if (it == http_.end() || it->answered) {
        // After the answer nothing more is read: whatever comes is dropped.
        socket->read(socket->bytesAvailable());
        return;
    }
    // The head is only looked at, not taken: a WebSocket handshake must
    // still be there for the WebSocket server.
    const std::size_t seen = it->screen->headSize();
    const QByteArray waiting = socket->peek(socket->bytesAvailable());
    const std::string_view fresh =
        seen < static_cast<std::size_t>(waiting.size())
            ? std::string_view(waiting.constData() + seen,
                               static_cast<std::size_t>(waiting.size()) - seen)
            : std::string_view();
    const Verdict v = it->screen->feed(fresh);
    if (v == Verdict::NeedMore) return;
    it->answered = true;
    if (v == Verdict::Refused) {
        refuse(socket, it->screen->status());
        return;
    }
    const RequestHead& head = it->screen->head();
    const HttpAnswer a =
        answerRequest(head, addressText(socket->peerAddress()).toStdString(), nowMs(), session_);
    if (a.webSocket) {
        socket->disconnect(this);
        http_.erase(it);
        webSockets_->handleConnection(socket);
        return;
    }
    const std::string bytes =
        responseBytes(a.status, a.contentType, a.body, head.method == "HEAD", head.host);
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->disconnectFromHost();
    const QString who = addressText(socket->peerAddress());
    if (!a.presentedSecret) {
        if (a.status >= 400) countRefusal();
        return;
    }
    switch (a.claim) {
    case Claim::Granted:
        demoteOthers(nullptr, "控制权已交给另一台设备");
        Q_EMIT notice(int(Notice::Claimed), who, 0);
        Q_EMIT controllerChanged(who);
        note(who + QStringLiteral(" 扫码取得控制权"));
        break;
    case Claim::Wrong:
    case Claim::Locked:
    case Claim::Throttled:
        // Counted, not told one by one: a flood of guesses is a line a
        // second in the log, whatever its rate.
        countRefusal();
        log_.wrongSecret(who.toStdString(), nowMs());
        if (a.claim == Claim::Wrong && session_.locked()) {
            Q_EMIT notice(int(Notice::Locked), who, 0);
            note(QStringLiteral("密码错误次数过多，遥控已锁定"));
        }
        break;
    case Claim::Off:
        countRefusal();
        break;
    }
}

void RemoteServer::refuse(QTcpSocket* socket, int status) {
    countRefusal();
    const std::string bytes = refusalBytes(status);
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->disconnectFromHost();
}

void RemoteServer::takeWebSocket() {
    while (QWebSocket* ws = webSockets_->nextPendingConnection()) {
        ws->setParent(this);
        ws->setMaxAllowedIncomingFrameSize(limits_.messageBytes);
        ws->setMaxAllowedIncomingMessageSize(limits_.messageBytes);
        auto client = std::make_unique<Client>();
        client->socket = ws;
        client->address = addressText(ws->peerAddress());
        client->openedMs = client->activeMs = client->refilledMs = nowMs();
        client->tokens = limits_.messageBurst;
        clients_.push_back(std::move(client));
        connect(ws, &QWebSocket::textMessageReceived, this, [this, ws](const QString& text) {
            if (Client* c = clientOf(ws)) onMessage(c, text);
        });
        connect(ws, &QWebSocket::binaryMessageReceived, this, [this, ws] {
            if (Client* c = clientOf(ws)) {
                countRefusal();
                drop(c);
            }
        });
        connect(ws, &QWebSocket::disconnected, this, [this, ws] {
            if (Client* c = clientOf(ws)) drop(c);
        });
    }
}

RemoteServer::Client* RemoteServer::clientOf(QWebSocket* socket) {
    for (const auto& c : clients_)
        if (c->socket == socket) return c.get();
    return nullptr;
}

void RemoteServer::drop(Client* client) {
    const auto it = std::find_if(clients_.begin(), clients_.end(),
                                 [&](const auto& c) { return c.get() == client; });
    if (it == clients_.end()) return;
    std::unique_ptr<Client> gone = std::move(*it);
    clients_.erase(it);
    if (gone->role == Role::Waiting) {
        session_.withdraw(gone->askId);
        Q_EMIT notice(int(Notice::AskWithdrawn), gone->address, gone->askId);
        note(gone->address + QStringLiteral(" 已离开（编号 %1）").arg(gone->askId));
    }
    gone->socket->disconnect(this);
    gone->socket->abort();
    gone->socket->deleteLater();
}

void RemoteServer::demoteOthers(const Client* keep, const char* reason) {
    std::vector<Client*> others;
    for (const auto& c : clients_)
        if (c.get() != keep && c->role == Role::Controller) others.push_back(c.get());
    for (Client* c : others) {
        c->socket->sendTextMessage(QString::fromStdString(askJson(reason)));
        c->socket->flush();
        drop(c);
    }
}

void RemoteServer::onMessage(Client* client, const QString& text) {
    const std::uint64_t now = nowMs();
    // Messages of one socket: a burst, then a steady allowance; a flood
    // closes the socket.
    const double rate = limits_.messagesPerSecond / 1000.0;
    client->tokens = std::min<double>(limits_.messageBurst,
                                      client->tokens + double(now - client->refilledMs) * rate);
    client->refilledMs = now;
    if (client->tokens < 1) {
        countRefusal();
        drop(client);
        return;
    }
    client->tokens -= 1;
    client->activeMs = now;

    const std::string utf8 = text.toStdString();
    const ClientMessage m = parseMessage(utf8);
    const std::string address = client->address.toStdString();
    auto send = [&](const std::string& json) {
        client->socket->sendTextMessage(QString::fromStdString(json));
    };
    auto refuseClient = [&](const char* reason) {
        countRefusal();
        send(askJson(reason));
        client->socket->flush();
        drop(client);
    };
    switch (m.verb) {
    case Verb::Invalid:
        refuseClient("");
        return;
    case Verb::Hello:
        if (session_.check(address, m.token, now) != Claim::Granted) {
            refuseClient("这台设备的控制权已失效");
            return;
        }
        client->role = Role::Controller;
        if (!state_.isEmpty()) client->socket->sendTextMessage(QString::fromUtf8(state_));
        return;
    case Verb::Ask: {
        if (client->role != Role::Unknown) return;
        const quint32 id = session_.ask(address, now);
        if (id == 0) {
            refuseClient(session_.locked() ? "遥控已锁定，请操作员重新开启"
                                           : "暂时不能请求，请稍后再试");
            return;
        }
        client->role = Role::Waiting;
        client->askId = id;
        send(waitingJson(id));
        Q_EMIT notice(int(Notice::Asked), client->address, id);
        note(client->address + QStringLiteral(" 请求控制（编号 %1）").arg(id));
        return;
    }
    case Verb::Ping:
        if (!m.token.empty() && session_.check(address, m.token, now) != Claim::Granted)
            refuseClient("这台设备的控制权已失效");
        return;
    case Verb::Press:
    case Verb::Prev:
    case Verb::Next:
    case Verb::Page:
        if (client->role != Role::Controller || !session_.isController(m.token)) {
            (void)session_.check(address, m.token, now);
            refuseClient("这台设备的控制权已失效");
            return;
        }
        // The draw gets the press now; its log line goes with the next batch.
        Q_EMIT command(int(m.verb), client->address);
        note(client->address + QStringLiteral("：") + verbLine(m.verb));
        return;
    }
}

void RemoteServer::publish(const QByteArray& stateJson) {
    if (stateJson == state_) return;
    state_ = stateJson;
    const QString text = QString::fromUtf8(state_);
    for (const auto& c : clients_)
        if (c->role == Role::Controller) c->socket->sendTextMessage(text);
}

void RemoteServer::approve(quint32 id) {
    Client* asker = nullptr;
    for (const auto& c : clients_)
        if (c->role == Role::Waiting && c->askId == id) asker = c.get();
    if (!asker) {
        session_.withdraw(id);
        return;
    }
    const std::optional<std::string> token = session_.approve(id);
    if (!token) return;
    asker->role = Role::Controller;
    asker->askId = 0;
    asker->socket->sendTextMessage(QString::fromStdString(grantedJson(*token)));
    if (!state_.isEmpty()) asker->socket->sendTextMessage(QString::fromUtf8(state_));
    demoteOthers(asker, "控制权已交给另一台设备");
    Q_EMIT notice(int(Notice::Approved), asker->address, id);
    Q_EMIT controllerChanged(asker->address);
    note(QStringLiteral("批准 ") + asker->address + QStringLiteral(" 控制"));
}

void RemoteServer::deny(quint32 id) {
    if (!session_.deny(id)) return;
    for (const auto& c : clients_) {
        if (c->role != Role::Waiting || c->askId != id) continue;
        Client* asker = c.get();
        asker->role = Role::Unknown;
        asker->socket->sendTextMessage(QString::fromStdString(askJson("操作员没有批准")));
        asker->socket->flush();
        Q_EMIT notice(int(Notice::Denied), asker->address, id);
        note(QStringLiteral("拒绝 ") + asker->address);
        drop(asker);
        return;
    }
}

void RemoteServer::shutDown() {
    const bool wasOn = tcp_->isListening();
    tcp_->close();
    session_.disarm();
    while (!clients_.empty())
        drop(clients_.back().get());
    for (QPointer<QTcpSocket>& s : sockets_) {
        if (!s) continue;
        s->abort();
        s->deleteLater();
    }
    sockets_.clear();
    http_.clear();
    if (wasOn) {
        note(QStringLiteral("手机遥控已关闭"));
        sendLog(log_.takeAll());
    }
}

} // namespace luckdial::remote
