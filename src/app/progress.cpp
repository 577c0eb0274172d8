#include "app/progress.h"

#include "app/groupstore.h"
#include "app/notices.h"
#include "app/outcomesaver.h"
#include "app/recovery.h"
#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "pool/pool.h"
#include "pool/savedstate.h"
#include "settings/core/names.h"
#include "ui/layout.h"
#include "ui/loadingcaption.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace luckdial {

namespace {

std::string configPath(Host& host) {
    return host.path(names::kConfigFile);
}

/// Beside the counters: the length and checksum of the progress text they
/// belong to. Written in the same replace of the configuration file as the
/// counters, it tells at the next start which progress text is theirs.
std::string checkKey() {
    return gbk("进度校验");
}

const char* const kResumeQuestion = "    是否继续上次抽奖?\r\n\r\n"
                                    "    选 【是】 为继续上一次保存的抽奖进度\r\n\r\n"
                                    "    选 【否】 为完全重新开始抽奖";

const char* const kExitQuestion =
    "    您希望退出软件，并保存当前抽奖进度吗？\r\n\r\n"
    "    选择 【是】 保存当前抽奖进度并退出\r\n\r\n"
    "    选择 【否】 不保存直接退出\r\n\r\n"
    "    选择 【取消】 则返回软件\r\n\r\n"
    "    注意：若本次抽奖完全结束，请导出抽奖结果另外保存，以免丢失！";

} // namespace

std::string settleProgressSave(Host& host) {
    const std::string progressFile = host.path(names::progressFile());
    const std::string pendingFile = host.path(pendingProgressName());
    if (host.fileExists(pendingFile)) {
        const std::string check = host.readItem(configPath(host), names::kProgress, checkKey());
        const std::string pending = host.readFile(pendingFile);
        const bool progressIsTheirs =
            host.fileExists(progressFile) && progressCheck(host.readFile(progressFile)) == check;
        // The counters were stored with the new text's check value, but the
        // text was not moved in yet: finish the move. Otherwise the save
        // never reached its counters and the text is dropped.
        if (!check.empty() && !progressIsTheirs && progressCheck(pending) == check &&
            !host.writeFile(progressFile, pending))
            return pendingFile;
        (void)host.deleteFile(pendingFile); // left over, it is settled again at the next start
    }
    return host.fileExists(progressFile) ? progressFile : std::string();
}

std::string choosePoolSource(Host& host, MainWindow& window, DrawState& state,
                             const std::string& progressFile) {
    const std::string poolFile = host.path(names::poolFile());
    if (progressFile.empty()) return poolFile;

    const int answer = host.messageBox(gbk(kResumeQuestion), MbYesNo | MbIconQuestion, gbk("提示"));
    if (answer != IdYes) return poolFile;

    const std::string config = configPath(host);
    for (int row = 1; row <= 8; ++row)
        state.counters[static_cast<std::size_t>(row - 1)] =
            resumedCounter(host.readItem(config, names::kProgress, names::counterKey(row)));
    window.results() = host.readFile(host.path(names::resultsFile()));
    return progressFile;
}

bool saveProgress(Host& host, MainWindow& window, const DrawState& state) {
    auto caption = std::make_unique<LoadingCaption>();
    caption->label()->setCaption(gbk("正在保存进度，请稍后..."));
    caption->move(host.screenLeft() + (host.screenWidth() - caption->width()) / 2,
                  host.screenTop() + (host.screenHeight() - caption->height()) / 2);
    caption->show();
    // Paint once without letting other handlers run: nothing may change the
    // pool while its text is being built.
    caption->repaint();

    const std::string text = progressText(window.pool());
    caption.reset();

    const std::string config = configPath(host);
    const std::string progressFile = host.path(names::progressFile());
    const std::string pendingFile = host.path(pendingProgressName());
    std::vector<std::pair<std::string, std::string>> items;
    for (int row = 1; row <= 8; ++row)
        items.emplace_back(
            names::counterKey(row),
            toText(static_cast<long long>(state.counters[static_cast<std::size_t>(row - 1)])));
    items.emplace_back(checkKey(), progressCheck(text));
    const bool configExisted = host.fileExists(config);
    const std::string oldConfig = host.readFile(config);

    // The new text goes beside the old one first; the one replace of the
    // configuration file that stores the counters with the text's check value
    // is the commit. From then on a start finishes the save (see
    // settleProgressSave), before it the old state is whole.
    bool saved =
        host.writeFile(pendingFile, text) && host.writeItems(config, names::kProgress, items);
    bool keepPending = false;
    if (saved && !host.writeFile(progressFile, text)) {
        // Take the commit back so that both halves are as they were. If even
        // that fails the save stands, and the next start completes it from
        // the pending text.
        const bool undone =
            configExisted ? host.writeFile(config, oldConfig) : host.deleteFile(config);
        saved = !undone;
        keepPending = !undone;
    }
    if (!keepPending) (void)host.deleteFile(pendingFile); // a leftover is settled at start-up
    // The pool and counters stand whatever happens to the groups: a missing
    // or stale group file is told at the next start.
    if (saved) (void)saveProgressGroups(host, window);
    return saved;
}

std::int32_t resumedCounter(std::string_view text) {
    return std::max(0, toInt(text));
}

bool runCloseSequence(Host& host, MainWindow& window, const DrawState& state,
                      LayoutController& layout, OutcomeSaver& saver) {
    layout.saveLayout();

    const PanelElements& p = window.elements().panel;
    const std::string config = configPath(host);
    // Closing goes on whether or not these settings could be stored.
    (void)host.writeItem(config, names::kGeneral, gbk(names::kMaskEnabled),
                         names::boolText(p.mask->isChecked()));
    (void)host.writeItem(config, names::kGeneral, gbk(names::kMaskLeft), gbkOf(p.maskLeft->text()));
    (void)host.writeItem(config, names::kGeneral, gbk(names::kMaskRight),
                         gbkOf(p.maskRight->text()));
    (void)host.writeItem(config, names::kGeneral, gbk(names::kMaskChars),
                         gbkOf(p.maskChars->text()));

    const int answer = host.messageBox(gbk(kExitQuestion), MbYesNoCancel | MbIconQuestion,
                                       gbk("退出是否保存进度？"));
    // A normal end: the recovery record has served its purpose.
    if (answer == IdYes) {
        const bool progressSaved = saveProgress(host, window, state);
        // The results file is part of what a save keeps: a draw whose
        // rewrite failed is written now.
        const bool resultsSaved = saver.saveResults();
        if (!progressSaved || !resultsSaved) {
            // The operator may always end; what was not saved is told, and
            // the recovery record stays for the next start.
            const int next = host.messageBox(
                notices::exitSaveFailed(progressSaved, resultsSaved, saver.recordCurrent()),
                MbYesNo | MbIconWarning, gbk("提示"));
            if (next == IdYes) return false;
            host.endProgram(0);
            return true;
        }
        removeRecoveryRecord(host);
        host.messageBox(gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"), MbOk, gbk("提示"));
        host.endProgram(0);
        return true;
    }
    if (answer == IdNo) {
        // Without the record the results file is the only copy of the
        // winners: it goes only when the file holds them all.
        if (saver.saveResults()) {
            removeRecoveryRecord(host);
        } else {
            host.messageBox(notices::exitResultsUnsaved(saver.recordCurrent()),
                            MbOk | MbIconWarning, gbk("提示"));
        }
        host.endProgram(0);
        return true;
    }
    return false;
}

} // namespace luckdial
