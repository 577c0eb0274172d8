#include "host/core/hostbase.h"

#include "host/core/linereader.h"
#include "host/core/profile.h"
#include "host/core/replacement.h"
#include "host/core/text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial {

namespace {

enum class ReadStatus { Ok, Missing, Failed };

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    /// Closes now and reports whether the close succeeded.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

ReadStatus readFd(int fd, std::string& out) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) return ReadStatus::Failed;
    out.clear();
    std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    // One byte more than the size, so that a file that grew is still read to
    // its end and a file of the announced size needs no second allocation.
    out.resize(size + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) out.resize(out.size() * 2 + 4096);
        ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return ReadStatus::Ok;
}

ReadStatus readWhole(const std::string& native, std::string& out) {
    out.clear();
    if (native.empty()) return ReadStatus::Missing;
    Fd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    return readFd(fd.get(), out);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

/// Replaces the file so that a crash or a full disk leaves either the old
/// content or the new one, never a truncated file (see FileReplacement).
bool replaceFile(const std::string& native, const std::vector<std::string_view>& parts) {
    FileReplacement replacement(native);
    bool ok = replacement.ok();
    for (std::string_view part : parts)
        ok = ok && writeAll(replacement.fd(), part);
    return ok && replacement.commit();
}

/// A text file loaded whole at opening; changes are written back at once,
/// crash-safely, in the encoding the file had (a file read as GBK stays GBK, a
/// recognised UTF-8 file is written as UTF-8 again, its byte-order mark kept).
class HostTextFile : public TextFile {
public:
    HostTextFile() = default;
    HostTextFile(std::string native, std::string raw, TextEncoding encoding)
        : native_(std::move(native)), open_(true) {
        if (encoding == TextEncoding::Recognise) {
            DecodedText decoded = decodeFileText(std::move(raw));
            writeUtf8_ = decoded.wasUtf8;
            bom_ = decoded.hadBom;
            content_ = std::move(decoded.gbk);
        } else {
            content_ = std::move(raw);
        }
        reader_ = LineReader(content_);
    }

    bool isOpen() const override { return open_; }
    bool atEnd() const override { return reader_.atEnd(); }
    std::string readLine() override { return std::string(reader_.readLine()); }
    std::uint64_t position() const override { return reader_.position(); }
    std::uint64_t length() const override { return content_.size(); }

    std::string readAll() override {
        std::string rest = content_.substr(std::min(reader_.position(), content_.size()));
        reader_ = LineReader(content_, content_.size());
        return rest;
    }

    std::string takeRest() override {
        if (!open_) return {};
        const std::size_t pos = reader_.position();
        std::string rest = pos == 0 ? std::move(content_) : content_.substr(pos);
        // Without its content the handle must not write anything back.
        close();
        return rest;
    }

    bool writeText(std::string_view text) override {
        if (!open_) return false;
        std::size_t pos = reader_.position();
        content_.replace(pos, std::min(text.size(), content_.size() - pos), text);
        reader_ = LineReader(content_, pos + text.size());
        return flush();
    }

    bool deleteBytes(std::uint64_t n) override {
        if (!open_) return false;
        std::size_t pos = reader_.position();
        content_.erase(pos,
                       static_cast<std::size_t>(std::min<std::uint64_t>(n, content_.size() - pos)));
        reader_ = LineReader(content_, pos);
        return flush();
    }

    void close() override {
        open_ = false;
        content_.clear();
        reader_ = LineReader(content_);
    }

private:
    bool flush() {
        if (!writeUtf8_) return replaceFile(native_, {content_});
        std::string bytes = utf8(content_);
        return replaceFile(native_,
                           {bom_ ? std::string_view("\xEF\xBB\xBF") : std::string_view(), bytes});
    }

    std::string native_;
    bool open_ = false;
    bool bom_ = false;
    bool writeUtf8_ = false;
    std::string content_;
    LineReader reader_{std::string_view()};
};

} // namespace

HostBase::HostBase(std::string programDir) : programDir_(std::move(programDir)) {}

std::string HostBase::nativePath(const std::string& path) {
    // Convert first: the second byte of a GBK character can be 0x5C.
    std::string native = utf8(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string HostBase::readFile(const std::string& path) {
    std::string out;
    if (readWhole(nativePath(path), out) != ReadStatus::Ok) out.clear();
    return out;
}

bool HostBase::writeFile(const std::string& path, const std::vector<std::string_view>& parts) {
    if (path.empty()) return false;
    return replaceFile(nativePath(path), parts);
}

bool HostBase::fileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    return lstat(nativePath(path).c_str(), &st) == 0;
}

bool HostBase::deleteFile(const std::string& path) {
    return !path.empty() && ::unlink(nativePath(path).c_str()) == 0;
}

bool HostBase::copyFile(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
    std::string data;
    if (readWhole(nativePath(from), data) != ReadStatus::Ok) return false;
    return replaceFile(nativePath(to), {data});
}

bool HostBase::moveFile(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
    std::string src = nativePath(from), dst = nativePath(to);
    // A move never replaces an existing target.
    if (renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EINVAL || errno == ENOSYS) {
        struct stat st {};
        if (lstat(dst.c_str(), &st) == 0) return false;
        if (::rename(src.c_str(), dst.c_str()) == 0) return true;
    }
    if (errno != EXDEV) return false;
    // Another file system: copy, then remove the original.
    struct stat st {};
    if (lstat(dst.c_str(), &st) == 0) return false;
    std::string data;
    if (readWhole(src, data) != ReadStatus::Ok || !replaceFile(dst, {data})) return false;
    return ::unlink(src.c_str()) == 0;
}

bool HostBase::createDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(nativePath(path).c_str(), 0777) == 0;
}

bool HostBase::setFileHidden(const std::string& path, bool hidden) {
    // Linux has no hidden attribute; the only convention is a leading dot,
    // which would rename the file and hide it from the program itself. So the
    // file stays as it is and the call succeeds.
    (void)hidden;
    return fileExists(path);
}

std::unique_ptr<TextFile> HostBase::openTextFile(const std::string& path, TextEncoding encoding) {
    if (path.empty()) return std::make_unique<HostTextFile>();
    std::string native = nativePath(path);
    // Read-only and never created: a pool on a write-protected stick must load.
    // A missing file or a directory gives a handle that is not open.
    Fd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::make_unique<HostTextFile>();
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::make_unique<HostTextFile>();
    std::string raw;
    if (readFd(fd.get(), raw) != ReadStatus::Ok) return std::make_unique<HostTextFile>();
    return std::make_unique<HostTextFile>(std::move(native), std::move(raw), encoding);
}

namespace {

/// Reads a configuration file as GBK. One saved as UTF-8 by a text editor is
/// rewritten in GBK first (crash-safely; a write-protected one is converted
/// in memory only), so that its prize table and titles read as typed.
ReadStatus readProfile(const std::string& native, std::string& text) {
    const ReadStatus status = readWhole(native, text);
    if (status != ReadStatus::Ok || textKind(text) != TextKind::Utf8) return status;
    text = decodeFileText(std::move(text)).gbk;
    (void)replaceFile(native, {text}); // best effort: reading goes on either way
    return status;
}

/// Applies edit to the file's text and writes the result back when it
/// changed. A file that exists but cannot be read is left alone: writing the
/// edit of an empty text over it would wipe every other setting.
template <typename Edit>
bool editProfile(const std::string& native, bool createMissing, Edit edit) {
    std::string text;
    ReadStatus status = readProfile(native, text);
    if (status == ReadStatus::Failed) return false;
    if (status == ReadStatus::Missing && !createMissing) return true;
    std::string updated = edit(text);
    if (status == ReadStatus::Ok && updated == text) return true;
    return replaceFile(native, {updated});
}

} // namespace

std::string HostBase::readItem(const std::string& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue) {
    if (file.empty() || section.empty() || key.empty()) return {};
    std::string text;
    if (readProfile(nativePath(file), text) != ReadStatus::Ok) text.clear();
    std::optional<std::string> value = profile::read(text, section, key);
    return value ? *value : std::string(defaultValue);
}

bool HostBase::writeItem(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view value) {
    if (file.empty() || section.empty() || key.empty()) return false;
    return editProfile(nativePath(file), true, [&](const std::string& text) {
        return profile::write(text, section, key, value);
    });
}

bool HostBase::deleteItem(const std::string& file, std::string_view section, std::string_view key) {
    if (file.empty() || section.empty() || key.empty()) return false;
    return editProfile(nativePath(file), false, [&](const std::string& text) {
        return profile::removeKey(text, section, key);
    });
}

bool HostBase::deleteSection(const std::string& file, std::string_view section) {
    if (file.empty() || section.empty()) return false;
    return editProfile(nativePath(file), false, [&](const std::string& text) {
        return profile::removeSection(text, section);
    });
}

std::uint32_t HostBase::tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void HostBase::seedRandom() {
    // Two seedings within one millisecond still differ: the counter moves on
    // by at least 100 each time.
    unsigned t = tickCount();
    unsigned seed = t + seedCounter_;
    std::srand(seed);
    seedCounter_ = seedCounter_ + (seed & 255u) + 100u;
}

void HostBase::seedRandom(int seed) {
    std::srand(static_cast<unsigned>(seed));
}

int HostBase::random(int min, int max) {
    if (min < 0) min = 0;
    if (max < 0) max = 0;
    if (min > max) std::swap(min, max);
    if (min == max) return min;
    long long range = static_cast<long long>(max) - min;
    if (range == INT_MAX) range = INT_MAX - 1;
    return min + static_cast<int>(std::rand() % (range + 1));
}

} // namespace luckdial
