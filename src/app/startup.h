#pragma once
// The main window's creation handler: everything that prepares a draw, in a
// fixed order, before the event loop takes over.

#include <QObject>

#include <cstddef>
#include <memory>
#include <string>

namespace luckdial {

class Host;
class TextFile;
class MainWindow;
class LoadingCaption;
class SettingsController;
class LayoutController;
struct DrawState;
struct TextStop;

class StartupSequence : public QObject {
    Q_OBJECT
public:
    StartupSequence(Host& host, MainWindow& window, DrawState& state, SettingsController& settings,
                    LayoutController& layout);
    ~StartupSequence() override;

    /// Runs the creation handler. Returns false when it ended the program (the
    /// pool file is missing); the caller must then do nothing more.
    bool run();

    /// Identifiers of the two hot keys after run(); 0 when refused.
    int f1HotKey() const { return f1HotKey_; }
    int switchHotKey() const { return switchHotKey_; }

Q_SIGNALS:
    /// The two hot keys bound by run() (F1, Ctrl+Shift+K).
    void f1Pressed();
    void switchKeyPressed();

private:
    void sizeToScreen();
    void bindHotKeys();
    TextStop loadPool();
    void placeDefaults();
    void applyTitleFile();

    Host& host_;
    MainWindow& window_;
    DrawState& state_;
    SettingsController& settings_;
    LayoutController& layout_;
    int f1HotKey_ = 0;
    int switchHotKey_ = 0;
    std::unique_ptr<TextFile> source_;
    std::unique_ptr<LoadingCaption> caption_;
};

/// The title file's path: "cjini.txt" in the process's working directory (GBK).
std::string titleFilePath();

} // namespace luckdial
