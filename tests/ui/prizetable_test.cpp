#include "host/core/text.h"
#include "host/qtext.h"
#include "ui/mainwindow.h"
#include "ui/prizetable.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <climits>

using namespace luckdial;

namespace {

class PrizeTableTest : public ::testing::Test {
protected:
    MainWindow window;
    PanelElements& p = window.elements().panel;
    PrizeTable table{p};

    void setRow(int row, const char* name, const char* quota = "") {
        p.name[static_cast<std::size_t>(row - 1)]->setText(QString::fromUtf8(name));
        p.quota[static_cast<std::size_t>(row - 1)]->setText(QString::fromUtf8(quota));
    }
    static QString u(const char* s) { return QString::fromUtf8(s); }
};

TEST_F(PrizeTableTest, MatchingRowIsTheFirstExactNameOrNone) {
    // The design names the rows 特等奖 ... 七等奖.
    EXPECT_EQ(table.rowOf(u("特等奖")), 1);
    EXPECT_EQ(table.rowOf(u("七等奖")), 8);
    EXPECT_EQ(table.rowOf(u("八等奖")), std::nullopt);
    EXPECT_EQ(table.rowOf(u("二等奖 ")), std::nullopt) << "no trimming";
    EXPECT_EQ(table.rowOf(u("")), std::nullopt) << "every row is named";

    setRow(3, "一等奖"); // duplicate of row 2: the first one wins
    setRow(6, "");
    EXPECT_EQ(table.rowOf(u("一等奖")), 2);
    EXPECT_EQ(table.rowOf(u("")), 6) << "an empty name matches an empty selector";
    setRow(2, "");
    EXPECT_EQ(table.rowOf(u("")), 2);
    EXPECT_EQ(table.rowOf(u("一等奖")), 3);
}

TEST_F(PrizeTableTest, CompletedLooksAtEveryRowOfTheName) {
    std::array<std::int32_t, 8> marks{};
    setRow(2, "A", "5");
    setRow(5, "A", "3");
    EXPECT_FALSE(table.completed(u("A"), marks));
    marks[4] = 3; // the second row named A is complete
    EXPECT_TRUE(table.completed(u("A"), marks));
    marks[4] = 0;
    marks[1] = 5;
    EXPECT_TRUE(table.completed(u("A"), marks));
    EXPECT_FALSE(table.completed(u("B"), marks));
    setRow(7, "B"); // empty quota and unset mark: both 0
    EXPECT_TRUE(table.completed(u("B"), marks));
}

TEST_F(PrizeTableTest, LevelLimitIsQuotaPlusOneTruncatedAndClamped) {
    struct Case {
        const char* quota;
        std::int32_t limit;
    };
    const Case cases[] = {{"", 1},
                          {"10", 11},
                          {"2.9", 3},
                          {"-0.5", 0},
                          {"-3.7", -2},
                          {"abc", 1},
                          {"2147483646", INT_MAX},
                          {"2147483647", INT_MAX},
                          {"1e12", INT_MAX},
                          {"-1e12", INT_MIN},
                          {"-2147483649", INT_MIN}};
    for (const Case& c : cases) {
        setRow(4, "X", c.quota);
        EXPECT_EQ(table.levelLimit(4), c.limit) << c.quota;
    }
    setRow(4, "X", "7.5");
    EXPECT_DOUBLE_EQ(table.quota(4), 7.5);
}

TEST_F(PrizeTableTest, RowTextsAndNumbersComeFromTheRowsOwnFields) {
    p.perDraw[2]->setText(u("4.8"));
    p.columns[2]->setText(u("3.9"));
    p.presetN[2]->setText(u("甲"));
    p.presetNN[2]->setText(u("乙"));
    p.presetNNN[2]->setText(u("丙"));
    EXPECT_EQ(table.perDraw(3), 4);
    EXPECT_EQ(table.perDrawText(3), "4.8");
    EXPECT_DOUBLE_EQ(table.columns(3), 3.0);
    EXPECT_EQ(table.columnsText(3), "3.9");
    EXPECT_EQ(table.presetN(3), gbk("甲"));
    EXPECT_EQ(table.presetNN(3), gbk("乙"));
    EXPECT_EQ(table.presetNNN(3), gbk("丙"));
    EXPECT_EQ(table.name(3), gbk("二等奖"));
    EXPECT_EQ(table.perDraw(4), 1) << "design value of another row";
    p.columns[0]->setText(u("-2.5"));
    EXPECT_DOUBLE_EQ(table.columns(1), -2.0);
}

TEST_F(PrizeTableTest, PicturePathAndMarks) {
    EXPECT_EQ(PrizeTable::picturePath(1), gbk("奖品图片\\1.jpg"));
    EXPECT_EQ(PrizeTable::picturePath(8), gbk("奖品图片\\8.jpg"));
    table.setPictureMark(2, true);
    table.setPictureMark(3, false);
    EXPECT_EQ(p.browse[1]->text(), u("《有"));
    EXPECT_EQ(p.browse[2]->text(), u("《无"));
    EXPECT_EQ(p.browse[0]->text(), u("《")) << "other rows untouched";
}

TEST_F(PrizeTableTest, DrawOptionsAndPanelVisibility) {
    p.autoStop->setText(u("2.5"));
    p.fireworksTime->setText(u("6"));
    p.scrollSpeed->setText(u("15"));
    p.maskLeft->setText(u("2"));
    p.maskRight->setText(u("3"));
    p.maskChars->setText(u("##"));
    p.mask->setChecked(true);
    p.allowRepeat->setChecked(true);
    EXPECT_EQ(table.autoStopText(), "2.5");
    EXPECT_EQ(table.fireworksTimeText(), "6");
    EXPECT_EQ(table.scrollSpeedText(), "15");
    EXPECT_TRUE(table.maskEnabled());
    EXPECT_EQ(table.maskLeft() + table.maskRight() + table.maskChars(), "23##");
    EXPECT_TRUE(table.allowRepeat());
    EXPECT_FALSE(table.effectsDisabled());

    EXPECT_FALSE(table.isOpen(&window));
    p.frame->show();
    EXPECT_TRUE(table.isOpen(&window));
}

} // namespace
