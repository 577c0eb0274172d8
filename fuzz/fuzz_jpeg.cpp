// The JPEG decoder on any bytes: it returns a picture or a null image and
// neither crashes nor ends the process. Built from its own source file, so
// that only QImage is needed from Qt.

#include "photos/jpeg.h"

#include "check.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QImage image =
        luckdial::decodeJpeg(std::string(reinterpret_cast<const char*>(data), size));
    if (image.isNull()) return 0;
    FUZZ_CHECK(image.format() == QImage::Format_RGB888);
    FUZZ_CHECK(static_cast<long long>(image.width()) * image.height() <= 80LL * 1000 * 1000);
    return 0;
}
