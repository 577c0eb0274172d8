#include "drawfixture.h"

#include <QApplication>
#include <QKeyEvent>

namespace luckdial {
namespace {

using DrawRun = DrawFixture;

TEST_F(DrawRun, RefusalsComeInTheirOrderWithTheirCaptions) {
    fillPool(numbered(5));

    // Empty selector, every row named: the empty-level message.
    setLevelQuietly("");
    host.expectMessage(gbk("您没有选择任何奖项，请选择！"), IdOk, gbk("信息提示"));
    draw.startDraw();

    // A row with an empty name and quota matches the empty selector and counts
    // as completed, which is checked first.
    setRow(8, "", "", "1");
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"), IdOk, gbk("信息："));
    draw.startDraw();

    // Running winner number at the limit: recorded as exhausted once, then
    // refused as completed.
    setRow(8, "七等奖", "", "1");
    setRow(1, "特等奖", "2", "1");
    setLevelQuietly("特等奖");
    state.winnerNumber = 3;
    state.levelLimit = 3;
    host.expectMessage(gbk("本奖项抽取完毕"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_EQ(state.exhausted[0], 2);
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"));
    draw.startDraw();

    EXPECT_FALSE(state.drawRunning);
    EXPECT_FALSE(e.startButton->isHidden());
    EXPECT_TRUE(e.stopButton->isHidden());
    EXPECT_EQ(window.pool().count(), 5u);
    EXPECT_TRUE(window.results().empty());
    EXPECT_FALSE(host.fileExists(host.path(gbk("抽奖结果.txt"))));
}

TEST_F(DrawRun, AnEmptyPoolLeavesTheStopButtonUntilPressed) {
    setRow(2, "一等奖", "3", "1");
    select("一等奖");
    host.expectMessage(gbk("没有抽奖数据 或 抽奖名单已经抽完！"));
    draw.startDraw();
    EXPECT_TRUE(state.drawRunning);
    EXPECT_TRUE(e.startButton->isHidden());
    EXPECT_FALSE(e.stopButton->isHidden());
    EXPECT_EQ(e.congrats->width(), host.screenW);

    e.stopButton->click();
    EXPECT_FALSE(state.drawRunning);
    EXPECT_FALSE(e.startButton->isHidden());
    EXPECT_TRUE(e.stopButton->isHidden());
    ASSERT_FALSE(host.music.empty());
    EXPECT_TRUE(host.music.back().stop);
}

TEST_F(DrawRun, ARefusedStartStillArmsTheAutoStop) {
    e.panel.autoStop->setText(QStringLiteral("2"));
    setLevelQuietly("");
    host.expectMessage(gbk("您没有选择任何奖项，请选择！"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_EQ(draw.autoStopTimer().period(), 2000);
}

TEST_F(DrawRun, AutoStopAfterThreeSecondsAndHalfASecond) {
    fillPool(numbered(50));
    setRow(3, "二等奖", "10", "2", "2");
    select("二等奖");

    e.panel.autoStop->setText(QStringLiteral("3"));
    const std::uint64_t start = host.now();
    draw.startDraw();
    EXPECT_EQ(host.now() - start, 3000u);
    EXPECT_EQ(host.delays.size(), 100u); // frames of 30 ms
    EXPECT_EQ(draw.autoStopTimer().period(), 0);
    EXPECT_FALSE(state.drawRunning);
    EXPECT_FALSE(e.startButton->isHidden());
    EXPECT_TRUE(e.stopButton->isHidden());
    EXPECT_EQ(lines(window.results()).size(), 2u);

    host.delays.clear();
    e.panel.autoStop->setText(QStringLiteral("0.5"));
    const std::uint64_t second = host.now();
    draw.startDraw();
    EXPECT_EQ(host.delays.size(), 17u);
    EXPECT_EQ(host.now() - second, 510u); // stopped at 500, inside the 17th frame's wait
    EXPECT_EQ(lines(window.results()).size(), 4u);
    EXPECT_EQ(state.winnerNumber, 5);
}

TEST_F(DrawRun, AFramesOwnWorkComesOutOfTheScrollPeriod) {
    fillPool(numbered(50));
    setRow(3, "二等奖", "10", "2", "2");
    select("二等奖");
    e.panel.autoStop->setText(QStringLiteral("1"));

    // Each frame takes 12 ms to paint: the wait after it is the rest of the 30.
    host.onProcessEvents = [&] { host.advance(12); };
    const std::uint64_t start = host.now();
    draw.startDraw();
    ASSERT_FALSE(host.delays.empty());
    for (int wait : host.delays)
        EXPECT_EQ(wait, 18);
    EXPECT_LE(host.now() - start, 1030u);
    EXPECT_EQ(lines(window.results()).size(), 2u);

    // A frame slower than the period does not wait at all, and the auto-stop
    // still ends the run.
    host.delays.clear();
    host.onProcessEvents = [&] { host.advance(45); };
    draw.startDraw();
    EXPECT_TRUE(host.delays.empty());
    EXPECT_FALSE(state.drawRunning);
    EXPECT_EQ(lines(window.results()).size(), 4u);
    host.onProcessEvents = nullptr;
}

TEST_F(DrawRun, ZeroLeavesTheAutoStopTimerAlone) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    draw.autoStopTimer().setPeriod(60000);
    e.panel.autoStop->setText(QStringLiteral("0"));
    int periodDuringScroll = -1;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        periodDuringScroll = draw.autoStopTimer().period();
        e.stopButton->click();
    };
    draw.startDraw();
    EXPECT_EQ(periodDuringScroll, 60000);
    EXPECT_EQ(draw.autoStopTimer().period(), 0); // the stop disarms it
}

TEST_F(DrawRun, ScrollShowsFramesOfThePoolWithoutChangingIt) {
    fillPool(numbered(30));
    setRow(1, "特等奖", "10", "3", "3");
    select("特等奖");
    e.winners->setFontValue(FontValue{gbk("宋体"), 20});
    std::vector<std::string> frames;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        frames.push_back(e.winners->caption());
        EXPECT_EQ(window.pool().count(), 30u);
        EXPECT_EQ(window.focusWidget(), e.stopButton);
        if (frames.size() == 4) e.stopButton->click();
    };
    draw.startDraw();
    ASSERT_EQ(frames.size(), 4u);
    for (const auto& frame : frames) {
        const auto parts = lines(frame);
        ASSERT_EQ(parts.size(), 1u) << frame;
        EXPECT_EQ(parts[0].size(), 5u * 3 + 8) << frame; // three entries, two gaps
        EXPECT_EQ(frame.substr(frame.size() - 2), "\r\n");
    }
    EXPECT_EQ(e.winners->height(), 36 * 3); // floor(20 * 1.8) per winner
    EXPECT_EQ(window.pool().count(), 27u);
    EXPECT_EQ(window.focusWidget(), e.startButton);
}

TEST_F(DrawRun, MusicDuringTheScrollAndTheEndSound) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    e.menu.musicOn->setChecked(true);
    stopAfterFrames(2);
    draw.startDraw();
    ASSERT_EQ(host.music.size(), 3u);
    EXPECT_EQ(host.music[0].count, -1);
    EXPECT_EQ(host.music[0].files, std::vector<std::string>{host.path(gbk("wav\\bjyy.mp3"))});
    EXPECT_TRUE(host.music[1].stop);
    EXPECT_EQ(host.music[2].count, 1);
    EXPECT_EQ(host.music[2].files, std::vector<std::string>{host.path(gbk("wav\\结束.mp3"))});

    // Without music the end sound still plays.
    host.music.clear();
    e.menu.musicOn->setChecked(false);
    stopAfterFrames(1);
    draw.startDraw();
    ASSERT_EQ(host.music.size(), 2u);
    EXPECT_TRUE(host.music[0].stop);
    EXPECT_EQ(host.music[1].count, 1);
}

TEST_F(DrawRun, SpaceStartsOnlyWithThePanelClosed) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent spaceUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));

    e.panel.frame->show();
    host.onDelay = [&] {
        ADD_FAILURE() << "a draw started with the panel open";
        e.stopButton->click();
    };
    QApplication::sendEvent(&window, &space);
    // The start button keeps the focus while the panel is open: Space on it
    // must not click it either.
    QApplication::sendEvent(e.startButton, &space);
    QApplication::sendEvent(e.startButton, &spaceUp);
    EXPECT_FALSE(state.drawRunning);
    EXPECT_TRUE(window.results().empty());

    e.panel.frame->hide();
    stopAfterFrames(3);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&window, &other);
    EXPECT_TRUE(window.results().empty());
    QApplication::sendEvent(&window, &space);
    EXPECT_EQ(framesSeen, 3);
    EXPECT_EQ(lines(window.results()).size(), 1u);

    // With the panel closed, Space on the focused start button starts a run.
    stopAfterFrames(2);
    QApplication::sendEvent(e.startButton, &space);
    QApplication::sendEvent(e.startButton, &spaceUp);
    EXPECT_EQ(framesSeen, 2);
    EXPECT_EQ(lines(window.results()).size(), 2u);
}

TEST_F(DrawRun, SpaceInTheSelectorStartsOnlyWithThePanelClosed) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    window.show();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));

    e.panel.frame->show();
    host.onDelay = [&] {
        ADD_FAILURE() << "a draw started with the panel open";
        e.stopButton->click();
    };
    QApplication::sendEvent(e.levelCombo, &space);
    QApplication::sendEvent(e.levelCombo->lineEdit(), &space);
    EXPECT_FALSE(state.drawRunning);
    EXPECT_FALSE(e.startButton->isHidden());
    EXPECT_TRUE(window.results().empty());
    EXPECT_EQ(window.pool().count(), 10u);

    // The open panel let the spaces be typed; the operator picks the level again.
    e.panel.frame->hide();
    select("特等奖");
    stopAfterFrames(2);
    QApplication::sendEvent(e.levelCombo, &space);
    EXPECT_EQ(framesSeen, 2);
    ASSERT_EQ(lines(window.results()).size(), 1u);
    EXPECT_EQ(lines(window.results())[0].substr(5), "  ------  " + gbk("特等奖"));
    EXPECT_EQ(e.levelCombo->currentText(), q("特等奖")); // the start typed nothing

    stopAfterFrames(1);
    QApplication::sendEvent(e.levelCombo->lineEdit(), &space);
    EXPECT_EQ(framesSeen, 1);
    EXPECT_EQ(lines(window.results()).size(), 2u);
    EXPECT_EQ(state.counters[0], 2);
}

TEST_F(DrawRun, SelectorAndButtonsComeToTheFrontAfterARun) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    stopAfterFrames(1);
    host.broughtToFront.clear();
    draw.startDraw();
    EXPECT_EQ(host.broughtToFront, (std::vector<std::string>{gbk("组合框1"), gbk("超级按钮_开始"),
                                                             gbk("超级按钮_停止")}));
    EXPECT_EQ(window.focusWidget(), e.startButton);

    // A run that draws nobody ends the same way.
    setRow(1, "特等奖", "5", "");
    stopAfterFrames(1);
    host.broughtToFront.clear();
    draw.startDraw();
    EXPECT_EQ(host.broughtToFront, (std::vector<std::string>{gbk("组合框1"), gbk("超级按钮_开始"),
                                                             gbk("超级按钮_停止")}));

    // A refused start changes no stacking.
    host.broughtToFront.clear();
    setLevelQuietly("");
    host.expectMessage(gbk("您没有选择任何奖项，请选择！"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_TRUE(host.broughtToFront.empty());
}

TEST_F(DrawRun, TheFrameLimitEndsTheRunWithoutWinnersOrEndSound) {
    EXPECT_EQ(draw.frameLimit(), 20000000);
    draw.setFrameLimit(6);
    fillPool(numbered(20));
    setRow(1, "特等奖", "5", "2", "2");
    select("特等奖");
    e.menu.musicOn->setChecked(true);
    window.results() = "0001  ------  " + gbk("一等奖") + "\r\n";
    ASSERT_TRUE(host.writeFile(host.path(gbk("抽奖结果.txt")), std::string("stale")));

    // Nobody presses stop.
    std::vector<std::string> frames;
    host.onDelay = [&] {
        if (state.drawRunning) frames.push_back(e.winners->caption());
    };
    draw.startDraw();

    EXPECT_EQ(frames.size(), 6u);
    EXPECT_EQ(host.delays.size(), 6u);
    // No winner: the last frame stays on the label, nothing leaves the pool.
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(e.winners->caption(), frames.back());
    EXPECT_EQ(window.pool().count(), 20u);
    EXPECT_EQ(state.winnerNumber, 1);
    EXPECT_EQ(state.counters[0], 0);
    EXPECT_EQ(e.progress->caption(), "");
    // The background music was started and is neither stopped nor followed
    // by the end sound.
    ASSERT_EQ(host.music.size(), 1u);
    EXPECT_EQ(host.music[0].count, -1);
    // Announced, and the file rewritten from the unchanged results text.
    EXPECT_EQ(e.congrats->caption(), gbk("恭喜：特等奖"));
    EXPECT_FALSE(e.congrats->isHidden());
    EXPECT_EQ(window.results(), "0001  ------  " + gbk("一等奖") + "\r\n");
    EXPECT_EQ(resultsFile(), window.results());
    // The buttons stay as they were during the scroll until stop is pressed.
    EXPECT_TRUE(state.drawRunning);
    EXPECT_TRUE(e.startButton->isHidden());
    EXPECT_FALSE(e.stopButton->isHidden());
    EXPECT_FALSE(draw.drawInProgress());
    e.stopButton->click();
    EXPECT_FALSE(state.drawRunning);
    EXPECT_FALSE(e.startButton->isHidden());
    ASSERT_EQ(host.music.size(), 2u);
    EXPECT_TRUE(host.music[1].stop);

    // A run stopped before the limit draws as usual.
    host.music.clear();
    stopAfterFrames(3);
    draw.startDraw();
    EXPECT_EQ(lines(window.results()).size(), 3u);
    EXPECT_EQ(state.counters[0], 2);
    ASSERT_FALSE(host.music.empty());
    EXPECT_EQ(host.music.back().files, std::vector<std::string>{host.path(gbk("wav\\结束.mp3"))});
}

TEST_F(DrawRun, ASecondStartDuringTheRunIsIgnored) {
    fillPool(numbered(20));
    setRow(1, "特等奖", "10", "2");
    select("特等奖");
    int frames = 0;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        ++frames;
        if (frames == 2) {
            draw.startDraw();
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QApplication::sendEvent(&window, &space);
            EXPECT_TRUE(state.drawRunning);
            EXPECT_TRUE(draw.drawInProgress());
        }
        if (frames == 4) e.stopButton->click();
    };
    draw.startDraw();
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(lines(window.results()).size(), 2u);
    EXPECT_EQ(state.winnerNumber, 3);
    EXPECT_EQ(state.counters[0], 2);
    EXPECT_EQ(window.pool().count(), 18u);
    EXPECT_FALSE(draw.drawInProgress());
}

TEST_F(DrawRun, PresetsAtTheLastThreeWinnersAcrossRuns) {
    fillPool(numbered(20));
    setRow(2, "一等奖", "5", "2");
    setPresets(2, "PN", "PNN", "PNNN");
    select("一等奖");
    for (int run = 0; run < 3; ++run) {
        stopAfterFrames(1);
        draw.startDraw();
    }
    const auto got = lines(window.results());
    ASSERT_EQ(got.size(), 5u);
    const std::string tail = "  ------  " + gbk("一等奖");
    EXPECT_EQ(got[0].substr(0, 1), "N");
    EXPECT_EQ(got[1].substr(0, 1), "N");
    EXPECT_EQ(got[2], "PNNN" + tail);
    EXPECT_EQ(got[3], "PNN" + tail);
    EXPECT_EQ(got[4], "PN" + tail);
    EXPECT_EQ(window.pool().count(), 18u);
    EXPECT_EQ(state.counters[1], 5);

    host.expectMessage(gbk("本奖项抽取完毕"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_EQ(state.exhausted[1], 5);
}

TEST_F(DrawRun, QuotaOfTenWithEightDrawnDrawsTwo) {
    fillPool(numbered(30));
    setRow(3, "二等奖", "10", "5");
    state.counters[2] = 8;
    select("二等奖");
    EXPECT_EQ(state.winnerNumber, 9);
    EXPECT_EQ(state.levelLimit, 11);
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(lines(window.results()).size(), 2u);
    EXPECT_EQ(state.counters[2], 10);
    EXPECT_EQ(e.progress->caption(), gbk("二等奖 已抽取10名"));
    host.expectMessage(gbk("本奖项抽取完毕"), IdOk, gbk("信息提示"));
    draw.startDraw();
}

TEST_F(DrawRun, PoolEmptiedMidDraw) {
    fillPool({"a1", "b2", "c3"});
    setRow(1, "特等奖", "10", "5", "5");
    select("特等奖");
    stopAfterFrames(2);
    host.expectMessage(gbk("参与抽奖名单已经抽取完毕！"));
    draw.startDraw();
    EXPECT_EQ(window.pool().count(), 0u);
    EXPECT_EQ(lines(window.results()).size(), 3u);
    EXPECT_EQ(state.winnerNumber, 4);
    EXPECT_EQ(e.congrats->caption(), gbk("恭喜：特等奖"));
    EXPECT_EQ(resultsFile(), window.results());
    // The next start finds nothing to draw from.
    host.expectMessage(gbk("没有抽奖数据 或 抽奖名单已经抽完！"));
    draw.startDraw();
    e.stopButton->click();
}

TEST_F(DrawRun, AnEmptyPerDrawFieldDrawsNobodyButAnnounces) {
    fillPool(numbered(5));
    setRow(1, "特等奖", "5", "");
    select("特等奖");
    window.results() = "old  ------  x\r\n";
    stopAfterFrames(2);
    draw.startDraw();
    EXPECT_EQ(e.winners->caption(), "");
    EXPECT_EQ(window.results(), "old  ------  x\r\n");
    EXPECT_EQ(e.congrats->caption(), gbk("恭喜：特等奖"));
    EXPECT_FALSE(e.congrats->isHidden());
    EXPECT_EQ(resultsFile(), window.results());
    EXPECT_EQ(window.pool().count(), 5u);
}

TEST_F(DrawRun, ColumnsOfZeroPutOneWinnerPerLine) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "3", "0");
    select("特等奖");
    std::string frame;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        frame = e.winners->caption();
        e.stopButton->click();
    };
    draw.startDraw();
    EXPECT_EQ(lines(frame).size(), 3u);
    EXPECT_EQ(lines(e.winners->caption()).size(), 3u);
    EXPECT_EQ(e.winners->caption().substr(e.winners->caption().size() - 2), "\r\n");
}

TEST_F(DrawRun, FireworksOpenForTheirTimeThenClose) {
    fillPool(numbered(60));
    setRow(1, "特等奖", "50", "1");
    select("特等奖");
    e.panel.disableEffects->setChecked(false);
    e.panel.fireworksTime->setText(QStringLiteral("2.5"));
    std::vector<int> variants;
    bool openDuringWait = false;
    for (int run = 0; run < 30; ++run) {
        framesSeen = 0;
        host.onDelay = [&] {
            if (state.drawRunning) {
                EXPECT_FALSE(draw.fireworks().isOpen());
                e.stopButton->click();
                return;
            }
            openDuringWait = draw.fireworks().isOpen();
        };
        host.delays.clear();
        draw.startDraw();
        EXPECT_TRUE(openDuringWait);
        EXPECT_FALSE(draw.fireworks().isOpen());
        ASSERT_EQ(host.delays.size(), 2u);
        EXPECT_EQ(host.delays[1], 2500);
        variants.push_back(draw.fireworks().variant());
    }
    for (const int v : {1, 2, 3})
        EXPECT_NE(std::find(variants.begin(), variants.end(), v), variants.end()) << v;

    // Closing from outside during the wait leaves nothing for the draw to close.
    host.onDelay = [&] {
        if (state.drawRunning) {
            e.stopButton->click();
            return;
        }
        draw.closeFireworks();
        EXPECT_FALSE(draw.fireworks().isOpen());
    };
    draw.startDraw();
    EXPECT_FALSE(draw.fireworks().isOpen());

    // Zero seconds: opened and closed at once.
    e.panel.fireworksTime->setText(QStringLiteral("0"));
    stopAfterFrames(1);
    host.delays.clear();
    draw.startDraw();
    EXPECT_EQ(host.delays.size(), 1u);
    EXPECT_FALSE(draw.fireworks().isOpen());
}

TEST_F(DrawRun, AStartClosesOpenFireworks) {
    draw.fireworks().open(2);
    setLevelQuietly("");
    host.expectMessage(gbk("您没有选择任何奖项，请选择！"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_FALSE(draw.fireworks().isOpen());
}

TEST_F(DrawRun, TooLargeAPoolEndsTheProgram) {
    window.pool().clear();
    for (std::size_t i = 0; i <= Pool::kLimit; ++i)
        window.pool().append("12345678");
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    host.expectMessage(gbk("抽奖号码库里面的号码（或者名单）超过了1000000条，软件无法支持！"));
    draw.startDraw();
    EXPECT_TRUE(host.ended);
    EXPECT_FALSE(state.drawRunning);
    EXPECT_TRUE(window.results().empty());
}

TEST_F(DrawRun, AHugeEntryIsDrawnWholeAndShownBounded) {
    // One line of 50 MB: the frame of two copies used to reach the label whole.
    const std::string huge = gbk("张") + std::string(50'000'000, '6');
    fillPool({huge});
    setRow(1, "特等奖", "5", "2", "1");
    e.panel.allowRepeat->setChecked(true);
    select("特等奖");
    const std::string shown = gbk("张") + std::string(252, '6') + gbk("…");
    std::vector<std::string> frames;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        frames.push_back(e.winners->caption());
        if (frames.size() == 3) e.stopButton->click();
    };
    draw.startDraw();

    ASSERT_EQ(frames.size(), 3u);
    for (const auto& frame : frames)
        EXPECT_EQ(frame, shown + "\r\n" + shown + "\r\n");
    EXPECT_EQ(e.winners->caption(), shown + "\r\n" + shown + "\r\n");
    EXPECT_EQ(e.winners->displayText(), QString::fromUtf8("张") + QString(252, QLatin1Char('6')) +
                                            QString::fromUtf8("…\n张") +
                                            QString(252, QLatin1Char('6')) +
                                            QString::fromUtf8("…\n"));
    EXPECT_EQ(e.congrats->caption(), gbk("恭喜：特等奖"));

    const std::string line = huge + gbk("  ------  特等奖") + "\r\n";
    EXPECT_EQ(window.results().size(), 2 * line.size());
    EXPECT_TRUE(window.results() == line + line);
    EXPECT_TRUE(resultsFile() == window.results());
    ASSERT_EQ(window.pool().count(), 1u);
    EXPECT_TRUE(window.pool().entryAt(0) == huge);
    EXPECT_EQ(state.winnerNumber, 3);
}

} // namespace
} // namespace luckdial
