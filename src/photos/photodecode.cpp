#include "photos/photodecode.h"

#include "photos/jpeg.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
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

std::string readPhotoFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxPhotoFileBytes) return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const qint64 got = file.read(bytes.data(), size);
    if (got != size) return {};
    return bytes;
}

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

namespace {

// The photo decoded at the least size from which its crop still covers
// `target(crop of the full picture)`, cropped and scaled to that target.
template <typename Target> QImage decodeCropped(const std::string& bytes, Target target) {
    if (startsWith(bytes, "\xFF\xD8\xFF", 3)) {
        QSize size;
        const QImage decoded = decodeJpeg(bytes, [&size, &target](QSize full) {
            if (static_cast<long long>(full.width()) * full.height() > kMaxPhotoPixels) return 0;
            // The whole picture must come out large enough that its crop
            // still covers the card.
            const QRect crop = portraitCrop(full);
            if (crop.isEmpty()) return 0;
            size = target(crop.size());
            if (size.isEmpty()) return 0;
            const double scale = std::max(double(size.width()) / crop.width(),
                                          double(size.height()) / crop.height());
            const QSize needed(static_cast<int>(std::ceil(full.width() * scale)),
                               static_cast<int>(std::ceil(full.height() * scale)));
            // A panorama's crop is a sliver of it, and a card larger than
            // half of a big photo's crop would have it decoded whole: past
            // the bound the photo comes out smaller and is enlarged.
            int denominator = jpegScaleDenominator(full, needed);
            auto pixels = [&full](int d) {
                return static_cast<long long>((full.width() + d - 1) / d) *
                       ((full.height() + d - 1) / d);
            };
            while (denominator < 8 && pixels(denominator) > kMaxDecodedPixels)
                denominator *= 2;
            return pixels(denominator) > kMaxDecodedPixels ? 0 : denominator;
        });
        return fitted(decoded, size);
    }
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n", 8)) {
        const QImage decoded = decodePng(bytes);
        if (decoded.isNull()) return {};
        const QSize size = target(portraitCrop(decoded.size()).size());
        if (size.isEmpty()) return {};
        return fitted(decoded, size);
    }
    return {};
}

} // namespace

QSize fittedWithin(QSize crop, QSize bound) {
    if (crop.isEmpty() || bound.isEmpty()) return {};
    if (crop.width() <= bound.width() && crop.height() <= bound.height()) return crop;
    const double scale =
        std::min(double(bound.width()) / crop.width(), double(bound.height()) / crop.height());
    return QSize(
        std::clamp(static_cast<int>(std::lround(crop.width() * scale)), 1, bound.width()),
        std::clamp(static_cast<int>(std::lround(crop.height() * scale)), 1, bound.height()));
}

QImage decodePhoto(const std::string& bytes, QSize size) {
    if (size.isEmpty()) return {};
    return decodeCropped(bytes, [size](QSize) { return size; });
}

QImage decodePhotoWithin(const std::string& bytes, QSize bound) {
    if (bound.isEmpty()) return {};
    return decodeCropped(bytes, [bound](QSize crop) { return fittedWithin(crop, bound); });
}

} // namespace luckdial
