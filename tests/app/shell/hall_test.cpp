// What the hall sees, with the demo event of the source tree and with the
// design layout, at three screen sizes: after a draw every name lies on the
// screen, under the congratulation line, above the selector row and clear of
// the prize picture; a press on the picture reaches the picture; the
// fireworks lie beneath the text; long titles fit the window.

#include "event_fixture.h"

#include "ui/fireworks.h"
#include "ui/winnersview.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

namespace luckdial::testing {
namespace {

struct Screen {
    int width, height;
};

/// The screen size and whether the demo's stored layout applies (false:
/// the design layout, the demo's [zweizhi] section left out).
using HallParam = std::tuple<Screen, bool>;

class Hall : public EventTest, public ::testing::WithParamInterface<HallParam> {
protected:
    void SetUp() override {
        EventTest::SetUp();
        const auto [screen, demoLayout] = GetParam();
        host().screenW = screen.width;
        host().screenH = screen.height;
        namespace fs = std::filesystem;
        fs::copy(LUCKDIAL_DEMO_DIR, dir_.path(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        if (!demoLayout) dropSection("[zweizhi]");
        setItem("zbt", "背景音乐", "假");
        create();
        ASSERT_TRUE(app().start());
        // The offscreen platform's own screen is 800 x 800: a full-screen
        // window there would not have the host's screen size.
        app().window().setWindowState(Qt::WindowNoState);
        app().window().setGeometry(0, 0, screen.width, screen.height);
        QApplication::processEvents();
        ASSERT_EQ(app().window().size(), QSize(screen.width, screen.height));
    }

    /// Removes a section of peizhi.a (its header up to the next header).
    void dropSection(const std::string& header) {
        std::string text = read("peizhi.a");
        const std::size_t from = text.find(header);
        if (from == std::string::npos) return;
        std::size_t to = text.find("\n[", from);
        to = to == std::string::npos ? text.size() : to + 1;
        text.erase(from, to - from);
        write("peizhi.a", text);
    }

    MainElements& e() { return app().window().elements(); }

    /// The panel row drawn perDraw at a time in columns columns (1-based).
    int rowWith(int perDraw, int columns) {
        for (int i = 0; i < 8; ++i) {
            if (e().panel.perDraw[i]->text().toInt() == perDraw &&
                e().panel.columns[i]->text().toInt() == columns &&
                !e().panel.name[i]->text().isEmpty() && !e().panel.quota[i]->text().isEmpty())
                return i + 1;
        }
        return 0;
    }

    void selectRow(int row) { e().levelCombo->setEditText(e().panel.name[row - 1]->text()); }

    /// The room the names must keep to, in window coordinates.
    struct Room {
        int top, bottom;
        QRect screen;
        std::optional<QRect> picture;
    };
    Room room() {
        Room r;
        r.screen = QRect(0, 0, host().screenW, host().screenH);
        r.top = e().congrats->geometry().bottom() + 1;
        r.bottom = std::min({e().levelCaption->y(), e().levelCombo->y(), e().progress->y()});
        if (e().prizePicture->isVisible()) r.picture = e().prizePicture->geometry();
        return r;
    }

    /// Every drawn name inside the room; count names drawn.
    void expectNamesInRoom(std::size_t count, const char* when) {
        const WinnersBlock& block = e().winnersView->block();
        ASSERT_EQ(block.cells.size(), count) << when;
        const Room r = room();
        QFont font = e().winners->font();
        font.setPixelSize(block.pixelSize);
        const QFontMetrics metrics(font);
        for (std::size_t i = 0; i < block.cells.size(); ++i) {
            const QRect cell = block.cells[i];
            SCOPED_TRACE(std::string(when) + " name " + std::to_string(i));
            EXPECT_TRUE(r.screen.contains(cell)) << cell.x() << "," << cell.y();
            EXPECT_GE(cell.top(), r.top);
            EXPECT_LE(cell.bottom(), r.bottom);
            if (r.picture) {
                EXPECT_FALSE(cell.intersects(*r.picture))
                    << "name at " << cell.x() << "," << cell.y() << " " << cell.width() << "x"
                    << cell.height() << " crosses the picture at " << r.picture->x() << ","
                    << r.picture->y() << " " << r.picture->width() << "x" << r.picture->height();
            }
            // The glyphs themselves stay within their cell's width.
            EXPECT_LE(metrics.horizontalAdvance(block.texts[i]), cell.width());
        }
        EXPECT_GE(block.pixelSize, 10) << "names too small to read";
        // The congratulation line's words keep clear of the picture too.
        if (r.picture && e().congrats->isVisible()) {
            const QRect words = e().congrats->textArea().translated(e().congrats->pos());
            EXPECT_FALSE(words.isEmpty());
            EXPECT_FALSE(words.intersects(*r.picture))
                << "congratulation at " << words.x() << "," << words.y() << " " << words.width()
                << "x" << words.height();
            EXPECT_TRUE(r.screen.contains(words));
        }
        EXPECT_TRUE(e().winnersView->isVisible());
    }

    /// One draw of the row, checking a scroll frame on the way.
    void drawRow(int row, std::size_t count) {
        selectRow(row);
        int frames = 0;
        host().onDelay = [&] {
            if (!app().state().drawRunning) return;
            if (++frames == 2) {
                expectNamesInRoom(count, "scroll");
                e().stopButton->click();
            }
        };
        app().draw().startDraw();
        host().onDelay = nullptr;
        expectNamesInRoom(count, "winners");
    }
};

TEST_P(Hall, TwentyWinnersInFiveColumnsStayOnScreenAndClearOfThePicture) {
    const int row = rowWith(20, 5);
    ASSERT_NE(row, 0) << "the demo event has no level drawn 20 at a time in 5 columns";
    const int storedSize = e().winners->fontValue().size;
    drawRow(row, 20);
    // The grid: five names a line, in the caption's order.
    const WinnersBlock& block = e().winnersView->block();
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(block.cells[i].top(), block.cells[0].top());
    EXPECT_GT(block.cells[5].top(), block.cells[0].top());
    EXPECT_NEAR(block.cells[5].center().x(), block.cells[0].center().x(), 1);
    // The caption and the stored style are what the draw made them.
    EXPECT_EQ(std::count(e().winners->displayText().begin(), e().winners->displayText().end(),
                         QLatin1Char('\n')),
              4);
    EXPECT_EQ(e().winners->fontValue().size, storedSize);
    // Top-aligned: the first line starts right under the congratulation line
    // (or under the label's own top when it stands lower), or right under the
    // picture when the names are much larger there than beside it.
    const int underLine = std::max(e().congrats->geometry().bottom(), e().winners->y()) + 1;
    const std::optional<QRect> picture = room().picture;
    if (block.block.top() > underLine) {
        ASSERT_TRUE(picture.has_value()) << block.block.top() << " below " << underLine;
        EXPECT_GT(block.block.top(), picture->bottom());
        EXPECT_LE(block.block.top(), picture->bottom() + 10);
    }
}

TEST_P(Hall, OneWinnerStaysOnScreenAndClearOfThePicture) {
    const int row = rowWith(1, 1);
    ASSERT_NE(row, 0);
    drawRow(row, 1);
    // One name keeps the stored size: there is room for it.
    EXPECT_EQ(e().winnersView->block().pixelSize, e().winners->font().pixelSize());
}

TEST_P(Hall, APressOnThePictureReachesThePicture) {
    const int row = rowWith(20, 5);
    ASSERT_NE(row, 0);
    drawRow(row, 20);
    PictureBox* picture = e().prizePicture;
    ASSERT_TRUE(picture->isVisible()) << "the demo level has no picture";
    MainWindow& window = app().window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.setGeometry(0, 0, host().screenW, host().screenH);
    QApplication::processEvents();
    ASSERT_EQ(window.size(), QSize(host().screenW, host().screenH));
    QWindow* handle = window.windowHandle();
    ASSERT_NE(handle, nullptr);
    host().onBeginMove = [](QWidget* w) { w->move(w->pos() + QPoint(7, 5)); };
    // Corners and centre of the picture, as far as nothing opaque lies over them.
    const QRect r = picture->geometry();
    int tried = 0;
    for (const QPoint at : {r.center(), r.topLeft() + QPoint(4, 4), r.topRight() + QPoint(-4, 4),
                            r.bottomLeft() + QPoint(4, -4), r.bottomRight() + QPoint(-4, -4)}) {
        QWidget* under = window.childAt(at);
        // Opaque controls, and the words of the congratulation line, may lie
        // over a corner (the line takes presses only on its words).
        if (at != r.center() &&
            (under == e().levelCombo || under == e().startButton || under == e().stopButton ||
             under == e().congrats || (under && under->isAncestorOf(e().levelCombo))))
            continue;
        ++tried;
        SCOPED_TRACE("press at " + std::to_string(at.x()) + "," + std::to_string(at.y()) + " on " +
                     (under ? under->objectName().toStdString() : std::string("nothing")));
        const QPoint before = picture->pos();
        host().movesBegun.clear();
        QTest::mousePress(handle, Qt::LeftButton, Qt::ControlModifier, at);
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::ControlModifier, at);
        ASSERT_EQ(host().movesBegun.size(), 1u);
        EXPECT_EQ(host().movesBegun[0], gbk("动画框_奖品图片"));
        EXPECT_EQ(picture->pos(), before + QPoint(7, 5));
        picture->move(before);
    }
    // The corners under the winners label's tall, empty area are the ones that matter.
    EXPECT_GE(tried, 3);
}

TEST_P(Hall, FireworksLieBeneathTheTextAndCoverTheWindow) {
    const int row = rowWith(1, 1);
    ASSERT_NE(row, 0);
    FireworksOverlay* fireworks = app().window().fireworks();
    bool seen = false;
    selectRow(row);
    host().onDelay = [&] {
        if (app().state().drawRunning) {
            e().stopButton->click();
            return;
        }
        if (!fireworks->isOpen()) return;
        seen = true;
        EXPECT_EQ(fireworks->geometry(), app().window().rect());
        // Stacking order: children later in the list are drawn over earlier ones.
        const QObjectList& order = app().window().children();
        const auto at = [&](const QObject* o) { return order.indexOf(o); };
        for (const QWidget* text :
             {static_cast<QWidget*>(e().mainTitle), static_cast<QWidget*>(e().subTitle),
              static_cast<QWidget*>(e().congrats), static_cast<QWidget*>(e().winnersView)})
            EXPECT_LT(at(fireworks), at(text)) << text->objectName().toStdString();
    };
    app().draw().startDraw();
    host().onDelay = nullptr;
    EXPECT_TRUE(seen) << "the fireworks never opened";
}

TEST_P(Hall, ALongMainTitleShrinksToTheWindowAndKeepsItsStoredSize) {
    TransparentLabel* title = e().mainTitle;
    const FontValue stored = title->fontValue();
    title->setCaption(gbk("星河科技集团二〇二五年度全体员工联欢晚会暨年度优秀员工表彰大会"));
    const QFont shown = title->shownFont();
    EXPECT_LT(shown.pixelSize(), title->font().pixelSize());
    EXPECT_LE(QFontMetrics(shown).horizontalAdvance(title->displayText()), host().screenW);
    EXPECT_EQ(title->fontValue().size, stored.size);
    const QRect drawn = title->textArea().translated(title->pos());
    EXPECT_GE(drawn.left(), 0);
    EXPECT_LE(drawn.right(), host().screenW - 1);
}

std::string hallName(const ::testing::TestParamInfo<HallParam>& info) {
    const auto [screen, demoLayout] = info.param;
    return std::to_string(screen.width) + "x" + std::to_string(screen.height) +
           (demoLayout ? "_demo" : "_design");
}

INSTANTIATE_TEST_SUITE_P(
    ThreeScreens, Hall,
    ::testing::Combine(::testing::Values(Screen{1920, 1080}, Screen{1280, 1024}, Screen{1024, 768}),
                       ::testing::Bool()),
    hallName);

} // namespace
} // namespace luckdial::testing
