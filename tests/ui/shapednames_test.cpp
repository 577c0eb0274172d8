// Names drawn from the glyphs shaped once are the pixels drawText gives, in
// the fonts the hall uses, and the cache forgets at a font change and stays
// within its bound.

#include "ui/mainwindow.h"
#include "ui/shapednames.h"
#include "ui/widgets.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

struct ShapeCase {
    const char* name;
    const char* family;
    int pixelSize;
    bool bold;
    bool italic;
    bool lines = false; ///< underlined and struck out
    bool runs = true;   ///< drawn from glyph runs (otherwise as text)
};

class ShapedNamesRule : public ::testing::TestWithParam<ShapeCase> {};

QFont fontOf(const ShapeCase& c) {
    FontValue value = designFont(c.family, c.pixelSize, c.bold);
    value.italic = c.italic;
    value.underline = c.lines;
    value.strikeOut = c.lines;
    QFont font = toQFont(value);
    font.setPixelSize(c.pixelSize);
    return font;
}

/// texts drawn one under the other on a picture, as drawText or from the cache.
QImage drawn(const QFont& font, const std::vector<QString>& texts, ShapedNames* shaped) {
    const int line = font.pixelSize() * 2;
    QImage img(font.pixelSize() * 24, line * static_cast<int>(texts.size() + 1),
               QImage::Format_RGB32);
    img.fill(QColor(20, 40, 90));
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    if (shaped) shaped->setFont(font);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // A fraction of a pixel, as a centred cell may give.
        const QPointF at(3.5 + static_cast<double>(i % 3) / 3, line * static_cast<double>(i + 1));
        if (shaped)
            shaped->draw(p, at, texts[i]);
        else
            p.drawText(at, texts[i]);
    }
    return img;
}

TEST_P(ShapedNamesRule, DrawsThePixelsOfDrawText) {
    const ShapeCase c = GetParam();
    // The faces the hall asks for stand for the fonts the window installs.
    MainWindow window;
    const QFont font = fontOf(c);
    const std::vector<QString> texts{QStringLiteral("13800138000"),
                                     QString::fromUtf8("张三丰"),
                                     QString::fromUtf8("欧阳 晓明"),
                                     QStringLiteral("AVATAR Wolf"),
                                     QString::fromUtf8("1207 张三 (销售部)"),
                                     QString::fromUtf8("第 2/7 页"),
                                     QString()};
    ShapedNames shaped;
    // Once before: the font's first use may load its glyphs otherwise.
    (void)drawn(font, texts, nullptr);
    const QImage expected = drawn(font, texts, nullptr);
    // Twice: shaped the first time, from what is held the second.
    for (int round = 0; round < 2; ++round) {
        const QImage got = drawn(font, texts, &shaped);
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                differing += got.pixel(x, y) != expected.pixel(x, y);
        EXPECT_EQ(differing, 0) << "round " << round;
    }
    EXPECT_EQ(shaped.drawsRuns(), c.runs);
    EXPECT_EQ(shaped.held(), c.runs ? static_cast<qsizetype>(texts.size()) : 0);
}

INSTANTIATE_TEST_SUITE_P(
    HallFonts, ShapedNamesRule,
    ::testing::Values(ShapeCase{"design", "宋体", 37, true, false},
                      ShapeCase{"floor1080", "宋体", 33, true, false},
                      ShapeCase{"cached", "宋体", 63, true, false},
                      ShapeCase{"floor2160", "宋体", 65, true, false, false, false},
                      ShapeCase{"round", "幼圆", 27, true, false},
                      ShapeCase{"italic", "宋体", 24, false, true},
                      ShapeCase{"lines", "宋体", 37, true, false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShapedNames, ForgetsAtAFontChangeAndStaysWithinItsBound) {
    QImage img(64, 64, QImage::Format_RGB32);
    QPainter p(&img);
    QFont font = toQFont(designFont("宋体", 20, true));
    font.setPixelSize(20);
    ShapedNames shaped;
    shaped.setFont(font);
    shaped.draw(p, {0, 20}, QStringLiteral("1"));
    shaped.draw(p, {0, 20}, QStringLiteral("1"));
    EXPECT_EQ(shaped.held(), 1);
    shaped.setFont(font);
    EXPECT_EQ(shaped.held(), 1);
    font.setPixelSize(21);
    shaped.setFont(font);
    EXPECT_EQ(shaped.held(), 0);
    for (int i = 0; i <= ShapedNames::kMostHeld; ++i)
        shaped.draw(p, {0, 20}, QString::number(i));
    EXPECT_LE(shaped.held(), ShapedNames::kMostHeld);
    EXPECT_GT(shaped.held(), 0);
    shaped.draw(p, {0, 20}, QString(ShapedNames::kLongestHeld + 1, QLatin1Char('m')));
    EXPECT_LE(shaped.held(), ShapedNames::kMostHeld);
}

} // namespace
