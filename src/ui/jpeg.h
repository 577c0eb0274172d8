#pragma once
// JPEG decoding for the background and prize pictures.

#include <QImage>

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

} // namespace luckdial
