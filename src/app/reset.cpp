#include "app/reset.h"

#include "app/groupstore.h"
#include "app/recovery.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/prizetable.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include <array>

namespace luckdial {

namespace {

/// A value stops at its first line break: a title read from the title file
/// may hold several lines, and the rest would otherwise become lines of the
/// configuration file of their own (a section header or a password, say).
std::string oneLine(const std::string& value) {
    return value.substr(0, value.find_first_of("\r\n"));
}

} // namespace

std::string quotedCommand(const std::string& executable) {
    // Inside quotes the host's splitter reads three quotes as one literal quote.
    std::string out = "\"";
    for (const char c : executable) {
        if (c == '"')
            out += "\"\"\"";
        else
            out += c;
    }
    out += '"';
    return out;
}

ResetCommand::ResetCommand(Host& host, MainWindow& window) : host_(host), window_(window) {}

void ResetCommand::connectHandlers() {
    QObject::connect(window_.elements().menu.reset, &QAction::triggered, &window_,
                     [this] { run(); });
}

std::string ResetCommand::configurationText() const {
    const MainElements& e = window_.elements();
    const PrizeTable table(e.panel);
    std::string text = std::string("[") + names::kGeneral + "]";
    auto line = [&text](const std::string& key, const std::string& value) {
        text += "\r\n";
        text += key;
        text += '=';
        text += oneLine(value);
    };
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        line(names::quotaKey(n), table.quotaText(n));
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        line(names::levelWord(n), table.name(n));
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        line(names::perDrawKey(n), table.perDrawText(n));
    line(names::kMainTitleKey, e.mainTitle->caption());
    line(names::kSubTitleKey, e.subTitle->caption());
    return text;
}

void ResetCommand::writeOptions() {
    const PanelElements& p = window_.elements().panel;
    const PrizeTable table(p);
    const std::string config = host_.path(names::kConfigFile);
    auto store = [&](const char* key, const std::string& value) {
        (void)host_.writeItem(config, names::kGeneral, gbk(key), value); // as a missing key
    };
    store("滚动速度", table.scrollSpeedText());
    store("是否允许重复", names::boolText(table.allowRepeat()));
    store("奖品图片宽", gbkOf(p.pictureWidth->text()));
    store("奖品图片高", gbkOf(p.pictureHeight->text()));
    store("不显示按钮", names::boolText(p.hideButtons->isChecked()));
    store(names::kMaskEnabled, names::boolText(table.maskEnabled()));
    store(names::kMaskLeft, table.maskLeft());
    store(names::kMaskRight, table.maskRight());
    store(names::kMaskChars, table.maskChars());
    for (int n = 1; n <= PrizeTable::kRows; ++n)
        (void)host_.writeItem(config, names::kGeneral, names::columnsKey(n), table.columnsText(n));
}

void ResetCommand::run() {
    const int answer =
        host_.messageBox(gbk("初始化以后界面布局及背景图将需要重新设置(同时抽奖进度被清除，"
                             "将重新开始抽奖)！"),
                         MbOkCancel, gbk("确定初始化？"));
    if (answer != IdOk) return;

    const std::string background = host_.path(names::backgroundFile());
    const std::string backgroundCopy = host_.path(names::backgroundBackupFile());
    const std::string config = host_.path(names::kConfigFile);
    // Failures pass silently: a file that is not there needs no deleting.
    (void)host_.deleteFile(host_.path(names::progressFile()));
    // The progress and the results go, so do the unfinished save and the
    // record of the run, which hold the same things.
    (void)host_.deleteFile(host_.path(pendingProgressName()));
    removeRecoveryRecord(host_);
    removeProgressGroups(host_);
    (void)host_.deleteFile(host_.path(names::resultsFile()));
    (void)host_.deleteFile(config);
    (void)host_.deleteFile(backgroundCopy);
    (void)host_.moveFile(background, backgroundCopy); // no background: nothing to keep

    // Unwritten, the new instance starts as from a missing file.
    (void)host_.writeFile(config, configurationText());
    writeOptions();

    host_.messageBox(gbk("初始化完毕，抽奖系统将重新启动！"), MbOk);
    // The close sequence must not run: the new instance starts from the
    // configuration just written, without layout or progress.
    host_.runProgram(quotedCommand(host_.executablePath()), false);
    host_.endProgram(0);
}

} // namespace luckdial
