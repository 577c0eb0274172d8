#include "remote/qrcode.h"

#include <qrencode.h>

#include <QPainter>

#include <memory>

namespace luckdial::remote {

QImage qrCodeImage(const QByteArray& text, int moduleSize) {
    if (text.isEmpty() || moduleSize < 1) return {};
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code) return {};
    constexpr int kQuiet = 4;
    const int modules = code->width;
    const int side = (modules + 2 * kQuiet) * moduleSize;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int y = 0; y < modules; ++y)
        for (int x = 0; x < modules; ++x)
            if (code->data[y * modules + x] & 1)
                p.drawRect((x + kQuiet) * moduleSize, (y + kQuiet) * moduleSize, moduleSize,
                           moduleSize);
    return image;
}

} // namespace luckdial::remote
