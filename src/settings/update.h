#pragma once
// The 新版本下载 command: asks the update server for the newest version text
// and offers the release archive in the browser when it differs from ours.

#include <string>
#include <string_view>

namespace luckdial {

class Host;
class MainWindow;

/// This program's version text.
inline constexpr std::string_view kProgramVersion = "3.99";
/// Base address of the update server, without a trailing slash.
inline constexpr std::string_view kUpdateServer = "http://update.luckdial.example";

/// The version text of a fetched body: the bytes up to the first zero byte.
std::string versionFromBody(std::string_view body);
/// Address of the release archive of a version; the version text is
/// percent-encoded, so whatever the server sent stays inside the path.
std::string archiveAddress(std::string_view version);
/// Address of the version document.
std::string versionDocumentAddress();

class UpdateCheck {
public:
    UpdateCheck(Host& host, MainWindow& window);

    /// Connects the menu item 新版本下载.
    void connectHandlers();
    /// The command itself.
    void run();

private:
    Host& host_;
    MainWindow& window_;
};

} // namespace luckdial
