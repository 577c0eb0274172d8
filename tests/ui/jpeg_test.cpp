#include "ui/jpeg.h"
#include "ui/jpegtools.h"
#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <random>

using namespace luckdial;
using luckdial::testing::encodeCmykJpeg;
using luckdial::testing::encodeFullPrecisionProgressiveJpeg;
using luckdial::testing::encodeJpeg;
using luckdial::testing::repeatLastScan;
using luckdial::testing::scanCount;
using luckdial::testing::testPicture;

namespace {

bool near(QColor a, QColor b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(DecodeJpeg, DecodesColourGreyProgressiveAndCmyk) {
    const QImage picture = testPicture(90, 40);
    const QImage rgb = decodeJpeg(encodeJpeg(picture));
    ASSERT_FALSE(rgb.isNull());
    EXPECT_EQ(rgb.size(), QSize(90, 40));
    EXPECT_TRUE(near(rgb.pixelColor(10, 20), QColor(220, 20, 20)));
    EXPECT_TRUE(near(rgb.pixelColor(45, 20), QColor(20, 200, 20)));
    EXPECT_TRUE(near(rgb.pixelColor(80, 20), QColor(20, 20, 220)));

    const QImage grey = decodeJpeg(encodeJpeg(picture, true));
    ASSERT_FALSE(grey.isNull());
    const QColor g = grey.pixelColor(45, 20);
    EXPECT_EQ(g.red(), g.green());
    EXPECT_EQ(g.green(), g.blue());
    EXPECT_TRUE(near(g, QColor(127, 127, 127), 20));

    const QImage progressive = decodeJpeg(encodeJpeg(picture, false, true));
    ASSERT_FALSE(progressive.isNull());
    EXPECT_TRUE(near(progressive.pixelColor(80, 20), QColor(20, 20, 220)));

    // Magenta ink only: red and blue light stay, green is absorbed.
    const QImage cmyk = decodeJpeg(encodeCmykJpeg(16, 16, 0, 255, 0, 0));
    ASSERT_FALSE(cmyk.isNull());
    EXPECT_TRUE(near(cmyk.pixelColor(8, 8), QColor(255, 0, 255)));
    // Full black ink.
    const QImage black = decodeJpeg(encodeCmykJpeg(16, 16, 0, 0, 0, 255));
    ASSERT_FALSE(black.isNull());
    EXPECT_TRUE(near(black.pixelColor(8, 8), QColor(0, 0, 0)));
}

TEST(DecodeJpeg, TruncatedDataGivesNoPicture) {
    const std::string whole = encodeJpeg(testPicture(120, 80));
    ASSERT_FALSE(decodeJpeg(whole).isNull());
    for (double share : {0.0, 0.01, 0.1, 0.3, 0.5, 0.75, 0.9, 0.97}) {
        const std::string cut = whole.substr(0, static_cast<std::size_t>(whole.size() * share));
        EXPECT_TRUE(decodeJpeg(cut).isNull()) << "kept " << cut.size() << " of " << whole.size();
    }
}

TEST(DecodeJpeg, NonJpegAndRandomBytesGiveNoPicture) {
    EXPECT_TRUE(decodeJpeg("").isNull());
    EXPECT_TRUE(decodeJpeg("\xFF\xD8").isNull());
    EXPECT_TRUE(decodeJpeg("GIF89a not a jpeg at all").isNull());
    EXPECT_TRUE(decodeJpeg(std::string(5000, '\0')).isNull());
    std::mt19937 rng(20240613);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 300; ++i) {
        std::string junk(static_cast<std::size_t>(16 + i * 7), '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(rng));
        // Half of them start like a JPEG file to get past the first check.
        if (i % 2 == 0) junk.replace(0, 4, "\xFF\xD8\xFF\xE0", 4);
        EXPECT_TRUE(decodeJpeg(junk).isNull()) << "sample " << i;
    }
}

TEST(DecodeJpeg, DamagedDataNeverCrashes) {
    const std::string whole = encodeJpeg(testPicture(64, 64));
    std::mt19937 rng(7);
    int refused = 0;
    for (int i = 0; i < 300; ++i) {
        std::string bad = whole;
        std::uniform_int_distribution<std::size_t> pos(2, bad.size() - 1);
        for (int k = 0; k < 1 + i % 8; ++k)
            bad[pos(rng)] = static_cast<char>(rng() & 0xFF);
        const QImage img = decodeJpeg(bad);
        // Either refused or a picture of a sane size, never a crash.
        if (img.isNull())
            ++refused;
        else
            EXPECT_LE(static_cast<long long>(img.width()) * img.height(), 80LL * 1000 * 1000);
    }
    EXPECT_GT(refused, 0);
}

TEST(DecodeJpeg, HugeDeclaredSizeIsRefusedWithoutAllocating) {
    std::string bytes = encodeJpeg(testPicture(32, 32));
    // Patch the frame header (FF C0: length, precision, height, width) to 60000 x 60000.
    const std::size_t sof = bytes.find("\xFF\xC0", 2);
    ASSERT_NE(sof, std::string::npos);
    for (std::size_t at : {sof + 5, sof + 7}) {
        bytes[at] = static_cast<char>(0xEA);
        bytes[at + 1] = static_cast<char>(0x60);
    }
    EXPECT_TRUE(decodeJpeg(bytes).isNull());
}

TEST(DecodeJpeg, ProgressivePicturesOfUsualScanCountsDecode) {
    const QImage picture = testPicture(96, 48);
    const std::string simple = encodeJpeg(picture, false, true);
    EXPECT_EQ(scanCount(simple), 10);
    const QImage a = decodeJpeg(simple);
    ASSERT_FALSE(a.isNull());
    EXPECT_TRUE(near(a.pixelColor(10, 24), QColor(220, 20, 20)));

    const std::string spectral = encodeFullPrecisionProgressiveJpeg(picture);
    EXPECT_EQ(scanCount(spectral), 4);
    const QImage b = decodeJpeg(spectral);
    ASSERT_FALSE(b.isNull());
    EXPECT_TRUE(near(b.pixelColor(85, 24), QColor(20, 20, 220)));
}

TEST(DecodeJpeg, ARepeatedRefinementScanIsRefused) {
    // The last scan of the simple progression refines the lowest bit; a copy
    // of it refines a bit that is already complete (a warning to libjpeg).
    const std::string simple = encodeJpeg(testPicture(64, 64), false, true);
    for (int times : {1, 3, 500}) {
        const std::string crafted = repeatLastScan(simple, times);
        EXPECT_EQ(scanCount(crafted), 10 + times);
        EXPECT_TRUE(decodeJpeg(crafted).isNull()) << times;
    }
}

TEST(DecodeJpeg, MoreScansThanTheLimitAreRefused) {
    // Copies of a full-precision scan raise no warning at all: only the
    // count tells them from a real picture.
    const std::string spectral = encodeFullPrecisionProgressiveJpeg(testPicture(64, 64));
    const std::string atLimit = repeatLastScan(spectral, kMaxJpegScans - 4);
    ASSERT_EQ(scanCount(atLimit), kMaxJpegScans);
    const QImage kept = decodeJpeg(atLimit);
    ASSERT_FALSE(kept.isNull());
    EXPECT_TRUE(near(kept.pixelColor(5, 30), QColor(220, 20, 20)));

    const std::string beyond = repeatLastScan(spectral, kMaxJpegScans - 3);
    ASSERT_EQ(scanCount(beyond), kMaxJpegScans + 1);
    EXPECT_TRUE(decodeJpeg(beyond).isNull());
    EXPECT_TRUE(decodeJpeg(repeatLastScan(spectral, 2000)).isNull());
}
