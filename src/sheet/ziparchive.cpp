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
    ZipEntryStream stream(*this, index);
    char buffer[65536];
    for (;;) {
        std::int64_t n = stream.read(buffer, sizeof buffer);
        if (n < 0) return stream.status();
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > maxBytes) return ReadError::TooLarge;
    }
    return ReadError::None;
}

ZipEntryStream::ZipEntryStream(const ZipArchive& archive, std::uint64_t index)
    : limit_(archive.limits().maxUnzippedBytes) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.handle(), index, 0, &st) != 0) {
        status_ = ReadError::Damaged;
        return;
    }
    // The declared size first: it refuses most oversized parts before any
    // inflating. The count in read() catches a size that lies.
    if ((st.valid & ZIP_STAT_SIZE) && st.size > limit_) {
        status_ = ReadError::TooLarge;
        return;
    }
    file_ = zip_fopen_index(archive.handle(), index, 0);
    if (!file_) status_ = ReadError::Damaged;
}

ZipEntryStream::~ZipEntryStream() {
    if (file_) zip_fclose(file_);
}

std::int64_t ZipEntryStream::read(char* data, std::size_t size) {
    if (!file_ || status_ != ReadError::None) return -1;
    zip_int64_t n = zip_fread(file_, data, size);
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

ZipEntryDevice::ZipEntryDevice(const ZipArchive& archive, std::uint64_t index)
    : stream_(archive, index) {
    // QXmlStreamReader reads in blocks of its own: no second buffer.
    if (stream_.status() == ReadError::None) open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize) {
    return stream_.read(data, static_cast<std::size_t>(maxSize));
}

} // namespace luckdial::sheet
