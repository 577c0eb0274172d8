#pragma once
// A HostBase with inert window-system parts, for tests (and benchmarks) of the
// host core and of the logic that reads files through it: no Qt, no GoogleTest.

#include "host/core/hostbase.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace luckdial {

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
    std::optional<std::string> saveFileDialog(const std::string&, const std::string&) override {
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

} // namespace luckdial
