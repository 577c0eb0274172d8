#include "photos/photofiles.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace luckdial::testing {
namespace {

std::uint32_t crc32(const char* data, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void putBig32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

} // namespace

std::string pngOf(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out.toStdString();
}

std::string pngClaiming(int width, int height) {
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    std::string png = pngOf(small);
    // Signature (8), length (4), "IHDR" at 12, width at 16, height at 20, CRC at 29.
    putBig32(png, 16, static_cast<std::uint32_t>(width));
    putBig32(png, 20, static_cast<std::uint32_t>(height));
    putBig32(png, 29, crc32(png.data() + 12, 17));
    return png;
}

std::string jpegClaiming(std::string jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xFF);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

} // namespace luckdial::testing
