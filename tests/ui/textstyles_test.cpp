#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "support/fakehost.h"
#include "support/tempdir.h"
#include "ui/mainwindow.h"
#include "ui/textstyles.h"
#include "ui/widgets.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

FontChoice choice(const char* face, int size, int colour) {
    FontChoice c;
    c.font.face = gbk(face);
    c.font.size = size;
    c.colour = colour;
    return c;
}

class TextStyleTest : public ::testing::Test {
protected:
    TextStyleTest() : host(dir.path()), styles(host, window.elements(), draw) {
        styles.connectHandlers();
    }

    std::string colourItem(const char* key) {
        return host.readItem(host.path("peizhi.a"), "yanse", gbk(key), "<missing>");
    }
    MainElements& e() { return window.elements(); }

    TempDir dir;
    FakeHost host;
    MainWindow window;
    DrawState draw;
    TextStyleController styles;
};

} // namespace

TEST_F(TextStyleTest, CancelledDialogStoresTheDesignStyleAndSizesTheTitle) {
    const int designSize = e().mainTitle->fontValue().size;
    const int width = e().mainTitle->width();
    host.expectFont(std::nullopt);
    e().menu.fontMainTitle->trigger();

    // The dialog starts from 宋体 9 whatever the element shows.
    ASSERT_TRUE(host.lastFontInitial.has_value());
    EXPECT_EQ(host.lastFontInitial->font.face, gbk("宋体"));
    EXPECT_EQ(host.lastFontInitial->font.size, 9);

    EXPECT_EQ(colourItem("主标题字体"), gbk("宋体"));
    EXPECT_EQ(colourItem("主标题字体大小"), toText(static_cast<long long>(designSize)));
    EXPECT_EQ(colourItem("主标题字体颜色"), "16777215");
    EXPECT_EQ(e().mainTitle->fontValue().size, designSize);
    EXPECT_TRUE(e().mainTitle->fontValue().bold); // the design flags stay
    EXPECT_EQ(e().mainTitle->height(), static_cast<int>(designSize * 1.8));
    EXPECT_EQ(e().mainTitle->width(), width);
    // Nothing else was written under another element's keys.
    EXPECT_EQ(colourItem("副标题字体"), "<missing>");
}

TEST_F(TextStyleTest, ConfirmedDialogReplacesTheWholeFont) {
    FontChoice c = choice("楷体", 36, 0x0000FF);
    c.font.italic = true;
    c.font.underline = true;
    c.font.angle = 450;
    host.expectFont(c);
    styles.styleMainTitle();

    const FontValue f = e().mainTitle->fontValue();
    EXPECT_EQ(f.face, gbk("楷体"));
    EXPECT_EQ(f.size, 36);
    EXPECT_FALSE(f.bold); // the design's bold is not kept
    EXPECT_TRUE(f.italic);
    EXPECT_TRUE(f.underline);
    EXPECT_EQ(f.angle, 0);
    EXPECT_EQ(e().mainTitle->textColour(), 0x0000FF);
    EXPECT_EQ(e().mainTitle->height(), 64); // floor(64.8)
    EXPECT_EQ(colourItem("主标题字体"), gbk("楷体"));
    EXPECT_EQ(colourItem("主标题字体大小"), "36");
    EXPECT_EQ(colourItem("主标题字体颜色"), "255");
}

TEST_F(TextStyleTest, SubtitleColourReachesProgressAndLevelCaption) {
    host.expectFont(choice("幼圆", 20, 0x00FF00));
    e().menu.fontSubTitle->trigger();
    EXPECT_EQ(e().subTitle->height(), 36);
    EXPECT_EQ(e().subTitle->textColour(), 0x00FF00);
    EXPECT_EQ(e().progress->textColour(), 0x00FF00);
    EXPECT_EQ(e().levelCaption->textColour(), 0x00FF00);
    EXPECT_EQ(colourItem("副标题字体"), gbk("幼圆"));
    EXPECT_EQ(colourItem("副标题字体大小"), "20");
    EXPECT_EQ(colourItem("副标题字体颜色"), "65280");

    // A cancelled dialog still copies the subtitle's (unchanged) colour.
    e().progress->setTextColour(0x123456);
    host.expectFont(std::nullopt);
    styles.styleSubTitle();
    EXPECT_EQ(e().progress->textColour(), 0x00FF00);
}

TEST_F(TextStyleTest, WinnersLabelHeightFollowsTheLatestDraw) {
    const int width = e().winners->width();
    host.expectFont(choice("宋体", 30, 0x00FFFF));
    draw.perDrawCount = 0; // no draw yet in this run
    e().menu.fontWinners->trigger();
    EXPECT_EQ(e().winners->height(), 0);
    EXPECT_EQ(e().winners->width(), width);

    draw.perDrawCount = 5;
    host.expectFont(std::nullopt);
    styles.styleWinners();
    EXPECT_EQ(e().winners->height(), 300);
    EXPECT_EQ(colourItem("中奖人字体大小"), "30");
    EXPECT_EQ(colourItem("中奖人字体颜色"), "65535");
}

TEST_F(TextStyleTest, CongratulationLineKeepsItsSize) {
    const QSize before = e().congrats->size();
    host.expectFont(choice("黑体", 72, 0xFFFFFF));
    e().menu.fontCongrats->trigger();
    EXPECT_EQ(e().congrats->size(), before);
    EXPECT_EQ(e().congrats->fontValue().size, 72);
    EXPECT_EQ(colourItem("恭喜字体"), gbk("黑体"));
    EXPECT_EQ(colourItem("恭喜字体大小"), "72");
    EXPECT_EQ(colourItem("恭喜字体颜色"), "16777215");
}

TEST(HeightForPoints, FloorsAndClamps) {
    EXPECT_EQ(heightForPoints(36, 1.8), 64);
    EXPECT_EQ(heightForPoints(20, 1.8), 36);
    EXPECT_EQ(heightForPoints(0, 1.8), 0);
    EXPECT_EQ(heightForPoints(-5, 1.8), 0);
    EXPECT_EQ(heightForPoints(30, 2, 5), 300);
    EXPECT_EQ(heightForPoints(2000000000, 2, 1000), QWIDGETSIZE_MAX);
}
