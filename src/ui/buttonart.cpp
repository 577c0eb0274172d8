// The pictures of the start and stop buttons, drawn by the program itself:
// a rounded, glossy plate with a gold rim and a bold caption.

#include "ui/buttonart.h"
#include "ui/widgets.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace luckdial {
namespace {

struct Look {
    QColor top, bottom, rim, text, glow;
};

enum class State { Normal, Hover, Pressed };

QImage drawButton(int width, int height, const QString& caption, Look look, State state) {
    width = std::max(width, 8);
    height = std::max(height, 8);
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    if (state == State::Hover) {
        look.top = look.top.lighter(118);
        look.bottom = look.bottom.lighter(118);
    } else if (state == State::Pressed) {
        std::swap(look.top, look.bottom);
        look.top = look.top.darker(115);
        look.bottom = look.bottom.darker(115);
    }
    const qreal radius = height * 0.3;
    const QRectF outer(1.0, 1.0, width - 2.0, height - 2.0);

    // Gold rim.
    QLinearGradient rim(0, 0, 0, height);
    rim.setColorAt(0.0, look.rim.lighter(150));
    rim.setColorAt(0.5, look.rim);
    rim.setColorAt(1.0, look.rim.darker(160));
    QPainterPath outerPath;
    outerPath.addRoundedRect(outer, radius, radius);
    p.fillPath(outerPath, rim);

    // Body.
    const qreal inset = std::max(3.0, height * 0.06);
    const QRectF body = outer.adjusted(inset, inset, -inset, -inset);
    QLinearGradient fill(0, body.top(), 0, body.bottom());
    fill.setColorAt(0.0, look.top);
    fill.setColorAt(1.0, look.bottom);
    QPainterPath bodyPath;
    bodyPath.addRoundedRect(body, radius - inset * 0.6, radius - inset * 0.6);
    p.fillPath(bodyPath, fill);

    // Soft glow in the middle and a gloss band on the upper half.
    QRadialGradient glow(body.center(), body.width() * 0.5);
    QColor g = look.glow;
    g.setAlpha(state == State::Pressed ? 40 : 90);
    glow.setColorAt(0.0, g);
    g.setAlpha(0);
    glow.setColorAt(1.0, g);
    p.fillPath(bodyPath, glow);
    if (state != State::Pressed) {
        QPainterPath gloss;
        const QRectF band(body.left() + inset, body.top() + 1, body.width() - 2 * inset,
                          body.height() * 0.45);
        gloss.addRoundedRect(band, band.height() * 0.5, band.height() * 0.5);
        QLinearGradient shine(0, band.top(), 0, band.bottom());
        shine.setColorAt(0.0, QColor(255, 255, 255, 150));
        shine.setColorAt(1.0, QColor(255, 255, 255, 10));
        p.fillPath(gloss, shine);
    }

    // Caption with a dark shadow; the pressed look sinks by one pixel.
    installFontSubstitutions();
    QFont font;
    font.setFamilies({QStringLiteral("黑体")});
    font.setBold(true);
    font.setPixelSize(std::max(6, static_cast<int>(height * 0.46)));
    font.setLetterSpacing(QFont::PercentageSpacing, 115);
    p.setFont(font);
    const QPointF shift(0, state == State::Pressed ? 1.0 : 0.0);
    p.setPen(QColor(60, 0, 0, 170));
    p.drawText(body.translated(shift + QPointF(1.5, 2.0)), Qt::AlignCenter, caption);
    p.setPen(look.text);
    p.drawText(body.translated(shift), Qt::AlignCenter, caption);
    p.end();
    return img;
}

ButtonPictures make(int width, int height, const QString& caption, const Look& look) {
    return {drawButton(width, height, caption, look, State::Normal),
            drawButton(width, height, caption, look, State::Hover),
            drawButton(width, height, caption, look, State::Pressed)};
}

} // namespace

ButtonPictures startButtonPictures(int width, int height) {
    const Look look{QColor(235, 40, 30), QColor(150, 0, 0), QColor(212, 175, 55),
                    QColor(255, 228, 120), QColor(255, 200, 80)};
    return make(width, height, QStringLiteral("开始"), look);
}

ButtonPictures stopButtonPictures(int width, int height) {
    const Look look{QColor(250, 200, 60), QColor(200, 110, 0), QColor(140, 20, 10),
                    QColor(150, 0, 0), QColor(255, 255, 200)};
    return make(width, height, QStringLiteral("停止"), look);
}

} // namespace luckdial
