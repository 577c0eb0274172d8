#pragma once
// JPEG decoding for the background, the prize pictures and the photos.

#include <QImage>

#include <functional>
#include <string>

namespace luckdial {

/// Most scans a JPEG picture may have. Encoders write about ten (libjpeg's
/// own progression at most 60, for ten components); every scan costs a pass
/// over the whole picture.
constexpr int kMaxJpegScans = 100;

/// Decodes JPEG bytes with libjpeg; a null image for anything that is not a
/// whole, valid JPEG (never crashes, never exits), for a progression that
/// refines bits twice, and for more than kMaxJpegScans scans.
QImage decodeJpeg(const std::string& bytes);

/// Given a picture's full size, the scale denominator to decode it at
/// (1, 2, 4 or 8; other values are rounded down to one of these); 0 refuses
/// the picture before any of its data is decoded.
using ScaleChoice = std::function<int(QSize full)>;

/// decodeJpeg at a reduced scale: libjpeg decodes 1/2, 1/4 and 1/8 of the
/// size for a fraction of the work. The same refusals apply.
QImage decodeJpeg(const std::string& bytes, const ScaleChoice& scale);

/// The image as baseline JPEG bytes at `quality` (1-100); empty on failure.
/// The alpha channel, if any, is dropped.
std::string compressJpeg(const QImage& image, int quality);

/// The largest denominator (8, 4, 2, else 1) at which a picture of size
/// `full` still comes out at least `atLeast` in both dimensions.
int jpegScaleDenominator(QSize full, QSize atLeast);

} // namespace luckdial
