#pragma once
// Advances of texts in one font, remembered. The scroll of a large draw shows
// the same entries of the pool again and again, and shaping a thousand names
// every frame would take most of the scroll period.

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

#include <cstddef>
#include <optional>

namespace luckdial {

class TextWidths {
public:
    /// Texts longer than this are measured each time and never held.
    static constexpr qsizetype kLongestHeld = 256;
    /// At most this many advances are held; then they are forgotten at once.
    static constexpr qsizetype kMostHeld = 65536;

    /// The font the advances are of; a different one forgets those held.
    void setFont(const QFont& font);
    /// The advance of text in the font, as QFontMetrics::horizontalAdvance.
    int advance(const QString& text);
    /// How many advances are held.
    qsizetype held() const { return widths_.size(); }

private:
    QFont font_;
    std::optional<QFontMetrics> metrics_;
    QHash<QString, int> widths_;
};

} // namespace luckdial
