#pragma once
// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away. Tests use it as a program
// directory.

#include <filesystem>
#include <string>
#include <string_view>

namespace luckdial {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The directory, without a trailing separator. ASCII only, so it is the
    /// same in GBK and on disk.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

/// The whole file's bytes; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);
/// Replaces the file's content with data, bypassing the host.
void writeBytes(const std::filesystem::path& file, std::string_view data);

} // namespace luckdial
