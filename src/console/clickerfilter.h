#pragma once
// Presenter clicker keys on the hall display and the console, whichever of
// the two has the focus; never while a text field or a dialog has it.

#include "console/core/clickerkeys.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace luckdial {

/// The key map's key for a Qt key code (no modifiers other than the keypad's).
ClickerKey clickerKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

class ClickerFilter : public QObject {
public:
    /// Watches the application's key presses from now on.
    ClickerFilter(QWidget* hall, QWidget* console);
    ~ClickerFilter() override;
    ClickerFilter(const ClickerFilter&) = delete;
    ClickerFilter& operator=(const ClickerFilter&) = delete;

    std::function<void()> onStartStop;
    std::function<void()> onBlackout;
    std::function<void()> onToggleConsole;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> hall_;
    QPointer<QWidget> console_;
};

} // namespace luckdial
