#pragma once
// The part of the host that needs no window system: paths, files (crash-safe
// replace), text-file handles, configuration items, the tick count and the
// host's C-library random numbers. QtHost and FakeHost derive from it.

#include "host/host.h"

namespace luckdial {

class HostBase : public Host {
public:
    /// programDir: GBK, no trailing separator.
    explicit HostBase(std::string programDir);

    std::string programDir() const override { return programDir_; }
    std::string readFile(const std::string& path) override;
    using Host::writeFile;
    bool writeFile(const std::string& path, const std::vector<std::string_view>& parts) override;
    bool fileExists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool createDirectory(const std::string& path) override;
    bool setFileHidden(const std::string& path, bool hidden) override;
    std::unique_ptr<TextFile>
    openTextFile(const std::string& path, TextEncoding encoding = TextEncoding::Recognise) override;
    int removeStaleTemporaries(const std::string& dir,
                               const std::vector<std::string>& names) override;
    std::string timeStamp() override;

    std::string readItem(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view defaultValue = {}) override;
    bool writeItem(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value) override;
    bool deleteItem(const std::string& file, std::string_view section,
                    std::string_view key) override;
    bool deleteSection(const std::string& file, std::string_view section) override;
    bool writeItems(const std::string& file, std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& items) override;

    std::uint32_t tickCount() override;

    void seedRandom() override;
    void seedRandom(int seed) override;
    int random(int min, int max) override;

    /// A GBK program path ("\\" or "/" separators) as the UTF-8 path on disk.
    static std::string nativePath(const std::string& path);

private:
    std::string programDir_;
    unsigned seedCounter_ = 0;
};

} // namespace luckdial
