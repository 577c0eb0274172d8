// Options of the settings panel as the draw engine meets them, through the real
// application on a fake host: what the panel sets and what a draw then does.

#include "support/app_fixture.h"

#include "draw/drawcontroller.h"
#include "settings/settingscontroller.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace luckdial::testing {
namespace {

class DrawOptions : public AppTest {
protected:
    /// Ten entries and the level 特等奖 with one winner per run.
    void writeEvent() {
        write("抽奖号码库.txt",
              "101\r\n102\r\n103\r\n104\r\n105\r\n106\r\n107\r\n108\r\n109\r\n110\r\n");
        setItem("zbt", "特等奖", "特等奖");
        setItem("zbt", "特等奖人数", "5");
        setItem("zbt", "特等奖一次抽取人数", "1");
        setItem("zbt", "禁用特效", "真");
    }
    MainElements& e() { return app().window().elements(); }
    void select(const char* level) { e().levelCombo->setEditText(QString::fromUtf8(level)); }

    /// Presses the stop button after the given number of scroll frames; the
    /// delays asked for while scrolling are kept in scrollDelays.
    void stopAfterFrames(int frames) {
        scrollDelays.clear();
        host().onDelay = [this, frames] {
            if (!app().state().drawRunning) return;
            scrollDelays.push_back(host().delays.back());
            if (static_cast<int>(scrollDelays.size()) >= frames) e().stopButton->click();
        };
    }
    std::vector<int> scrollDelays;
};

TEST_F(DrawOptions, HiddenButtonsStayFlatThroughADrawAndARestart) {
    writeEvent();
    create();
    ASSERT_TRUE(app().start());
    const QPoint place = e().startButton->pos();
    e().panel.hideButtons->click();
    ASSERT_EQ(e().startButton->height(), 0);
    ASSERT_EQ(e().stopButton->height(), 0);

    select("特等奖");
    int stopHeightWhileScrolling = -1;
    bool stopShownWhileScrolling = false;
    host().onDelay = [&] {
        if (!app().state().drawRunning) return;
        stopHeightWhileScrolling = e().stopButton->height();
        stopShownWhileScrolling = !e().stopButton->isHidden() && e().startButton->isHidden();
        e().stopButton->click();
    };
    app().draw().startDraw();
    EXPECT_EQ(stopHeightWhileScrolling, 0);
    EXPECT_TRUE(stopShownWhileScrolling); // the buttons still swap, only flat
    EXPECT_EQ(app().state().counters[0], 1);
    EXPECT_EQ(e().startButton->height(), 0);
    EXPECT_EQ(e().stopButton->height(), 0);
    EXPECT_FALSE(e().startButton->isHidden());
    EXPECT_TRUE(e().stopButton->isHidden());
    EXPECT_EQ(e().startButton->pos(), place);
    EXPECT_EQ(e().stopButton->pos(), place);

    // Stored by the click: flat again after a restart, and after a draw
    // started by Space, the way to start without a button.
    restart();
    // The first draw left a recovery record, as the program never exited.
    host().expectMessage(gbk("    上次抽奖没有正常结束。\r\n\r\n"
                             "    选 【是】 从最后一次抽奖之后继续\r\n\r\n"
                             "    选 【否】 不恢复（记录另存备份）"),
                         IdNo, gbk("提示"), MbYesNo | MbIconQuestion);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(e().startButton->height(), 0);
    EXPECT_EQ(e().stopButton->height(), 0);
    select("特等奖");
    stopAfterFrames(2);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&app().window(), &space);
    EXPECT_EQ(scrollDelays.size(), 2u);
    EXPECT_EQ(app().state().counters[0], 1);
    EXPECT_EQ(e().startButton->height(), 0);
    EXPECT_EQ(e().stopButton->height(), 0);
}

TEST_F(DrawOptions, AnUnsavedScrollSpeedLeavesTheNextDrawAtTheOldPeriod) {
    writeEvent();
    setItem("zbt", "滚动速度", "45");
    create();
    ASSERT_TRUE(app().start());
    ASSERT_EQ(e().panel.scrollSpeed->text(), QStringLiteral("45"));

    // Typed, and the panel closed with its close mark instead of saved.
    app().settings().openPanel();
    e().panel.scrollSpeed->setText(QStringLiteral("80"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e().panel.closeMark, &press);
    ASSERT_FALSE(e().panel.frame->isVisibleTo(&app().window()));
    select("特等奖");
    stopAfterFrames(3);
    app().draw().startDraw();
    EXPECT_EQ(scrollDelays, (std::vector<int>{45, 45, 45}));
    EXPECT_EQ(item("zbt", "滚动速度"), "45");
    EXPECT_EQ(e().panel.scrollSpeed->text(), QStringLiteral("80"));

    // Saved, the typed period is the one the next draw uses.
    app().settings().openPanel();
    host().expectMessage(gbk("设置完毕！抽奖过程中，请不要再修改奖项设置！"));
    e().panel.save->click();
    select("特等奖");
    stopAfterFrames(3);
    app().draw().startDraw();
    EXPECT_EQ(scrollDelays, (std::vector<int>{80, 80, 80}));
    EXPECT_EQ(app().state().counters[0], 2);
}

} // namespace
} // namespace luckdial::testing
