#include "host/core/text.h"
#include "host/qtext.h"
#include "photos/photoloader.h"
#include "support/tempdir.h"
#include "ui/elements.h"
#include "ui/jpegtools.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnercards.h"
#include "ui/winnersview.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace luckdial;
using luckdial::testing::encodeJpeg;

namespace {

WinnersBounds hall(std::optional<QRect> obstacle = std::nullopt) {
    WinnersBounds b;
    b.window = QRect(0, 0, 1920, 1080);
    b.centreX = 960;
    b.top = 200;
    b.bottom = 1000;
    b.obstacle = obstacle;
    return b;
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QImage green(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(30, 200, 40));
    return image;
}

bool isPhotoGreen(QColor c) {
    return std::abs(c.red() - 30) < 40 && std::abs(c.green() - 200) < 40 &&
           std::abs(c.blue() - 40) < 40;
}

} // namespace

TEST(CardLayout, CardsFillTheRoomWithoutOverlapOrCrossingThePicture) {
    const QFont font = toQFont(designFont("宋体", 40, true));
    const int floor = cardFloorWidth(1080);
    struct Case {
        int count;
        std::optional<QRect> obstacle;
        int pages; // expected page count
        int minWidth;
    };
    const Case cases[] = {
        {1, std::nullopt, 1, 300}, // one winner: a large card
        {5, std::nullopt, 1, 200}, // one row of five
        {20, std::nullopt, 1, floor},  {20, QRect(1400, 150, 400, 500), 1, floor},
        {200, std::nullopt, 0, floor}, // 0: more than one page
        {0, std::nullopt, 0, 0},
    };
    for (const Case& c : cases) {
        const WinnersBounds b = hall(c.obstacle);
        std::vector<QString> names;
        for (int i = 0; i < c.count; ++i)
            names.push_back(QStringLiteral("%1 名字").arg(1000 + i));
        const CardPages cards = paginateCards(c.count, font, 40, floor, b);
        if (c.count == 0) {
            EXPECT_EQ(cards.pages.pageCount, 0);
            continue;
        }
        if (c.pages > 0) {
            EXPECT_EQ(cards.pages.pageCount, c.pages) << c.count;
        } else {
            EXPECT_GT(cards.pages.pageCount, 1) << c.count;
        }
        EXPECT_GE(cards.card.width, c.minWidth) << c.count;
        EXPECT_EQ(cards.card.photoHeight, cards.card.width * 4 / 3);
        int shown = 0;
        for (int page = 0; page < cards.pages.pageCount; ++page) {
            const WinnersBlock block = layoutCardsPage(names, cards, page, b);
            shown += static_cast<int>(block.cells.size());
            for (std::size_t i = 0; i < block.cells.size(); ++i) {
                const QRect& cell = block.cells[i];
                EXPECT_GE(cell.top(), b.top) << c.count;
                EXPECT_LE(cell.bottom(), b.bottom) << c.count;
                EXPECT_TRUE(b.window.contains(cell)) << c.count;
                if (c.obstacle) {
                    EXPECT_FALSE(cell.intersects(*c.obstacle)) << c.count << " " << i;
                }
                for (std::size_t j = i + 1; j < block.cells.size(); ++j)
                    EXPECT_FALSE(cell.intersects(block.cells[j]))
                        << c.count << ":" << i << "," << j;
            }
        }
        EXPECT_EQ(shown, c.count); // every winner on exactly one page
    }
}

TEST(CardLayout, PaintsThePhotoOrThePlaceholderAndTheName) {
    const QFont font = toQFont(designFont("宋体", 30, true));
    const CardGeometry card = cardGeometry(90, font, 30);
    QImage canvas(100, 200, QImage::Format_RGB32);
    struct Case {
        bool withPhoto;
        bool greenAtCentre;
    };
    for (const Case c : {Case{true, true}, Case{false, false}}) {
        canvas.fill(Qt::black);
        {
            QPainter p(&canvas);
            paintCard(p, QRect(5, 5, card.width, card.height()), card, QStringLiteral("1001 刘*"),
                      QStringLiteral("1001 刘伟"),
                      c.withPhoto ? green(card.width, card.photoHeight) : QImage(), Qt::white,
                      font);
        }
        EXPECT_EQ(isPhotoGreen(canvas.pixelColor(50, 5 + card.photoHeight / 2)), c.greenAtCentre);
        // The name's line under the photo has ink.
        bool ink = false;
        for (int x = 5; x < 95; ++x)
            for (int y = 6 + card.photoHeight; y < 4 + card.height(); ++y)
                ink = ink || qGray(canvas.pixel(x, y)) > 128;
        EXPECT_TRUE(ink) << c.withPhoto;
    }
}

namespace {

struct CardsWindow {
    TempDir dir;
    MainWindow w;
    PhotoLoader loader{32u * 1024 * 1024, 2};
    MainElements& e = w.elements();

    explicit CardsWindow(const std::string& photo) {
        const QString folder = QString::fromStdString(dir.path());
        for (int i = 0; i < 30; ++i)
            writeFile(folder + QStringLiteral("/%1.jpg").arg(1000 + i), photo);
        loader.rescan(folder);
        w.resize(1280, 800);
        e.winners->setGeometry(0, 300, 1280, 400);
        e.winnersView->setPhotoLoader(&loader);
        e.winnersView->setCardsShown(true);
    }
    QColor at(QPoint p) { return w.grab().toImage().pixelColor(p); }
};

std::string entries(int n, int from = 1000) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += (i ? "    " : "") + toText(static_cast<long long>(from + i)) + gbk(" 某某");
    return text;
}

} // namespace

TEST(WinnersCards, ShowPhotosOnceDecodedAndFindThemByTheUnmaskedEntry) {
    CardsWindow cw(encodeJpeg(green(600, 800)));
    MainElements& e = cw.e;
    struct Case {
        const char* what;
        std::string caption;
        QStringList photoEntries;
        bool photo;
    };
    const Case cases[] = {
        {"plain entries", entries(3), {}, true},
        {"masked names, unmasked entries",
         gbk("10**    10**"),
         {QStringLiteral("1001 某某"), QStringLiteral("1002 某某")},
         true},
        {"masked names, nothing else", gbk("10**    10**"), {}, false},
        {"no photo for them", entries(2, 5000), {}, false},
    };
    for (const Case& c : cases) {
        e.winners->setCaption({});
        e.winnersView->setPhotoEntries(c.photoEntries);
        e.winners->setCaption(c.caption);
        e.winners->show();
        cw.w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&cw.w));
        e.winnersView->layoutNow();
        ASSERT_TRUE(e.winnersView->showsCards()) << c.what;
        const WinnersBlock block = e.winnersView->block();
        ASSERT_FALSE(block.cells.empty()) << c.what;
        const CardGeometry card = e.winnersView->cards().card;
        const QPoint centre = card.photo(block.cells[0]).center();
        // Each paint asks for the photos it lacks; a few rounds of paint and
        // decode settle them.
        for (int round = 0; round < 5 && !isPhotoGreen(cw.at(centre)); ++round) {
            ASSERT_TRUE(cw.loader.waitUntilIdle(20000));
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(isPhotoGreen(cw.at(centre)), c.photo) << c.what;
    }
    // The level switched off: names again, no cards.
    e.winnersView->setCardsShown(false);
    e.winnersView->layoutNow();
    EXPECT_FALSE(e.winnersView->showsCards());
}

TEST(WinnersCards, AScrollFrameNeverWaitsForDecodes) {
    // Large photos: each decode takes far longer than a frame may.
    CardsWindow cw(encodeJpeg(luckdial::testing::testPicture(3000, 4000)));
    MainElements& e = cw.e;
    e.winnersView->setScrollCards(true);
    e.winnersView->setScrolling(true);
    cw.w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cw.w));
    for (int frame = 0; frame < 3; ++frame) {
        QElapsedTimer timer;
        timer.start();
        e.winners->setCaption(entries(10, 1000 + frame * 10));
        e.winners->show();
        e.winnersView->layoutNow();
        ASSERT_TRUE(e.winnersView->showsCards());
        (void)cw.w.grab(); // builds and paints the frame
        const qint64 spent = timer.elapsed();
        EXPECT_GT(cw.loader.pendingCount(), 0) << frame; // decodes still running
        EXPECT_LT(spent, 250) << frame;
    }
    // The scroll without faces shows names.
    e.winnersView->setScrollCards(false);
    e.winnersView->layoutNow();
    EXPECT_FALSE(e.winnersView->showsCards());
}
