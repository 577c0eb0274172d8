#include "app/recovery.h"

#include "app/notices.h"

#include "draw/core/drawstate.h"
#include "host/core/linereader.h"
#include "host/core/text.h"
#include "host/host.h"
#include "pool/pool.h"
#include "pool/savedstate.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace luckdial {

namespace {

const char* const kRecoveryQuestion = "    上次抽奖没有正常结束。\r\n\r\n"
                                      "    选 【是】 从最后一次抽奖之后继续\r\n\r\n"
                                      "    选 【否】 不恢复（记录另存备份）";

/// A pool source held in memory: the recovered pool text, read by the same
/// line rules as a file.
class TextBuffer : public TextFile {
public:
    explicit TextBuffer(std::string text) : text_(std::move(text)), reader_(text_) {}

    bool isOpen() const override { return open_; }
    bool atEnd() const override { return reader_.atEnd(); }
    std::string readLine() override { return std::string(reader_.readLine()); }
    std::uint64_t position() const override { return reader_.position(); }
    std::uint64_t length() const override { return text_.size(); }
    std::string readAll() override {
        std::string rest = text_.substr(reader_.position());
        reader_ = LineReader(text_, text_.size());
        return rest;
    }
    std::string takeRest() override {
        const std::size_t pos = reader_.position();
        std::string rest = pos == 0 ? std::move(text_) : text_.substr(pos);
        close();
        return rest;
    }
    bool writeText(std::string_view) override { return false; }
    bool deleteBytes(std::uint64_t) override { return false; }
    void close() override {
        open_ = false;
        text_.clear();
        reader_ = LineReader(text_);
    }

private:
    std::string text_;
    LineReader reader_;
    bool open_ = true;
};

} // namespace

std::string recoveryRecordName() {
    return gbk("抽奖恢复.dat");
}

std::string pendingProgressName() {
    return gbk("进度_新.txt");
}

std::vector<std::string> replacedFileNames() {
    return {names::resultsFile(), names::progressFile(),   pendingProgressName(),
            names::kConfigFile,   names::backgroundFile(), recoveryRecordName()};
}

bool writeRecoveryRecord(Host& host, const Pool& pool, const DrawState& state,
                         const std::string& results, const std::vector<WinnerGroup>& winnerGroups) {
    const std::string poolText = progressText(pool);
    const std::string groups = pool.hasGroups() || !winnerGroups.empty()
                                   ? groupFileText(pool, winnerGroups)
                                   : std::string();
    const std::string header =
        recoveryHeader(state.counters, pool.count(), poolText, results, groups);
    return host.writeFile(host.path(recoveryRecordName()), {header, poolText, results, groups});
}

void removeRecoveryRecord(Host& host) {
    // A record that stays is offered once more at the next start.
    (void)host.deleteFile(host.path(recoveryRecordName()));
}

std::unique_ptr<TextFile> offerRecovery(Host& host, MainWindow& window, DrawState& state,
                                        std::string* groups) {
    const std::string path = host.path(recoveryRecordName());
    if (!host.fileExists(path)) return nullptr;
    // Read raw: the record is the program's own GBK, never a UTF-8 file.
    std::optional<RecoveryContent> record = parseRecoveryRecord(host.readFile(path));
    // A damaged record is kept for inspection but offers nothing; the
    // operator learns where it went.
    if (!record) {
        const std::string kept = host.keepAside(path, true);
        const std::string dir = host.programDir();
        const std::string keptName =
            kept.size() > dir.size() + 1 && kept.compare(0, dir.size(), dir) == 0
                ? kept.substr(dir.size() + 1)
                : kept;
        host.messageBox(notices::damagedRecord(recoveryRecordName(), keptName),
                        MbOk | MbIconWarning, gbk("提示"));
        return nullptr;
    }
    const int answer =
        host.messageBox(gbk(kRecoveryQuestion), MbYesNo | MbIconQuestion, gbk("提示"));
    if (answer != IdYes) {
        host.keepAside(path, true);
        return nullptr;
    }
    for (std::int32_t& counter : record->counters)
        counter = std::max(counter, std::int32_t{0});
    state.counters = record->counters;
    window.results() = std::move(record->results);
    if (groups) *groups = std::move(record->groups);
    return std::make_unique<TextBuffer>(std::move(record->poolText));
}

} // namespace luckdial
