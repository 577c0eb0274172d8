#include "sheet/ziparchive.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial::sheet {

namespace {

constexpr std::uint64_t kMaxEntries = 100'000;

/// The name as compared: "/" for "\\", lower case.
std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c == '\\') c = '/';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace

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
        return;
    }
    zip_int64_t n = zip_get_num_entries(zip_, 0);
    entries_ = n > 0 ? static_cast<std::uint64_t>(n) : 0;
    // A workbook has dozens of parts; a central directory of millions of
    // names is a hostile file, and each lookup would walk it.
    if (entries_ > kMaxEntries) {
        zip_discard(zip_);
        zip_ = nullptr;
        error_ = ReadError::Damaged;
    }
}

ZipArchive::~ZipArchive() {
    if (zip_) zip_discard(zip_);
}

std::optional<std::uint64_t> ZipArchive::find(const std::string& name) const {
    if (!zip_) return std::nullopt;
    zip_int64_t i = zip_name_locate(zip_, name.c_str(), ZIP_FL_ENC_GUESS);
    if (i < 0) i = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (i >= 0) return static_cast<std::uint64_t>(i);
    const std::string wanted = folded(name);
    for (std::uint64_t k = 0; k < entries_; ++k) {
        const char* n = zip_get_name(zip_, k, ZIP_FL_ENC_GUESS);
        if (n && folded(n) == wanted) return k;
    }
    return std::nullopt;
}

std::string ZipArchive::name(std::uint64_t index) const {
    const char* n = zip_ ? zip_get_name(zip_, index, ZIP_FL_ENC_GUESS) : nullptr;
    if (!n) return {};
    std::string out(n);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
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

ZipEntryStream::ZipEntryStream(const ZipArchive& archive, std::uint64_t index) : archive_(archive) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.handle(), index, 0, &st) != 0) {
        status_ = ReadError::Damaged;
        return;
    }
    // The declared size first: it refuses most oversized parts before any
    // inflating. The count in read() catches a size that lies.
    const std::uint64_t limit = archive.limits().maxUnzippedBytes;
    if ((st.valid & ZIP_STAT_SIZE) && (st.size > limit || archive.inflated_ > limit - st.size)) {
        status_ = ReadError::TooLarge;
        return;
    }
    if (st.valid & ZIP_STAT_SIZE) size_ = st.size;
    file_ = zip_fopen_index(archive.handle(), index, 0);
    if (!file_) {
        // An entry encrypted in the zip itself needs a password.
        zip_error_t* e = zip_get_error(archive.handle());
        const int code = e ? zip_error_code_zip(e) : 0;
        status_ =
            code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP
                ? ReadError::PasswordProtected
                : ReadError::Damaged;
    }
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
    archive_.inflated_ += static_cast<std::uint64_t>(n);
    if (archive_.inflated_ > archive_.limits().maxUnzippedBytes) {
        status_ = ReadError::TooLarge;
        return -1;
    }
    if (ReadProgress* p = archive_.limits().progress) {
        if (p->cancel.load(std::memory_order_relaxed)) {
            status_ = ReadError::Cancelled;
            return -1;
        }
        p->total.store(std::max(size_, read_), std::memory_order_relaxed);
        p->done.store(read_, std::memory_order_relaxed);
    }
    return n;
}

} // namespace luckdial::sheet
