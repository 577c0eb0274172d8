#include "ui/shapednames.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextLine>
#include <QTextOption>

namespace luckdial {

void ShapedNames::setFont(const QFont& font) {
    // Pixel size is compared on its own, as for the remembered widths.
    if (fontSet_ && font == font_ && font.pixelSize() == font_.pixelSize()) return;
    font_ = font;
    fontSet_ = true;
    // The raster engine keeps glyphs below 64 pixels in its cache.
    constexpr int kLargestCachedGlyph = 63;
    runs_ = font.pixelSize() > 0 && font.pixelSize() <= kLargestCachedGlyph && !font.underline() &&
            !font.strikeOut() && !font.overline();
    shaped_.clear();
}

ShapedNames::Shaped ShapedNames::shape(const QString& text) const {
    // One line, unwrapped, left to right from the origin: what drawText
    // at a point lays out.
    QTextLayout layout(text, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setPosition(QPointF(0, 0));
    // The line takes the whole text when the layout ends.
    layout.endLayout();
    Shaped shaped;
    if (line.isValid()) shaped.ascent = line.ascent();
    shaped.runs = layout.glyphRuns();
    return shaped;
}

void ShapedNames::draw(QPainter& painter, const QPointF& baseline, const QString& text) {
    if (!runs_ || text.size() > kLongestHeld) {
        painter.drawText(baseline, text);
        return;
    }
    auto found = shaped_.constFind(text);
    if (found == shaped_.constEnd()) {
        if (shaped_.size() >= kMostHeld) shaped_.clear();
        found = shaped_.insert(text, shape(text));
    }
    const QPointF top(baseline.x(), baseline.y() - found->ascent);
    for (const QGlyphRun& run : found->runs)
        painter.drawGlyphRun(top, run);
}

} // namespace luckdial
