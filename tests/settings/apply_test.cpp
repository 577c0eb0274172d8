#include "support/settings_fixture.h"

#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>

namespace luckdial::test {
namespace {

using ApplyConfiguration = SettingsTest;

TEST_F(ApplyConfiguration, WithoutAFileSelectsTheDefaults) {
    draw.scrollDelayMs = 99;
    controller->applyConfiguration();

    EXPECT_TRUE(e().menu.fullScreen->isChecked());
    EXPECT_FALSE(e().menu.windowMode->isChecked());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(draw.scrollDelayMs, 30);
    EXPECT_TRUE(e().menu.musicOn->isChecked());
    EXPECT_FALSE(e().menu.musicOff->isChecked());
    for (QCheckBox* box :
         {panel().disableEffects, panel().allowRepeat, panel().hideButtons, panel().mask})
        EXPECT_FALSE(box->isChecked());
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(text(panel().name[n]), "");
        EXPECT_EQ(text(panel().quota[n]), "");
        EXPECT_EQ(text(panel().columns[n]), "1"); // design values stay
        EXPECT_EQ(text(panel().perDraw[n]), "1");
    }
    EXPECT_EQ(text(panel().maskLeft), "4");
    EXPECT_EQ(text(panel().maskChars), "****");
    EXPECT_EQ(e().startButton->height(), 70);
    EXPECT_FALSE(e().prizePicture->isVisibleTo(window.get()));

    // The only item the apply step writes is the window mode; setting the
    // check boxes stores nothing.
    EXPECT_EQ(key("界面大小"), "全屏");
    EXPECT_EQ(key("屏蔽启用"), "");
    EXPECT_EQ(key("禁用特效"), "");
    EXPECT_EQ(key("不显示按钮"), "");
}

TEST_F(ApplyConfiguration, OnlyWindowSelectsWindowMode) {
    writeConfig("[zbt]\n界面大小=窗口\n");
    controller->applyConfiguration();
    EXPECT_TRUE(e().menu.windowMode->isChecked());
    EXPECT_FALSE(e().menu.fullScreen->isChecked());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->size(), QSize(1004, 748));
    EXPECT_EQ(key("界面大小"), "窗口");

    for (const char* value : {"全屏", "window", "窗口 2"}) {
        writeConfig(std::string("[zbt]\n界面大小=") + value + "\n");
        makeWindow();
        controller->applyConfiguration();
        EXPECT_TRUE(e().menu.fullScreen->isChecked()) << value;
        EXPECT_EQ(window->size(), QSize(1024, 768)) << value;
        EXPECT_EQ(key("界面大小"), "全屏");
    }
}

TEST_F(ApplyConfiguration, OnlyFalseDisablesMusic) {
    writeConfig("[zbt]\n背景音乐=假\n");
    controller->applyConfiguration();
    EXPECT_FALSE(e().menu.musicOn->isChecked());
    EXPECT_TRUE(e().menu.musicOff->isChecked());

    for (const char* value : {"真", "no"}) {
        writeConfig(std::string("[zbt]\n背景音乐=") + value + "\n");
        makeWindow();
        controller->applyConfiguration();
        EXPECT_TRUE(e().menu.musicOn->isChecked()) << value;
        EXPECT_FALSE(e().menu.musicOff->isChecked()) << value;
    }
}

TEST_F(ApplyConfiguration, GroupsAreCopiedOnlyWhenTheirFirstKeyIsSet) {
    writeConfig("[zbt]\n列2=3\n列3=4\n屏蔽右=9\n屏蔽字符=##\n二等奖一次抽取人数=5\n"
                "奖品图片高=100\n");
    controller->applyConfiguration();
    EXPECT_EQ(text(panel().columns[1]), "1");
    EXPECT_EQ(text(panel().columns[2]), "1");
    EXPECT_EQ(text(panel().maskRight), "7");
    EXPECT_EQ(text(panel().maskChars), "****");
    EXPECT_EQ(text(panel().perDraw[2]), "1");
    EXPECT_EQ(text(panel().pictureHeight), "220");

    writeConfig("[zbt]\n列1=2\n列2=3\n屏蔽左=2\n屏蔽启用=yes\n特等奖一次抽取人数=4\n"
                "奖品图片宽=300\n奖品图片高=abc\n");
    makeWindow();
    controller->applyConfiguration();
    EXPECT_EQ(text(panel().columns[0]), "2");
    EXPECT_EQ(text(panel().columns[1]), "3");
    EXPECT_EQ(text(panel().columns[7]), ""); // absent keys of a copied group empty the field
    EXPECT_EQ(text(panel().maskLeft), "2");
    EXPECT_EQ(text(panel().maskRight), "");
    EXPECT_EQ(text(panel().maskChars), "");
    EXPECT_FALSE(panel().mask->isChecked()); // only "真" checks
    EXPECT_EQ(text(panel().perDraw[0]), "4");
    EXPECT_EQ(text(panel().perDraw[1]), "");
    EXPECT_EQ(e().prizePicture->size(), QSize(300, 0));
}

TEST_F(ApplyConfiguration, SetsOptionsAndNumbers) {
    writeConfig("[zbt]\n滚动速度=15.9\n禁用特效=真\n是否允许重复=真\n不显示按钮=真\n屏蔽启用=真\n"
                "自动停止=0.5\n烟花时间=7\n特等奖=头奖\n七等奖人数=12\n[yanse]\n"
                "界面背景颜色=255\n");
    int fireworksClosed = 0;
    QObject::connect(controller.get(), &SettingsController::effectsSwitched,
                     [&] { ++fireworksClosed; });
    controller->connectHandlers();
    controller->applyConfiguration();
    // Checking the boxes at start-up is no click: nothing is stored, nothing closed.
    EXPECT_EQ(key("屏蔽左"), "");
    EXPECT_EQ(fireworksClosed, 0);
    EXPECT_EQ(draw.scrollDelayMs, 15);
    EXPECT_EQ(text(panel().scrollSpeed), "15.9");
    EXPECT_TRUE(panel().disableEffects->isChecked());
    EXPECT_TRUE(panel().allowRepeat->isChecked());
    EXPECT_TRUE(panel().hideButtons->isChecked());
    EXPECT_TRUE(panel().mask->isChecked());
    EXPECT_EQ(e().startButton->height(), 0);
    EXPECT_EQ(e().stopButton->height(), 0);
    EXPECT_EQ(text(panel().autoStop), "0.5");
    EXPECT_EQ(text(panel().fireworksTime), "7");
    EXPECT_EQ(text(panel().name[0]), "头奖");
    EXPECT_EQ(text(panel().name[1]), "");
    EXPECT_EQ(text(panel().quota[7]), "12");
    EXPECT_EQ(window->backgroundColour(), 255);

    writeConfig("[zbt]\n滚动速度=abc\n");
    makeWindow();
    controller->applyConfiguration();
    EXPECT_EQ(draw.scrollDelayMs, 0);
}

TEST_F(ApplyConfiguration, StylesNeedTheirColourKey) {
    const FontValue designWinners = e().winners->fontValue();
    const int designWinnersColour = e().winners->textColour();
    writeConfig("[yanse]\n主标题字体颜色=65280\n主标题字体大小=36.8\n"
                "中奖人字体=黑体\n中奖人字体大小=50\n"
                "恭喜字体=楷体\n恭喜字体大小=30\n恭喜字体颜色=16711680\n");
    const FontValue designTitle = e().mainTitle->fontValue();
    controller->applyConfiguration();

    const FontValue title = e().mainTitle->fontValue();
    EXPECT_EQ(title.face, ""); // colour set, face key absent: an empty face
    EXPECT_EQ(title.size, 36);
    EXPECT_EQ(title.bold, designTitle.bold);
    EXPECT_EQ(e().mainTitle->textColour(), 65280);

    EXPECT_EQ(e().winners->fontValue(), designWinners); // no colour key: untouched
    EXPECT_EQ(e().winners->textColour(), designWinnersColour);

    EXPECT_EQ(e().congrats->fontValue().face, gbk("楷体"));
    EXPECT_EQ(e().congrats->fontValue().size, 30);
    EXPECT_EQ(e().congrats->textColour(), 16711680);
}

TEST_F(ApplyConfiguration, ShowsThePrizePictureOnlyWhenItDecodes) {
    e().prizePicture->setPictureData("not a picture");
    controller->applyConfiguration();
    EXPECT_FALSE(e().prizePicture->isVisibleTo(window.get()));
    EXPECT_FALSE(e().prizeName->isVisibleTo(window.get()));

    makeWindow();
    std::ifstream in(std::string(LUCKDIAL_DEMO_DIR) + "/底图.jpg", std::ios::binary);
    const std::string jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(jpeg.empty());
    e().prizePicture->setPictureData(jpeg);
    controller->applyConfiguration();
    EXPECT_TRUE(e().prizePicture->isVisibleTo(window.get()));
    EXPECT_TRUE(e().prizeName->isVisibleTo(window.get()));
}

} // namespace
} // namespace luckdial::test
