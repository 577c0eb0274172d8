#include "ui/winnersview.h"

#include "ui/elements.h"
#include "ui/widgets.h"

#include <QComboBox>
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

GridSize measure(const std::vector<std::vector<QString>>& grid, const QFont& font) {
    const QFontMetrics metrics(font);
    GridSize size;
    for (const auto& line : grid) {
        if (line.size() > size.columns.size()) size.columns.resize(line.size(), 0);
        for (std::size_t c = 0; c < line.size(); ++c)
            size.columns[c] = std::max(size.columns[c], metrics.horizontalAdvance(line[c]));
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
    const QRect window = bounds.window.adjusted(kMargin, 0, -kMargin, 0);
    const int bottom = std::min(bounds.bottom, window.bottom() + 1);
    const QRect band(QPoint(window.left(), bounds.top), QPoint(window.right(), bottom - 1));

    // Candidate areas: the whole band, or, when the picture reaches into it,
    // the band above the picture, the parts beside it and the band below it.
    // The one that takes the largest font wins; on a tie the earlier one.
    // Below the picture the names stand far from the congratulation line:
    // that place wins only with a clearly larger font.
    std::vector<QRect> areas;
    std::optional<QRect> below;
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
        if (o.bottom() < band.bottom())
            below = QRect(QPoint(band.left(), o.bottom() + 1), band.bottomRight());
    } else {
        areas.push_back(band);
    }
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
                out.cells.emplace_back(x + (grid_size.columns[c] - w) / 2,
                                       top + static_cast<int>(r) * grid_size.lineHeight, w,
                                       grid_size.lineHeight);
                out.texts.push_back(grid[r][c]);
            }
            x += grid_size.columns[c] + grid_size.gap;
        }
    }
    return out;
}

WinnersView::WinnersView(MainElements& elements) : QWidget(elements.window), e_(elements) {
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

void WinnersView::relayout() {
    refresh(false);
}

void WinnersView::refresh(bool captionOnly) {
    TransparentLabel* label = e_.winners;
    const QString& text = label->displayText();
    const QFont font = label->font();
    if (font != font_) {
        font_ = font;
        cap_ = 0;
    }
    if (!label->isVisibleTo(e_.window) || text.isEmpty()) {
        cap_ = 0;
        block_ = {};
        hide();
        return;
    }
    // A change of the room (a resize, a moved element) starts afresh; a new
    // caption never grows the font within one draw.
    if (!captionOnly) cap_ = 0;
    const int stored = font.pixelSize() > 0 ? font.pixelSize() : 12;
    const int maxSize = cap_ > 0 ? std::min(cap_, stored) : stored;
    block_ = layoutWinners(winnersGrid(text), font, maxSize, bounds());
    cap_ = block_.pixelSize;

    // Drawn glyphs may reach a little past their advance (bold, italic).
    constexpr int kBleed = 3;
    const QRect area = block_.block.adjusted(-kBleed, -kBleed, kBleed, kBleed);
    QRegion mask;
    for (const QRect& cell : block_.cells)
        mask += cell.adjusted(-kBleed, -kBleed, kBleed, kBleed).translated(-area.topLeft());
    setGeometry(area);
    setMask(mask);
    show();
    QWidget::update();
}

void WinnersView::paintEvent(QPaintEvent*) {
    if (block_.cells.empty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = font_;
    font.setPixelSize(block_.pixelSize);
    p.setFont(font);
    p.setPen(toQColor(e_.winners->textColour()));
    const int ascent = QFontMetrics(font).ascent();
    const QPoint origin = geometry().topLeft();
    for (std::size_t i = 0; i < block_.cells.size(); ++i) {
        const QRect cell = block_.cells[i].translated(-origin);
        p.drawText(QPoint(cell.left(), cell.top() + ascent), block_.texts[i]);
    }
}

void WinnersView::mousePressEvent(QMouseEvent* event) {
    // A press on the names is a press on the winners label.
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT e_.winners->leftPressed(modifierState(event->modifiers()));
    else if (event->button() == Qt::RightButton)
        Q_EMIT e_.winners->rightPressed();
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
