#include "ui/winnersview.h"

#include "photos/photoloader.h"
#include "ui/elements.h"
#include "ui/widgets.h"
#include "ui/winnercards.h"
#include "ui/winnerspages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

/// Space kept between the block and the picture, the bottom row and the edges.
constexpr int kMargin = 8;
/// Below this the names are no longer worth shrinking further.
constexpr int kMinPixelSize = 6;
const QString kSeparator = QStringLiteral("    ");

struct GridSize {
    std::vector<int> columns;
    int gap = 0;
    int lineHeight = 0;
    int width = 0;
    int height = 0;
};

/// widths: advances remembered from earlier frames, when the caller keeps them.
GridSize measure(const std::vector<std::vector<QString>>& grid, const QFont& font,
                 TextWidths* widths = nullptr) {
    const QFontMetrics metrics(font);
    if (widths) widths->setFont(font);
    GridSize size;
    for (const auto& line : grid) {
        if (line.size() > size.columns.size()) size.columns.resize(line.size(), 0);
        for (std::size_t c = 0; c < line.size(); ++c) {
            const int w = widths ? widths->advance(line[c]) : metrics.horizontalAdvance(line[c]);
            size.columns[c] = std::max(size.columns[c], w);
        }
    }
    size.gap = metrics.horizontalAdvance(kSeparator);
    size.lineHeight = metrics.lineSpacing();
    for (int w : size.columns)
        size.width += w;
    if (!size.columns.empty()) size.width += size.gap * static_cast<int>(size.columns.size() - 1);
    size.height = size.lineHeight * static_cast<int>(grid.size());
    return size;
}

bool fits(const GridSize& size, const QRect& area) {
    return size.width <= area.width() && size.height <= area.height();
}

/// The largest pixel size up to maxSize at which the grid fits the area
/// (the smallest size when none does).
int fittingSize(const std::vector<std::vector<QString>>& grid, QFont font, int maxSize,
                const QRect& area) {
    font.setPixelSize(maxSize);
    const GridSize full = measure(grid, font);
    if (fits(full, area)) return maxSize;
    if (area.width() <= 0 || area.height() <= 0) return kMinPixelSize;
    // Text scales about linearly with its size: start from the estimate
    // and step down until the measured block fits.
    const double ratio = std::min(area.width() / std::max(1.0, double(full.width)),
                                  area.height() / std::max(1.0, double(full.height)));
    int size = std::clamp(static_cast<int>(std::floor(maxSize * ratio)), kMinPixelSize, maxSize);
    for (; size > kMinPixelSize; --size) {
        font.setPixelSize(size);
        if (fits(measure(grid, font), area)) break;
    }
    return size;
}

} // namespace

std::vector<std::vector<QString>> winnersGrid(const QString& displayText) {
    std::vector<std::vector<QString>> grid;
    if (displayText.isEmpty()) return grid;
    QStringList lines = displayText.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
    for (const QString& line : lines) {
        std::vector<QString> entries;
        for (const QString& entry : line.split(kSeparator))
            entries.push_back(entry);
        grid.push_back(std::move(entries));
    }
    return grid;
}

WinnersBlock layoutWinners(const std::vector<std::vector<QString>>& grid, QFont font,
                           int maxPixelSize, const WinnersBounds& bounds) {
    WinnersBlock out;
    if (grid.empty()) return out;
    const int maxSize = std::max(kMinPixelSize, maxPixelSize);
    const QRect band = winnersBand(bounds);

    // Candidate areas: the whole band, or, when the picture reaches into it,
    // the band above the picture, the parts beside it and the band below it.
    // The one that takes the largest font wins; on a tie the earlier one.
    // Below the picture the names stand far from the congratulation line:
    // that place wins only with a clearly larger font.
    std::optional<QRect> below;
    const std::vector<QRect> areas = winnersAreas(bounds, &below);
    QRect area;
    int size = 0;
    for (const QRect& candidate : areas) {
        if (candidate.width() <= 0 || candidate.height() <= 0) continue;
        const int s = fittingSize(grid, font, maxSize, candidate);
        if (s > size) {
            size = s;
            area = candidate;
        }
    }
    if (below && below->height() > 0) {
        const int s = fittingSize(grid, font, maxSize, *below);
        if (s * 4 >= size * 5 || size == 0) {
            size = s;
            area = *below;
        }
    }
    if (size == 0) {
        size = kMinPixelSize;
        area = band;
    }

    font.setPixelSize(size);
    const GridSize grid_size = measure(grid, font);
    const QFontMetrics metrics(font);
    int left = bounds.centreX - grid_size.width / 2;
    left = std::max(area.left(), std::min(left, area.right() + 1 - grid_size.width));
    const int top = area.top();

    out.pixelSize = size;
    out.block = QRect(left, top, grid_size.width, grid_size.height);
    for (std::size_t r = 0; r < grid.size(); ++r) {
        int x = left;
        for (std::size_t c = 0; c < grid[r].size(); ++c) {
            const int w = metrics.horizontalAdvance(grid[r][c]);
            if (!grid[r][c].isEmpty()) {
                const int y = top + static_cast<int>(r) * grid_size.lineHeight;
                out.cells.emplace_back(x + (grid_size.columns[c] - w) / 2, y, w,
                                       grid_size.lineHeight);
                out.places.emplace_back(x, y, grid_size.columns[c], grid_size.lineHeight);
                out.texts.push_back(grid[r][c]);
            }
            x += grid_size.columns[c] + grid_size.gap;
        }
    }
    return out;
}

WinnersView::WinnersView(MainElements& elements)
    : QWidget(elements.window), e_(elements), cards_(std::make_unique<CardPages>()) {
    setObjectName(QStringLiteral("winnersView"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    e_.winners->setPaintedElsewhere(true);
    // Just above the label in the stacking order, below the selector and the buttons.
    stackUnder(e_.winners);
    e_.winners->stackUnder(this);
    connect(e_.winners, &TransparentLabel::contentChanged, this, [this] { refresh(true); });
    for (QWidget* w : {e_.window, static_cast<QWidget*>(e_.winners),
                       static_cast<QWidget*>(e_.congrats), static_cast<QWidget*>(e_.prizePicture),
                       static_cast<QWidget*>(e_.prizeName), static_cast<QWidget*>(e_.levelCaption),
                       static_cast<QWidget*>(e_.levelCombo), static_cast<QWidget*>(e_.progress)})
        w->installEventFilter(this);
}

WinnersBounds WinnersView::bounds() const {
    WinnersBounds b;
    const QWidget* window = e_.window;
    b.window = window->rect();
    const QRect label = e_.winners->geometry();
    b.centreX = std::clamp(label.center().x(), b.window.left(), b.window.right());
    // Just under the congratulation line when that stands above the label;
    // a congratulation line moved below the label limits it from below.
    const QRect congrats = e_.congrats->geometry();
    int top = label.top();
    int bottom = b.window.bottom() + 1;
    if (congrats.top() <= label.top())
        top = std::max(top, congrats.bottom() + 1);
    else
        bottom = std::min(bottom, congrats.top());
    top = std::clamp(top, b.window.top(), b.window.bottom());
    for (const QWidget* w :
         {static_cast<const QWidget*>(e_.levelCaption), static_cast<const QWidget*>(e_.levelCombo),
          static_cast<const QWidget*>(e_.progress)}) {
        if (w->isVisibleTo(window) && w->height() > 0 && w->y() > top)
            bottom = std::min(bottom, w->y() - kMargin);
    }
    b.top = top;
    b.bottom = bottom;
    QRect obstacle;
    if (e_.prizePicture->isVisibleTo(window)) obstacle = e_.prizePicture->geometry();
    if (e_.prizeName->isVisibleTo(window) && e_.prizeName->height() > 0 &&
        !e_.prizeName->caption().empty())
        obstacle = obstacle.united(e_.prizeName->geometry());
    if (!obstacle.isEmpty()) b.obstacle = obstacle.adjusted(-kMargin, -kMargin, kMargin, kMargin);
    return b;
}

namespace {

/// Posted to the view when its caption or its room changed: a final draw
/// sets one caption per winner without the event loop running, and only the
/// last of them is laid out.
const QEvent::Type kLayoutEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::vector<QString> flatten(const std::vector<std::vector<QString>>& grid) {
    std::vector<QString> names;
    std::size_t total = 0;
    for (const auto& line : grid)
        total += line.size();
    names.reserve(total);
    for (const auto& line : grid)
        for (const QString& name : line)
            if (!name.isEmpty()) names.push_back(name);
    return names;
}

/// Where the page indicator's words stand in its strip.
QRect indicatorArea(const WinnersPages& pages, const QFont& font, const QString& text) {
    QFont small = font;
    small.setBold(false);
    small.setPixelSize(pages.indicatorPixelSize);
    const int w = QFontMetrics(small).horizontalAdvance(text);
    const QRect& strip = pages.indicator;
    return QRect(strip.right() + 1 - w, strip.top(), w, strip.height());
}

} // namespace

void WinnersView::relayout() {
    refresh(false);
    layoutNow();
}

void WinnersView::layoutNow() {
    if (!pending_) return;
    const bool captionOnly = pendingCaptionOnly_;
    pending_ = false;
    pendingCaptionOnly_ = true;
    layout(captionOnly);
}

bool WinnersView::event(QEvent* event) {
    if (event->type() == kLayoutEvent) {
        posted_ = false;
        layoutNow();
        return true;
    }
    return QWidget::event(event);
}

void WinnersView::refresh(bool captionOnly) {
    TransparentLabel* label = e_.winners;
    if (!label->isVisibleTo(e_.window) || label->displayText().isEmpty()) {
        // Hiding is cheap and seen at once.
        pending_ = false;
        pendingCaptionOnly_ = true;
        clear();
        return;
    }
    pending_ = true;
    pendingCaptionOnly_ = pendingCaptionOnly_ && captionOnly;
    if (!posted_) {
        posted_ = true;
        QCoreApplication::postEvent(this, new QEvent(kLayoutEvent));
    }
}

void WinnersView::clear() {
    cap_ = 0;
    const bool changed = !names_.empty() || pages_.pageCount > 0;
    block_ = {};
    cardMode_ = false;
    text_.clear();
    names_.clear();
    pages_ = {};
    page_ = 0;
    drawn_ = {};
    hide();
    if (changed) Q_EMIT pageChanged(0, 0);
}

void WinnersView::layout(bool captionOnly) {
    TransparentLabel* label = e_.winners;
    const QString& text = label->displayText();
    const QFont font = label->font();
    if (font != font_) {
        font_ = font;
        cap_ = 0;
    }
    if (!label->isVisibleTo(e_.window) || text.isEmpty()) {
        clear();
        return;
    }
    // A change of the room (a resize, a moved element) starts afresh; a new
    // caption never grows the font within one draw.
    if (!captionOnly) cap_ = 0;
    const bool newText = text != text_;
    if (newText) {
        text_ = text;
        page_ = 0;
    }
    const int stored = font.pixelSize() > 0 ? font.pixelSize() : 12;
    const int maxSize = cap_ > 0 ? std::min(cap_, stored) : stored;
    // The floor never exceeds the stored size: an operator's small font is kept.
    const int floor = std::min(stored, readableFloor(e_.window->height()));
    const auto grid = winnersGrid(text);
    const WinnersBounds b = bounds();
    if (newText || names_.empty()) names_ = flatten(grid);

    cardMode_ = wantsCards();
    if (cardMode_) {
        layoutCards(b, stored);
        return;
    }

    // One block when the names fit at the floor; a grid that cannot fit
    // even then goes to pages without trying every smaller size first.
    QFont atFloor = font;
    atFloor.setPixelSize(std::max(kMinPixelSize, std::min(floor, maxSize)));
    const GridSize floorSize = measure(grid, atFloor, &floorWidths_);
    bool fitsSomewhere = false;
    for (const QRect& area : winnersAreas(b, nullptr))
        fitsSomewhere = fitsSomewhere || fits(floorSize, area);
    std::optional<QRect> below;
    (void)winnersAreas(b, &below);
    if (below) fitsSomewhere = fitsSomewhere || fits(floorSize, *below);

    WinnersPages pages;
    if (fitsSomewhere) block_ = layoutWinners(grid, font, maxSize, b);
    if (!fitsSomewhere || block_.pixelSize < floor) {
        int columns = 1;
        for (const auto& line : grid)
            columns = std::max(columns, static_cast<int>(line.size()));
        // The grid was just measured at the floor: its widest name need not
        // be shaped again.
        std::optional<int> widest;
        if (atFloor.pixelSize() == std::max(kMinPixelSize, floor) && !floorSize.columns.empty())
            widest = *std::max_element(floorSize.columns.begin(), floorSize.columns.end());
        pages = paginateWinners(names_, columns, font, floor, b, widest);
        page_ = std::clamp(page_, 0, std::max(0, pages.pageCount - 1));
        block_ = layoutWinnersPage(names_, pages, page_, font, b, &pageWidths_);
    } else {
        page_ = 0;
    }
    pages_ = pages;
    cap_ = block_.pixelSize;
    place();
    Q_EMIT pageChanged(page_, std::max(1, pages_.pageCount));
}

void WinnersView::place() {
    // Drawn glyphs may reach a little past their advance (bold, italic).
    constexpr int kBleed = 3;
    QRect shown = block_.block;
    const QRect words =
        pages_.pageCount > 0 ? indicatorArea(pages_, font_, indicatorText()) : QRect();
    if (!words.isEmpty()) shown = shown.united(words);
    const QRect area = shown.adjusted(-kBleed, -kBleed, kBleed, kBleed);
    const auto bled = [&](const std::vector<QRect>& rects) {
        QRegion region;
        for (const QRect& r : rects)
            region += r.adjusted(-kBleed, -kBleed, kBleed, kBleed);
        if (!words.isEmpty()) region += words;
        return region;
    };
    // Presses are taken on the names' places in their columns: a scroll
    // frame of names of other widths keeps the mask, and a changed mask
    // repaints the window beneath the whole block.
    std::vector<QRect> places = block_.cells;
    for (std::size_t i = 0; i < places.size() && i < block_.places.size(); ++i)
        places[i] = places[i].united(block_.places[i]);
    const QRegion mask = bled(places);
    const QRegion drawn = bled(block_.cells);
    const bool inPlace = isVisible() && geometry() == area && !cardMode_;
    setGeometry(area);
    setMask(mask.translated(-area.topLeft()));
    show();
    // The same block again (a scroll frame, a page of the same shape): only
    // the old names and the new ones need the background beneath repainted.
    if (inPlace)
        QWidget::update((drawn + drawn_).translated(-area.topLeft()));
    else
        QWidget::update();
    drawn_ = drawn;
}

const WinnersBlock& WinnersView::block() {
    layoutNow();
    return block_;
}

const std::vector<QString>& WinnersView::names() {
    layoutNow();
    return names_;
}

int WinnersView::pageCount() {
    layoutNow();
    if (names_.empty()) return 0;
    return std::max(1, pages_.pageCount);
}

int WinnersView::currentPage() {
    layoutNow();
    return page_;
}

const WinnersPages& WinnersView::pages() {
    layoutNow();
    return pages_;
}

std::pair<int, int> WinnersView::shownRange() {
    layoutNow();
    if (pages_.pageCount == 0) return {0, static_cast<int>(names_.size())};
    return pageRange(pages_, static_cast<int>(names_.size()), page_);
}

bool WinnersView::nextPage() {
    layoutNow();
    if (page_ + 1 >= pages_.pageCount) return false;
    ++page_;
    block_ = cardMode_ ? layoutCardsPage(names_, *cards_, page_, bounds())
                       : layoutWinnersPage(names_, pages_, page_, font_, bounds(), &pageWidths_);
    place();
    Q_EMIT pageChanged(page_, pages_.pageCount);
    return true;
}

QString WinnersView::indicatorText() const {
    if (pages_.pageCount == 0) return {};
    const QString page = QStringLiteral("第 %1/%2 页").arg(page_ + 1).arg(pages_.pageCount);
    const QString level = e_.levelCombo->currentText();
    return level.isEmpty() ? page : level + QStringLiteral("  ") + page;
}

void WinnersView::paintName(QPainter& painter, const QRect& cell, const QString& name,
                            int ascent) const {
    shaped_.draw(painter, QPointF(cell.left(), cell.top() + ascent), name);
}

void WinnersView::paintEvent(QPaintEvent*) {
    if (block_.cells.empty()) return;
    QPainter p(this);
    if (cardMode_) {
        paintCards(p);
        return;
    }
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = font_;
    font.setPixelSize(block_.pixelSize);
    p.setFont(font);
    shaped_.setFont(font);
    const QColor colour = toQColor(e_.winners->textColour());
    p.setPen(colour);
    const int ascent = QFontMetrics(font).ascent();
    const QPoint origin = geometry().topLeft();
    for (std::size_t i = 0; i < block_.cells.size(); ++i)
        paintName(p, block_.cells[i].translated(-origin), block_.texts[i], ascent);
    paintIndicator(p, colour);
}

void WinnersView::paintIndicator(QPainter& p, const QColor& colour) const {
    const QPoint origin = geometry().topLeft();
    if (pages_.pageCount > 0) {
        // Quiet: smaller, half transparent, at the right under the names.
        QFont small = font_;
        small.setBold(false);
        small.setPixelSize(pages_.indicatorPixelSize);
        p.setFont(small);
        QColor quiet = colour;
        quiet.setAlpha(170);
        p.setPen(quiet);
        const QString text = indicatorText();
        const QRect words = indicatorArea(pages_, font_, text).translated(-origin);
        p.drawText(QPoint(words.left(), words.top() + QFontMetrics(small).ascent()), text);
    }
}

void WinnersView::mousePressEvent(QMouseEvent* event) {
    // A press on the names is a press on the winners label.
    event->accept();
    if (event->button() == Qt::LeftButton) {
        const int modifiers = modifierState(event->modifiers());
        Q_EMIT e_.winners->leftPressed(modifiers);
        // A plain click on a paged draw asks for its next page; Ctrl is the
        // move gesture and turns nothing.
        if (modifiers == 0 && pages_.pageCount > 1) Q_EMIT nextPageRequested();
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT e_.winners->rightPressed();
    }
}

void WinnersView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) Q_EMIT e_.winners->doubleClicked();
}

bool WinnersView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && isPlacementChange(event->type())) refresh(false);
    return QWidget::eventFilter(watched, event);
}

} // namespace luckdial
