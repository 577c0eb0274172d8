#include "ui/loadingcaption.h"
#include "host/core/text.h"
#include "ui/widgets.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace luckdial {

LoadingCaption::LoadingCaption() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("载入提示"));
    setWindowTitle(QStringLiteral("Luckdial"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(500, 60);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
    label_ = new TransparentLabel(this);
    label_->setObjectName(QStringLiteral("透明标签1"));
    label_->setGeometry(0, 5, 500, 48);
    label_->setFontValue(designFont("宋体", 21, false));
    label_->setTextColour(0x0000FF); // FF0000
    label_->setCaption(gbk("正在载入抽奖号码库数据，请稍后..."));
}

void LoadingCaption::setProgress(double done) {
    const double clamped = done < 0 || done != done ? -1.0 : done > 1 ? 1.0 : done;
    if (clamped == progress_) return;
    progress_ = clamped;
    update();
}

void LoadingCaption::paintEvent(QPaintEvent*) {
    // The caption's own background picture: a pale gold plate with a red rim
    // and a row of small lanterns at both ends.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0.0, QColor(255, 250, 225));
    fill.setColorAt(0.5, QColor(255, 236, 170));
    fill.setColorAt(1.0, QColor(240, 200, 110));
    p.fillRect(rect(), fill);
    p.setPen(QPen(QColor(170, 20, 20), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, width() - 3, height() - 3));
    p.setPen(QPen(QColor(212, 160, 40), 1));
    p.drawRect(QRectF(5.5, 5.5, width() - 11, height() - 11));
    p.setPen(Qt::NoPen);
    for (int side = 0; side < 2; ++side) {
        const double x0 = side == 0 ? 16.0 : width() - 16.0;
        for (int i = 0; i < 2; ++i) {
            const QPointF c(x0 + (side == 0 ? i * 14.0 : -i * 14.0), height() / 2.0);
            p.setBrush(QColor(200, 20, 20, 200));
            p.drawEllipse(c, 5.5, 7.0);
            p.setBrush(QColor(255, 210, 60, 220));
            p.drawRect(QRectF(c.x() - 2.5, c.y() - 9.0, 5.0, 2.0));
        }
    }
    if (progress_ >= 0) {
        // Inside the gold line, below the label.
        const QRectF track(6, height() - 9, width() - 12, 3);
        p.setBrush(QColor(170, 20, 20, 60));
        p.drawRect(track);
        p.setBrush(QColor(170, 20, 20));
        p.drawRect(QRectF(track.x(), track.y(), track.width() * progress_, track.height()));
    }
}

} // namespace luckdial
