#include "host/core/replacement.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial {

namespace {

mode_t processUmask() {
    static const mode_t mask = [] {
        // Reading the mask without changing it: /proc shows it; umask() would
        // have to set it for a moment.
        mode_t m = 022;
        if (FILE* f = std::fopen("/proc/self/status", "re")) {
            char line[256];
            while (std::fgets(line, sizeof line, f)) {
                unsigned v;
                if (std::sscanf(line, "Umask: %o", &v) == 1) {
                    m = static_cast<mode_t>(v);
                    break;
                }
            }
            std::fclose(f);
        }
        return m;
    }();
    return mask;
}

} // namespace

FileReplacement::FileReplacement(const std::string& native) {
    if (native.empty() || native.back() == '/') {
        fail("no file name");
        return;
    }
    target_ = native;
    struct stat st {};
    if (lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Keep the link and replace what it points to.
        if (char* real = realpath(target_.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    const bool existed = stat(target_.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode)) {
        fail("not a regular file");
        return;
    }
    if (existed && ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)) {
        fail("the file is write-protected");
        return;
    }

    const std::size_t slash = target_.rfind('/');
    dir_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string temp = dir_ + "/." + base + ".XXXXXX";
    fd_ = mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail(std::string("cannot create a file beside it: ") + std::strerror(errno));
        return;
    }
    temp_ = temp;
    // Only a privileged process can hand the file back to another owner;
    // everyone else keeps the file as their own.
    const bool owned = !existed || fchown(fd_, st.st_uid, st.st_gid) == 0 || errno == EPERM;
    const mode_t mode = existed ? (st.st_mode & 07777) : (0666 & ~processUmask());
    if (!owned || fchmod(fd_, mode) != 0) fail("cannot set the file's owner or mode");
}

FileReplacement::~FileReplacement() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool FileReplacement::fail(const std::string& why) {
    why_ = why;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    return false;
}

bool FileReplacement::closeTemporary() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0 || fail(std::string("cannot close: ") + std::strerror(errno));
}

bool FileReplacement::commit() {
    if (!ok()) return false;
    if (fd_ < 0) fd_ = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 || fsync(fd_) != 0)
        return fail(std::string("cannot sync: ") + std::strerror(errno));
    if (!closeTemporary()) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        return fail(std::string("cannot rename into place: ") + std::strerror(errno));
    temp_.clear();
    // The rename itself must reach the disk too; a file system that cannot
    // sync a directory still holds the new file, so this is best effort.
    const int dirFd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace luckdial
