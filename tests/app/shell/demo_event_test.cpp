// The demo event that ./run.sh starts: its files, copied into a program
// directory, through the real application at the screen sizes of the halls it
// is shown in. What the demo promises an operator: a title that reads well
// on the results page, a picture for every level, and a layout where the
// titles, the buttons, the congratulation line, the prize picture and the
// selector row stay apart and leave room for the largest draw.

#include "support/app_fixture.h"

#include "host/qtext.h"
#include "ui/elements.h"
#include "ui/jpeg.h"
#include "ui/mainwindow.h"
#include "ui/prizetable.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFontMetrics>

#include <algorithm>
#include <filesystem>
#include <sstream>

// Names the screen in a failure message.
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

namespace luckdial::testing {
namespace {

namespace fs = std::filesystem;

class DemoEvent : public AppTest {
protected:
    void startAt(int width, int height) {
        fs::copy(fs::path(LUCKDIAL_DEMO_DIR), fs::path(dir_.path()),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        host().screenW = width;
        host().screenH = height;
        create();
        ASSERT_TRUE(app().start());
    }
    MainElements& e() { return app().window().elements(); }
    PrizeTable table() { return PrizeTable(e().panel); }

    /// The rows the demo names, in order.
    std::vector<int> namedRows() {
        std::vector<int> rows;
        for (int row = 1; row <= PrizeTable::kRows; ++row)
            if (!table().name(row).empty()) rows.push_back(row);
        return rows;
    }
    void selectRow(int row) { e().levelCombo->setEditText(qstr(table().name(row))); }
};

/// Where a label draws its caption.
QRect textRect(const TransparentLabel& label) {
    const QString text =
        qstr(label.caption()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect drawn =
        QFontMetrics(label.font())
            .boundingRect(label.geometry(), static_cast<int>(label.alignment()), text);
    return drawn;
}

std::string describe(const QRect& r) {
    std::ostringstream out;
    out << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    return out.str();
}

TEST_F(DemoEvent, MainTitleReadsWellWithTheResultsSuffix) {
    startAt(1024, 768);
    const std::string title = e().mainTitle->caption();
    ASSERT_FALSE(title.empty());
    // The results page appends "抽奖结果" to the main title.
    const std::string word = gbk("抽奖");
    EXPECT_FALSE(title.size() >= word.size() &&
                 title.compare(title.size() - word.size(), word.size(), word) == 0)
        << utf8(title);
}

TEST_F(DemoEvent, EveryNamedLevelHasAPictureShapedLikeThePictureBox) {
    startAt(1024, 768);
    const std::vector<int> rows = namedRows();
    ASSERT_EQ(rows.size(), 6u);
    const double boxW = e().prizePicture->width();
    const double boxH = e().prizePicture->height();
    ASSERT_GT(boxW, 0);
    ASSERT_GT(boxH, 0);
    for (int row : rows) {
        SCOPED_TRACE(row);
        const std::string bytes = host().readFile(host().path(PrizeTable::picturePath(row)));
        ASSERT_FALSE(bytes.empty());
        const QImage image = decodeJpeg(bytes);
        ASSERT_FALSE(image.isNull());
        // The box stretches the picture: a picture of another shape would be distorted.
        EXPECT_NEAR(image.width() / static_cast<double>(image.height()), boxW / boxH, 0.02);
        EXPECT_GE(image.width(), boxW);
        // Shown when its level is selected.
        selectRow(row);
        EXPECT_TRUE(e().prizePicture->hasPicture());
        EXPECT_TRUE(e().prizePicture->isVisibleTo(&app().window()));
    }
}

class DemoLayout : public DemoEvent, public ::testing::WithParamInterface<QSize> {};

TEST_P(DemoLayout, ElementsStayApartAndTheLargestDrawHasRoom) {
    const QSize screen = GetParam();
    startAt(screen.width(), screen.height());
    const QRect window(QPoint(0, 0), screen);

    // The widest level name on the congratulation line and the progress line.
    std::string longest;
    int largestDraw = 0, itsColumns = 1;
    for (int row : namedRows()) {
        if (table().name(row).size() > longest.size()) longest = table().name(row);
        if (table().perDraw(row) > largestDraw) {
            largestDraw = table().perDraw(row);
            itsColumns = static_cast<int>(table().columns(row));
        }
    }
    e().congrats->setCaption(gbk("恭喜：") + longest);
    e().progress->setCaption(longest + gbk(" 已抽取") + std::to_string(largestDraw) + gbk("名"));
    e().progress->resize(static_cast<int>(e().progress->caption().size()) * 11,
                         e().progress->height());

    const QRect bottomRow =
        e().levelCaption->geometry() | e().levelCombo->geometry() | e().progress->geometry();
    const std::vector<std::pair<const char*, QRect>> parts = {
        {"main title", textRect(*e().mainTitle)},
        {"subtitle", textRect(*e().subTitle)},
        {"start button", e().startButton->geometry()},
        {"congratulation", textRect(*e().congrats)},
        {"prize picture", e().prizePicture->geometry()},
        {"selector row", bottomRow},
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(window.contains(parts[i].second))
            << parts[i].first << " " << describe(parts[i].second);
        for (std::size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                << parts[i].first << " " << describe(parts[i].second) << " crosses "
                << parts[j].first << " " << describe(parts[j].second);
    }

    // The winners go from the congratulation line down to the selector row
    // over the whole width: the prize picture must lie outside that band.
    const int bandTop = e().congrats->geometry().bottom() + 1;
    const QRect band(0, bandTop, screen.width(), bottomRow.top() - bandTop);
    EXPECT_GE(e().winners->y(), bandTop - 1);
    EXPECT_FALSE(band.intersects(e().prizePicture->geometry()))
        << "picture " << describe(e().prizePicture->geometry()) << " band " << describe(band);

    // The largest draw, with the widest entries of the pool side by side,
    // fits the band at a size still read from the back of a hall.
    std::vector<QString> entries;
    for (const std::string& line : poolEntries())
        entries.push_back(qstr(line));
    ASSERT_GE(static_cast<int>(entries.size()), largestDraw);
    ASSERT_GT(itsColumns, 0);
    QFont font = e().winners->font();
    font.setPixelSize(30);
    const QFontMetrics metrics(font);
    std::sort(entries.begin(), entries.end(), [&](const QString& a, const QString& b) {
        return metrics.horizontalAdvance(a) > metrics.horizontalAdvance(b);
    });
    QString widestLine = entries[0];
    for (int k = 1; k < itsColumns; ++k)
        widestLine += QStringLiteral("    ") + entries[static_cast<std::size_t>(k)];
    const int lines = (largestDraw + itsColumns - 1) / itsColumns;
    EXPECT_LE(metrics.horizontalAdvance(widestLine), band.width()) << widestLine.toStdString();
    EXPECT_LE(metrics.lineSpacing() * lines, band.height()) << describe(band);
}

INSTANTIATE_TEST_SUITE_P(Screens, DemoLayout,
                         ::testing::Values(QSize(1920, 1080), QSize(1280, 1024), QSize(1024, 768)),
                         [](const ::testing::TestParamInfo<QSize>& info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

} // namespace
} // namespace luckdial::testing
