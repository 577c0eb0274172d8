#pragma once
// A draw too large to read in one block goes to the hall page by page: the
// names never get smaller than a readable floor, and each page fills the room
// the winners have with as many of them as fit at that size, in the draw's
// order. Pure layout over fonts and rectangles, tested without a window.

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace luckdial {

struct WinnersBounds;
struct WinnersBlock;
class TextWidths;

/// The smallest character height, in pixels, that names are drawn at on a
/// screen of this height: 3% of it, rounded up (33 px at 1080 lines).
int readableFloor(int screenHeight);

/// Where the names of a paged draw go.
struct WinnersPages {
    int pixelSize = 0;   ///< every page is drawn at this size
    int columns = 0;     ///< names a line
    int rows = 0;        ///< lines a page
    int pageCount = 0;   ///< 0 when there are no names
    int columnWidth = 0; ///< the widest name at pixelSize
    int gap = 0;         ///< between two columns
    int lineHeight = 0;
    QRect area;      ///< the room the pages fill
    QRect indicator; ///< the strip under the names for the page indicator
    int indicatorPixelSize = 0;
    int perPage() const { return columns * rows; }
};

/// The band under the congratulation line and above the selector row,
/// inside the window's margins.
QRect winnersBand(const WinnersBounds& bounds);

/// The candidate rooms of a block: the band or, when the picture reaches into
/// it, the parts above and beside the picture; `below` receives the band under
/// the picture (a last choice).
std::vector<QRect> winnersAreas(const WinnersBounds& bounds, std::optional<QRect>* below);

/// Pages for names drawn with font at floorPixelSize, at most `columns` a
/// line (the draw's column count), as many lines as fit the chosen room above
/// the indicator strip. A name wider than the room at the floor makes that
/// draw's size smaller, so that no name is ever cut. widestAtFloor: the
/// widest name's advance at floorPixelSize when the caller has measured it.
WinnersPages paginateWinners(const std::vector<QString>& names, int columns, QFont font,
                             int floorPixelSize, const WinnersBounds& bounds,
                             std::optional<int> widestAtFloor = std::nullopt);

/// Index of the first name of a page and how many names it shows.
std::pair<int, int> pageRange(const WinnersPages& pages, int nameCount, int page);

/// The block of one page (0-based): its names in order, line by line, in
/// columns at the same places on every page, the spare width spread between
/// the columns. widths: advances kept from earlier pages or frames, when the
/// caller keeps them.
WinnersBlock layoutWinnersPage(const std::vector<QString>& names, const WinnersPages& pages,
                               int page, QFont font, const WinnersBounds& bounds,
                               TextWidths* widths = nullptr);

} // namespace luckdial
