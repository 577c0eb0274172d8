#include "host/qt/dialogplacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QScreen>

#include <algorithm>

namespace luckdial {

DialogPlacement::DialogPlacement() {
    qApp->installEventFilter(this);
}

DialogPlacement::~DialogPlacement() {
    qApp->removeEventFilter(this);
}

QRect DialogPlacement::placeOn(const QRect& anchor, const QRect& screen, const QSize& size,
                               const QSize& largest) {
    // A full-screen window (the results page) takes the whole console screen.
    if (size.width() >= largest.width() && size.height() >= largest.height()) return screen;
    const QSize fitted = size.boundedTo(screen.size());
    QRect placed(QPoint(0, 0), fitted);
    placed.moveCenter(anchor.center());
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - fitted.width() + 1));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - fitted.height() + 1));
    return placed;
}

bool DialogPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !anchor_ || !anchor_->isVisible())
        return QObject::eventFilter(watched, event);
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow() || window == anchor_) return false;
    const QScreen* screen = anchor_->screen();
    if (!screen) return false;
    const QRect area = screen->geometry();
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        // Menus that open on the console (and their submenus) stay where
        // they open.
        if (area.contains(menu->geometry().center())) return false;
        QRect placed(anchor_->frameGeometry().center(), menu->sizeHint());
        placed.moveRight(std::min(placed.right(), area.right()));
        placed.moveBottom(std::min(placed.bottom(), area.bottom()));
        menu->move(placed.topLeft());
        return false;
    }
    if (!qobject_cast<QDialog*>(window)) return false;
    QSize largest;
    for (const QScreen* s : QGuiApplication::screens())
        largest = largest.expandedTo(s->geometry().size());
    // Anything at least as large as the smallest full screen counts as full screen.
    QSize smallest = largest;
    for (const QScreen* s : QGuiApplication::screens())
        smallest = smallest.boundedTo(s->geometry().size());
    const QRect placed = placeOn(anchor_->frameGeometry(), area, window->size(), smallest);
    if (placed.size() != window->size())
        window->setGeometry(placed);
    else
        window->move(placed.topLeft());
    return false;
}

} // namespace luckdial
