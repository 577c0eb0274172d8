#include "host/qt/windowops.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace luckdial {

QRegion roundedCornerRegion(int width, int height, int diameter) {
    const int w = std::max(width + 1, 0);
    const int h = std::max(height + 1, 0);
    if (w == 0 || h == 0) return QRegion();
    const int d = std::min({diameter, w, h});
    if (d < 2) return QRegion(0, 0, w, h);

    const double r = d / 2.0;
    // Inset of a row at distance row (0 = outermost) from the top or bottom
    // edge, measured at the pixel centre.
    auto inset = [r](int row) {
        const double dy = r - (row + 0.5);
        if (dy <= 0) return 0;
        const double half = r * std::sqrt(std::max(0.0, 1.0 - (dy / r) * (dy / r)));
        return static_cast<int>(std::floor(r - half + 0.5));
    };
    QRegion region;
    int y = 0;
    while (y < h) {
        const int inY = std::max(inset(y), inset(h - 1 - y));
        int end = y + 1;
        while (end < h && std::max(inset(end), inset(h - 1 - end)) == inY)
            ++end;
        if (w - 2 * inY > 0) region += QRect(inY, y, w - 2 * inY, end - y);
        y = end;
    }
    return region;
}

namespace {

class MouseFollower : public QObject {
public:
    MouseFollower(QWidget* element, QEventLoop* loop)
        : element_(element), loop_(loop), startCursor_(QCursor::pos()), startPos_(element->pos()) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (!element_) {
            loop_->quit();
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (!(me->buttons() & Qt::LeftButton)) {
                // The release happened where we could not see it.
                loop_->quit();
                return true;
            }
            element_->move(startPos_ + (me->globalPosition().toPoint() - startCursor_));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) loop_->quit();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> element_;
    QEventLoop* loop_;
    QPoint startCursor_;
    QPoint startPos_;
};

} // namespace

void moveWithMouse(QWidget* element) {
    if (!element) return;
    if (element->isWindow()) {
        if (QWindow* window = element->windowHandle(); window && window->startSystemMove()) return;
    }
    QPointer<QWidget> guard(element);
    QEventLoop loop;
    MouseFollower follower(element, &loop);
    qApp->installEventFilter(&follower);
    // Destroying the element ends the move too.
    QObject::connect(element, &QObject::destroyed, &loop, &QEventLoop::quit);
    element->grabMouse();
    loop.exec();
    qApp->removeEventFilter(&follower);
    if (guard) guard->releaseMouse();
}

} // namespace luckdial
