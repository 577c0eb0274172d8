#include "ui/jpegtools.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace luckdial::testing {
namespace {

std::string compress(int width, int height, int components, J_COLOR_SPACE space,
                     const std::vector<unsigned char>& pixels, bool progressive) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const auto stride = static_cast<std::size_t>(width * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<unsigned char*>(pixels.data() + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(out), outSize);
    std::free(out);
    return bytes;
}

} // namespace

std::string encodeJpeg(const QImage& image, bool greyscale, bool progressive) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const int comps = greyscale ? 1 : 3;
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(rgb.width() * rgb.height() * comps));
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if (greyscale)
                pixels.push_back(static_cast<unsigned char>(
                    (line[3 * x] * 30 + line[3 * x + 1] * 59 + line[3 * x + 2] * 11) / 100));
            else
                pixels.insert(pixels.end(), line + 3 * x, line + 3 * x + 3);
        }
    }
    return compress(rgb.width(), rgb.height(), comps, greyscale ? JCS_GRAYSCALE : JCS_RGB, pixels,
                    progressive);
}

std::string encodeCmykJpeg(int width, int height, int c, int m, int y, int k) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(static_cast<unsigned char>(255 - c));
        pixels.push_back(static_cast<unsigned char>(255 - m));
        pixels.push_back(static_cast<unsigned char>(255 - y));
        pixels.push_back(static_cast<unsigned char>(255 - k));
    }
    return compress(width, height, 4, JCS_CMYK, pixels, false);
}

QImage testPicture(int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixelColor(x, y,
                              x < width / 3       ? QColor(220, 20, 20)
                              : x < 2 * width / 3 ? QColor(20, 200, 20)
                                                  : QColor(20, 20, 220));
    return img;
}

} // namespace luckdial::testing
