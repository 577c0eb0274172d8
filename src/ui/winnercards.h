#pragma once
// Winners shown as cards: the photo (3:4) above the name. The layout gives
// each card as much room as the draw leaves, never less than a readable
// floor; a draw with more cards than fit at the floor goes to pages, in the
// same WinnersPages shape the names' pages use (a "line" is a row of cards).
// Pure layout over fonts and rectangles, tested without a window.

#include "ui/winnerspages.h"
#include "ui/winnersview.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <vector>

namespace luckdial {

/// The parts of one card.
struct CardGeometry {
    int width = 0;         ///< of the card and its photo
    int photoHeight = 0;   ///< 4/3 of the width
    int nameHeight = 0;    ///< the name's line under the photo
    int namePixelSize = 0; ///< the name's character height
    int height() const { return photoHeight + nameHeight; }
    QRect photo(const QRect& cell) const { return {cell.left(), cell.top(), width, photoHeight}; }
};

/// A card `width` wide with names of font at most maxPixelSize.
CardGeometry cardGeometry(int width, QFont font, int maxPixelSize);

/// The narrowest card a hall reads on a screen this high: its photo is
/// 14% of the height.
int cardFloorWidth(int screenHeight);

/// Cards of a draw: the geometry and the pages (pageCount 1 when every card
/// fits at or above the floor). columnWidth is the card's width, lineHeight
/// a row of cards with the space under it.
struct CardPages {
    CardGeometry card;
    WinnersPages pages;
};

/// Lays `count` cards out in the room of bounds with the column count that
/// gives the largest cards.
CardPages paginateCards(int count, QFont font, int maxPixelSize, int floorWidth,
                        const WinnersBounds& bounds);

/// The block of one page (0-based): one cell per card, whole rows centred.
WinnersBlock layoutCardsPage(const std::vector<QString>& names, const CardPages& cards, int page,
                             const WinnersBounds& bounds);

/// Paints one card: the photo, or the placeholder when `photo` is null,
/// and the name under it in the ink colour with `font`.
void paintCard(QPainter& painter, const QRect& cell, const CardGeometry& card, const QString& name,
               const QString& entry, const QImage& photo, const QColor& ink, QFont font);

} // namespace luckdial
