#pragma once
// A HostBase with inert window-system parts, and a temporary directory, for
// tests of the host core and of the logic that reads files through it.

#include "host/core/hostbase.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace luckdial::test {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "luckdial-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    /// ASCII, so the same in GBK and on disk.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class CoreHost : public HostBase {
public:
    using HostBase::HostBase;
    void processEvents() override {}
    void delay(int) override {}
    std::unique_ptr<Timer> createTimer(std::function<void()>) override { return nullptr; }
    int messageBox(const std::string&, int, const std::string&) override { return IdOk; }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFileDialog(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<FontChoice> fontDialog(const FontChoice&) override { return std::nullopt; }
    std::optional<int> colourDialog(int) override { return std::nullopt; }
    void popUpMenu(QMenu*) override {}
    void playMusic(int, const std::vector<std::string>&) override {}
    void stopMusic() override {}
    std::string fetchDocument(const std::string&) override { return {}; }
    bool openWithShell(const std::string&) override { return false; }
    bool runProgram(const std::string&, bool) override { return false; }
    int screenWidth() override { return 0; }
    int screenHeight() override { return 0; }
    void setClipboardText(const std::string&) override {}
    std::string executablePath() override { return {}; }
    int bindHotKey(int, int, std::function<void()>) override { return 0; }
    void clipCorners(QWidget*, int) override {}
    void beginMove(QWidget*) override {}
    void bringToFront(QWidget*) override {}
    void endProgram(int) override {}
};

} // namespace luckdial::test
