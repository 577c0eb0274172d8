#pragma once
// Names shaped once and drawn as glyph runs. A scroll frame of a large draw
// draws hundreds of names, mostly the same entries of the pool again and
// again; shaping each of them anew in every frame is a good part of the
// frame's time, drawing the glyphs already shaped is not.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

class QPainter;

namespace luckdial {

class ShapedNames {
public:
    /// Texts longer than this are drawn as text each time and never held.
    static constexpr qsizetype kLongestHeld = 256;
    /// At most this many names are held; then they are forgotten at once.
    static constexpr qsizetype kMostHeld = 8192;

    /// The font the names are shaped in; a different one forgets those held.
    void setFont(const QFont& font);
    /// Draws text as QPainter::drawText(baseline, text) does in the font,
    /// with the painter's pen. Glyphs too large for the raster engine's glyph
    /// cache are outlines filled one by one, which a glyph run places a
    /// fraction of a pixel otherwise than drawText; underlines and strike-outs
    /// too: those fonts are drawn as text.
    void draw(QPainter& painter, const QPointF& baseline, const QString& text);
    /// The font's names are drawn from the runs held (not as text).
    bool drawsRuns() const { return runs_; }
    /// How many names are held.
    qsizetype held() const { return shaped_.size(); }

private:
    struct Shaped {
        QList<QGlyphRun> runs;
        qreal ascent = 0; ///< the runs' positions are below the line's top by this
    };
    Shaped shape(const QString& text) const;

    QFont font_;
    bool fontSet_ = false;
    bool runs_ = false;
    QHash<QString, Shaped> shaped_;
};

} // namespace luckdial
