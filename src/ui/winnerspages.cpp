#include "ui/winnerspages.h"

#include "ui/winnersview.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

/// Space kept between the names and the picture, the bottom row and the edges.
constexpr int kMargin = 8;
/// A name that does not fit the room's width even this small is cut after all.
constexpr int kSmallest = 6;
const QString kSeparator = QStringLiteral("    ");

int widest(const std::vector<QString>& names, const QFontMetrics& metrics) {
    int w = 0;
    for (const QString& name : names)
        w = std::max(w, metrics.horizontalAdvance(name));
    return w;
}

/// The indicator is quiet: a little over half the names' size.
int indicatorSize(int pixelSize) {
    return std::max(10, static_cast<int>(std::lround(pixelSize * 0.55)));
}

/// The pages' shape in one room at the floor (or below it, for a name wider
/// than the room).
/// widestAtSize: the widest name's advance at size, measured once for every
/// room (shaping a thousand names is most of a large frame's time).
WinnersPages shapeIn(const std::vector<QString>& names, int columns, QFont font, int size,
                     int widestAtSize, const QRect& area) {
    WinnersPages pages;
    for (;; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        const int w = widestAtSize >= 0 ? widestAtSize : widest(names, metrics);
        widestAtSize = -1;
        if (w > area.width() && size > kSmallest) continue;
        pages.pixelSize = size;
        pages.columnWidth = w;
        pages.gap = metrics.horizontalAdvance(kSeparator);
        pages.lineHeight = std::max(1, metrics.lineSpacing());
        break;
    }
    QFont small = font;
    pages.indicatorPixelSize = indicatorSize(pages.pixelSize);
    small.setPixelSize(pages.indicatorPixelSize);
    const int strip = QFontMetrics(small).lineSpacing();
    const int fit = (area.width() + pages.gap) / std::max(1, pages.columnWidth + pages.gap);
    pages.columns = std::clamp(fit, 1, std::max(1, columns));
    pages.rows = std::max(1, (area.height() - strip) / pages.lineHeight);
    pages.area = area;
    pages.indicator =
        QRect(area.left(), area.top() + pages.rows * pages.lineHeight, area.width(), strip);
    return pages;
}

} // namespace

int readableFloor(int screenHeight) {
    return std::max(kSmallest, static_cast<int>(std::ceil(screenHeight * 0.03)));
}

QRect winnersBand(const WinnersBounds& bounds) {
    const QRect window = bounds.window.adjusted(kMargin, 0, -kMargin, 0);
    const int bottom = std::min(bounds.bottom, window.bottom() + 1);
    return QRect(QPoint(window.left(), bounds.top), QPoint(window.right(), bottom - 1));
}

std::vector<QRect> winnersAreas(const WinnersBounds& bounds, std::optional<QRect>* below) {
    const QRect band = winnersBand(bounds);
    std::vector<QRect> areas;
    if (below) below->reset();
    if (bounds.obstacle && bounds.obstacle->intersects(band)) {
        const QRect& o = *bounds.obstacle;
        if (o.top() > band.top())
            areas.emplace_back(band.left(), band.top(), band.width(), o.top() - band.top());
        const QRect left(QPoint(band.left(), band.top()), QPoint(o.left() - 1, band.bottom()));
        const QRect right(QPoint(o.right() + 1, band.top()), QPoint(band.right(), band.bottom()));
        // The side the block would be centred on comes first.
        if (bounds.centreX <= o.center().x()) {
            areas.push_back(left);
            areas.push_back(right);
        } else {
            areas.push_back(right);
            areas.push_back(left);
        }
        if (below && o.bottom() < band.bottom())
            *below = QRect(QPoint(band.left(), o.bottom() + 1), band.bottomRight());
    } else {
        areas.push_back(band);
    }
    return areas;
}

WinnersPages paginateWinners(const std::vector<QString>& names, int columns, QFont font,
                             int floorPixelSize, const WinnersBounds& bounds,
                             std::optional<int> widestAtFloor) {
    WinnersPages best;
    if (names.empty()) return best;
    const int size = std::max(kSmallest, floorPixelSize);
    if (!widestAtFloor) {
        font.setPixelSize(size);
        widestAtFloor = widest(names, QFontMetrics(font));
    }
    const int w = std::max(0, *widestAtFloor);
    std::optional<QRect> below;
    const std::vector<QRect> areas = winnersAreas(bounds, &below);
    // The room that shows the most names a page wins, on a tie the earlier;
    // below the picture the names stand far from the congratulation line, so
    // that room must hold clearly more.
    auto consider = [&](const QRect& area, bool far) {
        if (area.width() <= 0 || area.height() <= 0) return;
        const WinnersPages shape = shapeIn(names, columns, font, size, w, area);
        const long long now = static_cast<long long>(shape.perPage()) * shape.pixelSize;
        const long long was = static_cast<long long>(best.perPage()) * best.pixelSize;
        if (best.pageCount == 0 || (far ? now * 4 >= was * 5 : now > was)) {
            best = shape;
            best.pageCount = 1; // marks a choice; counted below
        }
    };
    for (const QRect& area : areas)
        consider(area, false);
    if (below) consider(*below, true);
    if (best.pageCount == 0) {
        // No room at all: one name a page where the band would be.
        const QRect band = winnersBand(bounds);
        best = shapeIn(names, 1, font, size, w, QRect(band.topLeft(), QSize(1, 1)));
    }
    const int perPage = std::max(1, best.perPage());
    best.pageCount = static_cast<int>((names.size() + perPage - 1) / perPage);
    return best;
}

std::pair<int, int> pageRange(const WinnersPages& pages, int nameCount, int page) {
    const int perPage = std::max(1, pages.perPage());
    if (page < 0 || page >= pages.pageCount) return {0, 0};
    const int first = page * perPage;
    return {first, std::max(0, std::min(nameCount - first, perPage))};
}

WinnersBlock layoutWinnersPage(const std::vector<QString>& names, const WinnersPages& pages,
                               int page, QFont font, const WinnersBounds& bounds,
                               TextWidths* widths) {
    WinnersBlock out;
    const auto [first, count] = pageRange(pages, static_cast<int>(names.size()), page);
    if (count <= 0) return out;
    const int cols = std::max(1, pages.columns);
    const int plain = cols * pages.columnWidth + (cols - 1) * pages.gap;
    // Spare width goes between the columns (at most a column's width each),
    // so that a page of short names uses the room's width.
    const int spare = std::max(0, pages.area.width() - plain);
    const int spread = cols > 1 ? std::min(spare / (cols - 1), pages.columnWidth) : 0;
    const int step = pages.columnWidth + pages.gap + spread;
    const int width = plain + (cols - 1) * spread;
    int left = bounds.centreX - width / 2;
    left = std::max(pages.area.left(), std::min(left, pages.area.right() + 1 - width));
    const int top = pages.area.top();
    const int lines = (count + cols - 1) / cols;

    // Only the page's own names are measured: a frame of a thousand names
    // is laid out as fast as the page it shows.
    font.setPixelSize(pages.pixelSize);
    const QFontMetrics metrics(font);
    if (widths) widths->setFont(font);
    out.pixelSize = pages.pixelSize;
    out.block = QRect(left, top, width, lines * pages.lineHeight);
    out.cells.reserve(static_cast<std::size_t>(count));
    out.texts.reserve(static_cast<std::size_t>(count));
    out.places.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QString& name = names[static_cast<std::size_t>(first + i)];
        const int w = widths ? widths->advance(name) : metrics.horizontalAdvance(name);
        const QRect place(left + (i % cols) * step, top + (i / cols) * pages.lineHeight,
                          pages.columnWidth, pages.lineHeight);
        out.cells.emplace_back(place.left() + (pages.columnWidth - w) / 2, place.top(), w,
                               pages.lineHeight);
        out.places.push_back(place);
        out.texts.push_back(name);
    }
    return out;
}

} // namespace luckdial
