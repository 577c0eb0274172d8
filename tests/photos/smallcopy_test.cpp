#include "photos/photofiles.h"
#include "photos/photoindex.h"
#include "photos/photoloader.h"
#include "photos/smallcopy.h"
#include "photos/smallcopymaker.h"
#include "support/tempdir.h"
#include "ui/jpegtools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace luckdial;
using luckdial::testing::encodeJpeg;
using luckdial::testing::jpegClaiming;
using luckdial::testing::pngClaiming;
using luckdial::testing::pngOf;
using luckdial::testing::repeatLastScan;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QImage plain(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(QColor a, QColor b, int tolerance = 30) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

void put(const QString& path, const std::string& bytes) {
    writeBytes(QFile::encodeName(path).toStdString(), bytes);
}

QStringList copyFiles(const QString& folder) {
    return QDir(smallCopyFolder(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

SmallCopyTally pass(const QString& folder) {
    return prepareSmallCopies(folder, PhotoIndex::scan(folder).files());
}

/// The loader's photo once it is no longer pending.
PhotoLoader::Photo settled(PhotoLoader& loader, const QString& entry, QSize size) {
    for (int i = 0; i < 50; ++i) {
        const PhotoLoader::Photo p = loader.photo(entry, size);
        if (p.status != PhotoLoader::Status::Pending) return p;
        (void)loader.waitUntilIdle(10000);
    }
    return loader.photo(entry, size);
}

const QColor kBlue(20, 40, 220);
const QColor kGreen(20, 200, 40);
const QColor kRed(220, 30, 30);

} // namespace

TEST(SmallCopy, FitsTheCropWithinTheBoundNeverEnlarging) {
    struct Case {
        QSize crop, bound, fitted;
    };
    const Case cases[] = {
        {{2250, 3000}, {1080, 1440}, {1080, 1440}}, // a 12-megapixel landscape photo's crop
        {{3000, 4000}, {1080, 1440}, {1080, 1440}},
        {{600, 800}, {1080, 1440}, {600, 800}}, // smaller than the bound: kept
        {{1080, 1440}, {1080, 1440}, {1080, 1440}},
        {{2000, 2000}, {1080, 1440}, {1080, 1080}}, // the narrower side decides
        {{7, 10}, {1080, 1440}, {7, 10}},
        {{0, 10}, {1080, 1440}, {}},
        {{10, 10}, {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fittedWithin(c.crop, c.bound), c.fitted)
            << c.crop.width() << "x" << c.crop.height();
    const QImage copy = decodePhotoWithin(encodeJpeg(plain(4000, 3000, kBlue)), kSmallCopyBound);
    EXPECT_EQ(copy.size(), kSmallCopyBound);
}

// A second pass after a change to the photo folder: which photos have a copy
// of their file as it is now, and what is left in the copies' folder.
TEST(SmallCopy, PassKeepsOneCurrentCopyPerShowablePhoto) {
    const std::string good = encodeJpeg(plain(800, 600, kBlue));
    const std::string progressive = encodeJpeg(plain(300, 400, kBlue), false, true);
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> change;
        int ready, refused;
        bool unwritable;
        QStringList withCopy; ///< photos whose current copy exists
        int copyFiles;        ///< files in the copies' folder
        bool redone;          ///< 1001.jpg's copy was written again
    };
    const Case cases[] = {
        {"nothing changed", [](const QString&) {}, 2, 0, false,
         QStringList{q("1001.jpg"), q("1002.png")}, 2, false},
        {"photo replaced under its name",
         [](const QString& f) { put(f + q("/1001.jpg"), encodeJpeg(plain(1000, 750, kRed))); }, 2,
         0, false, QStringList{q("1001.jpg"), q("1002.png")}, 2, true},
        {"photo removed", [](const QString& f) { QFile::remove(f + q("/1002.png")); }, 1, 0, false,
         QStringList{q("1001.jpg")}, 1, false},
        {"temporary left by a crash",
         [](const QString& f) { put(smallCopyFolder(f) + q("/.x.jpg.Ab12Cd"), "half a copy"); }, 2,
         0, false, QStringList{q("1001.jpg"), q("1002.png")}, 2, false},
        {"hostile photos added",
         [&](const QString& f) {
             put(f + q("/1003.jpg"), "not an image at all");
             put(f + q("/1004.jpg"), good.substr(0, good.size() / 2));
             put(f + q("/1005.jpg"), repeatLastScan(progressive, 300));
             put(f + q("/1006.png"), pngClaiming(30000, 30000));
             put(f + q("/1007.jpg"), jpegClaiming(good, 30000, 30000));
         },
         2, 5, false, QStringList{q("1001.jpg"), q("1002.png")}, 2, false},
        {"copies' folder cannot be written",
         [](const QString& f) {
             // A file where the folder belongs refuses every write, even root's.
             QDir(smallCopyFolder(f)).removeRecursively();
             put(smallCopyFolder(f), "in the way");
         },
         0, 0, true, QStringList{}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString folder = QString::fromStdString(dir.path());
        put(folder + q("/1001.jpg"), good);
        put(folder + q("/1002.png"), pngOf(plain(600, 800, kGreen)));
        const SmallCopyTally first = pass(folder);
        ASSERT_EQ(first.ready, 2);
        const auto before = currentSmallCopyName(folder, q("1001.jpg"));
        ASSERT_TRUE(before);
        const QString copyOf1001 = smallCopyFolder(folder) + q("/") + *before;
        // Marks the copy so that a copy written again is told apart.
        put(copyOf1001, readBytes(QFile::encodeName(copyOf1001).toStdString()) + "mark");

        c.change(folder);
        const SmallCopyTally second = pass(folder);
        EXPECT_EQ(second.ready, c.ready);
        EXPECT_EQ(second.refused, c.refused);
        EXPECT_EQ(second.unwritable, c.unwritable);
        for (const QString& photo : PhotoIndex::scan(folder).files())
            EXPECT_EQ(smallCopyFor(folder, photo, QSize(30, 40)).has_value(),
                      c.withCopy.contains(photo))
                << photo.toStdString();
        EXPECT_EQ(copyFiles(folder).size(), c.copyFiles)
            << copyFiles(folder).join(QLatin1Char(' ')).toStdString();
        const auto after = currentSmallCopyName(folder, q("1001.jpg"));
        const bool marked =
            readBytes(QFile::encodeName(smallCopyFolder(folder) + q("/") + *after).toStdString())
                .ends_with("mark");
        if (!c.unwritable) {
            EXPECT_EQ(!marked, c.redone);
        }
        // The copies' folder is no photo of the folder.
        EXPECT_EQ(
            PhotoIndex::scan(folder).size(),
            static_cast<int>(QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot).size()));
    }
}

// What the loader decodes for a card: the copy when it is current and large
// enough, else the photo itself, so a bad copy never costs the photo.
TEST(SmallCopy, LoaderDecodesThePreparedCopy) {
    struct Case {
        const char* what;
        std::function<void(const QString& folder, const QString& copy)> change;
        QSize card;
        QColor seen;
        int fromCopies;
    };
    const QSize card(60, 80);
    const Case cases[] = {
        {"prepared copy", [](const QString&, const QString&) {}, card, kBlue, 1},
        // A copy of another colour under the copy's name: what is shown is the copy.
        {"marked copy",
         [](const QString&, const QString& copy) { put(copy, encodeJpeg(plain(300, 400, kRed))); },
         card, kRed, 1},
        {"damaged copy",
         [](const QString&, const QString& copy) {
             const std::string bytes = readBytes(QFile::encodeName(copy).toStdString());
             put(copy, bytes.substr(0, bytes.size() / 3));
         },
         card, kBlue, 0},
        {"copy removed", [](const QString&, const QString& copy) { QFile::remove(copy); }, card,
         kBlue, 0},
        {"photo replaced since",
         [](const QString& f, const QString&) {
             put(f + q("/1001.jpg"), encodeJpeg(plain(1200, 900, kGreen)));
         },
         card, kGreen, 0},
        {"card larger than the copies",
         [](const QString&, const QString& copy) { put(copy, encodeJpeg(plain(300, 400, kRed))); },
         kSmallCopyBound + QSize(3, 4), kBlue, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString folder = QString::fromStdString(dir.path());
        put(folder + q("/1001.jpg"), encodeJpeg(plain(1600, 1200, kBlue)));
        ASSERT_EQ(pass(folder).ready, 1);
        const QString copy =
            smallCopyFolder(folder) + q("/") + *currentSmallCopyName(folder, q("1001.jpg"));
        c.change(folder, copy);
        PhotoLoader loader(64u * 1024 * 1024, 1);
        loader.rescan(folder);
        const PhotoLoader::Photo photo = settled(loader, q("1001 刘伟"), c.card);
        ASSERT_EQ(photo.status, PhotoLoader::Status::Ready);
        ASSERT_EQ(photo.image.size(), c.card);
        EXPECT_TRUE(near(photo.image.pixelColor(c.card.width() / 2, c.card.height() / 2), c.seen))
            << photo.image.pixelColor(c.card.width() / 2, c.card.height() / 2).name().toStdString();
        EXPECT_EQ(loader.decodedFromCopies(), c.fromCopies);
    }
}

TEST(SmallCopyMaker, PreparesOnItsThreadAndANewStartReplacesThePass) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path());
    const std::string jpeg = encodeJpeg(plain(800, 600, kBlue));
    for (int i = 0; i < 6; ++i)
        put(folder + QStringLiteral("/%1.jpg").arg(1000 + i), jpeg);
    put(folder + q("/bad.jpg"), "no photo");
    SmallCopyMaker maker;
    maker.start(folder, PhotoIndex::scan(folder).files());
    EXPECT_TRUE(maker.progress().running);
    // The idle thread runs only when nothing else wants the processor: be
    // generous on a loaded machine.
    ASSERT_TRUE(maker.waitUntilIdle(120000));
    SmallCopyMaker::Progress done = maker.progress();
    EXPECT_FALSE(done.running);
    EXPECT_EQ(done.photos, 7);
    EXPECT_EQ(done.ready, 6);
    EXPECT_EQ(done.refused, 1);
    EXPECT_EQ(copyFiles(folder).size(), 6);

    // The folder without three photos: their copies go.
    for (int i = 0; i < 3; ++i)
        QFile::remove(folder + QStringLiteral("/%1.jpg").arg(1000 + i));
    maker.start(folder, PhotoIndex::scan(folder).files());
    ASSERT_TRUE(maker.waitUntilIdle(120000));
    done = maker.progress();
    EXPECT_EQ(done.ready, 3);
    EXPECT_EQ(copyFiles(folder).size(), 3);

    // Paused (a draw scrolls), a pass makes nothing until it goes on.
    for (int i = 0; i < 3; ++i)
        put(folder + QStringLiteral("/%1.jpg").arg(2000 + i), jpeg);
    maker.setPaused(true);
    maker.start(folder, PhotoIndex::scan(folder).files());
    EXPECT_FALSE(maker.waitUntilIdle(300));
    EXPECT_EQ(copyFiles(folder).size(), 3);
    EXPECT_TRUE(maker.progress().running);
    maker.setPaused(false);
    ASSERT_TRUE(maker.waitUntilIdle(120000));
    EXPECT_EQ(maker.progress().ready, 6);
    EXPECT_EQ(copyFiles(folder).size(), 6);

    // Stopped while paused, the pass ends at once.
    QFile::remove(folder + QStringLiteral("/2000.jpg"));
    put(folder + QStringLiteral("/3000.jpg"), jpeg);
    maker.setPaused(true);
    maker.start(folder, PhotoIndex::scan(folder).files());
    maker.stop();
    EXPECT_TRUE(maker.waitUntilIdle(120000));
    maker.setPaused(false);
    EXPECT_EQ(copyFiles(folder).size(), 6) << "nothing made or removed after the stop";
}
