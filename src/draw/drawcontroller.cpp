#include "draw/drawcontroller.h"

#include "draw/core/resultrows.h"
#include "host/core/displaytext.h"
#include "host/host.h"
#include "host/qtext.h"
#include "pool/pool.h"
#include "settings/core/names.h"
#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"
#include "ui/winnersview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace luckdial {

DrawController::DrawController(Host& host, MainWindow& window, DrawState& state)
    : host_(host), window_(window), e_(window.elements()), state_(state), table_(e_.panel),
      fireworks_(*window.fireworks()) {
    autoStop_ = host_.createTimer([this] { stopDraw(); });
    pageTurn_ = host_.createTimer([this] {
        if (!nextPage()) pageTurn_->setPeriod(0);
    });
}

DrawController::~DrawController() = default;

void DrawController::connectHandlers() {
    if (connected_) return;
    connected_ = true;

    connect(e_.startButton, &QAbstractButton::clicked, this, [this] { startDraw(); });
    // The focused start button would take Space as a click of its own.
    e_.startButton->installEventFilter(this);
    connect(e_.stopButton, &QAbstractButton::clicked, this, [this] { stopDraw(); });

    // Picking an item changes the edit text and then reports the activation;
    // one pick runs the handler once.
    connect(e_.levelCombo, &QComboBox::editTextChanged, this, [this] {
        selectorEditHandled_ = true;
        selectPrizeLevel();
        QTimer::singleShot(0, this, [this] { selectorEditHandled_ = false; });
    });
    connect(e_.levelCombo, &QComboBox::activated, this, [this] {
        if (selectorEditHandled_) {
            selectorEditHandled_ = false;
            return;
        }
        selectPrizeLevel();
    });

    connect(e_.menu.forfeit, &QAction::triggered, this, [this] { forfeitWinner(); });

    connect(&window_, &MainWindow::keyPressed, this, [this](int key) {
        if (table_.isOpen(&window_)) return;
        if (key == Qt::Key_Space) pressNext();
        // PageDown (a presenter's "next") is taken by the clicker keys, which
        // send it through startOrStop; this is the path when they are absent.
        else if (key == Qt::Key_PageDown)
            (void)nextPage();
    });

    WinnersView* view = e_.winnersView;
    connect(view, &WinnersView::nextPageRequested, this, [this] { (void)nextPage(); });
    connect(view, &WinnersView::pageChanged, this, &DrawController::pageShown);

    pictureMarks_ = host_.createTimer([this] { refreshPictureMarks(); });
    pictureMarks_->setPeriod(200);
}

bool DrawController::eventFilter(QObject* watched, QEvent* event) {
    // Space on the focused start button turns the page of a paged draw
    // (press and release both, so the button does not click); on the last
    // page it clicks the button, which starts the next draw.
    if (watched == e_.startButton && !table_.isOpen(&window_) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
            !e_.startButton->isDown())
            spaceTurnedPage_ = nextPage();
        if (spaceTurnedPage_) {
            if (event->type() == QEvent::KeyRelease &&
                !static_cast<QKeyEvent*>(event)->isAutoRepeat())
                spaceTurnedPage_ = false;
            event->accept();
            return true;
        }
    }
    // Space on the start button is the keyboard start, which does nothing
    // while the settings panel is open (its fields are being edited).
    if (watched == e_.startButton &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space && table_.isOpen(&window_)) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<int> DrawController::matchingRow() const {
    return table_.rowOf(e_.levelCombo->currentText());
}

std::string DrawController::levelText() const {
    return gbkOf(e_.levelCombo->currentText());
}

bool DrawController::levelCompleted() const {
    return table_.completed(e_.levelCombo->currentText(), state_.exhausted);
}

void DrawController::closeFireworks() {
    if (fireworks_.isOpen()) fireworks_.close();
}

void DrawController::openFireworks() {
    host_.seedRandom();
    const int r = 1 + std::abs(host_.random(0, 2147483647)) % 3;
    fireworks_.open(r);
}

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

LevelRule DrawController::levelRule(std::optional<int> row) const {
    if (!row) return {};
    const std::string config = host_.path(names::kConfigFile);
    return parseLevelRule(host_.readItem(config, names::kGeneral, names::eligibleGroupsKey(*row)),
                          host_.readItem(config, names::kGeneral, names::groupSeatsKey(*row)));
}

GroupSeats DrawController::groupSeats(int row, const LevelRule& rule) const {
    GroupTally taken;
    for (const WinnerGroup& w : window_.winnerGroups())
        if (w.row == row && !w.forfeited && !w.group.empty()) ++taken[w.group];
    return GroupSeats(rule, state_.levelLimit - 1, state_.winnerNumber - 1, std::move(taken));
}

void DrawController::startDraw() {
    // A second start during a run would draw that run's winners twice.
    if (busy_) return;
    pageTurn_->setPeriod(0);

    Pool& pool = window_.pool();
    if (pool.count() > Pool::kLimit) {
        host_.messageBox(names::poolTooLargeMessage(), MbOk);
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

    // A level with rules that cannot be met is refused before anything moves.
    const LevelRule rule = levelRule(row);
    std::optional<GroupSeats> seats;
    if (rule.active() && row) {
        seats.emplace(groupSeats(*row, rule));
        // A preset winner still to come takes a seat of its group first.
        seats->holdForPresets(pendingPresets(pool, in, state_.winnerNumber, state_.levelLimit));
        const std::string problem = pool.count() == 0
                                        ? std::string()
                                        : seats->problem(pool, table_.allowRepeat(), levelText(),
                                                         {in.presetN, in.presetNN, in.presetNNN});
        if (!problem.empty()) {
            host_.messageBox(problem, MbOk | MbIconWarning, gbk("分组规则"));
            return;
        }
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

    // The scroll shows only who may win; a seat held for a preset winner
    // scrolls as any other seat of its group would, so nothing gives it away.
    const std::vector<std::uint32_t> eligible =
        seats ? eligiblePositions(pool, seats->withoutPresets()) : std::vector<std::uint32_t>{};
    bool frameLimitReached = false;
    e_.winnersView->setScrolling(true);
    for (std::int64_t frame = 1;; ++frame) {
        if (frame > frameLimit_) {
            frameLimitReached = true;
            break;
        }
        if (!state_.drawRunning) break;
        const std::uint32_t frameStart = host_.tickCount();
        gen_.reseed(frameStart);
        e_.winners->setCaption(
            seats
                ? buildEligibleFrame(pool, gen_, state_.perDrawCount, eligible, in.columns, frame_)
                : buildScrollFrame(pool, gen_, state_.perDrawCount, count, in.columns, frame_));
        e_.winners->show();
        // Laid out inside the frame's own time, so the wait below allows for it.
        e_.winnersView->layoutNow();
        host_.processEvents();
        e_.stopButton->setFocus();
        // The period runs from frame to frame: the time this frame took to
        // build and paint comes out of the wait, so a large screen does not
        // slow the scroll or make its pace uneven. A frame slower than the
        // period waits not at all.
        const std::int64_t spent = static_cast<std::uint32_t>(host_.tickCount() - frameStart);
        // Bounded, whatever the setting says: the stop must take effect soon.
        const std::int32_t period = std::min(state_.scrollDelayMs, DrawState::kMaxScrollDelayMs);
        host_.delay(static_cast<int>(std::max<std::int64_t>(
            std::int64_t{period} - spent, std::numeric_limits<std::int32_t>::min())));
    }
    frame_.clear();
    e_.winnersView->setScrolling(false);

    if (!frameLimitReached) {
        e_.winners->setCaption({});
        in.mask.enabled = table_.maskEnabled();
        in.mask.left = table_.maskLeft();
        in.mask.right = table_.maskRight();
        in.mask.chars = table_.maskChars();
        in.allowRepeat = table_.allowRepeat();
        const bool keepGroups = pool.hasGroups() || seats;
        const auto onWinner = [&](const DrawnWinner& winner, const std::string& label) {
            // The photo is the unmasked entry's, whatever the label shows.
            e_.winnersView->addPhotoEntry(qstr(winner.entry));
            e_.winners->setCaption(label);
            appendWinner(winner.entry);
            if (keepGroups && row)
                window_.winnerGroups().push_back({*row, winner.entry, winner.group, false});
            e_.winners->show();
            updateProgress(winner.winnerNumber);
        };
        // A level without rules takes the plain draw, unchanged.
        const DrawOutcome outcome =
            seats ? drawWinnersByRule(
                        pool, gen_, in, *seats, state_.winnerNumber, state_.levelLimit,
                        [this] { return host_.tickCount(); },
                        [&](const DrawnWinner& winner, std::string_view, const std::string& label) {
                            onWinner(winner, label);
                        })
                        .draw
                  : drawWinners(
                        pool, gen_, in, state_.winnerNumber, state_.levelLimit,
                        [this] { return host_.tickCount(); }, onWinner);
        // The hall sees these winners now: they go on disk before any box
        // can hold the run up.
        Q_EMIT outcomeRecorded();
        if (outcome.poolEmptied) host_.messageBox(gbk("参与抽奖名单已经抽取完毕！"), MbOk);
        host_.playMusic(1, {host_.path(names::endSound())});
    } else {
        Q_EMIT outcomeRecorded();
    }

    announce();
    // A failed write keeps the whole text in memory; the next write retries it.
    Q_EMIT resultsWritten(writeResultsFile());

    host_.bringToFront(e_.levelCombo);
    host_.bringToFront(e_.startButton);
    host_.bringToFront(e_.stopButton);
    e_.startButton->setFocus();
    busy_ = false;
    // The effect and the end sound belong to the first page only; the pages
    // turn beneath the fireworks when the operator is quick.
    armPageTurn();

    if (!table_.effectsDisabled()) {
        openFireworks();
        e_.startButton->setFocus();
        host_.delay(millisecondsOf(table_.fireworksTimeText()));
        closeFireworks();
    }
}

void DrawController::pressNext() {
    if (nextPage()) return;
    startDraw();
}

bool DrawController::nextPage() {
    if (busy_ || table_.isOpen(&window_)) return false;
    if (!e_.winnersView->nextPage()) return false;
    // A page turned by hand gets its full time before the next one turns.
    if (pageTurn_->period() > 0) armPageTurn();
    return true;
}

int DrawController::shownPage() const {
    return e_.winnersView->currentPage();
}

int DrawController::pageCount() const {
    return e_.winnersView->pageCount();
}

void DrawController::armPageTurn() {
    const int ms = millisecondsOf(table_.pageTurnText());
    pageTurn_->setPeriod(ms > 0 && e_.winnersView->hasNextPage() ? ms : 0);
}

void DrawController::stopDraw() {
    state_.drawRunning = false;
    e_.startButton->show();
    e_.startButton->setFocus();
    e_.stopButton->hide();
    host_.stopMusic();
    autoStop_->setPeriod(0);
}

void DrawController::startOrStop() {
    if (table_.isOpen(&window_)) return;
    if (state_.drawRunning)
        stopDraw();
    else
        pressNext();
}

void DrawController::selectPrizeLevel() {
    if (levelCompleted()) {
        host_.messageBox(gbk("没有本奖项或本奖项已经抽取完毕！"), MbOk);
        return;
    }
    e_.startButton->setFocus();

    const std::optional<int> row = matchingRow();
    const std::string level = levelText();
    state_.winnerNumber = 1;
    if (row) {
        const std::int32_t drawn = state_.counter(*row);
        if (drawn > 0) {
            // A counter at the 32-bit maximum must not wrap to a negative number.
            state_.winnerNumber =
                drawn + (drawn < std::numeric_limits<std::int32_t>::max() ? 1 : 0);
            setProgressCaption(drawn);
        } else if (levelRule(row).active()) {
            setProgressCaption(0);
        }
    }

    e_.prizeName->setCaption(level);
    if (row && !level.empty()) {
        e_.prizePicture->setPictureData(host_.readFile(host_.path(PrizeTable::picturePath(*row))));
        state_.levelLimit = table_.levelLimit(*row);
    }
    e_.prizePicture->setVisible(!e_.prizeName->caption().empty());
    // What decides in the end is whether there is a picture to show.
    const bool picture = e_.prizePicture->hasPicture();
    e_.prizePicture->setVisible(picture);
    e_.prizeName->setVisible(picture);

    e_.progress->resize(static_cast<int>(e_.progress->caption().size()) * 11,
                        e_.progress->height());
}

void DrawController::refreshPictureMarks() {
    for (int row = 1; row <= PrizeTable::kRows; ++row)
        table_.setPictureMark(row, host_.fileExists(host_.path(PrizeTable::picturePath(row))));
    if (table_.isOpen(&window_)) host_.bringToFront(e_.panel.frame);
}

void DrawController::appendWinner(std::string_view entry) {
    appendResultsLine(window_.results(), entry, levelText());
}

void DrawController::setProgressCaption(std::int32_t count) {
    std::string caption =
        levelText() + gbk(" 已抽取") + toText(static_cast<long long>(count)) + gbk("名");
    // The level's rule by group, where the operator chooses the level.
    const std::string rule = ruleCaption(levelRule(matchingRow()));
    if (!rule.empty()) caption += "  " + rule;
    e_.progress->setCaption(caption);
}

void DrawController::updateProgress(std::int32_t w) {
    if (const std::optional<int> row = matchingRow()) state_.counter(*row) = w;
    setProgressCaption(w);
    e_.progress->resize(static_cast<int>(e_.progress->caption().size()) * 11,
                        e_.progress->height());
    const int colour = e_.subTitle->textColour();
    e_.progress->setTextColour(colour);
    e_.levelCaption->setTextColour(colour);
}

bool DrawController::writeResultsFile() {
    const std::string path = host_.path(names::resultsFile());
    const std::string& text = window_.results();
    if (!resultsFileChecked_) {
        // The file may hold lines this run does not know: a start that did
        // not resume, or a crash before the last draw was recorded. The first
        // rewrite keeps such a file under a dated name, and does not write
        // while it cannot.
        const std::string old = host_.readFile(path);
        if (text.compare(0, old.size(), old) != 0 && host_.keepAside(path, false).empty())
            return false;
        resultsFileChecked_ = true;
    }
    return host_.writeFile(path, text);
}

void DrawController::announce() {
    e_.congrats->setCaption(gbk("恭喜：") + levelText());
    e_.congrats->show();
}

void DrawController::forfeitWinner(const std::string& suggested) {
    if (e_.levelCombo->currentText().isEmpty()) {
        host_.messageBox(gbk("没有选择抽奖等级！请选择！"), MbOk);
        return;
    }
    if (state_.winnerNumber == 1) {
        host_.messageBox(gbk("当前奖项还没有人抽取！"), MbOk);
        return;
    }
    const std::optional<std::string> who =
        host_.inputBox(gbk("如确定某人放弃领奖，请输入此人名单(或号码),"
                           "然后点【确定】\r\n\r\n否则，请点击【取消】"),
                       gbk("确定当前某人放弃领奖吗？"), suggested);
    if (!who) return;

    const std::int32_t w = --state_.winnerNumber;
    setProgressCaption(w - 1);
    bool seatNotReturned = false;
    if (const std::optional<int> row = matchingRow()) {
        state_.exhaustedMark(*row) = w - 1;
        --state_.counter(*row);
        // The seat goes back to the forfeited winner's group; a text that
        // names none of the level's winners cannot say which group that is.
        seatNotReturned =
            !forfeitWinnerGroup(window_.winnerGroups(), *row, *who) && levelRule(row).active();
    }
    window_.results() += forfeitLine(*who);
    Q_EMIT outcomeRecorded();
    // A failed write keeps the whole text in memory; the next write retries it.
    Q_EMIT resultsWritten(writeResultsFile());
    e_.winners->setCaption({});
    e_.congrats->setCaption({});
    // Told once, after the forfeit is on record: the level's next winner
    // then takes a seat open to any group the rule allows.
    if (seatNotReturned)
        host_.messageBox(
            gbk("已记录“") + displayText(*who) + gbk("”放弃领奖，但本奖项的中奖者中没有“") +
                displayText(*who) +
                gbk("”，不知其所在分组，空出的名额没有退回任何分组的名额。\r\n"
                    "如果这是输入错误，请核对中奖名单；本奖项之后的抽取仍按分组规则进行。"),
            MbOk | MbIconWarning, gbk("分组规则"));
}

} // namespace luckdial
