// The start-up step that loads the stored configuration.
#include "settings/settingscontroller.h"

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QLineEdit>

namespace luckdial {

SettingsController::SettingsController(Host& host, MainWindow& window, DrawState& draw)
    : host_(host), window_(window), e_(window.elements()), draw_(draw), table_(e_.panel) {}

SettingsController::~SettingsController() = default;

std::string SettingsController::configPath() const {
    return host_.path(names::kConfigFile);
}

std::string SettingsController::item(const std::string& key) {
    return host_.readItem(configPath(), names::kGeneral, key);
}

void SettingsController::store(const std::string& key, const std::string& value) {
    // A setting that cannot be stored still applies until the program ends;
    // nobody is interrupted for it.
    (void)host_.writeItem(configPath(), names::kGeneral, key, value);
}

void SettingsController::setButtonHeights(int height) {
    for (QWidget* button :
         {static_cast<QWidget*>(e_.startButton), static_cast<QWidget*>(e_.stopButton)})
        button->resize(button->width(), height);
}

void SettingsController::applyConfiguration() {
    auto& p = e_.panel;
    auto setText = [](QLineEdit* field, const std::string& value) { field->setText(qstr(value)); };

    if (item(gbk("界面大小")) == gbk("窗口"))
        setWindowMode();
    else
        setFullScreen();

    if (!item(names::columnsKey(1)).empty()) {
        for (int n = 1; n <= 8; ++n)
            setText(p.columns[n - 1], item(names::columnsKey(n)));
    }

    p.disableEffects->setChecked(names::isTrueText(item(gbk("禁用特效"))));

    if (const std::string v = item(gbk("自动停止")); !v.empty()) setText(p.autoStop, v);

    if (const std::string v = host_.readItem(configPath(), names::kColours, gbk("界面背景颜色"));
        !v.empty())
        window_.setBackgroundColour(toInt(v));

    p.mask->setChecked(names::isTrueText(item(gbk(names::kMaskEnabled))));
    if (const std::string left = item(gbk(names::kMaskLeft)); !left.empty()) {
        setText(p.maskLeft, left);
        setText(p.maskRight, item(gbk(names::kMaskRight)));
        setText(p.maskChars, item(gbk(names::kMaskChars)));
    }

    if (const std::string v = item(gbk("烟花时间")); !v.empty()) setText(p.fireworksTime, v);

    if (!item(names::perDrawKey(1)).empty()) {
        for (int n = 1; n <= 8; ++n)
            setText(p.perDraw[n - 1], item(names::perDrawKey(n)));
    }

    if (const std::string v = item(gbk("滚动速度")); !v.empty()) {
        draw_.scrollDelayMs = toInt(v);
        setText(p.scrollSpeed, v);
    } else {
        draw_.scrollDelayMs = 30;
    }

    p.allowRepeat->setChecked(names::isTrueText(item(gbk("是否允许重复"))));

    const bool hideButtons = names::isTrueText(item(gbk("不显示按钮")));
    p.hideButtons->setChecked(hideButtons);
    setButtonHeights(hideButtons ? 0 : 70);

    for (int n = 1; n <= 8; ++n) {
        setText(p.quota[n - 1], item(names::quotaKey(n)));
        setText(p.name[n - 1], item(names::levelWord(n)));
    }

    if (item(gbk("背景音乐")) != names::boolText(false)) {
        e_.menu.musicOn->setChecked(true);
        e_.menu.musicOff->setChecked(false);
    } else {
        e_.menu.musicOn->setChecked(false);
        e_.menu.musicOff->setChecked(true);
    }

    const bool picture = e_.prizePicture->hasPicture();
    e_.prizePicture->setVisible(picture);
    e_.prizeName->setVisible(picture);

    if (const std::string width = item(gbk("奖品图片宽")); !width.empty()) {
        setText(p.pictureWidth, width);
        setText(p.pictureHeight, item(gbk("奖品图片高")));
        e_.prizePicture->resize(toInt(gbkOf(p.pictureWidth->text())),
                                toInt(gbkOf(p.pictureHeight->text())));
    }

    applyStyles();
}

void SettingsController::applyStyles() {
    struct Styled {
        TransparentLabel* label;
        const char* prefix;
    };
    const Styled styled[] = {{e_.mainTitle, "主标题"},
                             {e_.subTitle, "副标题"},
                             {e_.winners, "中奖人"},
                             {e_.congrats, "恭喜"}};
    for (const Styled& s : styled) {
        auto read = [&](const char* suffix) {
            return host_.readItem(configPath(), names::kColours, gbk(s.prefix) + gbk(suffix));
        };
        const std::string colour = read("字体颜色");
        if (colour.empty()) continue;
        FontValue font = s.label->fontValue();
        font.face = read("字体");
        font.size = toInt(read("字体大小"));
        s.label->setFontValue(font);
        s.label->setTextColour(toInt(colour));
    }
}

} // namespace luckdial
