#pragma once
// The phone remote on the draw: the menu command that switches it on and
// opens its panel, the commands of the controlling phone carried out by the
// same handlers as the keyboard, and the draw's state pushed to the phone.

#include "remote/core/limits.h"
#include "remote/core/message.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTimer;
class QWidget;

namespace luckdial {

class Host;
class MainWindow;
class DrawController;
struct DrawState;

namespace remote {
class RemoteService;
class RemotePanel;
} // namespace remote

class RemoteController : public QObject {
    Q_OBJECT
public:
    RemoteController(Host& host, MainWindow& window, DrawController& draw, DrawState& state,
                     remote::Limits limits = {});
    ~RemoteController() override;

    /// Wires the menu command 手机遥控....
    void connectHandlers();

    /// Switches the remote on with the panel's port (kept in the
    /// configuration for the next time), on every interface unless told;
    /// false when the port cannot be had.
    bool switchOn(const QHostAddress& address = QHostAddress::AnyIPv4);
    void switchOff();

    /// Carries out a phone's command as the keyboard would.
    void perform(remote::Verb verb);
    /// What the phone is shown now.
    remote::DrawView view() const;

    remote::RemoteService& service() { return *service_; }
    /// The standalone panel (for a console to take); made with the controller.
    remote::RemotePanel& panel() { return *panel_; }
    /// The window the menu command opens the panel in, while the panel has
    /// no other home.
    QWidget& panelWindow() { return *panelWindow_; }

Q_SIGNALS:
    /// The menu command asked for the panel while it sits in another window.
    void panelWanted();

private:
    void log(const QString& line);
    void log(const QStringList& lines);
    void publish();
    void stepLevel(int step);

    Host& host_;
    MainWindow& window_;
    DrawController& draw_;
    DrawState& state_;
    std::unique_ptr<remote::RemoteService> service_;
    std::unique_ptr<QWidget> panelWindow_;
    remote::RemotePanel* panel_ = nullptr;
    QTimer* publisher_ = nullptr;
    QByteArray published_;
    bool connected_ = false;
};

} // namespace luckdial
