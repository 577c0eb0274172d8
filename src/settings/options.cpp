// Draw-option check boxes of the panel. They store their own keys at once;
// the other panel fields wait for the save button.
#include "settings/settingscontroller.h"

#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace luckdial {

void SettingsController::maskClicked() {
    store(gbk(names::kMaskEnabled), names::boolText(table_.maskEnabled()));
    store(gbk(names::kMaskLeft), table_.maskLeft());
    store(gbk(names::kMaskRight), table_.maskRight());
    store(gbk(names::kMaskChars), table_.maskChars());
}

void SettingsController::hideButtonsClicked() {
    const bool hide = e_.panel.hideButtons->isChecked();
    setButtonHeights(hide ? 0 : 70);
    store(gbk("不显示按钮"), names::boolText(hide));
}

void SettingsController::disableEffectsClicked() {
    store(gbk("禁用特效"), names::boolText(e_.panel.disableEffects->isChecked()));
    Q_EMIT effectsSwitched();
}

void SettingsController::connectHandlers() {
    auto& p = e_.panel;
    auto& m = e_.menu;
    // clicked, not toggled: the apply step sets the boxes without storing.
    connect(p.mask, &QCheckBox::clicked, this, [this] { maskClicked(); });
    connect(p.hideButtons, &QCheckBox::clicked, this, [this] { hideButtonsClicked(); });
    connect(p.disableEffects, &QCheckBox::clicked, this, [this] { disableEffectsClicked(); });
    connect(p.save, &QPushButton::clicked, this, [this] { savePrizeSettings(); });

    connect(m.prizeSettings, &QAction::triggered, this, [this] { showPasswordWindow(); });
    connect(m.windowMode, &QAction::triggered, this, [this] { setWindowMode(); });
    connect(m.fullScreen, &QAction::triggered, this, [this] { setFullScreen(); });
    connect(m.musicOn, &QAction::triggered, this, [this] { musicOn(); });
    connect(m.musicOff, &QAction::triggered, this, [this] { musicOff(); });

    for (QObject* o : {static_cast<QObject*>(p.frame), static_cast<QObject*>(p.icon),
                       static_cast<QObject*>(p.caption), static_cast<QObject*>(p.closeMark)})
        o->installEventFilter(this);
}

} // namespace luckdial
