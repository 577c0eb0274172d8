#pragma once
// JPEG files made with libjpeg for the decoding tests.

#include <QImage>

#include <string>

namespace luckdial::testing {

/// RGB (or greyscale) JPEG of the image.
std::string encodeJpeg(const QImage& image, bool greyscale = false, bool progressive = false);
/// A CMYK JPEG of one colour, stored as Adobe writes it (inverted values).
std::string encodeCmykJpeg(int width, int height, int c, int m, int y, int k);
/// A picture of colour bands that survives JPEG compression recognisably.
QImage testPicture(int width, int height);

} // namespace luckdial::testing
