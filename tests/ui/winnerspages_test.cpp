#include "host/core/text.h"
#include "host/qtext.h"
#include "ui/widgets.h"
#include "ui/winnerspages.h"
#include "ui/winnersview.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

struct PageCase {
    int width, height, columns, count;
};

} // namespace

// Every screen size and column count: pages at the readable floor, in the
// draw's order, no name cut or lost, only the last page partial.
TEST(WinnersPages, EveryNameOnceInOrderAtTheFloor) {
    const PageCase cases[] = {
        {1024, 768, 5, 300},    {1024, 768, 10, 7},     {1920, 1080, 10, 300}, {1920, 1080, 3, 450},
        {1920, 1080, 10, 1000}, {3840, 2160, 10, 1000}, {1280, 1024, 1, 40},
    };
    for (const PageCase& c : cases) {
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
