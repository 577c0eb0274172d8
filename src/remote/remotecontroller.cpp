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
    using remote::Notice;
    connect(service_.get(), &remote::RemoteService::command, this,
            [this](int verb, const QString& who) {
                static const char* const kNames[] = {"",          "",         "",         "",
                                                     "开始/停止", "上一奖项", "下一奖项", "下一页"};
                const int i = std::clamp(verb, 0, 7);
                log(who + text("：") + text(kNames[i]));
                perform(static_cast<remote::Verb>(verb));
            });
    connect(service_.get(), &remote::RemoteService::notice, this,
            [this](int kind, const QString& who, quint32 id) {
                const QString n = QString::number(id);
                switch (static_cast<Notice>(kind)) {
                case Notice::Claimed:
                    log(who + text(" 扫码取得控制权"));
                    break;
                case Notice::WrongSecret:
                    log(who + text(" 密码错误"));
                    break;
                case Notice::Locked:
                    log(text("密码错误次数过多，遥控已锁定"));
                    break;
                case Notice::Asked:
                    log(who + text(" 请求控制（编号 ") + n + text("）"));
                    break;
                case Notice::AskWithdrawn:
                    log(who + text(" 已离开（编号 ") + n + text("）"));
                    break;
                case Notice::Approved:
                    log(text("批准 ") + who + text(" 控制"));
                    break;
                case Notice::Denied:
                    log(text("拒绝 ") + who);
                    break;
                }
            });
    connect(service_.get(), &remote::RemoteService::secretChanged, this, [this] {
        if (service_->isOn()) log(text("新的二维码"));
    });
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
    publish();
    publisher_->start();
    return true;
}

void RemoteController::switchOff() {
    if (!service_->isOn()) return;
    publisher_->stop();
    service_->switchOff();
    log(text("手机遥控已关闭"));
}

void RemoteController::log(const QString& line) {
    // The host's time stamp is YYYYMMDD-HHMMSS.
    const std::string stamp = host_.timeStamp();
    QString time = QString::fromStdString(stamp);
    if (stamp.size() == 15)
        time = QString::fromStdString(stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" +
                                      stamp.substr(13, 2));
    panel_->addLog(time, line);
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
    service_->publish(QByteArray::fromStdString(remote::stateJson(view())));
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
