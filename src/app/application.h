#pragma once
// The composition root: the main window, the draw engine's state and the
// controllers of every subsystem, wired to the menu, the hot keys and the
// window's close request.

#include "draw/core/drawstate.h"

#include <memory>

namespace luckdial {

class Host;
class MainWindow;
class SettingsController;
class DrawController;
class LayoutController;
class StartupSequence;
class AppearanceController;
class ResetCommand;
class ImportCommand;
class UpdateCheck;
class ResultsController;
class TextStyleController;
class ConsoleController;
class RemoteController;
class OutcomeSaver;
class PhotoController;
class GroupRulesController;

class Application {
public:
    explicit Application(Host& host);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    /// Runs the start-up sequence and shows the window. False when the
    /// program ended during start-up.
    bool start();

    /// The close sequence (window close control and the 退出 command); false
    /// when the window stays open.
    bool requestClose();

    MainWindow& window() { return *window_; }
    DrawState& state() { return state_; }
    SettingsController& settings() { return *settings_; }
    DrawController& draw() { return *draw_; }
    StartupSequence& startup() { return *startup_; }
    ResultsController& results() { return *results_; }
    /// Two screens: the hall screen, the operator's console, clicker keys.
    ConsoleController& console() { return *console_; }
    RemoteController& remote() { return *remote_; }
    GroupRulesController& groupRules() { return *groupRules_; }
    PhotoController& photos() { return *photos_; }

private:
    void wireMenu();
    void wireHotKeys();

    Host& host_;
    DrawState state_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SettingsController> settings_;
    std::unique_ptr<DrawController> draw_;
    std::unique_ptr<LayoutController> layout_;
    std::unique_ptr<StartupSequence> startup_;
    std::unique_ptr<AppearanceController> appearance_;
    std::unique_ptr<ResetCommand> reset_;
    std::unique_ptr<ImportCommand> import_;
    std::unique_ptr<UpdateCheck> update_;
    std::unique_ptr<ResultsController> results_;
    std::unique_ptr<TextStyleController> styles_;
    std::unique_ptr<ConsoleController> console_;
    std::unique_ptr<RemoteController> remote_;
    std::unique_ptr<OutcomeSaver> saver_;
    std::unique_ptr<PhotoController> photos_;
    std::unique_ptr<GroupRulesController> groupRules_;
};

} // namespace luckdial
