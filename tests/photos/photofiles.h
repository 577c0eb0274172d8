#pragma once
// Photo files for the photo tests: PNGs, and the crafted headers of the
// hostile ones.

#include <QImage>

#include <string>

namespace luckdial::testing {

/// The image as PNG bytes.
std::string pngOf(const QImage& image);
/// A small PNG whose header claims width x height (the CRC mended), as a
/// decompression bomb does: a few bytes that ask for gigabytes.
std::string pngClaiming(int width, int height);
/// The JPEG with the frame header's dimensions replaced.
std::string jpegClaiming(std::string jpeg, int width, int height);

} // namespace luckdial::testing
