#include "photos/photodecode.h"

#include "photos/jpeg.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

bool startsWith(const std::string& bytes, const char* magic, std::size_t n) {
    return bytes.size() >= n && bytes.compare(0, n, magic, n) == 0;
}

QImage fitted(const QImage& decoded, QSize size) {
    if (decoded.isNull()) return {};
    const QImage part = decoded.copy(portraitCrop(decoded.size()));
    QImage out = part.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage decodePng(const std::string& bytes) {
    // The reader works on a view of the bytes: no copy of a large file.
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(kPngAllocationLimitMb);
    const QSize full = reader.size();
    if (!full.isValid() || full.isEmpty()) return {};
    if (static_cast<long long>(full.width()) * full.height() > kMaxPhotoPixels) return {};
    QImage image;
    if (!reader.read(&image)) return {};
    return image;
}

} // namespace

QRect portraitCrop(QSize image) {
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0) return {};
    // Compare w/h with 3/4 in integers.
    if (static_cast<long long>(w) * kPhotoRatioHeight >=
        static_cast<long long>(h) * kPhotoRatioWidth) {
        const int cw = std::max(
            1, static_cast<int>(static_cast<long long>(h) * kPhotoRatioWidth / kPhotoRatioHeight));
        return QRect((w - cw) / 2, 0, cw, h);
    }
    const int ch = std::max(
        1, static_cast<int>(static_cast<long long>(w) * kPhotoRatioHeight / kPhotoRatioWidth));
    return QRect(0, (h - ch) / 5, w, ch);
}

QSize photoSize(int width) {
    width = std::max(1, width);
    return QSize(width, std::max(1, width * kPhotoRatioHeight / kPhotoRatioWidth));
}

QImage decodePhoto(const std::string& bytes, QSize size) {
    if (size.isEmpty()) return {};
    if (startsWith(bytes, "\xFF\xD8\xFF", 3)) {
        const QImage decoded = decodeJpeg(bytes, [size](QSize full) {
            if (static_cast<long long>(full.width()) * full.height() > kMaxPhotoPixels) return 0;
            // The whole picture must come out large enough that its crop
            // still covers the card.
            const QRect crop = portraitCrop(full);
            if (crop.isEmpty()) return 0;
            const double scale = std::max(double(size.width()) / crop.width(),
                                          double(size.height()) / crop.height());
            const QSize needed(static_cast<int>(std::ceil(full.width() * scale)),
                               static_cast<int>(std::ceil(full.height() * scale)));
            return jpegScaleDenominator(full, needed);
        });
        return fitted(decoded, size);
    }
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) return fitted(decodePng(bytes), size);
    return {};
}

} // namespace luckdial
