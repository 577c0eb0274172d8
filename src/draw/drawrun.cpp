#include "draw/drawcontroller.h"

#include "app/pool/pool.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

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

std::string textOf(const QLineEdit* edit) {
    return gbkOf(edit->text());
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

DrawInputs DrawController::drawInputs(int row) const {
    DrawInputs in;
    if (row >= 0) {
        const auto n = static_cast<std::size_t>(row);
        in.presetN = textOf(e_.panel.presetN[n]);
        in.presetNN = textOf(e_.panel.presetNN[n]);
        in.presetNNN = textOf(e_.panel.presetNNN[n]);
        in.columns = std::trunc(toNumber(textOf(e_.panel.columns[n])));
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
    const std::string autoStop = textOf(e_.panel.autoStop);
    if (autoStop != "0") autoStop_->setPeriod(millisecondsOf(autoStop));

    closeFireworks();

    if (levelCompleted()) {
        host_.messageBox(gbk("没有本奖项或本奖项已经抽取完毕！"), MbOk);
        return;
    }

    const int row = matchingRow();
    DrawInputs in = drawInputs(row);

    if (e_.levelCombo->currentText().isEmpty()) {
        host_.messageBox(gbk("您没有选择任何奖项，请选择！"), MbOk, gbk("信息提示"));
        return;
    }

    if (state_.winnerNumber >= state_.levelLimit) {
        if (row >= 0) state_.exhausted[static_cast<std::size_t>(row)] = state_.winnerNumber - 1;
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

    state_.perDrawCount =
        row >= 0 ? toInt(textOf(e_.panel.perDraw[static_cast<std::size_t>(row)])) : 0;
    in.perDrawCount = state_.perDrawCount;

    if (e_.menu.musicOn->isChecked()) host_.playMusic(-1, {host_.path(gbk("wav\\bjyy.mp3"))});

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
        in.mask.enabled = e_.panel.mask->isChecked();
        in.mask.left = textOf(e_.panel.maskLeft);
        in.mask.right = textOf(e_.panel.maskRight);
        in.mask.chars = textOf(e_.panel.maskChars);
        in.allowRepeat = e_.panel.allowRepeat->isChecked();
        in.levelName = levelText();
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
        host_.playMusic(1, {host_.path(gbk("wav\\结束.mp3"))});
    }

    announce();
    Q_EMIT outcomeRecorded();
    writeResultsFile();

    host_.bringToFront(e_.levelCombo);
    host_.bringToFront(e_.startButton);
    host_.bringToFront(e_.stopButton);
    e_.startButton->setFocus();
    busy_ = false;

    if (!e_.panel.disableEffects->isChecked()) {
        openFireworks();
        e_.startButton->setFocus();
        host_.delay(millisecondsOf(textOf(e_.panel.fireworksTime)));
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
