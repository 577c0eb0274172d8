#include "support/settings_fixture.h"

#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <filesystem>

namespace luckdial::test {
namespace {

// A press as the window system delivers it, at pos in the widget.
void press(QWidget* widget, Qt::MouseButton button, QPoint pos = QPoint(2, 2)) {
    QMouseEvent event(QEvent::MouseButtonPress, pos, widget->mapToGlobal(pos), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

const char* const kSaved = "设置完毕！抽奖过程中，请不要再修改奖项设置！";

class PrizePanel : public SettingsTest {
protected:
    void SetUp() override {
        controller->connectHandlers();
        controller->applyConfiguration();
        controller->openPanel();
    }
    void save() {
        host.expectMessage(gbk(kSaved), IdOk, gbk("信息："), MbOk);
        panel().save->click();
    }
};

TEST_F(PrizePanel, OpeningShowsThePanelAndMakesThePictureFolder) {
    EXPECT_TRUE(panel().frame->isVisibleTo(window.get()));
    EXPECT_TRUE(panel().group->isVisibleTo(window.get()));
    EXPECT_TRUE(panel().save->isEnabled());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/" + utf8(gbk("奖品图片"))));
}

TEST_F(PrizePanel, EverySavedFieldIsReadBackAfterARestart) {
    for (int n = 0; n < 8; ++n) {
        const std::string i = std::to_string(n + 1);
        type(panel().name[n], "奖" + i);
        type(panel().quota[n], "1" + i);
        type(panel().perDraw[n], "2" + i);
        type(panel().columns[n], "3" + i);
    }
    type(panel().scrollSpeed, "45");
    type(panel().pictureWidth, "310");
    type(panel().pictureHeight, "205");
    type(panel().autoStop, "2.5");
    type(panel().fireworksTime, "6");
    panel().allowRepeat->setChecked(true);
    type(panel().presetN[0], "8888");
    save();
    EXPECT_EQ(draw.scrollDelayMs, 45);
    EXPECT_EQ(key("特等奖"), "奖1");
    EXPECT_EQ(key("七等奖一次抽取人数"), "28");
    EXPECT_EQ(key("是否允许重复"), "真");

    draw = DrawState{};
    makeWindow();
    controller->applyConfiguration();
    for (int n = 0; n < 8; ++n) {
        const std::string i = std::to_string(n + 1);
        EXPECT_EQ(text(panel().name[n]), "奖" + i);
        EXPECT_EQ(text(panel().quota[n]), "1" + i);
        EXPECT_EQ(text(panel().perDraw[n]), "2" + i);
        EXPECT_EQ(text(panel().columns[n]), "3" + i);
    }
    EXPECT_EQ(text(panel().scrollSpeed), "45");
    EXPECT_EQ(draw.scrollDelayMs, 45);
    EXPECT_EQ(text(panel().pictureWidth), "310");
    EXPECT_EQ(text(panel().pictureHeight), "205");
    EXPECT_EQ(e().prizePicture->size(), QSize(310, 205));
    EXPECT_EQ(text(panel().autoStop), "2.5");
    EXPECT_EQ(text(panel().fireworksTime), "6");
    EXPECT_TRUE(panel().allowRepeat->isChecked());
    EXPECT_EQ(text(panel().presetN[0]), ""); // preset winners are never stored
}

TEST_F(PrizePanel, SaveRebuildsTheLevelListAndClosesThePanel) {
    for (int n = 0; n < 8; ++n)
        type(panel().name[n], "L" + std::to_string(n + 1));
    type(panel().name[1], "");
    e().levelCombo->addItem(QStringLiteral("old"));
    e().prizePicture->show();
    save();

    ASSERT_EQ(e().levelCombo->count(), 7);
    EXPECT_EQ(e().levelCombo->itemText(0), QStringLiteral("L1"));
    EXPECT_EQ(e().levelCombo->itemText(1), QStringLiteral("L3"));
    EXPECT_EQ(e().levelCombo->itemText(6), QStringLiteral("L8"));
    EXPECT_EQ(e().levelCombo->currentText(), QString());
    EXPECT_EQ(e().levelCombo->currentIndex(), -1);
    EXPECT_TRUE(e().prizePicture->pictureData().empty());
    EXPECT_FALSE(e().prizePicture->isVisibleTo(window.get()));
    EXPECT_FALSE(panel().frame->isVisibleTo(window.get()));
    EXPECT_FALSE(panel().save->isEnabled());
    EXPECT_EQ(key("一等奖"), "");
}

TEST_F(PrizePanel, ScrollSpeedIsTruncated) {
    type(panel().scrollSpeed, "15.9");
    save();
    EXPECT_EQ(draw.scrollDelayMs, 15);
    EXPECT_EQ(key("滚动速度"), "15.9");

    controller->openPanel();
    type(panel().scrollSpeed, "abc");
    save();
    EXPECT_EQ(draw.scrollDelayMs, 0);
}

TEST_F(PrizePanel, CloseMarkHidesWithoutWriting) {
    const std::string before = rawConfig();
    type(panel().name[0], "改过");
    panel().allowRepeat->setChecked(true);
    press(panel().closeMark, Qt::LeftButton);
    EXPECT_FALSE(panel().frame->isVisibleTo(window.get()));
    EXPECT_FALSE(panel().save->isEnabled());
    EXPECT_EQ(rawConfig(), before);
    EXPECT_EQ(text(panel().name[0]), "改过"); // typed text stays and still drives the draw
}

TEST_F(PrizePanel, DragsByItsCaptionIconAndFrameOnly) {
    press(panel().caption, Qt::LeftButton);
    press(panel().icon, Qt::LeftButton);
    press(panel().frame, Qt::LeftButton, QPoint(200, 10));
    ASSERT_EQ(host.movesBegun.size(), 3u);
    for (const std::string& moved : host.movesBegun)
        EXPECT_EQ(moved, gbk("外形框1"));

    press(panel().group, Qt::LeftButton, QPoint(150, 300));
    press(panel().caption, Qt::RightButton);
    EXPECT_EQ(host.movesBegun.size(), 3u);
}

TEST_F(PrizePanel, StartUpRefillKeepsThePicture) {
    type(panel().name[0], "A");
    e().prizePicture->setPictureData("bytes");
    EXPECT_EQ(controller->refreshPrizeLevelList(true), std::nullopt);
    EXPECT_EQ(e().prizePicture->pictureData(), "bytes");
    EXPECT_EQ(e().levelCombo->count(), 1);
    EXPECT_EQ(controller->refreshPrizeLevelList(), std::nullopt);
    EXPECT_EQ(e().prizePicture->pictureData(), "");
}

} // namespace
} // namespace luckdial::test
