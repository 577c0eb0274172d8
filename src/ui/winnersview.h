#pragma once
// The winners as the hall sees them. The winners label 透明标签_中奖人 keeps
// its caption, font, geometry and events (the draw, the styles and the layout
// work on it); this view draws its caption as a grid of entries, top-aligned
// under the congratulation line, centred, clear of the prize picture and of
// the bottom row, with the font shrunk for the display when the block would
// not fit. The stored font is never changed. The view takes mouse presses
// only where it draws text and hands them on as presses on the label.
// A draw that would shrink below the readable floor is shown in pages
// (winnerspages.h), with a quiet "第 2/7 页" and the level under the names.

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "ui/shapednames.h"
#include "ui/textwidths.h"
#include "ui/winnerspages.h"

#include <memory>
#include <optional>
#include <vector>

namespace luckdial {

struct MainElements;
class PhotoLoader;
struct CardPages;

/// Where the winners block may go, in window coordinates.
struct WinnersBounds {
    QRect window;                  ///< the window's client area
    int centreX = 0;               ///< the block is centred here when it can be
    int top = 0;                   ///< first line starts here
    int bottom = 0;                ///< last line ends above this
    std::optional<QRect> obstacle; ///< the prize picture (and its name), margin included
};

/// The laid-out block: one rectangle per entry, in window coordinates.
struct WinnersBlock {
    int pixelSize = 0;
    QRect block;
    std::vector<QRect> cells;
    std::vector<QString> texts;
    /// Each entry's place: its cell widened to its column (empty: the cells).
    /// Names of other widths in the same places keep the view's mask.
    std::vector<QRect> places;
};

/// Entries of a winners caption as drawn: lines split at "\n", entries of a
/// line at the four-space separator; a final line break adds no line.
std::vector<std::vector<QString>> winnersGrid(const QString& displayText);

/// Lays out the grid with font (whose pixel size is at most maxPixelSize)
/// inside bounds, shrinking the size until the block fits.
WinnersBlock layoutWinners(const std::vector<std::vector<QString>>& grid, QFont font,
                           int maxPixelSize, const WinnersBounds& bounds);

class WinnersView : public QWidget {
    Q_OBJECT
public:
    /// A child of the main window drawing elements.winners; the label stops
    /// drawing and taking presses itself.
    explicit WinnersView(MainElements& elements);
    ~WinnersView() override;

    /// The bounds the elements give now.
    WinnersBounds bounds() const;
    /// The current block (empty when nothing is shown): the names of the
    /// page on the screen.
    const WinnersBlock& block();
    /// Lays the block out again at once (normally done on every change).
    void relayout();
    /// Carries out a layout a change has asked for, now rather than when the
    /// event loop next runs (the scroll does so before it paints each frame).
    void layoutNow();

    // --- pages -------------------------------------------------------------------
    /// Every name of the caption, in order (the results' order after a draw).
    const std::vector<QString>& names();
    /// Pages of the caption: 1 when the names fit at the readable floor, 0
    /// when nothing is shown.
    int pageCount();
    /// The page on the screen, 0-based.
    int currentPage();
    /// First name and number of names of the page on the screen.
    std::pair<int, int> shownRange();
    bool hasNextPage() { return currentPage() + 1 < pageCount(); }
    /// Shows the next page; false (and nothing changes) on the last one.
    bool nextPage();
    /// The pages' shape (pageCount 0 when the names fit in one block).
    const WinnersPages& pages();
    /// The text under the names of a paged draw ("特等奖  第 2/7 页").
    QString indicatorText() const;

    // --- cards (participants' photos) ----------------------------------------------
    /// Where the cards' photos come from (none: names only, as always).
    void setPhotoLoader(PhotoLoader* loader);
    /// The level's winners as cards (photo above name) rather than names.
    void setCardsShown(bool shown);
    /// Cards in the scroll frames too; otherwise the scroll shows names.
    void setScrollCards(bool shown);
    /// The draw is scrolling (its frames are on the screen).
    void setScrolling(bool scrolling);
    /// The unmasked entries of the winners shown, in order: photos are found
    /// by these rather than by the names, which may be masked.
    void setPhotoEntries(QStringList entries);
    void addPhotoEntry(const QString& entry);
    /// Entries whose photos a scroll with cards decodes ahead (the pool's).
    void setScrollEntries(QStringList entries);
    /// Cards are drawn now (rather than names).
    bool showsCards() const;
    /// The layout of the cards on the screen (meaningful when showsCards()).
    const CardPages& cards();

Q_SIGNALS:
    /// The page on the screen, the number of pages or the names changed.
    void pageChanged(int page, int pageCount);
    /// A plain left click on the names of a paged draw: the operator asks
    /// for the next page (the draw engine decides).
    void nextPageRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh(bool captionOnly);
    void layout(bool captionOnly);
    void place();
    void clear();
    /// One name in its cell: the one place that decides how a name looks.
    void paintName(QPainter& painter, const QRect& cell, const QString& name, int ascent) const;
    void paintIndicator(QPainter& painter, const QColor& colour) const;
    bool wantsCards() const;
    void layoutCards(const WinnersBounds& bounds, int maxPixelSize);
    /// The entry whose photo the i-th name shows.
    QString photoEntry(int i) const;
    void paintCards(QPainter& painter);

    MainElements& e_;
    WinnersBlock block_;
    QFont font_;
    /// The size reached while one caption follows another (a scroll, the
    /// winners coming in one by one): the font only shrinks within a draw.
    int cap_ = 0;

    QString text_;               ///< the caption laid out last
    std::vector<QString> names_; ///< its names in order
    WinnersPages pages_;         ///< pageCount 0: one block, no pages
    TextWidths floorWidths_;     ///< advances at the readable floor, kept from frame to frame
    TextWidths pageWidths_;      ///< advances at the page's size
    mutable ShapedNames shaped_; ///< the names as drawn, kept from frame to frame
    int page_ = 0;
    /// A layout is due (a change came in since the last one), and whether
    /// every change since was only a new caption; posted_: the event that
    /// carries it out is on its way.
    bool pending_ = false;
    bool pendingCaptionOnly_ = true;
    bool posted_ = false;

    PhotoLoader* photos_ = nullptr;
    bool cardsShown_ = false;
    bool scrollCards_ = false;
    bool scrolling_ = false;
    bool cardMode_ = false; ///< the block on the screen is cards
    QStringList photoEntries_;
    QStringList scrollEntries_;
    QSize prefetchedSize_;
    std::unique_ptr<CardPages> cards_;
    /// Where the names on the screen were drawn (window coordinates): a new
    /// frame in the same places repaints only there and where its own go.
    QRegion drawn_;
};

} // namespace luckdial
