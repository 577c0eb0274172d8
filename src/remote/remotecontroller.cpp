#include "remote/remotecontroller.h"

#include "draw/core/drawstate.h"
#include "draw/drawcontroller.h"
#include "host/host.h"
#include "host/qtext.h"
#include "remote/remotepanel.h"
#include "remote/remoteserver.h"
#include "remote/remoteservice.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace luckdial {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

/// A paged draw turns its page through its own entry point; without one the
/// page command is the Space press, as the clicker's.
template <typename Draw, typename Fallback> void nextPage(Draw& draw, Fallback&& fallback) {
    if constexpr (requires { draw.nextPage(); })
        draw.nextPage();
    else
        fallback();
}

} // namespace

RemoteController::RemoteController(Host& host, MainWindow& window, DrawController& draw,
                                   DrawState& state, remote::Limits limits)
    : host_(host), window_(window), draw_(draw), state_(state),
      service_(std::make_unique<remote::RemoteService>(limits)) {
    panelWindow_ = std::make_unique<QWidget>();
    panelWindow_->setObjectName(text("手机遥控"));
    panelWindow_->setWindowTitle(text("手机遥控"));
    auto* layout = new QVBoxLayout(panelWindow_.get());
    panel_ = new remote::RemotePanel(*service_, panelWindow_.get());
    layout->addWidget(panel_);
    panelWindow_->resize(420, 720);

    const std::string stored =
        host_.readItem(host_.path(names::kConfigFile), names::kGeneral, names::remotePortKey());
    const double port = toNumber(stored);
    if (port >= 1024 && port <= 65535) panel_->setPort(static_cast<quint16>(port));

    // The server words its own lines and sends them in batches: a flood
    // costs this thread one call each batch, never one per request.
    connect(service_.get(), &remote::RemoteService::logged, this,
            [this](const QStringList& lines) { log(lines); });

    publisher_ = new QTimer(this);
    publisher_->setInterval(100);
    connect(publisher_, &QTimer::timeout, this, [this] { publish(); });
}

RemoteController::~RemoteController() {
    service_->switchOff();
}

void RemoteController::connectHandlers() {
    if (connected_) return;
    connected_ = true;
    connect(window_.elements().menu.remote, &QAction::triggered, this, [this] {
        if (!service_->isOn()) switchOn();
        // Lent to another window (the operator's console): shown there.
        if (panel_->window() != panelWindow_.get()) {
            Q_EMIT panelWanted();
            return;
        }
        panelWindow_->show();
        panelWindow_->raise();
    });
    connect(panel_, &remote::RemotePanel::switchRequested, this, [this](bool on) {
        if (on)
            switchOn();
        else
            switchOff();
    });
    connect(service_.get(), &remote::RemoteService::command, this,
            [this](int verb, const QString&) { perform(static_cast<remote::Verb>(verb)); });
}

bool RemoteController::switchOn(const QHostAddress& address) {
    if (service_->isOn()) return true;
    const quint16 port = panel_->port();
    if (!service_->switchOn(port, address)) {
        log(text("端口 ") + QString::number(port) + text(" 无法使用"));
        return false;
    }
    const std::string value = toText(static_cast<long long>(port));
    if (host_.readItem(host_.path(names::kConfigFile), names::kGeneral, names::remotePortKey()) !=
        value) {
        // The remote works without it; the next start proposes the default port.
        (void)host_.writeItem(host_.path(names::kConfigFile), names::kGeneral,
                              names::remotePortKey(), value);
    }
    log(text("手机遥控已开启，端口 ") + QString::number(service_->port()));
    published_.clear();
    publish();
    publisher_->start();
    return true;
}

void RemoteController::switchOff() {
    if (!service_->isOn()) return;
    publisher_->stop();
    // The server's last batch tells the operator it is off.
    service_->switchOff();
}

void RemoteController::log(const QString& line) {
    log(QStringList{line});
}

void RemoteController::log(const QStringList& lines) {
    // The host's time stamp is YYYYMMDD-HHMMSS.
    const std::string stamp = host_.timeStamp();
    QString time = QString::fromStdString(stamp);
    if (stamp.size() == 15)
        time = QString::fromStdString(stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" +
                                      stamp.substr(13, 2));
    panel_->addLog(time, lines);
}

remote::DrawView RemoteController::view() const {
    const MainElements& e = window_.elements();
    remote::DrawView v;
    v.level = e.levelCombo->currentText().toStdString();
    v.progress = qstr(e.progress->caption()).toStdString();
    v.pool = window_.pool().count();
    v.running = state_.drawRunning;
    v.busy = draw_.drawInProgress();
    return v;
}

void RemoteController::publish() {
    // Only a change crosses to the server's thread.
    QByteArray state = QByteArray::fromStdString(remote::stateJson(view()));
    if (state == published_) return;
    published_ = state;
    service_->publish(state);
}

void RemoteController::perform(remote::Verb verb) {
    MainElements& e = window_.elements();
    // The keyboard's Space: stops a scroll (the focused stop button's click)
    // or starts a run when the settings panel is closed.
    auto space = [&] {
        if (state_.drawRunning) {
            draw_.stopDraw();
        } else if (!(e.panel.frame && e.panel.frame->isVisible())) {
            draw_.startDraw();
        }
    };
    switch (verb) {
    case remote::Verb::Press:
        space();
        break;
    case remote::Verb::Prev:
        stepLevel(-1);
        break;
    case remote::Verb::Next:
        stepLevel(+1);
        break;
    case remote::Verb::Page:
        nextPage(draw_, space);
        break;
    default:
        return;
    }
    publish();
}

void RemoteController::stepLevel(int step) {
    // The level does not change under a draw run, whatever the phone says.
    if (draw_.drawInProgress() || state_.drawRunning) return;
    QComboBox* combo = window_.elements().levelCombo;
    if (combo->count() == 0) return;
    const int current = combo->findText(combo->currentText());
    const int next = current < 0 ? 0 : std::clamp(current + step, 0, combo->count() - 1);
    if (next == current) return;
    // The edit text changes as a pick would change it: the selector's own
    // handler re-targets the draw.
    combo->setCurrentIndex(next);
    if (combo->currentText() != combo->itemText(next)) combo->setEditText(combo->itemText(next));
}

} // namespace luckdial
