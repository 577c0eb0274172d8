// Window-size commands and the background-music switch of the menu.
#include "settings/settingscontroller.h"

#include "host/core/text.h"
#include "host/host.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"

#include <QAction>

namespace luckdial {

// Flags and states are touched only when they differ: re-setting window flags
// hides a widget, which would make the window blink on every start.

void SettingsController::setWindowMode() {
    QWidget& w = window_;
    const bool wasVisible = w.isVisible();
    if (w.windowFlags().testFlag(Qt::FramelessWindowHint))
        w.setWindowFlag(Qt::FramelessWindowHint, false);
    if (w.windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized))
        w.setWindowState(w.windowState() & ~(Qt::WindowFullScreen | Qt::WindowMaximized));
    w.resize(host_.screenWidth() - 20, host_.screenHeight() - 20);
    if (wasVisible && !w.isVisible()) w.show();

    e_.menu.windowMode->setChecked(true);
    e_.menu.fullScreen->setChecked(false);
    store(gbk("界面大小"), gbk("窗口"));
}

void SettingsController::setFullScreen() {
    QWidget& w = window_;
    const bool wasVisible = w.isVisible();
    if (!w.windowFlags().testFlag(Qt::FramelessWindowHint))
        w.setWindowFlag(Qt::FramelessWindowHint, true);
    // The geometry comes first so that the window covers the screen even where
    // no window manager honours the full-screen state.
    w.setGeometry(0, 0, host_.screenWidth(), host_.screenHeight());
    if (!(w.windowState() & Qt::WindowFullScreen))
        w.setWindowState((w.windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
    if (wasVisible && !w.isVisible()) w.show();

    e_.menu.windowMode->setChecked(false);
    e_.menu.fullScreen->setChecked(true);
    store(gbk("界面大小"), gbk("全屏"));
}

void SettingsController::musicOn() {
    e_.menu.musicOn->setChecked(true);
    e_.menu.musicOff->setChecked(false);
    store(gbk("背景音乐"), names::boolText(true));
}

void SettingsController::musicOff() {
    e_.menu.musicOn->setChecked(false);
    e_.menu.musicOff->setChecked(true);
    store(gbk("背景音乐"), names::boolText(false));
}

} // namespace luckdial
