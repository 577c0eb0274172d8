#pragma once
// JPEG files made with libjpeg for the decoding tests.

#include <QImage>

#include <string>

namespace luckdial::testing {

/// RGB (or greyscale) JPEG of the image.
std::string encodeJpeg(const QImage& image, bool greyscale = false, bool progressive = false);
/// A progressive colour JPEG of four scans that all carry full precision
/// (the DC of all components, then coefficients 1-63 of each component).
std::string encodeFullPrecisionProgressiveJpeg(const QImage& image);
/// The JPEG file with its last scan written `times` more times before the
/// end marker, as a crafted file does.
std::string repeatLastScan(const std::string& jpeg, int times);
/// Number of scans (start-of-scan markers) of a JPEG file.
int scanCount(const std::string& jpeg);
/// A CMYK JPEG of one colour, stored as Adobe writes it (inverted values).
std::string encodeCmykJpeg(int width, int height, int c, int m, int y, int k);
/// A picture of colour bands that survives JPEG compression recognisably.
QImage testPicture(int width, int height);

} // namespace luckdial::testing
