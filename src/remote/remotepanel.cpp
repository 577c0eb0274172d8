#include "remote/remotepanel.h"

#include "remote/qrcode.h"
#include "remote/remoteserver.h"
#include "remote/remoteservice.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace luckdial::remote {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(text(name));
    return widget;
}

} // namespace

RemotePanel::RemotePanel(RemoteService& service, QWidget* parent)
    : QWidget(parent), service_(service) {
    setObjectName(text("遥控面板"));
    auto* top = new QHBoxLayout;
    switch_ = named(new QPushButton(this), "遥控_开关");
    port_ = named(new QSpinBox(this), "遥控_端口");
    port_->setRange(1024, 65535);
    port_->setValue(RemoteService::kDefaultPort);
    top->addWidget(new QLabel(text("端口："), this));
    top->addWidget(port_);
    top->addWidget(switch_);
    top->addStretch();

    address_ = named(new QLabel(this), "遥控_地址");
    address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    qr_ = named(new QLabel(this), "遥控_二维码");
    qr_->setAlignment(Qt::AlignCenter);
    qr_->setMinimumSize(240, 240);
    controller_ = named(new QLabel(this), "遥控_控制者");
    lock_ = named(new QLabel(this), "遥控_锁定");
    refused_ = named(new QLabel(this), "遥控_拒绝计数");
    rearm_ = named(new QPushButton(text("重新生成二维码"), this), "遥控_重新生成");

    pending_ = named(new QListWidget(this), "遥控_等候列表");
    pending_->setMaximumHeight(90);
    approve_ = named(new QPushButton(text("批准"), this), "遥控_批准");
    deny_ = named(new QPushButton(text("拒绝"), this), "遥控_拒绝");
    auto* answers = new QHBoxLayout;
    answers->addWidget(approve_);
    answers->addWidget(deny_);
    answers->addStretch();

    log_ = named(new QListWidget(this), "遥控_日志");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(address_);
    layout->addWidget(qr_);
    layout->addWidget(controller_);
    layout->addWidget(lock_);
    layout->addWidget(rearm_);
    layout->addWidget(new QLabel(text("请求控制的设备："), this));
    layout->addWidget(pending_);
    layout->addLayout(answers);
    layout->addWidget(refused_);
    layout->addWidget(new QLabel(text("遥控记录："), this));
    layout->addWidget(log_, 1);

    connect(switch_, &QPushButton::clicked, this,
            [this] { Q_EMIT switchRequested(!service_.isOn()); });
    connect(rearm_, &QPushButton::clicked, this, [this] { service_.rearm(); });
    auto chosen = [this]() -> quint32 {
        const QListWidgetItem* item = pending_->currentItem();
        if (!item && pending_->count() > 0) item = pending_->item(0);
        return item ? item->data(Qt::UserRole).toUInt() : 0;
    };
    connect(approve_, &QPushButton::clicked, this, [this, chosen] {
        if (const quint32 id = chosen()) service_.approve(id);
    });
    connect(deny_, &QPushButton::clicked, this, [this, chosen] {
        if (const quint32 id = chosen()) service_.deny(id);
    });

    connect(&service_, &RemoteService::switched, this, [this](bool on) {
        if (!on) {
            pending_->clear();
            controller_->clear();
        }
        locked_ = false;
        refresh();
    });
    connect(&service_, &RemoteService::secretChanged, this, [this] {
        locked_ = false;
        refresh();
    });
    connect(&service_, &RemoteService::controllerChanged, this, [this](const QString& who) {
        controller_->setText(text("控制者：") + (who.isEmpty() ? text("无") : who));
    });
    connect(&service_, &RemoteService::refusedCount, this, [this](quint64 n) {
        refusedCount_ = n;
        // Hidden, nothing is laid out or drawn: the count waits for the show.
        if (isVisible()) refused_->setText(text("已拒绝的请求：") + QString::number(n));
    });
    connect(&service_, &RemoteService::notice, this,
            [this](int kind, const QString& address, quint32 id) {
                switch (static_cast<Notice>(kind)) {
                case Notice::Asked:
                    addPending(id, address);
                    break;
                case Notice::AskWithdrawn:
                case Notice::Approved:
                case Notice::Denied:
                    removePending(id);
                    break;
                case Notice::Locked:
                    locked_ = true;
                    pending_->clear();
                    refresh();
                    break;
                case Notice::Claimed:
                    break;
                }
            });
    refresh();
}

void RemotePanel::refresh() {
    const bool on = service_.isOn();
    switch_->setText(on ? text("关闭手机遥控") : text("开启手机遥控"));
    port_->setEnabled(!on);
    rearm_->setEnabled(on);
    approve_->setEnabled(on);
    deny_->setEnabled(on);
    if (!on) {
        address_->setText(text("手机遥控已关闭"));
        qr_->clear();
        qrImage_ = QImage();
        lock_->clear();
        refused_->clear();
        refusedCount_ = 0;
        controller_->clear();
        return;
    }
    address_->setText(text("地址：http://%1:%2/").arg(service_.hostAddress()).arg(service_.port()));
    if (controller_->text().isEmpty()) controller_->setText(text("控制者：无"));
    if (locked_) {
        // The code on screen opens nothing any more: it is not shown.
        qrImage_ = QImage();
        qr_->clear();
        qr_->setText(text("密码错误次数过多，已锁定"));
        lock_->setText(text("已锁定：请按“重新生成二维码”"));
        return;
    }
    lock_->clear();
    qrImage_ = qrCodeImage(service_.url().toUtf8(), 6);
    qr_->setPixmap(QPixmap::fromImage(qrImage_));
}

QImage RemotePanel::qrImage() const {
    return qrImage_;
}

void RemotePanel::addLog(const QString& time, const QStringList& lines) {
    if (lines.isEmpty()) return;
    QStringList stamped;
    stamped.reserve(lines.size());
    for (const QString& line : lines)
        stamped << time + QLatin1Char(' ') + line;
    log_->addItems(stamped);
    // A long evening keeps its last thousand lines on screen.
    while (log_->count() > 1000)
        delete log_->takeItem(0);
    if (isVisible())
        log_->scrollToBottom();
    else
        logBehind_ = true;
}

void RemotePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (service_.isOn() && refusedCount_ > 0)
        refused_->setText(text("已拒绝的请求：") + QString::number(refusedCount_));
    if (logBehind_) log_->scrollToBottom();
    logBehind_ = false;
}

void RemotePanel::setPort(quint16 port) {
    port_->setValue(port);
}

quint16 RemotePanel::port() const {
    return static_cast<quint16>(port_->value());
}

void RemotePanel::addPending(quint32 id, const QString& address) {
    auto* item = new QListWidgetItem(text("编号 %1  %2").arg(id).arg(address));
    item->setData(Qt::UserRole, id);
    pending_->addItem(item);
    if (!pending_->currentItem()) pending_->setCurrentItem(item);
}

void RemotePanel::removePending(quint32 id) {
    for (int i = pending_->count() - 1; i >= 0; --i)
        if (pending_->item(i)->data(Qt::UserRole).toUInt() == id) delete pending_->takeItem(i);
}

} // namespace luckdial::remote
