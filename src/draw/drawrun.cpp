#include "draw/drawcontroller.h"

#include "app/pool/pool.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/names.h"
#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

#include <algorithm>
#include <cmath>
#include <limits>

namespace luckdial {

namespace {

/// Seconds typed in a field as whole milliseconds, truncated toward zero.
int millisecondsOf(const std::string& seconds) {
    const double ms = std::trunc(toNumber(seconds) * 1000);
    if (!(ms > 0)) return 0;
    return static_cast<int>(std::min<double>(ms, std::numeric_limits<int>::max()));
}

/// Clears the in-progress mark however the run ends.
class BusyMark {
public:
    explicit BusyMark(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyMark() { busy_ = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    bool& busy_;
};

} // namespace

DrawInputs DrawController::drawInputs(std::optional<int> row) const {
    DrawInputs in;
    if (row) {
        in.presetN = table_.presetN(*row);
        in.presetNN = table_.presetNN(*row);
        in.presetNNN = table_.presetNNN(*row);
        in.columns = table_.columns(*row);
    } else {
        in.columns = 0;
    }
    return in;
}

void DrawController::startDraw() {
    // A second start during a run would draw that run's winners twice.
    if (busy_) return;

    Pool& pool = window_.pool();
    if (pool.count() > Pool::kLimit) {
        host_.messageBox(gbk("抽奖号码库里面的号码（或者名单）超过了1000000条，软件无法支持！"),
                         MbOk);
        host_.endProgram();
        return;
    }

    // Armed before the checks: a refused start still stops itself later.
    const std::string autoStop = table_.autoStopText();
    if (autoStop != "0") autoStop_->setPeriod(millisecondsOf(autoStop));

    closeFireworks();

    if (levelCompleted()) {
        host_.messageBox(gbk("没有本奖项或本奖项已经抽取完毕！"), MbOk);
        return;
    }

    const std::optional<int> row = matchingRow();
    DrawInputs in = drawInputs(row);

    if (e_.levelCombo->currentText().isEmpty()) {
        host_.messageBox(gbk("您没有选择任何奖项，请选择！"), MbOk, gbk("信息提示"));
        return;
    }

    if (state_.winnerNumber >= state_.levelLimit) {
        if (row) state_.exhaustedMark(*row) = state_.winnerNumber - 1;
        host_.messageBox(gbk("本奖项抽取完毕"), MbOk, gbk("信息提示"));
        return;
    }

    BusyMark busy(busy_);
    e_.startButton->hide();
    e_.stopButton->show();
    e_.stopButton->setFocus();
    state_.drawRunning = !state_.drawRunning;
    e_.congrats->resize(host_.screenWidth(), e_.congrats->height());

    const std::size_t count = pool.count();
    if (count == 0) {
        // The buttons stay as they are until the operator stops.
        host_.messageBox(gbk("没有抽奖数据 或 抽奖名单已经抽完！"), MbOk);
        return;
    }

    e_.congrats->setCaption({});
    e_.winners->hide();

    state_.perDrawCount = row ? table_.perDraw(*row) : 0;
    in.perDrawCount = state_.perDrawCount;

    if (e_.menu.musicOn->isChecked()) host_.playMusic(-1, {host_.path(names::kScrollMusic)});

    const double lineHeight = std::floor(e_.winners->fontValue().size * 1.8);
    const double height = std::trunc(lineHeight * state_.perDrawCount);
    e_.winners->resize(e_.winners->width(),
                       static_cast<int>(std::clamp<double>(height, 0, QWIDGETSIZE_MAX)));

    bool frameLimitReached = false;
    for (std::int64_t frame = 1;; ++frame) {
        if (frame > frameLimit_) {
            frameLimitReached = true;
            break;
        }
        if (!state_.drawRunning) break;
        gen_.reseed(host_.tickCount());
        e_.winners->setCaption(
            buildScrollFrame(pool, gen_, state_.perDrawCount, count, in.columns, frame_));
        e_.winners->show();
        host_.processEvents();
        e_.stopButton->setFocus();
        host_.delay(state_.scrollDelayMs);
    }
    frame_.clear();

    if (!frameLimitReached) {
        e_.winners->setCaption({});
        in.mask.enabled = table_.maskEnabled();
        in.mask.left = table_.maskLeft();
        in.mask.right = table_.maskRight();
        in.mask.chars = table_.maskChars();
        in.allowRepeat = table_.allowRepeat();
        const DrawOutcome outcome = drawWinners(
            pool, gen_, in, state_.winnerNumber, state_.levelLimit,
            [this] { return host_.tickCount(); },
            [this](const DrawnWinner& winner, const std::string& label) {
                e_.winners->setCaption(label);
                appendWinner(winner.entry);
                e_.winners->show();
                updateProgress(winner.winnerNumber);
            });
        if (outcome.poolEmptied) host_.messageBox(gbk("参与抽奖名单已经抽取完毕！"), MbOk);
        host_.playMusic(1, {host_.path(names::endSound())});
    }

    announce();
    Q_EMIT outcomeRecorded();
    // A failed write keeps the whole text in memory; the next write retries it.
    (void)writeResultsFile();

    host_.bringToFront(e_.levelCombo);
    host_.bringToFront(e_.startButton);
    host_.bringToFront(e_.stopButton);
    e_.startButton->setFocus();
    busy_ = false;

    if (!table_.effectsDisabled()) {
        openFireworks();
        e_.startButton->setFocus();
        host_.delay(millisecondsOf(table_.fireworksTimeText()));
        closeFireworks();
    }
}

void DrawController::stopDraw() {
    state_.drawRunning = false;
    e_.startButton->show();
    e_.startButton->setFocus();
    e_.stopButton->hide();
    host_.stopMusic();
    autoStop_->setPeriod(0);
}

} // namespace luckdial
