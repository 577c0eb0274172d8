#include "ui/jpegtools.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace luckdial::testing {
namespace {

enum class Progression { None, Simple, FullPrecision };

std::string compress(int width, int height, int components, J_COLOR_SPACE space,
                     const std::vector<unsigned char>& pixels, Progression progression) {
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
    // Spectral selection without successive approximation: the DC of every
    // component, then coefficients 1-63 of each component, all at full precision.
    std::vector<jpeg_scan_info> script;
    if (progression == Progression::Simple) jpeg_simple_progression(&cinfo);
    if (progression == Progression::FullPrecision) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = cinfo.num_components;
        for (int c = 0; c < cinfo.num_components; ++c)
            dc.component_index[c] = c;
        script.push_back(dc);
        for (int c = 0; c < cinfo.num_components; ++c) {
            jpeg_scan_info ac{};
            ac.comps_in_scan = 1;
            ac.component_index[0] = c;
            ac.Ss = 1;
            ac.Se = 63;
            script.push_back(ac);
        }
        cinfo.scan_info = script.data();
        cinfo.num_scans = static_cast<int>(script.size());
    }
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
                    progressive ? Progression::Simple : Progression::None);
}

std::string encodeFullPrecisionProgressiveJpeg(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()) *
                   3);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        pixels.insert(pixels.end(), line, line + 3 * rgb.width());
    }
    return compress(rgb.width(), rgb.height(), 3, JCS_RGB, pixels, Progression::FullPrecision);
}

std::string repeatLastScan(const std::string& jpeg, int times) {
    // Entropy-coded data never holds FF DA (an FF there is followed by 00 or
    // a restart marker), so the last FF DA starts the last scan.
    const std::size_t sos = jpeg.rfind("\xFF\xDA");
    const std::size_t eoi = jpeg.rfind("\xFF\xD9");
    if (sos == std::string::npos || eoi == std::string::npos || eoi < sos) return jpeg;
    const std::string scan = jpeg.substr(sos, eoi - sos);
    std::string out = jpeg.substr(0, eoi);
    out.reserve(jpeg.size() + scan.size() * static_cast<std::size_t>(times));
    for (int k = 0; k < times; ++k)
        out += scan;
    out += jpeg.substr(eoi);
    return out;
}

int scanCount(const std::string& jpeg) {
    int scans = 0;
    std::size_t at = 2; // after SOI
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(jpeg[k]); };
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF) {
        const unsigned char marker = byte(at + 1);
        if (marker == 0xD9) break;
        const std::size_t length = static_cast<std::size_t>(byte(at + 2) << 8 | byte(at + 3));
        at += 2 + length;
        if (marker != 0xDA) continue;
        ++scans;
        // Skip the entropy-coded data: up to the next marker that is not a
        // stuffed zero or a restart marker.
        while (at + 1 < jpeg.size() && !(byte(at) == 0xFF && byte(at + 1) != 0x00 &&
                                         !(byte(at + 1) >= 0xD0 && byte(at + 1) <= 0xD7)))
            ++at;
    }
    return scans;
}

std::string encodeCmykJpeg(int width, int height, int c, int m, int y, int k) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(static_cast<unsigned char>(255 - c));
        pixels.push_back(static_cast<unsigned char>(255 - m));
        pixels.push_back(static_cast<unsigned char>(255 - y));
        pixels.push_back(static_cast<unsigned char>(255 - k));
    }
    return compress(width, height, 4, JCS_CMYK, pixels, Progression::None);
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
