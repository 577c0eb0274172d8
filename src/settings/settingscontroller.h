#pragma once
// The settings subsystem's handlers: the start-up apply step of the stored
// configuration, the prize settings panel with its save, the access password,
// the draw-option check boxes, the window-size commands and the music switch.

#include "ui/prizetable.h"

#include <QObject>

#include <optional>
#include <string>

namespace luckdial {

class Host;
class MainWindow;
class PasswordWindow;
struct DrawState;
struct MainElements;

class SettingsController : public QObject {
    Q_OBJECT
public:
    SettingsController(Host& host, MainWindow& window, DrawState& draw);
    ~SettingsController() override;

    /// Connects the panel, its check boxes and close mark, the save button and
    /// the menu items 奖项设置, 窗口, 全屏, 启用背景音乐 and 禁用背景音乐.
    void connectHandlers();

    /// Loads the stored configuration into the panel, the window and the display.
    void applyConfiguration();

    /// Refills the prize-level selector from the panel's name fields and, when
    /// its text names a level, shows that level's picture and sets the level
    /// limit. Returns the matched row. Without a match the picture is
    /// cleared, unless keepPictureWithoutMatch (the start-up variant).
    std::optional<int> refreshPrizeLevelList(bool keepPictureWithoutMatch = false);

    /// Menu 窗口 / 全屏; both store the choice.
    void setWindowMode();
    void setFullScreen();
    /// Menu 启用背景音乐 / 禁用背景音乐.
    void musicOn();
    void musicOff();

    /// Shows the panel (after a correct password).
    void openPanel();
    /// The close mark: hides the panel without storing anything.
    void closePanel();
    /// The save button.
    void savePrizeSettings();

    /// Menu 奖项设置: the modal password window.
    void showPasswordWindow();
    /// The password window's handlers (its 进入设置 and 修改密码 buttons).
    void login(PasswordWindow& window);
    void changePassword(PasswordWindow& window);

    /// Draw-option check boxes, run after the box has changed its state.
    void maskClicked();
    void hideButtonsClicked();
    void disableEffectsClicked();

    /// Path of the configuration file.
    std::string configPath() const;

Q_SIGNALS:
    /// The effects box was clicked (either way): a fireworks effect that is
    /// showing closes.
    void effectsSwitched();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Items of section zbt; keys are GBK.
    std::string item(const std::string& key);
    void store(const std::string& key, const std::string& value);
    std::string storedPassword();
    void applyStyles();
    void setButtonHeights(int height);

    Host& host_;
    MainWindow& window_;
    MainElements& e_;
    DrawState& draw_;
    PrizeTable table_;
};

} // namespace luckdial
