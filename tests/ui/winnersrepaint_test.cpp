// What a new caption repaints: where the old names were and where the new
// ones go, and nothing else of a block that stays in place; and the screen
// after such a repaint is what a full repaint of the window shows.

#include "host/core/text.h"
#include "ui/elements.h"
#include "ui/jpegtools.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnersview.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace luckdial;

namespace {

/// n entries in columns as the draw builds a frame; entry(k) is the k-th.
std::string frame(int n, int columns, const std::function<std::string(int)>& entry) {
    std::string text;
    for (int k = 1; k <= n; ++k) {
        text += entry(k);
        if (k % columns == 0)
            text += "\r\n";
        else if (k < n)
            text += "    ";
    }
    return text;
}

std::string number(long long base, int k) {
    return std::to_string(base + k);
}

/// Names of two to four characters, a different mix for each seed.
std::string name(int seed, int k) {
    static const char* const parts[] = {"王", "李", "欧阳", "张", "司马", "晓", "明", "丽"};
    std::string s;
    const int n = 2 + (k * 7 + seed) % 3;
    for (int i = 0; i < n; ++i)
        s += parts[(k * 3 + i * 5 + seed) % 8];
    return gbk(s);
}

/// A picture that differs from pixel to pixel, so that any pixel of it
/// repainted from the wrong place or left stale shows.
std::string gradientPicture() {
    QImage img(320, 200, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixelColor(x, y, QColor((x * 5) % 256, (y * 3) % 256, (x + y) % 256));
    return luckdial::testing::encodeJpeg(img);
}

/// Collects what the window repaints beneath the elements.
class RepaintLog : public QObject {
public:
    explicit RepaintLog(QWidget* window) : window_(window) { window->installEventFilter(this); }
    QRegion region;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget* window_;
};

void settle() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QRegion cellsOf(const WinnersBlock& block, int margin) {
    QRegion region;
    for (const QRect& cell : block.cells)
        region += cell.adjusted(-margin, -margin, margin, margin);
    return region;
}

qint64 area(const QRegion& region) {
    qint64 a = 0;
    for (const QRect& r : region)
        a += static_cast<qint64>(r.width()) * r.height();
    return a;
}

struct Step {
    const char* what;
    std::function<void(MainElements&)> apply;
};

struct RepaintCase {
    const char* name;
    QSize window;
    std::string first;
    std::vector<Step> steps;
};

void caption(MainElements& e, const std::string& text) {
    e.winners->setCaption(text);
}

std::vector<RepaintCase> repaintCases() {
    const auto numbers = [](long long base) { return [base](int k) { return number(base, k); }; };
    const auto names = [](int seed) { return [seed](int k) { return name(seed, k); }; };
    return {
        {"numbers of one width",
         {1024, 768},
         frame(20, 5, numbers(13800138000)),
         {{"next frame", [=](MainElements& e) { caption(e, frame(20, 5, numbers(13900000000))); }},
          {"and again", [=](MainElements& e) { caption(e, frame(20, 5, numbers(13700000000))); }}}},
        {"names of other widths",
         {1024, 768},
         frame(24, 4, names(0)),
         {{"next frame", [=](MainElements& e) { caption(e, frame(24, 4, names(1))); }},
          {"and again", [=](MainElements& e) { caption(e, frame(24, 4, names(2))); }}}},
        {"a block of another shape",
         {1024, 768},
         frame(24, 4, names(0)),
         {{"fewer names", [=](MainElements& e) { caption(e, frame(3, 3, names(3))); }},
          {"more again", [=](MainElements& e) { caption(e, frame(24, 4, names(4))); }},
          {"cleared", [=](MainElements& e) { caption(e, {}); }},
          {"shown again", [=](MainElements& e) { caption(e, frame(6, 3, names(5))); }}}},
        {"a thousand names in pages",
         {1920, 1080},
         frame(1000, 10, numbers(13800138000)),
         {{"next frame", [=](MainElements& e) { caption(e, frame(1000, 10, names(6))); }},
          {"next page", [=](MainElements& e) { e.winnersView->nextPage(); }},
          {"next frame", [=](MainElements& e) { caption(e, frame(1000, 10, numbers(1000))); }}}},
    };
}

} // namespace

TEST(WinnersRepaint, TheScreenAfterEachFrameIsAFullRepaintsPicture) {
    for (const RepaintCase& c : repaintCases()) {
        SCOPED_TRACE(c.name);
        MainWindow w;
        w.resize(c.window);
        w.setBackgroundPicture(gradientPicture());
        MainElements& e = w.elements();
        e.winners->setGeometry(64, 340, c.window.width() - 128, 400);
        e.winners->show();
        e.winners->setCaption(c.first);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        settle();
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.what);
            step.apply(e);
            settle();
            // The screen keeps what the repaints left; grab() paints it all anew.
            const QImage onScreen =
                w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage full = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(onScreen.size(), full.size());
            int differing = 0;
            for (int y = 0; y < full.height(); ++y)
                for (int x = 0; x < full.width(); ++x)
                    differing += onScreen.pixel(x, y) != full.pixel(x, y);
            EXPECT_EQ(differing, 0);
        }
    }
}

TEST(WinnersRepaint, AFrameInTheSamePlacesRepaintsOnlyItsNames) {
    // A block in the same places: numbers of one width, or a paged draw,
    // whose columns are as wide as its widest name whatever the frame shows.
    struct Case {
        const char* name;
        QSize window;
        int count, columns;
        std::function<std::string(int seed, int k)> entry;
        int mostPercentOfView; ///< what the names and their margins cover
    };
    const auto numbers = [](int seed, int k) { return number(13800138000LL + seed * 5000, k); };
    for (const Case& c :
         {Case{"twenty numbers", {1024, 768}, 20, 5, numbers, 95},
          Case{"a thousand names at 1920x1080", {1920, 1080}, 1000, 10, name, 80},
          Case{"a thousand names at 3840x2160", {3840, 2160}, 1000, 10, name, 80}}) {
        SCOPED_TRACE(c.name);
        MainWindow w;
        w.resize(c.window);
        MainElements& e = w.elements();
        e.winners->setGeometry(64, 340, c.window.width() - 128, 400);
        e.winners->show();
        e.winners->setCaption(frame(c.count, c.columns, [&](int k) { return c.entry(0, k); }));
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        settle();
        const QRect view = e.winnersView->geometry();
        const QRegion before = cellsOf(e.winnersView->block(), 4);
        RepaintLog log(&w);
        e.winners->setCaption(frame(c.count, c.columns, [&](int k) { return c.entry(1, k); }));
        settle();
        ASSERT_EQ(e.winnersView->geometry(), view) << "the block should stay in place";
        const WinnersBlock& block = e.winnersView->block();
        // Every new name is repainted, and nothing beyond the old and new
        // names but the page indicator under them.
        const QRegion allowed =
            before + cellsOf(block, 4) +
            QRegion(QRect(QPoint(view.left(), block.block.bottom() + 1), view.bottomRight()));
        EXPECT_TRUE((cellsOf(block, 0) - log.region).isEmpty());
        EXPECT_TRUE((log.region - allowed).isEmpty())
            << "repainted " << area(log.region) << " px, beyond the names "
            << area(log.region - allowed);
        // The gaps between the columns are not repainted.
        EXPECT_LE(area(log.region) * 100, area(QRegion(view)) * c.mostPercentOfView)
            << area(log.region) << " of " << area(QRegion(view)) << " px";
    }
}
