#pragma once
// The winners as the hall sees them. The winners label 透明标签_中奖人 keeps
// its caption, font, geometry and events (the draw, the styles and the layout
// work on it); this view draws its caption as a grid of entries, top-aligned
// under the congratulation line, centred, clear of the prize picture and of
// the bottom row, with the font shrunk for the display when the block would
// not fit. The stored font is never changed. The view takes mouse presses
// only where it draws text and hands them on as presses on the label.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

namespace luckdial {

struct MainElements;

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

    /// The bounds the elements give now.
    WinnersBounds bounds() const;
    /// The current block (empty when nothing is shown).
    const WinnersBlock& block() const { return block_; }
    /// Lays the block out again at once (normally done on every change).
    void relayout();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh(bool captionOnly);

    MainElements& e_;
    WinnersBlock block_;
    QFont font_;
    /// The size reached while one caption follows another (a scroll, the
    /// winners coming in one by one): the font only shrinks within a draw.
    int cap_ = 0;
};

} // namespace luckdial
