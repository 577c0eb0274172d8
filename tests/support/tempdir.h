#pragma once
// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away. Tests use it as a program
// directory.

#include <string>

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

} // namespace luckdial
