#include "ui/widgets.h"
#include "ui/jpeg.h"

#include "host/core/displaytext.h"
#include "host/qtext.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace luckdial {

int pointsToPixels(int points) {
    // Rounded as the Windows MulDiv(points, 96, 72) that produced the stored sizes.
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

int pixelsToPoints(int pixels) {
    return static_cast<int>(std::lround(pixels * 72.0 / 96.0));
}

FontValue designFont(const char* face, int pixels, bool bold) {
    FontValue f;
    f.face = gbk(face);
    f.size = pixelsToPoints(pixels);
    f.bold = bold;
    return f;
}

void installFontSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList serif{
            QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")};
        const QStringList sans{
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Serif CJK SC")};
        const QStringList mono{
            QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("WenQuanYi Zen Hei Mono"),
            QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("Noto Sans CJK SC")};
        const char* const serifFaces[] = {
            "宋体",    "新宋体",   "仿宋",     "仿宋_GB2312", "楷体",     "楷体_GB2312",
            "隶书",    "华文宋体", "华文仿宋", "华文楷体",    "华文中宋", "SimSun",
            "NSimSun", "FangSong", "KaiTi",    "LiSu",        "STSong"};
        const char* const sansFaces[] = {"黑体",       "微软雅黑", "幼圆",
                                         "华文细黑",   "华文黑体", "方正姚体",
                                         "SimHei",     "YouYuan",  "Microsoft YaHei",
                                         "微软正黑体", "STXihei",  "STHeiti"};
        const char* const monoFaces[] = {"Fixedsys", "Terminal"};
        for (const char* f : serifFaces)
            QFont::insertSubstitutions(QString::fromUtf8(f), serif);
        for (const char* f : sansFaces)
            QFont::insertSubstitutions(QString::fromUtf8(f), sans);
        for (const char* f : monoFaces)
            QFont::insertSubstitutions(QString::fromUtf8(f), mono);
    });
}

QFont toQFont(const FontValue& font) {
    installFontSubstitutions();
    QFont f;
    if (!font.face.empty()) f.setFamilies({qstr(font.face)});
    // A size of 0 or less is the system's default size, as a zero font height is.
    f.setPixelSize(font.size > 0 ? pointsToPixels(font.size) : 12);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

QColor toQColor(int colourValue) {
    const auto v = static_cast<unsigned>(colourValue);
    return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu),
                  static_cast<int>((v >> 16) & 0xFFu));
}

int fromQColor(const QColor& colour) {
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

int modifierState(Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ControlModifier) state |= 1;
    if (modifiers & Qt::ShiftModifier) state |= 2;
    if (modifiers & Qt::AltModifier) state |= 4;
    return state;
}

bool isPlacementChange(QEvent::Type type) {
    switch (type) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        return true;
    default:
        return false;
    }
}

// --- TransparentLabel ----------------------------------------------------------

TransparentLabel::TransparentLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    QWidget::setFont(toQFont(font_));
}

void TransparentLabel::setCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    // The text layout cannot take texts of hundreds of megabytes; whoever sets
    // a caption of entries bounds it already, this only keeps the label safe.
    QString text = qstr(luckdial::displayText(caption, kMaxDisplayTextBytes));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_ = std::move(text);
    updatePressArea();
    repaintOwnText();
    Q_EMIT contentChanged();
}

void TransparentLabel::setFontValue(const FontValue& font) {
    font_ = font;
    QWidget::setFont(toQFont(font));
    updatePressArea();
    repaintOwnText();
    Q_EMIT contentChanged();
}

void TransparentLabel::setTextColour(int colour) {
    colour_ = colour;
    repaintOwnText();
    Q_EMIT contentChanged();
}

void TransparentLabel::repaintOwnText() {
    // A label whose text another widget draws has nothing of its own to
    // repaint; an update would repaint the window under its whole area on
    // every scroll frame.
    if (!paintedElsewhere_) update();
}

void TransparentLabel::setPaintedElsewhere(bool elsewhere) {
    paintedElsewhere_ = elsewhere;
    setAttribute(Qt::WA_TransparentForMouseEvents, elsewhere);
    update();
}

void TransparentLabel::setShrinkToWindow(bool shrink) {
    shrinkToWindow_ = shrink;
    watchParent();
    update();
}

void TransparentLabel::watchParent() {
    // Where the text goes depends on the window's size: follow its resizes.
    if (QWidget* parent = parentWidget(); parent && !watchingParent_) {
        parent->installEventFilter(this);
        watchingParent_ = true;
    }
}

int TransparentLabel::widestLine(const QFont& font) const {
    const QFontMetrics metrics(font);
    int w = 0;
    for (const QString& line : text_.split(QLatin1Char('\n')))
        w = std::max(w, metrics.horizontalAdvance(line));
    return w;
}

QFont TransparentLabel::shownFont() const {
    QFont f = font();
    if ((!shrinkToWindow_ && !keepClearOf_) || text_.isEmpty()) return f;
    const int room = static_cast<int>(drawingArea().width()) - 4; // the glyphs' own overhang
    if (room <= 0) return f;
    const int size = f.pixelSize();
    if (size <= 0) return f;
    const int full = widestLine(f);
    if (full <= room) return f;
    int shrunk = std::max(6, static_cast<int>(std::floor(size * double(room) / full)));
    for (f.setPixelSize(shrunk); shrunk > 6 && widestLine(f) > room; f.setPixelSize(--shrunk)) {
    }
    return f;
}

void TransparentLabel::setKeepClearOf(QWidget* other) {
    if (keepClearOf_) keepClearOf_->removeEventFilter(this);
    keepClearOf_ = other;
    if (other) other->installEventFilter(this);
    watchParent();
    updatePressArea();
    update();
}

bool TransparentLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        updatePressArea();
        update();
    } else if (watched == keepClearOf_ && isPlacementChange(event->type())) {
        updatePressArea();
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void TransparentLabel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (keepClearOf_ || shrinkToWindow_) updatePressArea();
}

void TransparentLabel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    updatePressArea();
    update();
}

void TransparentLabel::paintEvent(QPaintEvent*) {
    if (paintedElsewhere_ || text_.isEmpty() || width() <= 0 || height() <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(shownFont());
    p.setPen(toQColor(colour_));
    QRectF area = drawingArea();
    if (font_.angle != 0) {
        // The angle is in tenths of a degree, counter-clockwise, about the label's centre.
        const QPointF centre = area.center();
        p.translate(centre);
        p.rotate(-font_.angle / 10.0);
        p.translate(-centre);
    }
    p.drawText(area, static_cast<int>(alignment_), text_);
}

QRectF TransparentLabel::drawingArea() const {
    QRect area = rect();
    if ((shrinkToWindow_ || keepClearOf_) && parentWidget()) {
        // Centred on the part of the label the window shows.
        const QRect inside = geometry().intersected(parentWidget()->rect());
        if (!inside.isEmpty()) area = inside.translated(-pos());
    }
    const QWidget* other = keepClearOf_;
    if (!other || other->parentWidget() != parentWidget() || !other->isVisibleTo(parentWidget()) ||
        text_.isEmpty())
        return QRectF(area);
    // The text moves beside the other element when it would run into it:
    // into the wider part of the label left or right of it.
    constexpr int kMargin = 8;
    const QRect clear =
        other->geometry().translated(-pos()).adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QFontMetrics metrics(font());
    const QRect text = metrics.boundingRect(area, static_cast<int>(alignment_), text_);
    if (!text.intersects(clear)) return QRectF(area);
    const QRect left(QPoint(area.left(), area.top()), QPoint(clear.left() - 1, area.bottom()));
    const QRect right(QPoint(clear.right() + 1, area.top()), area.bottomRight());
    const QRect wider = left.width() >= right.width() ? left : right;
    return wider.width() > 0 ? QRectF(wider) : QRectF(area);
}

QRect TransparentLabel::textArea() const {
    if (text_.isEmpty()) return {};
    const QFontMetrics metrics(shownFont());
    return metrics.boundingRect(drawingArea().toRect(), static_cast<int>(alignment_), text_)
        .intersected(rect());
}

void TransparentLabel::setPressOnTextOnly(bool textOnly) {
    pressOnTextOnly_ = textOnly;
    updatePressArea();
}

void TransparentLabel::updatePressArea() {
    if (paintedElsewhere_) return;
    if (!pressOnTextOnly_) {
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        clearMask();
        return;
    }
    const QRect text = textArea();
    // No text: nothing to press (an empty mask would mean no mask at all).
    setAttribute(Qt::WA_TransparentForMouseEvents, text.isEmpty());
    if (font_.angle != 0 || text.isEmpty())
        clearMask();
    else
        setMask(text.adjusted(-4, -4, 4, 4));
}

void TransparentLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updatePressArea();
}

void TransparentLabel::mousePressEvent(QMouseEvent* event) {
    // Presses stay with the label: a right press here is not a press on the background.
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT leftPressed(modifierState(event->modifiers()));
    else if (event->button() == Qt::RightButton)
        Q_EMIT rightPressed();
}

void TransparentLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) Q_EMIT doubleClicked();
}

// --- PictureButton -------------------------------------------------------------

PictureButton::PictureButton(QImage normal, QImage hover, QImage pressed, QWidget* parent)
    : QAbstractButton(parent), normal_(std::move(normal)), hover_(std::move(hover)),
      pressed_(std::move(pressed)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

PictureButton::PictureButton(const ButtonPictures& pictures, QWidget* parent)
    : PictureButton(pictures.normal, pictures.hover, pictures.pressed, parent) {}

void PictureButton::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) return;
    const QImage& img = isDown() ? pressed_ : (hovered_ ? hover_ : normal_);
    if (img.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), img);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept(); // not a press on the background
        return;
    }
    const int state = modifierState(event->modifiers());
    Q_EMIT leftPressed(state);
    if (state == 1 && ctrlMoves_) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

// --- PictureBox ------------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setPictureData(const std::string& bytes) {
    data_ = bytes;
    image_ = bytes.empty() ? QImage() : decodeJpeg(bytes);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (image_.isNull() || width() <= 0 || height() <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), image_);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT leftPressed(modifierState(event->modifiers()));
    else if (event->button() == Qt::RightButton)
        Q_EMIT rightPressed();
}

// --- panel pieces ------------------------------------------------------------------

PressLabel::PressLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void PressLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) Q_EMIT leftPressed(modifierState(event->modifiers()));
}

PanelFrame::PanelFrame(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
}

void PanelFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) Q_EMIT leftPressed(modifierState(event->modifiers()));
}

GapCheckBox::GapCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void GapCheckBox::setGapField(QWidget* field) {
    field_ = field;
    update();
}

int GapCheckBox::textLeft() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this).left();
}

QString GapCheckBox::shownText() const {
    QString shown = text();
    if (!field_ || field_->parentWidget() != parentWidget()) return shown;
    const qsizetype gap = shown.indexOf(QStringLiteral("  "));
    if (gap < 0) return shown;
    qsizetype after = gap;
    while (after < shown.size() && shown[after] == QLatin1Char(' '))
        ++after;
    // Where the text after the run must start, two pixels clear of the field.
    const int wanted = field_->geometry().right() + 3 - x() - textLeft();
    const QFontMetrics metrics(font());
    for (int added = 0; added < 64 && metrics.horizontalAdvance(shown.left(after)) < wanted;
         ++added) {
        shown.insert(after, QLatin1Char(' '));
        ++after;
    }
    return shown;
}

void GapCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = shownText();
    painter.drawControl(QStyle::CE_CheckBox, option);
}

} // namespace luckdial
