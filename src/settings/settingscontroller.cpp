#include "settings/settingscontroller.h"

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "settings/core/password.h"
#include "ui/mainwindow.h"
#include "ui/passwordwindow.h"
#include "ui/widgets.h"

#include <QAction>
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

// The start-up step that loads the stored configuration.

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
    if (const std::string v = item(gbk(names::kPageTurnSeconds)); !v.empty())
        setText(p.pageTurn, v);

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

// The prize settings panel: opening, moving, closing and saving.

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
    store(gbk(names::kPageTurnSeconds), t.pageTurnText());

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

// Draw-option check boxes of the panel. They store their own keys at once;
// the other panel fields wait for the save button.

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

// The access password in front of the settings panel.
std::string SettingsController::storedPassword() {
    const std::string stored = item("password");
    // A value that is no stored form was written by hand: take it literally,
    // so the operator who wrote it can still get in.
    return decodePassword(stored).value_or(stored);
}

void SettingsController::showPasswordWindow() {
    PasswordWindow window(&window_);
    connect(window.enterButton(), &QPushButton::clicked, &window,
            [this, &window] { login(window); });
    connect(window.changeButton(), &QPushButton::clicked, &window,
            [this, &window] { changePassword(window); });
    window.exec();
    // Without a window manager the keyboard would stay with the root window.
    if (window_.isVisible()) window_.activateWindow();
}

void SettingsController::login(PasswordWindow& window) {
    if (storedPassword() == gbkOf(window.passwordEdit()->text())) {
        openPanel();
        window.accept();
        return;
    }
    host_.messageBox(gbk("密码不正确！请重新输入。"), MbOk);
}

void SettingsController::changePassword(PasswordWindow& window) {
    std::string current = storedPassword();
    if (current != gbkOf(window.passwordEdit()->text())) {
        host_.messageBox(gbk("请在密码框输入原始密码后再修改！"), MbOk);
        return;
    }
    if (auto entered = host_.inputBox(gbk("请输入密码"), gbk("请输入密码"), std::string()))
        current = std::move(*entered);
    const std::string stored = encodePassword(current);
    store("password", stored);
    if (!stored.empty()) {
        host_.messageBox(gbk("设置成功！请牢记您的密码！"), MbOk);
        window.reject();
    } else {
        host_.messageBox(gbk("您没有设置任何密码！"), MbOk);
    }
}

// Window-size commands and the background-music switch of the menu.

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
    w.setGeometry(host_.screenLeft(), host_.screenTop(), host_.screenWidth(), host_.screenHeight());
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
