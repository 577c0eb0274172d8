#pragma once
// The 软件初始化 command: throws away progress, results, layout, colours and
// fonts, keeps the prize table, the titles and the panel's options, puts the
// background picture aside and restarts the program.

#include <string>

namespace luckdial {

class Host;
class MainWindow;

class ResetCommand {
public:
    ResetCommand(Host& host, MainWindow& window);

    /// Connects the menu item 软件初始化.
    void connectHandlers();
    /// The command; when confirmed it ends the program.
    void run();

    /// The new configuration file's text from the panel and the titles as
    /// they stand now (GBK, "\r\n" between lines, none after the last).
    std::string configurationText() const;

private:
    void writeOptions();

    Host& host_;
    MainWindow& window_;
};

/// The executable as a command line of one word, quoted so that spaces in
/// its path survive the host's splitting.
std::string quotedCommand(const std::string& executable);

} // namespace luckdial
