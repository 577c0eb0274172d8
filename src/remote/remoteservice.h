#pragma once
// The remote switched on and off from the operator's side: a thread with the
// RemoteServer on it, the session's secret and its address. Everything here
// is called on the window's thread; the server's signals arrive queued.

#include "remote/core/limits.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QThread;

namespace luckdial::remote {

class RemoteServer;

class RemoteService : public QObject {
    Q_OBJECT
public:
    explicit RemoteService(Limits limits = {}, QObject* parent = nullptr);
    ~RemoteService() override;

    /// The port used when the operator names none.
    static constexpr quint16 kDefaultPort = 8765;

    /// Listens on `port` of `address` and arms a fresh secret. False (and
    /// off) when the port cannot be had.
    bool switchOn(quint16 port, const QHostAddress& address = QHostAddress::AnyIPv4);
    /// Closes every connection and stops listening.
    void switchOff();
    bool isOn() const { return server_ != nullptr; }
    /// The bounds of the next switch-on.
    void setLimits(const Limits& limits) { limits_ = limits; }
    const Limits& limits() const { return limits_; }
    quint16 port() const { return port_; }

    /// A fresh one-time secret (the old one, spent or not, stops working;
    /// a lock-out ends). The controller keeps control.
    void rearm();
    const QString& secret() const { return secret_; }
    /// The address the phones reach: this machine on the local network.
    QString hostAddress() const;
    /// What the QR code holds: the address with the secret.
    QString url() const;

    void approve(quint32 id);
    void deny(quint32 id);
    /// The draw's state for the controller's page.
    void publish(const QByteArray& stateJson);

    /// Connections the server holds now (waits for its thread to answer).
    std::size_t openConnections();

Q_SIGNALS:
    void command(int verb, const QString& address);
    void notice(int notice, const QString& address, quint32 id);
    void controllerChanged(const QString& address);
    void refusedCount(quint64 count);
    /// Lines of the remote's log, in batches.
    void logged(const QStringList& lines);
    /// Switched on or off.
    void switched(bool on);
    void secretChanged();

private:
    template <typename F> void onServer(F&& f);

    Limits limits_;
    std::unique_ptr<QThread> thread_;
    RemoteServer* server_ = nullptr;
    quint16 port_ = 0;
    QString secret_;
    QHostAddress bound_;
};

/// This machine's address on the local network (the first running, non-loopback
/// IPv4 interface), or 127.0.0.1 without one.
QString localNetworkAddress();

} // namespace luckdial::remote
