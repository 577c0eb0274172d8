// File work that keeps the program directory whole across crashes: removing
// the temporaries of interrupted replaces, keeping dated copies, and setting
// several configuration items in one replace.

#include "host/core/hostbase.h"
#include "host/core/profile.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace luckdial {

namespace {

/// The letters mkostemp puts in place of its six X.
bool isTemporaryChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isTemporaryOf(std::string_view entry, std::string_view name) {
    if (entry.size() != name.size() + 8 || entry.front() != '.') return false;
    if (entry.substr(1, name.size()) != name || entry[name.size() + 1] != '.') return false;
    for (char c : entry.substr(name.size() + 2))
        if (!isTemporaryChar(c)) return false;
    return true;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readAll(const std::string& native, std::string& out) {
    out.clear();
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[65536];
    ReadResult result = ReadResult::Ok;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = ReadResult::Failed;
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

/// Where the name part of a GBK path begins and where its extension's dot
/// stands (npos without one). Separators are searched character by
/// character: the second byte of a GBK character can be 0x5C.
std::pair<std::size_t, std::size_t> nameParts(const std::string& path) {
    std::size_t nameStart = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c >= 0x80) {
            ++i;
        } else if (c == '\\' || c == '/') {
            nameStart = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
    return {nameStart, dot};
}

} // namespace

int HostBase::removeStaleTemporaries(const std::string& dir,
                                     const std::vector<std::string>& names) {
    if (dir.empty()) return 0;
    std::vector<std::string> nativeNames;
    for (const std::string& name : names)
        if (!name.empty()) nativeNames.push_back(nativePath(name));
    const std::string nativeDir = nativePath(dir);
    DIR* listing = ::opendir(nativeDir.c_str());
    if (!listing) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view entryName(entry->d_name);
        bool ours = false;
        for (const std::string& name : nativeNames)
            ours = ours || isTemporaryOf(entryName, name);
        if (!ours) continue;
        const std::string full = nativeDir + "/" + std::string(entryName);
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlink(full.c_str()) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}

std::string HostBase::timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool HostBase::writeItems(const std::string& file, std::string_view section,
                          const std::vector<std::pair<std::string, std::string>>& items) {
    if (file.empty() || section.empty()) return false;
    for (const auto& item : items)
        if (item.first.empty()) return false;
    std::string text;
    // A file that exists but cannot be read is left alone: the edit of an
    // empty text written over it would wipe every other setting.
    if (readAll(nativePath(file), text) == ReadResult::Failed) return false;
    for (const auto& [key, value] : items)
        text = profile::write(text, section, key, value);
    return HostBase::writeFile(file, text);
}

std::string Host::keepAside(const std::string& path, bool move) {
    if (path.empty() || !fileExists(path)) return {};
    const auto [nameStart, dot] = nameParts(path);
    const std::size_t stemEnd = dot == std::string::npos || dot == nameStart ? path.size() : dot;
    const std::string stem = path.substr(0, stemEnd) + "_" + timeStamp();
    const std::string extension = path.substr(stemEnd);
    for (int n = 1; n <= 100; ++n) {
        const std::string target =
            stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + extension;
        // A move never replaces a file; a copy would, so it checks first.
        if (move) {
            if (moveFile(path, target)) return target;
            if (!fileExists(target)) return {};
        } else if (!fileExists(target)) {
            return copyFile(path, target) ? target : std::string();
        }
    }
    return {};
}

} // namespace luckdial
