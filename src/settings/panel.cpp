// The prize settings panel: opening, moving, closing and saving.
#include "settings/settingscontroller.h"

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

namespace luckdial {
namespace {} // namespace

void SettingsController::openPanel() {
    auto& p = e_.panel;
    p.group->show();
    p.frame->show();
    p.frame->raise();
    p.save->setEnabled(true);
    // An existing directory is what is wanted; without one the picture copies
    // fail and the marks keep saying "《无".
    (void)host_.createDirectory(host_.path(names::prizePictureDirectory()));
}

void SettingsController::closePanel() {
    e_.panel.frame->hide();
    e_.panel.save->setEnabled(false);
}

std::optional<int> SettingsController::refreshPrizeLevelList(bool keepPictureWithoutMatch) {
    auto& p = e_.panel;
    QComboBox* combo = e_.levelCombo;
    {
        // A refill is not a choice of the operator: nobody listening to the
        // selector should take it for one.
        const QSignalBlocker blocker(combo);
        combo->clear();
        for (QLineEdit* name : p.name) {
            if (!name->text().isEmpty()) combo->addItem(name->text());
        }
        // The selector adopts its first item by itself; a refill leaves it
        // without a current level.
        combo->setCurrentIndex(-1);
        if (combo->isEditable()) combo->setEditText(QString());
    }

    const QString current = combo->currentText();
    if (!current.isEmpty()) {
        if (const std::optional<int> row = table_.rowOf(current)) {
            e_.prizePicture->setPictureData(
                host_.readFile(host_.path(PrizeTable::picturePath(*row))));
            draw_.levelLimit = table_.levelLimit(*row);
            return row;
        }
    }
    if (!keepPictureWithoutMatch) e_.prizePicture->setPictureData(std::string());
    return std::nullopt;
}

void SettingsController::savePrizeSettings() {
    auto& p = e_.panel;

    const PrizeTable& t = table_;
    store(gbk("自动停止"), t.autoStopText());
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        store(names::quotaKey(n), t.quotaText(n));
    store(gbk("滚动速度"), t.scrollSpeedText());
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        store(names::levelWord(n), t.name(n));
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        store(names::perDrawKey(n), t.perDrawText(n));
    store(gbk("是否允许重复"), names::boolText(t.allowRepeat()));
    store(gbk("奖品图片宽"), gbkOf(p.pictureWidth->text()));
    store(gbk("奖品图片高"), gbkOf(p.pictureHeight->text()));
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        store(names::columnsKey(n), t.columnsText(n));
    store(gbk("烟花时间"), t.fireworksTimeText());

    refreshPrizeLevelList();
    e_.prizePicture->resize(toInt(gbkOf(p.pictureWidth->text())),
                            toInt(gbkOf(p.pictureHeight->text())));
    p.frame->hide();
    draw_.scrollDelayMs = toInt(t.scrollSpeedText());
    e_.prizePicture->hide();
    p.save->setEnabled(false);
    (void)host_.setFileHidden(configPath(), true); // cosmetic: a visible file works too
    host_.messageBox(gbk("设置完毕！抽奖过程中，请不要再修改奖项设置！"), MbOk);
}

bool SettingsController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto& p = e_.panel;

    if (watched == p.closeMark) {
        closePanel();
        return true;
    }
    if (mouse->button() != Qt::LeftButton) return QObject::eventFilter(watched, event);
    // The frame itself only where no child lies: presses that bubble up from
    // the group box and its fields must not drag the panel.
    const bool onFrame =
        watched == p.frame && p.frame->childAt(mouse->position().toPoint()) == nullptr;
    if (onFrame || watched == p.icon || watched == p.caption) {
        host_.beginMove(p.frame);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace luckdial
