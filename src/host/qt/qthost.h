#pragma once
// The real host on Qt 6: dialogs, event loop, timers, sound, HTTP, the shell
// and the X11 window system.

#include "host/core/hostbase.h"

#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <memory>

class QApplication;
class QNetworkAccessManager;

namespace luckdial {

class MusicPlayer;
class X11HotKeys;
class DialogPlacement;

/// Call in main before the QApplication exists: chooses the GStreamer sound
/// back end unless QT_MEDIA_BACKEND already names one.
void prepareQtEnvironment();
/// Call once the QApplication exists: Qt's own dialogs speak Chinese.
void installChineseDialogs(QApplication& app);

class QtHost : public HostBase {
public:
    /// The program directory is the executable's directory.
    QtHost();
    /// programDir: GBK, without a trailing separator.
    explicit QtHost(std::string programDir);
    ~QtHost() override;

    void processEvents() override;
    void delay(int ms) override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTick) override;

    int messageBox(const std::string& text, int style, const std::string& caption = {}) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& caption,
                                        const std::string& initial) override;
    std::optional<std::string> saveFileDialog(const std::string& filter,
                                              const std::string& initial) override;
    std::optional<std::string> openFileDialog(const std::string& filter,
                                              const std::string& initial) override;
    std::optional<FontChoice> fontDialog(const FontChoice& initial) override;
    std::optional<int> colourDialog(int initial) override;
    void popUpMenu(QMenu* menu) override;

    void playMusic(int count, const std::vector<std::string>& files) override;
    void stopMusic() override;
    /// True while a playlist is active.
    bool musicActive() const;

    /// Gives up after fetchTimeoutMs; the body of a 2xx answer, else empty.
    std::string fetchDocument(const std::string& url) override;
    int fetchTimeoutMs = 10000;
    bool openWithShell(const std::string& target) override;
    bool runProgram(const std::string& commandLine, bool wait) override;

    int screenWidth() override;
    int screenHeight() override;
    int screenLeft() override;
    int screenTop() override;
    void setHallScreen(QScreen* screen) override;
    void setDialogAnchor(QWidget* anchor) override;
    /// The window dialogs open over while it is shown; null when none.
    QWidget* shownAnchor() const;
    void setClipboardText(const std::string& text) override;
    std::string executablePath() override;
    int bindHotKey(int modifiers, int virtualKey, std::function<void()> onPress) override;
    void clipCorners(QWidget* element, int diameter) override;
    void beginMove(QWidget* element) override;
    void bringToFront(QWidget* element) override;
    [[noreturn]] void endProgram(int code = 0) override;

private:
    std::unique_ptr<MusicPlayer> music_;
    std::unique_ptr<X11HotKeys> hotKeys_;
    std::unique_ptr<QNetworkAccessManager> network_;
    QPointer<QScreen> hallScreen_;
    QPointer<QWidget> anchor_;
    std::unique_ptr<DialogPlacement> placement_;
    QRect hallGeometry() const;
    QWidget* dialogParent() const;
};

} // namespace luckdial
