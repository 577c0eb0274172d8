#pragma once
// Menu commands that change how the display looks and sounds (titles,
// background picture or colour, music file, minimising) and the choose/clear
// buttons of the prize pictures in the settings panel.

#include <QObject>

#include <functional>
#include <optional>
#include <string>

namespace luckdial {

class Host;
class MainWindow;
struct MainElements;

class AppearanceController : public QObject {
    Q_OBJECT
public:
    /// titleFilePath tells where the title file lives (GBK; empty when it
    /// cannot be told), asked each time the main title changes because it
    /// depends on the working directory of that moment; without it the main
    /// title command leaves the title file alone.
    AppearanceController(Host& host, MainWindow& window,
                         std::function<std::string()> titleFilePath = {});

    /// Connects 更换主标题, 更换副标题, 更换背景图, 取消背景图, 选择纯色背景,
    /// 更换背景音乐, 最小化界面 and the eight choose/clear picture buttons.
    void connectHandlers();

    void changeMainTitle();
    void changeSubTitle();
    void changeBackground();
    void removeBackground();
    void chooseBackgroundColour();
    void changeMusic();
    void minimise();
    /// Prize picture of row n (1-8): choose a JPEG file / delete the file.
    void choosePrizePicture(int n);
    void clearPrizePicture(int n);

private:
    std::string configPath() const;
    std::optional<std::string> askTitle(const std::string& key);
    void rewriteTitleFile(const std::string& title);

    Host& host_;
    MainWindow& window_;
    MainElements& e_;
    std::function<std::string()> titleFilePath_;
};

} // namespace luckdial
