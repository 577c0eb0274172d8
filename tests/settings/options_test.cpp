#include "support/settings_fixture.h"

#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>

namespace luckdial::test {
namespace {

class DrawOptions : public SettingsTest {
protected:
    void SetUp() override {
        controller->connectHandlers();
        controller->applyConfiguration();
    }
};

TEST_F(DrawOptions, MaskBoxStoresItsStateThenTheThreeFields) {
    panel().mask->click();
    EXPECT_EQ(key("屏蔽启用"), "真");
    EXPECT_EQ(key("屏蔽左"), "4");
    EXPECT_EQ(key("屏蔽右"), "7");
    EXPECT_EQ(key("屏蔽字符"), "****");

    type(panel().maskLeft, "2");
    type(panel().maskChars, "");
    EXPECT_EQ(key("屏蔽左"), "4"); // typing alone stores nothing
    panel().mask->click();
    EXPECT_EQ(key("屏蔽启用"), "假");
    EXPECT_EQ(key("屏蔽左"), "2");
    EXPECT_EQ(key("屏蔽字符"), "");
}

TEST_F(DrawOptions, HideButtonsBoxSetsBothHeights) {
    panel().hideButtons->click();
    EXPECT_EQ(e().startButton->height(), 0);
    EXPECT_EQ(e().stopButton->height(), 0);
    EXPECT_EQ(key("不显示按钮"), "真");
    panel().hideButtons->click();
    EXPECT_EQ(e().startButton->height(), 70);
    EXPECT_EQ(e().stopButton->height(), 70);
    EXPECT_EQ(key("不显示按钮"), "假");
}

TEST_F(DrawOptions, EffectsBoxStoresAndClosesTheFireworksEitherWay) {
    int closed = 0;
    std::string storedWhenClosed;
    QObject::connect(controller.get(), &SettingsController::effectsSwitched, [&] {
        ++closed;
        storedWhenClosed = key("禁用特效");
    });
    panel().disableEffects->click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(storedWhenClosed, "真");
    panel().disableEffects->click();
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(key("禁用特效"), "假");
}

TEST_F(DrawOptions, WindowSizeCommands) {
    window->show();
    e().menu.windowMode->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(1004, 748));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(e().menu.windowMode->isChecked());
    EXPECT_FALSE(e().menu.fullScreen->isChecked());
    EXPECT_EQ(key("界面大小"), "窗口");

    // Choosing the checked item again must not uncheck it.
    e().menu.windowMode->trigger();
    EXPECT_TRUE(e().menu.windowMode->isChecked());

    e().menu.fullScreen->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(e().menu.fullScreen->isChecked());
    EXPECT_FALSE(e().menu.windowMode->isChecked());
    EXPECT_EQ(key("界面大小"), "全屏");
}

TEST_F(DrawOptions, WindowModeKeepsThePosition) {
    host.screenW = 1280;
    host.screenH = 1024;
    e().menu.windowMode->trigger();
    window->show();
    // The operator has moved the window; choosing the window mode again only
    // resizes it.
    window->move(30, 40);
    ASSERT_EQ(window->pos(), QPoint(30, 40));
    e().menu.windowMode->trigger();
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_EQ(window->size(), QSize(1260, 1004));

    // From full screen the window keeps the top left corner full screen gave it.
    e().menu.fullScreen->trigger();
    ASSERT_EQ(window->geometry().topLeft(), QPoint(0, 0));
    e().menu.windowMode->trigger();
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->size(), QSize(1260, 1004));
}

TEST_F(DrawOptions, MusicCommands) {
    e().menu.musicOff->trigger();
    EXPECT_FALSE(e().menu.musicOn->isChecked());
    EXPECT_TRUE(e().menu.musicOff->isChecked());
    EXPECT_EQ(key("背景音乐"), "假");
    e().menu.musicOn->trigger();
    EXPECT_TRUE(e().menu.musicOn->isChecked());
    EXPECT_FALSE(e().menu.musicOff->isChecked());
    EXPECT_EQ(key("背景音乐"), "真");
    EXPECT_TRUE(host.music.empty()); // the switch itself plays nothing
}

} // namespace
} // namespace luckdial::test
