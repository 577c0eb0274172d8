#include "ui/winnercards.h"

#include "photos/placeholder.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

constexpr int kSmallest = 6;
/// The most columns tried: far more than a screen of readable cards.
constexpr int kMaxColumns = 40;

int hGap(int width) {
    return std::max(4, width / 8);
}
int vGap(int width) {
    return std::max(4, width / 12);
}
int namePixels(int width, int maxPixelSize) {
    return std::clamp(width / 6, kSmallest, std::max(kSmallest, maxPixelSize));
}
/// About the line a name of this size takes (exact metrics come at the end).
int nameLine(int pixelSize) {
    return pixelSize * 4 / 3 + 2;
}

int rowsHeight(int rows, int width, int maxPixelSize) {
    const int card = width * 4 / 3 + nameLine(namePixels(width, maxPixelSize));
    return rows * card + (rows - 1) * vGap(width);
}

/// The widest card with which `count` cards in `columns` columns fit area.
int widestCard(int count, int columns, int maxPixelSize, const QRect& area) {
    const int rows = (count + columns - 1) / columns;
    // Columns and their gaps (an eighth of a card) across the width.
    int w = static_cast<int>(8.0 * area.width() / (9.0 * columns - 1));
    // Shrink until the rows fit the height too.
    if (rowsHeight(rows, w, maxPixelSize) > area.height()) {
        const double ratio = double(area.height()) / std::max(1, rowsHeight(rows, w, maxPixelSize));
        w = static_cast<int>(w * ratio);
        while (w > 1 && rowsHeight(rows, w, maxPixelSize) > area.height())
            --w;
    }
    return std::max(0, w);
}

int indicatorStrip(int pixelSize, const QFont& font) {
    QFont small = font;
    small.setPixelSize(std::max(10, static_cast<int>(std::lround(pixelSize * 0.55))));
    return QFontMetrics(small).lineSpacing();
}

} // namespace

CardGeometry cardGeometry(int width, QFont font, int maxPixelSize) {
    CardGeometry g;
    g.width = std::max(1, width);
    g.photoHeight = std::max(1, g.width * 4 / 3);
    g.namePixelSize = namePixels(g.width, maxPixelSize);
    font.setPixelSize(g.namePixelSize);
    g.nameHeight = QFontMetrics(font).lineSpacing() + 2;
    return g;
}

int cardFloorWidth(int screenHeight) {
    return std::max(12, static_cast<int>(std::ceil(screenHeight * 0.14 * 3 / 4)));
}

CardPages paginateCards(int count, QFont font, int maxPixelSize, int floorWidth,
                        const WinnersBounds& bounds) {
    CardPages out;
    if (count <= 0) return out;
    std::optional<QRect> below;
    std::vector<QRect> areas = winnersAreas(bounds, &below);
    if (below) areas.push_back(*below);
    // The room and column count that give the largest card.
    int bestWidth = 0, bestColumns = 1;
    QRect bestArea = winnersBand(bounds);
    for (const QRect& area : areas) {
        if (area.width() <= 0 || area.height() <= 0) continue;
        for (int c = 1; c <= std::min(count, kMaxColumns); ++c) {
            const int w = widestCard(count, c, maxPixelSize, area);
            if (w > bestWidth) {
                bestWidth = w;
                bestColumns = c;
                bestArea = area;
            }
        }
    }
    WinnersPages& p = out.pages;
    if (bestWidth >= floorWidth) {
        p.columns = bestColumns;
        p.rows = (count + bestColumns - 1) / bestColumns;
        // The estimate of the name's line is close; the exact metrics decide.
        auto height = [&](int w) {
            return p.rows * cardGeometry(w, font, maxPixelSize).height() + (p.rows - 1) * vGap(w);
        };
        while (bestWidth > 1 && height(bestWidth) > bestArea.height())
            --bestWidth;
        out.card = cardGeometry(bestWidth, font, maxPixelSize);
        p.pageCount = 1;
        p.area = bestArea;
    } else {
        // Pages at the floor in the largest room, the page indicator under them.
        QRect room = winnersBand(bounds);
        for (const QRect& area : areas)
            if (area.width() * area.height() > room.width() * room.height()) room = area;
        out.card = cardGeometry(floorWidth, font, maxPixelSize);
        const int strip = indicatorStrip(out.card.namePixelSize, font);
        const int gap = hGap(floorWidth), vgap = vGap(floorWidth);
        p.columns = std::max(1, (room.width() + gap) / (floorWidth + gap));
        p.rows = std::max(1, (room.height() - strip + vgap) / (out.card.height() + vgap));
        p.pageCount = (count + p.perPage() - 1) / p.perPage();
        p.area = room;
        p.indicatorPixelSize =
            std::max(10, static_cast<int>(std::lround(out.card.namePixelSize * 0.55)));
        const int used = std::min(room.height(), p.rows * (out.card.height() + vgap));
        p.indicator = QRect(room.left(), room.top() + used, room.width(), strip);
    }
    p.pixelSize = out.card.namePixelSize;
    p.columnWidth = out.card.width;
    p.gap = hGap(out.card.width);
    p.lineHeight = out.card.height() + vGap(out.card.width);
    return out;
}

WinnersBlock layoutCardsPage(const std::vector<QString>& names, const CardPages& cards, int page,
                             const WinnersBounds& bounds) {
    WinnersBlock out;
    const WinnersPages& p = cards.pages;
    const auto [first, count] = pageRange(p, static_cast<int>(names.size()), page);
    if (count <= 0) return out;
    const int cols = std::min(std::max(1, p.columns), count);
    const int width = cols * p.columnWidth + (cols - 1) * p.gap;
    int left = bounds.centreX - width / 2;
    left = std::max(p.area.left(), std::min(left, p.area.right() + 1 - width));
    const int lines = (count + cols - 1) / cols;
    out.pixelSize = p.pixelSize;
    out.block = QRect(left, p.area.top(), width,
                      lines * p.lineHeight - (p.lineHeight - cards.card.height()));
    for (int i = 0; i < count; ++i) {
        const int row = i / cols;
        // The last row's cards are centred under the others.
        const int inRow = std::min(cols, count - row * cols);
        const int rowLeft = left + (width - (inRow * p.columnWidth + (inRow - 1) * p.gap)) / 2;
        out.cells.emplace_back(rowLeft + (i % cols) * (p.columnWidth + p.gap),
                               p.area.top() + row * p.lineHeight, p.columnWidth,
                               cards.card.height());
        out.texts.push_back(names[static_cast<std::size_t>(first + i)]);
    }
    return out;
}

void paintCard(QPainter& painter, const QRect& cell, const CardGeometry& card, const QString& name,
               const QString& entry, const QImage& photo, const QColor& ink, QFont font) {
    const QRect photoRect = card.photo(cell);
    if (photo.isNull())
        paintPlaceholder(painter, photoRect, entry, ink);
    else
        painter.drawImage(photoRect, photo);
    font.setPixelSize(card.namePixelSize);
    painter.setFont(font);
    painter.setPen(ink);
    // Within the cell: the view shows nothing outside its cells.
    const QRect nameRect(cell.left(), photoRect.bottom() + 1, cell.width(), card.nameHeight);
    const QString shown = QFontMetrics(font).elidedText(name, Qt::ElideRight, nameRect.width());
    painter.drawText(nameRect, Qt::AlignHCenter | Qt::AlignVCenter, shown);
}

} // namespace luckdial
