#include "photos/jpeg.h"
#include "photos/photodecode.h"
#include "photos/photofiles.h"
#include "ui/jpegtools.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>

using namespace luckdial;
using luckdial::testing::encodeJpeg;
using luckdial::testing::jpegClaiming;
using luckdial::testing::pngClaiming;
using luckdial::testing::pngOf;
using luckdial::testing::repeatLastScan;

namespace {

bool near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

/// Three vertical bands: red, green, blue.
QImage bands(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 3, height, QColor(220, 20, 20));
    p.fillRect(width / 3, 0, width - 2 * (width / 3), height, QColor(20, 200, 20));
    p.fillRect(width - width / 3, 0, width / 3, height, QColor(20, 20, 220));
    return image;
}

/// A tall picture: a red strip on top, white down to `mark`, blue below it.
QImage tall(int width, int height, int mark) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width, height, QColor(20, 20, 220));
    p.fillRect(0, 0, width, mark, Qt::white);
    p.fillRect(0, 0, width, 8, QColor(220, 20, 20));
    return image;
}

} // namespace

TEST(PortraitCrop, KeepsThreeByFourCentredOrNearTheTop) {
    struct Case {
        QSize image;
        QRect crop;
    };
    const Case cases[] = {
        {{4000, 3000}, {875, 0, 2250, 3000}}, // landscape phone photo: the middle
        {{3000, 4000}, {0, 0, 3000, 4000}},   // already 3:4
        {{300, 1000}, {0, 120, 300, 400}},    // tall: a fifth of the 600 spare lines above
        {{3, 4}, {0, 0, 3, 4}},
        {{1, 1}, {0, 0, 1, 1}}, // never narrower than a pixel
        {{1000, 10}, {496, 0, 7, 10}},
        {{0, 100}, {}},
        {{100, -1}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(portraitCrop(c.image), c.crop) << c.image.width() << "x" << c.image.height();
}

TEST(JpegScale, TakesTheLargestReductionThatStillCovers) {
    struct Case {
        QSize full, atLeast;
        int denominator;
    };
    const Case cases[] = {
        {{4000, 3000}, {500, 375}, 8},   {{4000, 3000}, {501, 375}, 4},
        {{4000, 3000}, {1000, 750}, 4},  {{4000, 3000}, {1001, 10}, 2},
        {{4000, 3000}, {4000, 3000}, 1}, {{4001, 3001}, {501, 376}, 8}, // rounded up
        {{10, 10}, {1, 1}, 8},           {{100, 100}, {200, 200}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jpegScaleDenominator(c.full, c.atLeast), c.denominator)
            << c.full.width() << " " << c.atLeast.width();
}

TEST(DecodePhoto, CropsAndScalesToTheCardSize) {
    const QSize card = photoSize(90);
    ASSERT_EQ(card, QSize(90, 120));
    struct Case {
        const char* what;
        std::string bytes;
        QPoint probe;
        QColor expected;
    };
    const QImage wide = bands(1200, 400); // its crop lies inside the middle band
    const QImage high = tall(300, 1000, 160);
    const Case cases[] = {
        // The crop of the wide picture is its middle band: green at both edges.
        {"wide JPEG, left edge", encodeJpeg(wide), {3, 60}, QColor(20, 200, 20)},
        {"wide JPEG, right edge", encodeJpeg(wide), {86, 60}, QColor(20, 200, 20)},
        {"wide PNG", pngOf(wide), {3, 60}, QColor(20, 200, 20)},
        // The crop of the tall picture starts at line 120: below the red strip,
        // white until line 160 (a tenth of the card), then blue.
        {"tall JPEG, top", encodeJpeg(high), {45, 2}, Qt::white},
        {"tall JPEG, below", encodeJpeg(high), {45, 60}, QColor(20, 20, 220)},
        {"progressive JPEG", encodeJpeg(wide, false, true), {45, 60}, QColor(20, 200, 20)},
        {"greyscale JPEG", encodeJpeg(high, true), {45, 60}, QColor(44, 44, 44)},
    };
    for (const Case& c : cases) {
        const QImage photo = decodePhoto(c.bytes, card);
        ASSERT_FALSE(photo.isNull()) << c.what;
        EXPECT_EQ(photo.size(), card) << c.what;
        EXPECT_TRUE(near(photo.pixelColor(c.probe), c.expected))
            << c.what << ": " << photo.pixelColor(c.probe).name().toStdString();
    }
}

TEST(DecodePhoto, ScaledDecodingMatchesTheFullDecode) {
    // A picture decoded at 1/8 and one decoded whole then scaled look alike.
    const std::string jpeg = encodeJpeg(bands(2400, 1800));
    const QImage small = decodeJpeg(jpeg, [](QSize) { return 8; });
    ASSERT_EQ(small.size(), QSize(300, 225));
    const QImage photo = decodePhoto(jpeg, photoSize(120));
    ASSERT_EQ(photo.size(), QSize(120, 160));
    EXPECT_TRUE(near(photo.pixelColor(60, 80), QColor(20, 200, 20)));
    EXPECT_TRUE(decodeJpeg(jpeg, [](QSize) { return 0; }).isNull()); // refused up front
}

TEST(DecodePhoto, HostileFilesGiveNoPicture) {
    const std::string good = encodeJpeg(bands(300, 400));
    const std::string goodPng = pngOf(bands(300, 400));
    const std::string progressive = encodeJpeg(bands(300, 400), false, true);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not an image", "GIF89a definitely not a photo"},
        {"text called .jpg", "1001,刘伟\n"},
        {"JPEG magic only", "\xFF\xD8\xFF"},
        {"truncated JPEG", good.substr(0, good.size() / 2)},
        {"JPEG claiming 30000x30000", jpegClaiming(good, 30000, 30000)},
        {"JPEG claiming 9000x8000", jpegClaiming(good, 9000, 8000)},
        {"progressive scan bomb", repeatLastScan(progressive, 300)},
        {"truncated PNG", goodPng.substr(0, goodPng.size() / 2)},
        {"PNG bomb 30000x30000", pngClaiming(30000, 30000)},
        {"PNG 9000x9000", pngClaiming(9000, 9000)},
        {"PNG claiming zero width", pngClaiming(0, 10)},
    };
    ASSERT_FALSE(decodePhoto(good, QSize(30, 40)).isNull());
    ASSERT_FALSE(decodePhoto(goodPng, QSize(30, 40)).isNull());
    for (const Case& c : cases) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(decodePhoto(c.bytes, QSize(30, 40)).isNull()) << c.what;
        // Refused quickly, not after a long decode (generous for a loaded machine).
        EXPECT_LT(timer.elapsed(), 3000) << c.what;
    }
    EXPECT_TRUE(decodePhoto(good, QSize()).isNull());
}
