#include "settings/update.h"

#include "host/core/text.h"
#include "host/host.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <QAction>

namespace luckdial {

std::string versionFromBody(std::string_view body) {
    return std::string(body.substr(0, body.find('\0')));
}

std::string archiveAddress(std::string_view version) {
    static const char hex[] = "0123456789ABCDEF";
    std::string address(kUpdateServer);
    address += "/temp/Luckdial";
    for (const char c : version) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                                (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                                b == '~';
        if (unreserved) {
            address += c;
        } else {
            address += '%';
            address += hex[b >> 4];
            address += hex[b & 0x0F];
        }
    }
    address += ".rar";
    return address;
}

std::string versionDocumentAddress() {
    return std::string(kUpdateServer) + "/temp/ver.txt";
}

UpdateCheck::UpdateCheck(Host& host, MainWindow& window) : host_(host), window_(window) {}

void UpdateCheck::connectHandlers() {
    QObject::connect(window_.elements().menu.update, &QAction::triggered, &window_,
                     [this] { run(); });
}

void UpdateCheck::run() {
    const std::string version = versionFromBody(host_.fetchDocument(versionDocumentAddress()));
    // A failed request comes back empty: that is no news of a new version, and
    // offering a download then would send the operator to an archive that is
    // not there.
    if (version.empty()) {
        host_.messageBox(gbk("无法获取最新版本信息，请检查网络连接后再试！"), MbOk | MbIconWarning);
        return;
    }
    // Compared as text: any other difference, an older version included,
    // offers the download.
    if (version == kProgramVersion) {
        host_.messageBox(gbk("软件已经是最新版本！"), MbOk);
        return;
    }
    if (host_.messageBox(gbk("发现最新版本 是否下载？"), MbYesNo | MbIconQuestion) == IdYes)
        host_.openWithShell(archiveAddress(version));
}

} // namespace luckdial
