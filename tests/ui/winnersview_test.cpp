#include "host/core/text.h"
#include "host/qtext.h"
#include "ui/elements.h"
#include "ui/fireworks.h"
#include "ui/jpegtools.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnersview.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

/// n entries of the given text laid out in columns as the draw does.
std::string caption(int n, int columns, const std::string& entry = "13800138000") {
    std::string text;
    for (int k = 1; k <= n; ++k) {
        text += entry;
        if (k % columns == 0)
            text += "\r\n";
        else if (k < n)
            text += "    ";
    }
    return text;
}

/// A caption as the label draws it.
QString shown(const std::string& captionText) {
    QString s = qstr(captionText);
    s.replace(u("\r\n"), u("\n"));
    return s;
}

QFont bold(int px) {
    QFont f = toQFont(designFont("宋体", px, true));
    return f;
}

} // namespace

TEST(WinnersGrid, LinesAndEntriesOfTheCaption) {
    const auto grid = winnersGrid(u("A    B\nC    D\nE"));
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[0], (std::vector<QString>{u("A"), u("B")}));
    EXPECT_EQ(grid[2], (std::vector<QString>{u("E")}));
    // A final line break adds no empty line.
    EXPECT_EQ(winnersGrid(u("A    B\nC    D\n")).size(), 2u);
    EXPECT_TRUE(winnersGrid({}).empty());
}

TEST(WinnersLayout, FitsAtTheStoredSizeWhenThereIsRoom) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1920, 1080);
    b.centreX = 960;
    b.top = 340;
    b.bottom = 1000;
    const WinnersBlock block = layoutWinners(winnersGrid(u("1001    1002")), bold(49), 49, b);
    EXPECT_EQ(block.pixelSize, 49);
    ASSERT_EQ(block.cells.size(), 2u);
    EXPECT_EQ(block.block.top(), 340);
    // Centred on the given centre.
    EXPECT_NEAR(block.block.center().x(), 960, 1);
    EXPECT_EQ(block.texts[1], u("1002"));
}

TEST(WinnersLayout, ShrinksUntilTheBlockFitsTheRoom) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1024, 768);
    b.centreX = 512;
    b.top = 335;
    b.bottom = 640;
    const auto grid = winnersGrid(shown(caption(20, 5)));
    const WinnersBlock block = layoutWinners(grid, bold(49), 49, b);
    EXPECT_LT(block.pixelSize, 49);
    EXPECT_GE(block.pixelSize, 10);
    EXPECT_EQ(block.cells.size(), 20u);
    EXPECT_GE(block.block.top(), 335);
    EXPECT_LE(block.block.bottom(), 639);
    EXPECT_GE(block.block.left(), 0);
    EXPECT_LE(block.block.right(), 1023);
    // One size larger would not have fitted.
    QFont larger = bold(block.pixelSize + 1);
    const QFontMetrics m(larger);
    const int lines = 4;
    const int width =
        5 * m.horizontalAdvance(u("13800138000")) + 4 * m.horizontalAdvance(u("    "));
    EXPECT_TRUE(lines * m.lineSpacing() > b.bottom - b.top || width > 1024 - 16);
}

TEST(WinnersLayout, GoesBesideOrAboveThePictureNeverOverIt) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1280, 1024);
    b.centreX = 640;
    b.top = 340;
    b.bottom = 940;
    const auto grid = winnersGrid(shown(caption(20, 5)));
    for (const QRect picture : {QRect(672, 272, 270, 220), QRect(940, 300, 270, 600),
                                QRect(0, 330, 300, 500), QRect(500, 700, 270, 220)}) {
        b.obstacle = picture;
        const WinnersBlock block = layoutWinners(grid, bold(49), 49, b);
        ASSERT_EQ(block.cells.size(), 20u);
        for (const QRect& cell : block.cells) {
            EXPECT_FALSE(cell.intersects(picture)) << picture.x() << "," << picture.y();
            EXPECT_GE(cell.top(), 340);
            EXPECT_LE(cell.bottom(), 939);
            EXPECT_TRUE(b.window.contains(cell));
        }
    }
}

TEST(WinnersLayout, BelowThePictureOnlyForAClearlyLargerFont) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1280, 1024);
    b.centreX = 640;
    b.top = 340;
    b.bottom = 940;
    const auto grid = winnersGrid(shown(caption(20, 5)));
    // A picture leaving little room beside it: the names go below it.
    b.obstacle = QRect(600, 270, 290, 240);
    const WinnersBlock below = layoutWinners(grid, bold(37), 37, b);
    EXPECT_GT(below.block.top(), b.obstacle->bottom());
    // Nearly the full width: far larger than the 590 pixels left of the picture allow.
    EXPECT_GE(below.pixelSize, 33);
    // A narrow picture at the edge: the names stay under the congratulation line.
    b.obstacle = QRect(1180, 270, 100, 240);
    const WinnersBlock beside = layoutWinners(grid, bold(37), 37, b);
    EXPECT_EQ(beside.block.top(), 340);
    EXPECT_LE(beside.block.right(), 1180);
}

TEST(WinnersView, DrawsTheLabelsCaptionAndKeepsItsStyle) {
    MainWindow w;
    w.resize(1024, 768);
    MainElements& e = w.elements();
    WinnersView* view = e.winnersView;
    ASSERT_NE(view, nullptr);
    e.winners->setGeometry(0, 340, 1024, 37 * 20);
    const FontValue stored = e.winners->fontValue();
    e.winners->setCaption(caption(20, 5));
    e.winners->show();
    const WinnersBlock& block = view->block();
    ASSERT_EQ(block.cells.size(), 20u);
    EXPECT_EQ(e.winners->caption(), caption(20, 5));
    EXPECT_EQ(e.winners->fontValue().size, stored.size);
    EXPECT_TRUE(view->isVisibleTo(&w));
    // Top-aligned under the congratulation line, above the selector row.
    EXPECT_GE(block.block.top(), e.congrats->geometry().bottom() + 1);
    EXPECT_LE(block.block.bottom(), e.levelCombo->y());
    // The label itself draws nothing and takes no presses.
    EXPECT_TRUE(e.winners->testAttribute(Qt::WA_TransparentForMouseEvents));

    // Within one draw the size only shrinks: a shorter caption keeps it...
    const int shrunk = block.pixelSize;
    e.winners->setCaption(caption(1, 1));
    EXPECT_EQ(view->block().pixelSize, shrunk);
    // ...and a new draw (the caption cleared) starts from the stored size.
    e.winners->setCaption({});
    EXPECT_FALSE(view->isVisibleTo(&w));
    e.winners->setCaption(caption(1, 1));
    EXPECT_EQ(view->block().pixelSize, e.winners->font().pixelSize());
}

TEST(WinnersView, PressesOnNamesAreTheLabelsAndElsewhereReachWhatIsBelow) {
    MainWindow w;
    w.resize(1024, 768);
    MainElements& e = w.elements();
    e.winners->setGeometry(0, 340, 1024, 400);
    e.winners->setCaption(caption(2, 2));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const WinnersBlock& block = e.winnersView->block();
    ASSERT_EQ(block.cells.size(), 2u);
    QSignalSpy pressed(e.winners, &TransparentLabel::leftPressed);
    QSignalSpy right(e.winners, &TransparentLabel::rightPressed);
    const QPoint onName = block.cells[0].center();
    EXPECT_EQ(w.childAt(onName), e.winnersView);
    QTest::mouseClick(e.winnersView, Qt::LeftButton, Qt::ControlModifier,
                      onName - e.winnersView->pos());
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toInt(), 1);
    QTest::mouseClick(e.winnersView, Qt::RightButton, {}, onName - e.winnersView->pos());
    EXPECT_EQ(right.count(), 1);
    // Below the names, inside the label's tall area: not the label's.
    const QPoint below(onName.x(), block.block.bottom() + 40);
    QWidget* under = w.childAt(below);
    EXPECT_NE(under, e.winners);
    EXPECT_NE(under, e.winnersView);
}

TEST(WinnersView, FireworksAreDrawnBeneathTheNames) {
    MainWindow w;
    w.resize(800, 600);
    w.setBackgroundColour(0);
    MainElements& e = w.elements();
    e.winners->setGeometry(0, 340, 800, 100);
    e.winners->setCaption(gbk("一二三四"));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    FireworksOverlay* fx = w.fireworks();
    fx->open(FireworksOverlay::Bursts);
    for (int i = 0; i < 60; ++i)
        fx->step();
    ASSERT_GT(fx->particleCount(), 0u);
    // The overlay is the lowest element: everything else is drawn over it.
    const QObjectList& order = w.children();
    for (QWidget* text : {static_cast<QWidget*>(e.mainTitle), static_cast<QWidget*>(e.subTitle),
                          static_cast<QWidget*>(e.congrats), static_cast<QWidget*>(e.winnersView)})
        EXPECT_LT(order.indexOf(fx), order.indexOf(text));
    EXPECT_EQ(fx->geometry(), w.rect());
    fx->close();
}

TEST(PictureButton, StopButtonClicksWithCtrlHeld) {
    MainWindow w;
    PictureButton* stop = w.elements().stopButton;
    stop->show();
    QSignalSpy clicked(stop, &QAbstractButton::clicked);
    QTest::mouseClick(stop, Qt::LeftButton, Qt::ControlModifier, {50, 30});
    EXPECT_EQ(clicked.count(), 1);
    // The start button still takes Ctrl as the move gesture.
    PictureButton* start = w.elements().startButton;
    QSignalSpy started(start, &QAbstractButton::clicked);
    QTest::mouseClick(start, Qt::LeftButton, Qt::ControlModifier, {50, 30});
    EXPECT_EQ(started.count(), 0);
}

TEST(SettingsPanel, CaptionMarkStartsClearOfTheIcon) {
    MainWindow w;
    PanelElements& p = w.elements().panel;
    const QRect icon = p.icon->geometry();
    // Where the caption's first character is drawn, in the panel's coordinates.
    const int textLeft = p.caption->x() + p.caption->contentsRect().left() + p.caption->indent();
    EXPECT_GT(textLeft, icon.right());
    // The whole caption fits the label.
    const QFontMetrics m(p.caption->font());
    EXPECT_LE(p.caption->indent() + m.horizontalAdvance(p.caption->text()), p.caption->width());
    EXPECT_EQ(p.caption->text(), u("● 奖项设置"));
}

TEST(MainWindow, BackgroundFillsTheWindowAtItsOwnAspectRatio) {
    // A wide picture, red, green and blue thirds: filling a square window
    // keeps the middle (green) and cuts the sides; stretching would show red.
    QImage wide(300, 100, QImage::Format_RGB888);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 100; ++y)
            wide.setPixelColor(x, y,
                               x < 100   ? QColor(230, 0, 0)
                               : x < 200 ? QColor(0, 230, 0)
                                         : QColor(0, 0, 230));
    MainWindow w;
    w.resize(200, 200);
    w.setBackgroundPicture(luckdial::testing::encodeJpeg(wide));
    const QImage shot = w.grab().toImage();
    for (const QPoint at : {QPoint(3, 3), QPoint(196, 100), QPoint(100, 196)}) {
        const QColor c = shot.pixelColor(at);
        EXPECT_GT(c.green(), 180) << at.x() << "," << at.y();
        EXPECT_LT(c.red(), 60);
        EXPECT_LT(c.blue(), 60);
    }
}
