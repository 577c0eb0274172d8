#pragma once
// The display element kinds of the main window that Qt does not have as such.
// Captions are GBK bytes (the logic measures them in bytes); fonts are
// FontValue with sizes in points; colours are red + 256*green + 65536*blue.

#include "host/host.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <string>

class QEnterEvent;

namespace luckdial {

/// Pixel height of a font of the given point size (96 dpi), and back.
int pointsToPixels(int points);
int pixelsToPoints(int pixels);
/// A font of the window designs: face (UTF-8), character height in pixels, bold.
FontValue designFont(const char* face, int pixels, bool bold);
/// QFont for a FontValue; Windows face names (宋体, 幼圆, 黑体...) stay as the
/// family and reach installed CJK fonts through font substitution.
QFont toQFont(const FontValue& font);
/// Registers the substitutions of the Windows face names once (toQFont does it too).
void installFontSubstitutions();
QColor toQColor(int colourValue);
int fromQColor(const QColor& colour);
/// Modifier state of mouse events: 1 Ctrl + 2 Shift + 4 Alt.
int modifierState(Qt::KeyboardModifiers modifiers);

/// The three looks of a picture button.
struct ButtonPictures {
    QImage normal, hover, pressed;
};

/// Text drawn without a background over the window's picture or colour.
/// Events after which a widget stands elsewhere or is shown or hidden: what
/// watchers of another element's place react to.
bool isPlacementChange(QEvent::Type type);

class TransparentLabel : public QWidget {
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent = nullptr);
    const std::string& caption() const { return caption_; }
    /// GBK; lines separated by "\r\n" (a lone "\n" also breaks). Kept as
    /// given; what is drawn is bounded to kMaxDisplayTextBytes.
    void setCaption(const std::string& caption);
    /// The caption as drawn (line breaks as "\n", bounded).
    const QString& displayText() const { return text_; }
    FontValue fontValue() const { return font_; }
    void setFontValue(const FontValue& font);
    int textColour() const { return colour_; }
    void setTextColour(int colour);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    /// Another widget draws this caption (the winners view): the label then
    /// neither draws nor takes mouse presses.
    void setPaintedElsewhere(bool elsewhere);
    /// A line wider than the part of the label inside its window is drawn
    /// with a smaller font (the stored font stays as it is).
    void setShrinkToWindow(bool shrink);
    /// The font as drawn now (smaller than font() when shrunk to the window).
    QFont shownFont() const;
    /// Draws its text beside other (a sibling) rather than over it, smaller
    /// when the room beside it is narrow; nullptr: no such element.
    void setKeepClearOf(QWidget* other);
    /// Takes mouse presses only on its drawn text, so that a picture lying
    /// under an empty part of a wide label can still be pressed.
    void setPressOnTextOnly(bool textOnly);
    /// Where the text is drawn, in the label's coordinates (empty: no text).
    QRect textArea() const;

Q_SIGNALS:
    /// Left button down; modifiers: 1 Ctrl + 2 Shift + 4 Alt.
    void leftPressed(int modifiers);
    void rightPressed();
    void doubleClicked();
    /// The caption, the font or the colour changed.
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repaintOwnText();
    void updatePressArea();
    void watchParent();
    int widestLine(const QFont& font) const;
    /// Where the text goes: the label, or its part inside the window.
    QRectF drawingArea() const;

    std::string caption_;
    QString text_;
    FontValue font_;
    int colour_ = 0xFFFFFF;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    bool paintedElsewhere_ = false;
    bool shrinkToWindow_ = false;
    bool pressOnTextOnly_ = false;
    QPointer<QWidget> keepClearOf_;
    bool watchingParent_ = false;
};

/// A push button drawn from three pictures (normal, hover, pressed), scaled to
/// its size. A left press with Ctrl alone is the move gesture: it emits
/// leftPressed and never clicks.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QImage normal, QImage hover, QImage pressed, QWidget* parent = nullptr);
    explicit PictureButton(const ButtonPictures& pictures, QWidget* parent = nullptr);
    /// Whether a Ctrl press is the move gesture (true) or an ordinary press.
    void setCtrlMoves(bool moves) { ctrlMoves_ = moves; }

Q_SIGNALS:
    void leftPressed(int modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage normal_, hover_, pressed_;
    bool hovered_ = false;
    bool ctrlMoves_ = true;
};

/// Shows a JPEG picture scaled to its size (the prize picture box).
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    /// Raw file bytes; empty or undecodable data shows nothing.
    void setPictureData(const std::string& bytes);
    const std::string& pictureData() const { return data_; }
    /// True when the data decodes as a picture.
    bool hasPicture() const { return !image_.isNull(); }
    const QImage& picture() const { return image_; }

Q_SIGNALS:
    void leftPressed(int modifiers);
    void rightPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string data_;
    QImage image_;
};

/// An ordinary label of the settings panel that reports left presses (used
/// to drag the panel by its caption and to close it by its close mark).
class PressLabel : public QLabel {
    Q_OBJECT
public:
    explicit PressLabel(const QString& text = {}, QWidget* parent = nullptr);

Q_SIGNALS:
    void leftPressed(int modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

/// The settings panel's shape box: an opaque framed container that reports
/// left presses on its own area and keeps every press inside the panel.
class PanelFrame : public QFrame {
    Q_OBJECT
public:
    explicit PanelFrame(QWidget* parent = nullptr);

Q_SIGNALS:
    void leftPressed(int modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

/// A check box whose caption has a run of spaces that another control sits in
/// (a field inside the sentence). The caption stays as set; only the drawing
/// widens the run where this font's spaces are too narrow, so that the text
/// after the run is not hidden under the control.
class GapCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit GapCheckBox(const QString& text, QWidget* parent = nullptr);
    /// The control in the gap; a sibling of this check box.
    void setGapField(QWidget* field);
    /// The caption as drawn.
    QString shownText() const;
    /// Left edge of the caption's text in this box's coordinates.
    int textLeft() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> field_;
};

} // namespace luckdial
