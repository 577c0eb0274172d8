#pragma once
// What a card shows while its photo is not ready, and for good when there
// is none: the name's first character in a quiet circle.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

namespace luckdial {

/// The character the placeholder shows: the first of the entry's last word
/// ("刘" for "1001 刘伟"), so a staff number does not hide the person.
QString placeholderLetter(const QString& entry);

/// Paints the placeholder into `area` in the ink colour, over what is there.
void paintPlaceholder(QPainter& painter, const QRect& area, const QString& entry,
                      const QColor& ink);

} // namespace luckdial
