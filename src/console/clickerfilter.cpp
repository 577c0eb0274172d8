#include "console/clickerfilter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace luckdial {

ClickerKey clickerKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return ClickerKey::Other;
    switch (qtKey) {
    case Qt::Key_Space:
        return ClickerKey::Space;
    case Qt::Key_PageDown:
        return ClickerKey::PageDown;
    case Qt::Key_PageUp:
        return ClickerKey::PageUp;
    case Qt::Key_Right:
        return ClickerKey::Right;
    case Qt::Key_Left:
        return ClickerKey::Left;
    case Qt::Key_Down:
        return ClickerKey::Down;
    case Qt::Key_Up:
        return ClickerKey::Up;
    case Qt::Key_B:
        return ClickerKey::B;
    case Qt::Key_Period:
        return ClickerKey::Period;
    case Qt::Key_F5:
        return ClickerKey::F5;
    case Qt::Key_Escape:
        return ClickerKey::Escape;
    case Qt::Key_F2:
        return ClickerKey::F2;
    default:
        return ClickerKey::Other;
    }
}

namespace {

bool isTextField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

} // namespace

ClickerFilter::ClickerFilter(QWidget* hall, QWidget* console) : hall_(hall), console_(console) {
    qApp->installEventFilter(this);
}

ClickerFilter::~ClickerFilter() {
    qApp->removeEventFilter(this);
}

bool ClickerFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    const QWidget* top = widget->window();
    const bool onHall = hall_ && top == hall_;
    if (!onHall && !(console_ && top == console_)) return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    if (isTextField(widget) || isTextField(QApplication::focusWidget())) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const ClickerAction action = clickerAction(clickerKeyOf(key->key(), key->modifiers()), onHall);
    if (action == ClickerAction::None) return false;
    key->accept();
    // A held key repeats: one press, one start or stop.
    if (key->isAutoRepeat()) return true;
    switch (action) {
    case ClickerAction::StartStop:
        if (onStartStop) onStartStop();
        break;
    case ClickerAction::Blackout:
        if (onBlackout) onBlackout();
        break;
    case ClickerAction::ToggleConsole:
        if (onToggleConsole) onToggleConsole();
        break;
    case ClickerAction::Swallow:
    case ClickerAction::None:
        break;
    }
    return true;
}

} // namespace luckdial
