// Remembered advances: always what the font's metrics say, forgotten when the
// font changes, bounded in what they hold.

#include "ui/textwidths.h"
#include "ui/widgets.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

struct WidthCase {
    const char* name;
    const char* family;
    int pixelSize;
    bool bold;
};

class TextWidthsRule : public ::testing::TestWithParam<WidthCase> {};

TEST_P(TextWidthsRule, AdvancesAreTheMetricsOnesBeforeAndAfterAFontChange) {
    const WidthCase c = GetParam();
    QFont font = toQFont(designFont(c.family, c.pixelSize, c.bold));
    font.setPixelSize(c.pixelSize);
    const std::vector<QString> texts{QStringLiteral("13800138000"),
                                     QString::fromUtf8("张三丰"),
                                     QStringLiteral("W"),
                                     QString(),
                                     QString(300, QLatin1Char('m')),
                                     QString::fromUtf8("1207 张三")};
    TextWidths widths;
    widths.setFont(font);
    for (int round = 0; round < 2; ++round) {
        for (const QString& text : texts)
            EXPECT_EQ(widths.advance(text), QFontMetrics(font).horizontalAdvance(text))
                << round << " " << text.left(20).toStdString();
    }
    // The long text is measured, not held.
    EXPECT_EQ(widths.held(), static_cast<qsizetype>(texts.size() - 1));

    // Twice the size: nothing of the old size may be answered.
    QFont larger = font;
    larger.setPixelSize(c.pixelSize * 2);
    widths.setFont(larger);
    EXPECT_EQ(widths.held(), 0);
    for (const QString& text : texts)
        EXPECT_EQ(widths.advance(text), QFontMetrics(larger).horizontalAdvance(text));
    // The same font again keeps what is held.
    widths.setFont(larger);
    EXPECT_EQ(widths.held(), static_cast<qsizetype>(texts.size() - 1));
}

INSTANTIATE_TEST_SUITE_P(Fonts, TextWidthsRule,
                         ::testing::Values(WidthCase{"SongBold33", "宋体", 33, true},
                                           WidthCase{"Song12", "宋体", 12, false},
                                           WidthCase{"HeiBold65", "黑体", 65, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextWidths, HoldsAtMostItsBoundAndStaysRight) {
    QFont font = toQFont(designFont("宋体", 20, false));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    TextWidths widths;
    widths.setFont(font);
    for (qsizetype i = 0; i < TextWidths::kMostHeld + 10; ++i)
        (void)widths.advance(QString::number(i));
    EXPECT_LE(widths.held(), TextWidths::kMostHeld);
    EXPECT_GT(widths.held(), 0);
    EXPECT_EQ(widths.advance(QStringLiteral("1")), metrics.horizontalAdvance(QStringLiteral("1")));
}

} // namespace
