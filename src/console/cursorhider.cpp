#include "console/cursorhider.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

namespace luckdial {

namespace {
constexpr int kPollMs = 200;
}

CursorHider::CursorHider(QWidget* hall, int idleMs)
    : hall_(hall), poll_(new QTimer(this)), idleMs_(idleMs), last_(QCursor::pos()) {
    // Polled: with the cursor hidden and no button held, widgets without
    // mouse tracking are told of no movement at all.
    poll_->setTimerType(Qt::CoarseTimer);
    connect(poll_, &QTimer::timeout, this, [this] { look(QCursor::pos(), kPollMs); });
    poll_->start(kPollMs);
}

CursorHider::~CursorHider() {
    show();
}

void CursorHider::look(const QPoint& position, int stillMs) {
    if (position != last_) {
        last_ = position;
        still_ = 0;
        show();
        return;
    }
    still_ += stillMs;
    if (hidden_ || still_ < idleMs_ || !hall_ || !hall_->isVisible()) return;
    // Only over the hall: on the console the operator needs the pointer, and
    // a menu or dialog there keeps it too.
    if (!hall_->frameGeometry().contains(position)) return;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return;
    QApplication::setOverrideCursor(Qt::BlankCursor);
    hidden_ = true;
}

void CursorHider::show() {
    if (!hidden_) return;
    hidden_ = false;
    QApplication::restoreOverrideCursor();
}

} // namespace luckdial
