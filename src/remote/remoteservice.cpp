#include "remote/remoteservice.h"

#include "remote/core/secret.h"
#include "remote/remoteserver.h"

#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <utility>

namespace luckdial::remote {
namespace {

QString freshSecret() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QString::fromStdString(base32(std::string_view(
        reinterpret_cast<const char*>(words.data()), words.size() * sizeof(quint32))));
}

/// The scroll's thread goes first when both want the processor. Not lower
/// than this: at the idle class or nice 19 a machine busy with other work
/// held a phone's press back by 40 to 470 ms while a client flooded; the
/// flood is bounded by the accepting budget instead.
void lowerPriority() {
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
}

} // namespace

QString localNetworkAddress() {
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol && !e.ip().isLoopback())
                return e.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}

RemoteService::RemoteService(Limits limits, QObject* parent) : QObject(parent), limits_(limits) {}

RemoteService::~RemoteService() {
    switchOff();
}

template <typename F> void RemoteService::onServer(F&& f) {
    if (!server_) return;
    QMetaObject::invokeMethod(server_, std::forward<F>(f), Qt::QueuedConnection);
}

bool RemoteService::switchOn(quint16 port, const QHostAddress& address) {
    if (server_) switchOff();
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("remote"));
    auto* anchor = new QObject;
    anchor->moveToThread(thread_.get());
    connect(thread_.get(), &QThread::finished, anchor, &QObject::deleteLater);
    thread_->start();
    secret_ = freshSecret();
    bool listening = false;
    quint16 actual = 0;
    RemoteServer* server = nullptr;
    const std::string secret = secret_.toStdString();
    // Made on its own thread, so that its sockets and timers belong there.
    QMetaObject::invokeMethod(
        anchor,
        [&] {
            lowerPriority();
            server = new RemoteServer(limits_);
            listening = server->listen(address, port);
            actual = server->port();
            server->arm(secret);
            if (!listening) {
                delete server;
                server = nullptr;
            }
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        thread_->quit();
        thread_->wait();
        thread_.reset();
        secret_.clear();
        return false;
    }
    server_ = server;
    port_ = actual;
    bound_ = address;
    connect(server_, &RemoteServer::command, this, &RemoteService::command);
    connect(server_, &RemoteServer::notice, this, &RemoteService::notice);
    connect(server_, &RemoteServer::controllerChanged, this, &RemoteService::controllerChanged);
    connect(server_, &RemoteServer::refusedCount, this, &RemoteService::refusedCount);
    connect(server_, &RemoteServer::logged, this, &RemoteService::logged);
    Q_EMIT switched(true);
    Q_EMIT secretChanged();
    return true;
}

void RemoteService::switchOff() {
    if (!server_) return;
    RemoteServer* server = std::exchange(server_, nullptr);
    // Every connection is closed before this returns.
    QMetaObject::invokeMethod(
        server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    thread_.reset();
    secret_.clear();
    port_ = 0;
    Q_EMIT switched(false);
}

void RemoteService::rearm() {
    if (!server_) return;
    secret_ = freshSecret();
    const std::string secret = secret_.toStdString();
    onServer([server = server_, secret] { server->arm(secret); });
    Q_EMIT secretChanged();
}

QString RemoteService::hostAddress() const {
    if (bound_ == QHostAddress::LocalHost) return QStringLiteral("127.0.0.1");
    return localNetworkAddress();
}

QString RemoteService::url() const {
    if (!server_) return {};
    return QStringLiteral("http://%1:%2/?k=%3").arg(hostAddress()).arg(port_).arg(secret_);
}

void RemoteService::approve(quint32 id) {
    onServer([server = server_, id] { server->approve(id); });
}

void RemoteService::deny(quint32 id) {
    onServer([server = server_, id] { server->deny(id); });
}

void RemoteService::publish(const QByteArray& stateJson) {
    onServer([server = server_, stateJson] { server->publish(stateJson); });
}

std::size_t RemoteService::openConnections() {
    if (!server_) return 0;
    std::size_t n = 0;
    QMetaObject::invokeMethod(
        server_, [&] { n = server_->openConnections(); }, Qt::BlockingQueuedConnection);
    return n;
}

} // namespace luckdial::remote
