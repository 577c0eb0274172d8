#include "photos/placeholder.h"

#include <QFont>

#include <algorithm>

namespace luckdial {

QString placeholderLetter(const QString& entry) {
    const QString trimmed = entry.trimmed();
    if (trimmed.isEmpty()) return {};
    qsizetype start = trimmed.size();
    while (start > 0 && !trimmed[start - 1].isSpace() && trimmed[start - 1] != QChar(0x3000))
        --start;
    // A surrogate pair is one character.
    const int length = trimmed[start].isHighSurrogate() && start + 1 < trimmed.size() ? 2 : 1;
    return trimmed.mid(start, length);
}

void paintPlaceholder(QPainter& painter, const QRect& area, const QString& entry,
                      const QColor& ink) {
    if (area.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor wash = ink;
    wash.setAlpha(40);
    painter.fillRect(area, wash);
    const int diameter = std::max(2, std::min(area.width(), area.height()) * 7 / 10);
    const QRect circle(area.center().x() - diameter / 2, area.center().y() - diameter / 2, diameter,
                       diameter);
    QColor ring = ink;
    ring.setAlpha(150);
    painter.setPen(QPen(ring, std::max(1, diameter / 24)));
    QColor disc = ink;
    disc.setAlpha(60);
    painter.setBrush(disc);
    painter.drawEllipse(circle);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, diameter / 2));
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(circle, Qt::AlignCenter, placeholderLetter(entry));
    painter.restore();
}

} // namespace luckdial
