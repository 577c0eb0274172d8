#pragma once
// A QR code as a picture, made with libqrencode.

#include <QByteArray>
#include <QImage>

namespace luckdial::remote {

/// The text as a QR code (error correction M), black modules on white with
/// the four-module quiet zone, each module `moduleSize` pixels. A null image
/// when the text does not fit a QR code.
QImage qrCodeImage(const QByteArray& text, int moduleSize);

} // namespace luckdial::remote
