#include "app/reset.h"

#include "app/recovery.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/configkeys.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include <array>

namespace luckdial {

namespace {

std::string textOf(const QLineEdit* field) {
    return gbkOf(field->text());
}

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
    const PanelElements& p = e.panel;
    std::string text = "[zbt]";
    auto line = [&text](const std::string& key, const std::string& value) {
        text += "\r\n";
        text += key;
        text += '=';
        text += oneLine(value);
    };
    for (int n = 1; n <= 8; ++n)
        line(config::levelWord(n) + gbk("人数"), textOf(p.quota[n - 1]));
    for (int n = 1; n <= 8; ++n)
        line(config::levelWord(n), textOf(p.name[n - 1]));
    for (int n = 1; n <= 8; ++n)
        line(config::levelWord(n) + gbk("一次抽取人数"), textOf(p.perDraw[n - 1]));
    line("zbt", e.mainTitle->caption());
    line("fbt", e.subTitle->caption());
    return text;
}

void ResetCommand::writeOptions() {
    const PanelElements& p = window_.elements().panel;
    const std::string config = host_.path(config::kFileName);
    auto store = [&](const char* key, const std::string& value) {
        host_.writeItem(config, config::kGeneral, gbk(key), value);
    };
    store("滚动速度", textOf(p.scrollSpeed));
    store("是否允许重复", config::boolText(p.allowRepeat->isChecked()));
    store("奖品图片宽", textOf(p.pictureWidth));
    store("奖品图片高", textOf(p.pictureHeight));
    store("不显示按钮", config::boolText(p.hideButtons->isChecked()));
    store("屏蔽启用", config::boolText(p.mask->isChecked()));
    store("屏蔽左", textOf(p.maskLeft));
    store("屏蔽右", textOf(p.maskRight));
    store("屏蔽字符", textOf(p.maskChars));
    for (int n = 1; n <= 8; ++n)
        host_.writeItem(config, config::kGeneral, gbk("列") + toText(static_cast<long long>(n)),
                        textOf(p.columns[n - 1]));
}

void ResetCommand::run() {
    const int answer =
        host_.messageBox(gbk("初始化以后界面布局及背景图将需要重新设置(同时抽奖进度被清除，"
                             "将重新开始抽奖)！"),
                         MbOkCancel, gbk("确定初始化？"));
    if (answer != IdOk) return;

    const std::string background = host_.path(gbk("底图.jpg"));
    const std::string backgroundCopy = host_.path(gbk("底图_bak.jpg"));
    const std::string config = host_.path(config::kFileName);
    // Failures pass silently: a file that is not there needs no deleting.
    host_.deleteFile(host_.path(gbk("进度.txt")));
    // The progress and the results go, so do the unfinished save and the
    // record of the run, which hold the same things.
    host_.deleteFile(host_.path(pendingProgressName()));
    removeRecoveryRecord(host_);
    host_.deleteFile(host_.path(gbk("抽奖结果.txt")));
    host_.deleteFile(config);
    host_.deleteFile(backgroundCopy);
    host_.moveFile(background, backgroundCopy);

    host_.writeFile(config, configurationText());
    writeOptions();

    host_.messageBox(gbk("初始化完毕，抽奖系统将重新启动！"), MbOk);
    // The close sequence must not run: the new instance starts from the
    // configuration just written, without layout or progress.
    host_.runProgram(quotedCommand(host_.executablePath()), false);
    host_.endProgram(0);
}

} // namespace luckdial
