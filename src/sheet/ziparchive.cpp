#include "sheet/ziparchive.h"

#include <zip.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

ZipArchive::ZipArchive(const std::string& path, const ReadLimits& limits) : limits_(limits) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error_ = ReadError::CannotOpen;
        return;
    }
    struct stat st {};
    char magic[4] = {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ssize_t got = ok ? ::pread(fd, magic, sizeof magic, 0) : -1;
    ::close(fd);
    if (!ok || got < 0) {
        error_ = ReadError::CannotOpen;
        return;
    }
    if (static_cast<std::uint64_t>(st.st_size) > limits.maxFileBytes) {
        error_ = ReadError::TooLarge;
        return;
    }
    int code = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip_) {
        // A file that begins like a zip but cannot be opened as one was cut
        // short or broken; anything else was never a workbook.
        bool looksZip = got == 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0;
        error_ = code == ZIP_ER_OPEN || code == ZIP_ER_READ ? ReadError::CannotOpen
                 : looksZip                                 ? ReadError::Damaged
                                                            : ReadError::NotSpreadsheet;
    }
}

ZipArchive::~ZipArchive() {
    if (zip_) zip_discard(zip_);
}

std::optional<std::uint64_t> ZipArchive::find(const std::string& name) const {
    if (!zip_) return std::nullopt;
    zip_int64_t i = zip_name_locate(zip_, name.c_str(), ZIP_FL_ENC_GUESS);
    if (i < 0) i = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (i < 0) return std::nullopt;
    return static_cast<std::uint64_t>(i);
}

ReadError ZipArchive::readAll(std::uint64_t index, std::string& out, std::uint64_t maxBytes) const {
    out.clear();
    ZipEntryDevice device(*this, index);
    if (device.status() != ReadError::None) return device.status();
    char buffer[65536];
    for (;;) {
        qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0) return device.status() == ReadError::None ? ReadError::Damaged : device.status();
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > maxBytes) return ReadError::TooLarge;
    }
    return device.status();
}

ZipEntryDevice::ZipEntryDevice(const ZipArchive& archive, std::uint64_t index)
    : limit_(archive.limits().maxUnzippedBytes) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.handle(), index, 0, &st) != 0) {
        status_ = ReadError::Damaged;
        return;
    }
    // The declared size first: it refuses most oversized parts before any
    // inflating. The count in readData catches a size that lies.
    if ((st.valid & ZIP_STAT_SIZE) && st.size > limit_) {
        status_ = ReadError::TooLarge;
        return;
    }
    file_ = zip_fopen_index(archive.handle(), index, 0);
    if (!file_) {
        status_ = ReadError::Damaged;
        return;
    }
    // QXmlStreamReader reads in blocks of its own: no second buffer.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice() {
    if (file_) zip_fclose(file_);
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize) {
    if (!file_ || status_ != ReadError::None) return -1;
    zip_int64_t n = zip_fread(file_, data, static_cast<zip_uint64_t>(maxSize));
    if (n < 0) {
        // A bad checksum or a broken deflate stream.
        status_ = ReadError::Damaged;
        return -1;
    }
    read_ += static_cast<std::uint64_t>(n);
    if (read_ > limit_) {
        status_ = ReadError::TooLarge;
        return -1;
    }
    return n;
}

} // namespace luckdial::sheet
