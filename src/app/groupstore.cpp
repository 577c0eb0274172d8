#include "app/groupstore.h"

#include "host/core/text.h"
#include "host/host.h"
#include "pool/groupfile.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"

#include <optional>

namespace luckdial {

namespace {

void tellMismatch(Host& host, const std::string& what) {
    host.messageBox(gbk("分组信息与") + what +
                        gbk("不一致（名单可能被手工修改过），本次抽奖的名单不分组。\r\n"
                            "原来的分组文件已改名保存。"),
                    MbOk | MbIconWarning, gbk("提示"));
}

} // namespace

void loadGroups(Host& host, MainWindow& window, GroupSource source,
                const std::string& recordGroups) {
    window.winnerGroups().clear();
    std::string text;
    std::string path;
    std::string what;
    if (source == GroupSource::RecoveryRecord) {
        if (recordGroups.empty()) return;
        text = recordGroups;
        what = gbk("恢复的抽奖名单");
    } else {
        path = host.path(source == GroupSource::PoolFile ? names::poolGroupsFile()
                                                         : names::progressGroupsFile());
        if (!host.fileExists(path)) return;
        text = host.readFile(path);
        what = source == GroupSource::PoolFile ? gbk("“") + names::poolFile() + gbk("”")
                                               : gbk("“") + names::progressFile() + gbk("”");
    }
    std::optional<GroupFile> file = parseGroupFile(text);
    std::vector<WinnerGroup> winners;
    if (file) winners = file->winners;
    if (!file || !applyGroupFile(window.pool(), std::move(*file))) {
        // Told once: the file goes aside, so the next start finds none.
        if (!path.empty()) (void)host.keepAside(path, true);
        tellMismatch(host, what);
        return;
    }
    if (source != GroupSource::PoolFile) window.winnerGroups() = std::move(winners);
}

bool saveProgressGroups(Host& host, MainWindow& window) {
    const std::string path = host.path(names::progressGroupsFile());
    const Pool& pool = window.pool();
    if (!pool.hasGroups() && window.winnerGroups().empty()) {
        (void)host.deleteFile(path); // none to keep: a stale one would be told as a mismatch
        return true;
    }
    if (host.writeFile(path, groupFileText(pool, window.winnerGroups()))) return true;
    (void)host.deleteFile(path);
    host.messageBox(gbk("分组信息保存失败，下次继续抽奖时名单将不分组！"), MbOk | MbIconWarning,
                    gbk("提示"));
    return false;
}

void writePoolGroups(Host& host, const std::string& groupText) {
    const std::string path = host.path(names::poolGroupsFile());
    if (groupText.empty()) {
        if (host.fileExists(path)) (void)host.keepAside(path, true);
        return;
    }
    if (host.writeFile(path, groupText)) return;
    (void)host.deleteFile(path);
    host.messageBox(gbk("分组信息写入失败，导入的名单将不分组！"), MbOk | MbIconWarning,
                    gbk("提示"));
}

void removeProgressGroups(Host& host) {
    (void)host.deleteFile(host.path(names::progressGroupsFile()));
}

} // namespace luckdial
