// JPEG decoding straight through libjpeg. libjpeg reports fatal errors by
// calling error_exit, which by default ends the process; ours jumps back to
// the decoding step instead. Only plain data lives in the frames that call
// setjmp, so the jump skips no destructor.

#include "photos/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace luckdial {
namespace {

// Pictures beyond this many pixels are refused rather than allocated.
constexpr long long kMaxPixels = 80LL * 1000 * 1000;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return; // trace messages
    // Warnings that mean the picture data is cut short or damaged: what
    // libjpeg would show is padded grey or garbage, so refuse the picture.
    // A bogus progression is a scan that refines bits already complete, as a
    // repeated scan does: the mark of a crafted file, not of any encoder.
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        errorExit(cinfo);
    default:
        break; // benign (extra bytes between markers, odd metadata)
    }
}

// libjpeg calls this before each step of reading the input, so a scan beyond
// the limit is refused before its data is decoded. Every scan of a
// progressive picture is a pass over all of its coefficients; a valid file
// that repeats a scan hundreds of times (without any warning when the scan
// carries full precision) would hold the program for seconds or minutes.
void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        errorExit(cinfo);
}

void outputMessage(j_common_ptr) {}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    bool created = false;
    bool cmyk = false;
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

// Reads the header and starts decompression at the scale `scale` chooses from
// the picture's full size; false on any error.
bool start(Decoder& d, const unsigned char* data, std::size_t size, const ScaleChoice& scale) {
    d.cinfo.err = jpeg_std_error(&d.err.base);
    d.err.base.error_exit = errorExit;
    d.err.base.emit_message = emitMessage;
    d.err.base.output_message = outputMessage;
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.progress_monitor = progressMonitor;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) return false;
    const long long pixels =
        static_cast<long long>(d.cinfo.image_width) * static_cast<long long>(d.cinfo.image_height);
    if (pixels <= 0 || pixels > kMaxPixels) return false;
    d.cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = d.cmyk ? JCS_CMYK : JCS_RGB;
    if (scale) {
        const int denominator = scale(
            QSize(static_cast<int>(d.cinfo.image_width), static_cast<int>(d.cinfo.image_height)));
        if (denominator <= 0) return false;
        d.cinfo.scale_num = 1;
        d.cinfo.scale_denom = static_cast<unsigned int>(denominator >= 8   ? 8
                                                        : denominator >= 4 ? 4
                                                        : denominator >= 2 ? 2
                                                                           : 1);
    }
    jpeg_start_decompress(&d.cinfo);
    return true;
}

// Decodes every scanline into the image's rows; false on any error.
bool readRows(Decoder& d, unsigned char* bits, std::ptrdiff_t stride, unsigned char* cmykRow) {
    if (setjmp(d.err.jump)) return false;
    const int width = static_cast<int>(d.cinfo.output_width);
    const bool inverted = d.cinfo.saw_Adobe_marker;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        unsigned char* row = bits + stride * static_cast<std::ptrdiff_t>(d.cinfo.output_scanline);
        JSAMPROW target = d.cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&d.cinfo, &target, 1) != 1) return false;
        if (d.cmyk) {
            for (int x = 0; x < width; ++x) {
                int c = cmykRow[4 * x], m = cmykRow[4 * x + 1], y = cmykRow[4 * x + 2],
                    k = cmykRow[4 * x + 3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                // Adobe writes CMYK inverted: the stored values are already 255 - ink.
                row[3 * x] = static_cast<unsigned char>(c * k / 255);
                row[3 * x + 1] = static_cast<unsigned char>(m * k / 255);
                row[3 * x + 2] = static_cast<unsigned char>(y * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    bool created = false;
    ~Encoder() {
        if (created) jpeg_destroy_compress(&cinfo);
        std::free(out);
    }
};

// Writes every row of an RGB888 image; false on any error.
bool compressRows(Encoder& e, const QImage& rgb, int quality) {
    e.cinfo.err = jpeg_std_error(&e.err.base);
    e.err.base.error_exit = errorExit;
    e.err.base.output_message = outputMessage;
    if (setjmp(e.err.jump)) return false;
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    jpeg_mem_dest(&e.cinfo, &e.out, &e.outSize);
    e.cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    e.cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, quality, TRUE);
    jpeg_start_compress(&e.cinfo, TRUE);
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        // libjpeg only reads the row; its interface is not const-correct.
        auto* row =
            const_cast<JSAMPLE*>(rgb.constScanLine(static_cast<int>(e.cinfo.next_scanline)));
        if (jpeg_write_scanlines(&e.cinfo, &row, 1) != 1) return false;
    }
    jpeg_finish_compress(&e.cinfo);
    return true;
}

} // namespace

std::string compressJpeg(const QImage& image, int quality) {
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) return {};
    auto e = std::make_unique<Encoder>();
    if (!compressRows(*e, rgb, std::clamp(quality, 1, 100)) || e->out == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(e->out), e->outSize);
}

int jpegScaleDenominator(QSize full, QSize atLeast) {
    for (int d : {8, 4, 2}) {
        // libjpeg rounds a scaled dimension up.
        const int w = (full.width() + d - 1) / d;
        const int h = (full.height() + d - 1) / d;
        if (w >= atLeast.width() && h >= atLeast.height()) return d;
    }
    return 1;
}

QImage decodeJpeg(const std::string& bytes) {
    return decodeJpeg(bytes, ScaleChoice());
}

QImage decodeJpeg(const std::string& bytes, const ScaleChoice& scale) {
    if (bytes.size() < 4) return {};
    auto d = std::make_unique<Decoder>();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (!start(*d, data, bytes.size(), scale)) return {};
    if (d->cinfo.output_components != (d->cmyk ? 4 : 3)) return {};
    QImage image(static_cast<int>(d->cinfo.output_width), static_cast<int>(d->cinfo.output_height),
                 QImage::Format_RGB888);
    if (image.isNull()) return {};
    std::unique_ptr<unsigned char[]> cmykRow;
    if (d->cmyk) cmykRow = std::make_unique<unsigned char[]>(4u * d->cinfo.output_width);
    if (!readRows(*d, image.bits(), image.bytesPerLine(), cmykRow.get())) return {};
    return image;
}

} // namespace luckdial
