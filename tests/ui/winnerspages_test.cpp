// Pages of a large draw: at the readable floor, as many names a page as the
// room holds, every name whole, none lost, in order, the last page partial.

#include "host/core/text.h"
#include "ui/drawnameslist.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnerspages.h"
#include "ui/winnersview.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QListView>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

std::vector<QString> numbers(int n) {
    std::vector<QString> v;
    for (int i = 0; i < n; ++i)
        v.push_back(QString::number(13800138000LL + i));
    return v;
}

struct PageCase {
    int width, height, columns, names;
    bool picture;
};

class Pagination : public ::testing::TestWithParam<PageCase> {};

TEST_P(Pagination, FillsTheRoomAtTheFloorAndLosesNoName) {
    const PageCase c = GetParam();
    WinnersBounds b;
    b.window = QRect(0, 0, c.width, c.height);
    b.centreX = c.width / 2;
    b.top = c.height * 35 / 100;
    b.bottom = c.height * 91 / 100;
    if (c.picture) b.obstacle = QRect(c.width * 66 / 100, c.height * 30 / 100, 290, 240);
    const std::vector<QString> names = numbers(c.names);
    QFont font = toQFont(designFont("宋体", 37, true));
    const int floor = readableFloor(c.height);
    const WinnersPages pages = paginateWinners(names, c.columns, font, floor, b);

    EXPECT_EQ(pages.pixelSize, floor);
    ASSERT_GE(pages.perPage(), 1);
    EXPECT_LE(pages.columns, c.columns);
    // The room is full: no further line fits above the indicator, and no
    // further column beside the others unless the draw has no more.
    EXPECT_LE(pages.rows * pages.lineHeight, pages.indicator.top() - pages.area.top());
    EXPECT_LE(pages.indicator.bottom(), pages.area.bottom());
    EXPECT_GT((pages.rows + 1) * pages.lineHeight + pages.indicator.height(), pages.area.height());
    if (pages.columns < c.columns) {
        EXPECT_GT((pages.columns + 1) * pages.columnWidth + pages.columns * pages.gap,
                  pages.area.width());
    }
    EXPECT_EQ(pages.pageCount, (c.names + pages.perPage() - 1) / pages.perPage());

    font.setPixelSize(pages.pixelSize);
    const QFontMetrics metrics(font);
    std::vector<QString> seen;
    for (int page = 0; page < pages.pageCount; ++page) {
        SCOPED_TRACE("page " + std::to_string(page + 1));
        const WinnersBlock block = layoutWinnersPage(names, pages, page, font, b);
        const int expected =
            page + 1 < pages.pageCount ? pages.perPage() : c.names - page * pages.perPage();
        ASSERT_EQ(static_cast<int>(block.cells.size()), expected);
        EXPECT_EQ(block.pixelSize, floor);
        for (std::size_t i = 0; i < block.cells.size(); ++i) {
            const QRect& cell = block.cells[i];
            EXPECT_TRUE(pages.area.contains(cell)) << cell.x() << "," << cell.y();
            EXPECT_FALSE(cell.intersects(pages.indicator));
            if (b.obstacle) {
                EXPECT_FALSE(cell.intersects(*b.obstacle));
            }
            EXPECT_LE(metrics.horizontalAdvance(block.texts[i]), cell.width()); // never cut
            if (i > 0) {
                EXPECT_FALSE(cell.intersects(block.cells[i - 1]));
            }
            seen.push_back(block.texts[i]);
        }
    }
    EXPECT_EQ(seen, names); // every name once, in the draw's order
    const int last = c.names - (pages.pageCount - 1) * pages.perPage();
    EXPECT_GT(last, 0);
    EXPECT_LE(last, pages.perPage());
}

INSTANTIATE_TEST_SUITE_P(
    ScreensAndColumns, Pagination,
    ::testing::Values(PageCase{1024, 768, 10, 300, false}, PageCase{1024, 768, 1, 300, false},
                      PageCase{1920, 1080, 10, 300, false}, PageCase{1920, 1080, 5, 450, true},
                      PageCase{1920, 1080, 20, 1000, false}, PageCase{1280, 1024, 3, 97, true},
                      PageCase{3840, 2160, 10, 1000, false}, PageCase{3840, 2160, 8, 301, true}),
    [](const ::testing::TestParamInfo<PageCase>& info) {
        const PageCase& c = info.param;
        return std::to_string(c.width) + "x" + std::to_string(c.height) + "_" +
               std::to_string(c.columns) + "col_" + std::to_string(c.names) +
               (c.picture ? "_picture" : "");
    });

TEST(Pagination, ANameWiderThanTheRoomIsDrawnSmallerNotCut) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1024, 768);
    b.centreX = 512;
    b.top = 300;
    b.bottom = 700;
    std::vector<QString> names = numbers(40);
    names[7] = QString(60, QChar(0x540D)); // sixty Chinese characters
    QFont font = toQFont(designFont("宋体", 37, true));
    const WinnersPages pages = paginateWinners(names, 5, font, readableFloor(768), b);
    EXPECT_LT(pages.pixelSize, readableFloor(768));
    font.setPixelSize(pages.pixelSize);
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(names[7]), pages.area.width());
}

std::string caption(int n, int columns) {
    std::string text;
    for (int k = 1; k <= n; ++k) {
        text += std::to_string(13800138000LL + k - 1);
        if (k % columns == 0)
            text += "\r\n";
        else if (k < n)
            text += "    ";
    }
    return text;
}

TEST(WinnersViewPages, SmallDrawsStayOneBlockAndLargeOnesTurnPageByPage) {
    MainWindow w;
    w.resize(1920, 1080);
    MainElements& e = w.elements();
    WinnersView* view = e.winnersView;
    e.winners->setGeometry(64, 340, 1800, 400);
    e.winners->show();
    // Twenty names fit: one block, no indicator, no page to turn.
    e.winners->setCaption(caption(20, 5));
    EXPECT_EQ(view->pageCount(), 1);
    EXPECT_FALSE(view->hasNextPage());
    EXPECT_TRUE(view->indicatorText().isEmpty());
    EXPECT_EQ(view->block().cells.size(), 20u);

    QSignalSpy changed(view, &WinnersView::pageChanged);
    e.winners->setCaption(caption(300, 10));
    const int pages = view->pageCount();
    ASSERT_GT(pages, 1);
    EXPECT_EQ(view->block().pixelSize, readableFloor(1080));
    EXPECT_EQ(view->indicatorText(), QStringLiteral("第 1/%1 页").arg(pages));
    std::vector<QString> seen = view->block().texts;
    while (view->nextPage()) {
        const auto [first, count] = view->shownRange();
        EXPECT_EQ(first, static_cast<int>(seen.size()));
        EXPECT_EQ(count, static_cast<int>(view->block().texts.size()));
        seen.insert(seen.end(), view->block().texts.begin(), view->block().texts.end());
    }
    EXPECT_EQ(view->currentPage(), pages - 1);
    EXPECT_EQ(seen, view->names());
    EXPECT_EQ(seen.size(), 300u);
    EXPECT_GE(changed.count(), pages);
    // A new caption (the next draw's scroll) starts on its first page again.
    e.winners->setCaption(caption(300, 10));
    e.winners->setCaption(caption(301, 10));
    EXPECT_EQ(view->currentPage(), 0);
}

TEST(WinnersViewPages, AFinalDrawIsLaidOutOnceNotOncePerWinner) {
    MainWindow w;
    w.resize(1920, 1080);
    MainElements& e = w.elements();
    e.winners->setGeometry(64, 340, 1800, 400);
    e.winners->show();
    QSignalSpy changed(e.winnersView, &WinnersView::pageChanged);
    for (int n = 1; n <= 1000; ++n)
        e.winners->setCaption(caption(n, 10));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(e.winnersView->names().size(), 1000u);
    EXPECT_EQ(changed.count(), 1);
}

TEST(DrawNamesList, ListsEveryNameAndMarksTheHallsPage) {
    MainWindow w;
    w.resize(1920, 1080);
    MainElements& e = w.elements();
    e.winners->setGeometry(64, 340, 1800, 400);
    e.winners->show();
    e.winners->setCaption(caption(300, 10));
    DrawNamesList list;
    list.follow(e.winnersView);
    ASSERT_EQ(list.names().size(), 300);
    EXPECT_EQ(list.names().front(), QStringLiteral("13800138000"));
    EXPECT_EQ(list.names().back(), QStringLiteral("13800138299"));
    const int pages = e.winnersView->pageCount();
    ASSERT_TRUE(e.winnersView->nextPage());
    list.sync();
    const auto [first, count] = e.winnersView->shownRange();
    ASSERT_GT(count, 0);
    for (int row : {0, first - 1, first, first + count - 1, first + count, 299})
        EXPECT_EQ(list.isShown(row), row >= first && row < first + count) << row;
    EXPECT_EQ(list.caption(), QStringLiteral("第 2/%1 页 · 共 300 人").arg(pages));
    // Shown on the list by number and name.
    EXPECT_EQ(list.listView()->model()->index(first, 0).data().toString(),
              QStringLiteral("%1. %2").arg(first + 1).arg(list.names()[first]));
    // The caption cleared (a new draw begins): the list empties.
    e.winners->setCaption({});
    list.sync();
    EXPECT_TRUE(list.names().isEmpty());
}

} // namespace

namespace {

struct OrderCase {
    int width, height, columns, count;
};

} // namespace

// Every screen size and column count: pages at the readable floor, in the
// draw's order, no name cut or lost, only the last page partial.
TEST(WinnersPages, EveryNameOnceInOrderAtTheFloorAcrossScreens) {
    const OrderCase cases[] = {
        {1024, 768, 5, 300},    {1024, 768, 10, 7},     {1920, 1080, 10, 300}, {1920, 1080, 3, 450},
        {1920, 1080, 10, 1000}, {3840, 2160, 10, 1000}, {1280, 1024, 1, 40},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " columns " << c.columns
                                        << " names " << c.count);
        WinnersBounds b;
        b.window = QRect(0, 0, c.width, c.height);
        b.centreX = c.width / 2;
        b.top = c.height * 3 / 10;
        b.bottom = c.height * 9 / 10;
        std::vector<QString> names;
        for (int k = 0; k < c.count; ++k)
            names.push_back(QString::number(13800138000LL + k));
        QFont font = toQFont(designFont("宋体", 49, true));
        const int floor = readableFloor(c.height);
        EXPECT_GE(floor * 100, c.height * 3);
        const WinnersPages pages = paginateWinners(names, c.columns, font, floor, b);
        ASSERT_GT(pages.perPage(), 0);
        EXPECT_GE(pages.pixelSize, floor);
        EXPECT_LE(pages.columns, c.columns);
        EXPECT_EQ(pages.pageCount, (c.count + pages.perPage() - 1) / pages.perPage());

        std::vector<QString> seen;
        for (int page = 0; page < pages.pageCount; ++page) {
            const auto [first, shownCount] = pageRange(pages, c.count, page);
            EXPECT_EQ(first, page * pages.perPage());
            const bool last = page == pages.pageCount - 1;
            EXPECT_EQ(shownCount, last ? c.count - first : pages.perPage());
            const WinnersBlock block = layoutWinnersPage(names, pages, page, font, b);
            ASSERT_EQ(block.texts.size(), static_cast<size_t>(shownCount));
            QFont atSize = font;
            atSize.setPixelSize(block.pixelSize);
            const QFontMetrics m(atSize);
            for (size_t k = 0; k < block.cells.size(); ++k) {
                EXPECT_TRUE(b.window.contains(block.cells[k])) << block.texts[k].toStdString();
                EXPECT_GE(block.cells[k].width(), m.horizontalAdvance(block.texts[k]));
            }
            seen.insert(seen.end(), block.texts.begin(), block.texts.end());
        }
        EXPECT_EQ(seen, names);
    }
}
