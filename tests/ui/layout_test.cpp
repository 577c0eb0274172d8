#include "host/core/text.h"
#include "support/fakehost.h"
#include "support/tempdir.h"
#include "ui/layout.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace luckdial;

TEST(RestoreCoordinate, ScalesWithDoubleRoundingAndFloor) {
    EXPECT_EQ(restoreCoordinate(100, 800, 800), 100);
    EXPECT_EQ(restoreCoordinate(29, 800, 800), 28); // 28.999999999999996
    EXPECT_EQ(restoreCoordinate(100, 1024, 1280), 125);
    EXPECT_EQ(restoreCoordinate(704, 768, 1024), 938);
    EXPECT_EQ(restoreCoordinate(0, 1024, 1280), 0);
    EXPECT_EQ(restoreCoordinate(-30, 1024, 1280), -38); // floor, not truncation
    EXPECT_EQ(restoreCoordinate(1e12, 1, 1000), std::numeric_limits<int>::max());
    // No usable stored screen size: the stored position as it is.
    EXPECT_EQ(restoreCoordinate(704, 0, 1024), 704);
    EXPECT_EQ(restoreCoordinate(-12, -5, 1024), -12);
    EXPECT_EQ(restoreCoordinate(99.7, 0, 1024), 99);
}

namespace {

class LayoutTest : public ::testing::Test {
protected:
    LayoutTest() : host(dir.path()), layout(host, window.elements()) {
        host.screenW = 1280;
        host.screenH = 1024;
        layout.connectHandlers();
    }

    std::string config() const { return host.path("peizhi.a"); }
    void put(const char* section, const char* key, const std::string& value) {
        host.writeItem(config(), section, gbk(key), value);
    }
    std::string item(const char* section, const char* key) {
        return host.readItem(config(), section, gbk(key));
    }
    std::string fileText() {
        std::ifstream in(dir.path() + "/peizhi.a", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    MainElements& e() { return window.elements(); }

    TempDir dir;
    FakeHost host;
    MainWindow window;
    LayoutController layout;
};

} // namespace

TEST_F(LayoutTest, RestoreScalesToTheCurrentScreen) {
    put("weizhi", "屏幕宽度", "1024");
    put("weizhi", "屏幕高度", "768");
    put("zweizhi", "标签1左边", "100");
    put("zweizhi", "标签1顶边", "704");
    put("zweizhi", "组合框1顶边", "704");
    put("zweizhi", "动画框_奖品图片左边", "512");
    layout.restoreLayout();
    EXPECT_EQ(e().mainTitle->pos(), QPoint(125, 938));
    // Only the top of the combo box was stored: its left stays as designed.
    EXPECT_EQ(e().levelCombo->pos(), QPoint(180, 938));
    EXPECT_EQ(e().prizePicture->pos(), QPoint(640, 272));
    // Elements without keys keep their design positions.
    EXPECT_EQ(e().subTitle->pos(), QPoint(0, 120));
    EXPECT_EQ(e().startButton->pos(), QPoint(465, 190));
    EXPECT_EQ(e().prizeName->pos(), QPoint(728, 400));
}

TEST_F(LayoutTest, SameScreenCanLoseAPixel) {
    host.screenW = 800;
    host.screenH = 600;
    put("weizhi", "屏幕宽度", "800");
    put("weizhi", "屏幕高度", "600");
    put("zweizhi", "标签2左边", "29");
    put("zweizhi", "标签2顶边", "100");
    layout.restoreLayout();
    EXPECT_EQ(e().subTitle->pos(), QPoint(28, 100));
}

TEST_F(LayoutTest, ButtonGroupIsGovernedByTheStartButtonKey) {
    put("weizhi", "屏幕宽度", "1280");
    put("weizhi", "屏幕高度", "1024");
    put("zweizhi", "超级按钮_停止左边", "50");
    put("zweizhi", "透明标签_按钮移动左边", "60");
    put("zweizhi", "超级按钮_开始顶边", "300");
    layout.restoreLayout();
    // No start left: no button left restored. Start top present: all three
    // tops restored, the missing stop and grip tops reading as 0.
    EXPECT_EQ(e().startButton->pos(), QPoint(465, 300));
    EXPECT_EQ(e().stopButton->pos(), QPoint(465, 0));
    EXPECT_EQ(e().buttonGrip->pos(), QPoint(671, 0));
}

TEST_F(LayoutTest, MissingScreenSizeRestoresUnscaledAndNoFileMovesNothing) {
    const QPoint designTitle = e().mainTitle->pos();
    layout.restoreLayout(); // no configuration file at all
    EXPECT_EQ(e().mainTitle->pos(), designTitle);
    EXPECT_FALSE(host.fileExists(config()));

    put("zweizhi", "标签1左边", "333");
    put("zweizhi", "标签1顶边", "-20");
    put("weizhi", "屏幕宽度", "0");
    layout.restoreLayout();
    EXPECT_EQ(e().mainTitle->pos(), QPoint(333, -20));
}

TEST_F(LayoutTest, SaveWritesScreenThenPositionsInOrder) {
    e().mainTitle->move(11, 12);
    e().progress->move(-5, 700);
    layout.saveLayout();
    EXPECT_EQ(item("weizhi", "屏幕宽度"), "1280");
    EXPECT_EQ(item("weizhi", "屏幕高度"), "1024");
    EXPECT_EQ(item("zweizhi", "标签1左边"), "11");
    EXPECT_EQ(item("zweizhi", "标签1顶边"), "12");
    EXPECT_EQ(item("zweizhi", "透明标签_抽取进度左边"), "-5");
    EXPECT_EQ(item("zweizhi", "标签_中奖人左边"), "64");
    EXPECT_EQ(item("zweizhi", "超级按钮_停止顶边"), "190");
    EXPECT_TRUE(item("zweizhi", "透明标签_奖品名称左边").empty());

    const std::string text = fileText();
    const char* order[] = {"[weizhi]",
                           "屏幕宽度=",
                           "屏幕高度=",
                           "[zweizhi]",
                           "标签1左边=",
                           "标签1顶边=",
                           "标签2左边=",
                           "超级按钮_开始左边=",
                           "超级按钮_停止左边=",
                           "透明标签_按钮移动左边=",
                           "透明标签_恭喜左边=",
                           "标签_中奖人左边=",
                           "动画框_奖品图片左边=",
                           "透明标签_奖项等级左边=",
                           "组合框1左边=",
                           "透明标签_抽取进度左边=",
                           "透明标签_抽取进度顶边="};
    std::size_t at = 0;
    for (const char* k : order) {
        const std::size_t found = text.find(gbk(k), at);
        ASSERT_NE(found, std::string::npos) << k;
        at = found;
    }

    // What is saved restores unchanged on the same screen (whole pixels of
    // these values survive the scaling).
    MainWindow other;
    LayoutController again(host, other.elements());
    again.restoreLayout();
    EXPECT_EQ(other.elements().mainTitle->pos(), QPoint(11, 12));
    EXPECT_EQ(other.elements().progress->pos(), QPoint(-5, 700));
}

TEST_F(LayoutTest, CtrlDragMovesAndWritesTheElement) {
    host.onBeginMove = [](QWidget* w) { w->move(200, 30); };
    e().levelCombo->setFocus();
    QTest::mousePress(e().mainTitle, Qt::LeftButton, Qt::ControlModifier, {5, 5});
    EXPECT_EQ(host.movesBegun, std::vector<std::string>{gbk("透明标签_主标题")});
    EXPECT_EQ(e().mainTitle->pos(), QPoint(200, 30));
    EXPECT_EQ(item("zweizhi", "标签1左边"), "200");
    EXPECT_EQ(item("zweizhi", "标签1顶边"), "30");
    EXPECT_EQ(host.broughtToFront, std::vector<std::string>{gbk("分组框1")});
    EXPECT_EQ(window.focusWidget(), e().startButton);

    host.broughtToFront.clear();
    QTest::mousePress(e().winners, Qt::LeftButton, Qt::ControlModifier, {5, 5});
    EXPECT_EQ(item("zweizhi", "标签_中奖人左边"), "200");
    EXPECT_EQ(host.broughtToFront,
              (std::vector<std::string>{gbk("分组框1"), gbk("组合框1"), gbk("超级按钮_开始"),
                                        gbk("超级按钮_停止")}));
    host.broughtToFront.clear();
    QTest::mousePress(e().congrats, Qt::LeftButton, Qt::ControlModifier, {5, 5});
    EXPECT_EQ(host.broughtToFront, (std::vector<std::string>{gbk("分组框1"), gbk("组合框1")}));
    host.broughtToFront.clear();
    QTest::mousePress(e().progress, Qt::LeftButton, Qt::ControlModifier, {5, 5});
    EXPECT_EQ(item("zweizhi", "透明标签_抽取进度顶边"), "30");
    EXPECT_TRUE(host.broughtToFront.empty());
}

TEST_F(LayoutTest, WithoutCtrlAloneNothingMovesButFocusStillGoesToStart) {
    host.onBeginMove = [](QWidget* w) { w->move(1, 1); };
    for (auto mods : {Qt::KeyboardModifiers(Qt::NoModifier),
                      Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier),
                      Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier)}) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{e().congrats, e().levelCaption, e().mainTitle,
                                             e().subTitle, e().winners, e().prizePicture}) {
            SCOPED_TRACE(w->objectName().toStdString());
            e().levelCombo->setFocus();
            QTest::mousePress(w, Qt::LeftButton, mods, {3, 3});
            EXPECT_EQ(window.focusWidget(), e().startButton);
        }
        e().levelCombo->setFocus();
        QTest::mousePress(e().levelCombo, Qt::LeftButton, mods, {3, 3});
        EXPECT_EQ(window.focusWidget(), e().startButton);
        QTest::mousePress(e().progress, Qt::LeftButton, mods, {3, 3});
        QTest::mousePress(e().buttonGrip, Qt::LeftButton, mods, {3, 3});
    }
    EXPECT_TRUE(host.movesBegun.empty());
    EXPECT_FALSE(host.fileExists(config()));
    EXPECT_EQ(e().mainTitle->pos(), QPoint(24, 20));

    // The progress line is not one of the elements that move the focus.
    e().levelCombo->setFocus();
    QWidget* focused = window.focusWidget();
    ASSERT_NE(focused, e().startButton);
    QTest::mousePress(e().progress, Qt::LeftButton, Qt::NoModifier, {3, 3});
    EXPECT_EQ(window.focusWidget(), focused);
}

TEST_F(LayoutTest, GripDragMovesTheStartButtonAndTheGroupSnaps) {
    host.onBeginMove = [](QWidget* w) { w->move(300, 400); };
    e().stopButton->resize(150, 70);
    QTest::mousePress(e().buttonGrip, Qt::LeftButton, Qt::ControlModifier, {3, 3});
    EXPECT_EQ(host.movesBegun, std::vector<std::string>{gbk("超级按钮_开始")});
    EXPECT_EQ(e().startButton->pos(), QPoint(300, 400));
    EXPECT_EQ(e().buttonGrip->pos(), QPoint(499, 400)); // against the start button's right edge
    EXPECT_EQ(e().stopButton->pos(), QPoint(349, 400)); // grip left - stop width
    EXPECT_EQ(item("zweizhi", "超级按钮_开始左边"), "300");
    EXPECT_EQ(item("zweizhi", "超级按钮_停止左边"), "349");
    EXPECT_EQ(item("zweizhi", "超级按钮_停止顶边"), "400");
    EXPECT_EQ(item("zweizhi", "透明标签_按钮移动左边"), "499");
    EXPECT_EQ(item("zweizhi", "透明标签_按钮移动顶边"), "400");

    // Dragging the start button itself does the same and never clicks it.
    QSignalSpy clicked(e().startButton, &QAbstractButton::clicked);
    host.onBeginMove = [](QWidget* w) { w->move(10, 20); };
    e().stopButton->resize(199, 70);
    QTest::mouseClick(e().startButton, Qt::LeftButton, Qt::ControlModifier, {3, 3});
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(e().stopButton->pos(), QPoint(10, 20)); // design widths: exactly on the start button
    EXPECT_EQ(e().buttonGrip->pos(), QPoint(209, 20));
    EXPECT_EQ(item("zweizhi", "透明标签_按钮移动左边"), "209");
}

TEST_F(LayoutTest, PictureDragKeepsThePrizeNameAboveIt) {
    host.onBeginMove = [](QWidget* w) { w->move(500, 300); };
    e().prizeName->resize(270, 38);
    e().levelCombo->setFocus();
    QTest::mousePress(e().prizePicture, Qt::LeftButton, Qt::ControlModifier, {3, 3});
    EXPECT_EQ(e().prizePicture->pos(), QPoint(500, 300));
    EXPECT_EQ(e().prizeName->pos(), QPoint(500, 262));
    EXPECT_EQ(item("zweizhi", "动画框_奖品图片左边"), "500");
    EXPECT_EQ(item("zweizhi", "动画框_奖品图片顶边"), "300");
    EXPECT_EQ(window.focusWidget(), e().startButton);
    const std::string text = fileText();
    EXPECT_EQ(text.find(gbk("奖品名称")), std::string::npos);
}

TEST_F(LayoutTest, CtrlPressOnTheSelectorMovesItWithoutOpeningIt) {
    host.onBeginMove = [](QWidget* w) { w->move(40, 650); };
    e().levelCombo->addItem(QStringLiteral("一等奖"));
    QTest::mousePress(e().levelCombo, Qt::LeftButton, Qt::ControlModifier, {3, 3});
    EXPECT_EQ(host.movesBegun, std::vector<std::string>{gbk("组合框1")});
    EXPECT_EQ(item("zweizhi", "组合框1左边"), "40");
    EXPECT_EQ(item("zweizhi", "组合框1顶边"), "650");
    QTest::mousePress(e().levelCombo->lineEdit(), Qt::LeftButton, Qt::ControlModifier, {3, 3});
    EXPECT_EQ(host.movesBegun.size(), 2u);
}
