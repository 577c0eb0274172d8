// The prize settings panel: opening, moving, closing and saving.
#include "settings/settingscontroller.h"

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/configkeys.h"
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

#include <climits>
#include <cmath>

namespace luckdial {
namespace {

std::string textOf(const QLineEdit* field) {
    return gbkOf(field->text());
}

// Quota plus one, truncated toward zero, kept inside 32 bits.
std::int32_t limitFromQuota(const std::string& quota) {
    const double limit = std::trunc(toNumber(quota) + 1.0);
    if (limit >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (limit <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<std::int32_t>(limit);
}

std::string pictureName(int row) {
    return gbk("奖品图片\\") + toText(static_cast<long long>(row)) + ".jpg";
}

} // namespace

void SettingsController::openPanel() {
    auto& p = e_.panel;
    p.group->show();
    p.frame->show();
    p.frame->raise();
    p.save->setEnabled(true);
    host_.createDirectory(host_.path(gbk("奖品图片")));
}

void SettingsController::closePanel() {
    e_.panel.frame->hide();
    e_.panel.save->setEnabled(false);
}

int SettingsController::refreshPrizeLevelList(bool keepPictureWithoutMatch) {
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

    const std::string current = gbkOf(combo->currentText());
    if (!current.empty()) {
        for (int n = 1; n <= 8; ++n) {
            if (textOf(p.name[n - 1]) != current) continue;
            e_.prizePicture->setPictureData(host_.readFile(host_.path(pictureName(n))));
            draw_.levelLimit = limitFromQuota(textOf(p.quota[n - 1]));
            return n;
        }
    }
    if (!keepPictureWithoutMatch) e_.prizePicture->setPictureData(std::string());
    return 0;
}

void SettingsController::savePrizeSettings() {
    auto& p = e_.panel;
    auto levelKey = [](int n, const char* suffix) { return config::levelWord(n) + gbk(suffix); };

    store(gbk("自动停止"), textOf(p.autoStop));
    for (int n = 1; n <= 8; ++n)
        store(levelKey(n, "人数"), textOf(p.quota[n - 1]));
    store(gbk("滚动速度"), textOf(p.scrollSpeed));
    for (int n = 1; n <= 8; ++n)
        store(config::levelWord(n), textOf(p.name[n - 1]));
    for (int n = 1; n <= 8; ++n)
        store(levelKey(n, "一次抽取人数"), textOf(p.perDraw[n - 1]));
    store(gbk("是否允许重复"), config::boolText(p.allowRepeat->isChecked()));
    store(gbk("奖品图片宽"), textOf(p.pictureWidth));
    store(gbk("奖品图片高"), textOf(p.pictureHeight));
    for (int n = 1; n <= 8; ++n)
        store(gbk("列") + toText(static_cast<long long>(n)), textOf(p.columns[n - 1]));
    store(gbk("烟花时间"), textOf(p.fireworksTime));

    refreshPrizeLevelList();
    e_.prizePicture->resize(toInt(textOf(p.pictureWidth)), toInt(textOf(p.pictureHeight)));
    p.frame->hide();
    draw_.scrollDelayMs = toInt(textOf(p.scrollSpeed));
    e_.prizePicture->hide();
    p.save->setEnabled(false);
    host_.setFileHidden(configPath(), true);
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
