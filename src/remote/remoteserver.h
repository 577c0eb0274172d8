#pragma once
// The remote's network side: one listening port, HTTP answers and the
// WebSockets of the phone pages. It lives on a thread of its own
// (RemoteService puts it there), so a flood of clients costs the draw's
// thread nothing; what reaches the draw is one queued signal per accepted
// command, sent at once, and the operator's log in batches (`RemoteLog`).
// Every byte a client sends is screened before Qt's WebSocket code sees it,
// and every bound of `Limits` is held here.

#include "remote/core/limits.h"
#include "remote/core/remotelog.h"
#include "remote/core/session.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;
class QElapsedTimer;

namespace luckdial::remote {

/// What changes the operator's panel (each also a line of the remote's
/// log). Wrong secrets are no notice: they are counted into the log.
enum class Notice {
    Claimed,      ///< a device presented the secret: it is the controller
    Locked,       ///< too many wrong secrets: re-arming is needed
    Asked,        ///< a device asks for control (id)
    AskWithdrawn, ///< a waiting device went away (id)
    Approved,     ///< the operator's approval took effect (id)
    Denied,       ///< the operator denied (id)
};

class RemoteServer : public QObject {
    Q_OBJECT
public:
    explicit RemoteServer(const Limits& limits, QObject* parent = nullptr);
    ~RemoteServer() override;

    /// Listens on one port (0: any free one). False when the port is taken.
    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const;

    /// A fresh secret; noted in the log.
    void arm(const std::string& secret);
    /// The draw's state for the controller's page (JSON); sent when it changes.
    void publish(const QByteArray& stateJson);
    void approve(quint32 id);
    void deny(quint32 id);
    /// Closes every connection and stops listening; the log's last lines
    /// (open counts included) go out at once.
    void shutDown();

    /// Connections open now (HTTP and WebSocket).
    std::size_t openConnections();

Q_SIGNALS:
    /// An accepted command of the controller (a remote::Verb).
    void command(int verb, const QString& address);
    void notice(int notice, const QString& address, quint32 id);
    /// The controller's address ("" when there is none).
    void controllerChanged(const QString& address);
    /// Requests, connections and messages refused so far (sent at most
    /// twice a second).
    void refusedCount(quint64 count);
    /// Lines of the operator's log, oldest first (at most one batch each
    /// `Limits::logBatchMs`).
    void logged(const QStringList& lines);

private:
    struct Client;
    struct HttpConnection;
    /// One new connection from the budget; false (and accepting paused)
    /// when it is spent.
    bool takeAcceptToken();
    void accept(QTcpSocket* socket);
    void screen(QTcpSocket* socket);
    void answer(QTcpSocket* socket);
    void refuse(QTcpSocket* socket, int status);
    void takeWebSocket();
    void onMessage(Client* client, const QString& text);
    void drop(Client* client);
    void countRefusal();
    void note(const QString& line);
    void sendLog(const std::vector<std::string>& lines);
    void demoteOthers(const Client* keep, const char* reason);
    Client* clientOf(QWebSocket* socket);
    std::uint64_t nowMs() const;

    Limits limits_;
    Session session_;
    RemoteLog log_;
    std::unique_ptr<QElapsedTimer> clock_;
    QTcpServer* tcp_ = nullptr;
    QWebSocketServer* webSockets_ = nullptr;
    QTimer* refusalReport_ = nullptr;
    QTimer* resumeAccepting_ = nullptr;
    double acceptTokens_ = 0;
    std::uint64_t acceptRefilledMs_ = 0;
    std::vector<QPointer<QTcpSocket>> sockets_;
    std::vector<HttpConnection> http_;
    std::vector<std::unique_ptr<Client>> clients_;
    QByteArray state_;
    quint64 refused_ = 0;
    quint64 reported_ = 0;
};

} // namespace luckdial::remote
