#include "drawfixture.h"

#include <filesystem>

namespace luckdial {
namespace {

using Results = DrawFixture;

TEST_F(Results, MaskingIsShownButNotWritten) {
    fillPool({"12345678"});
    setRow(1, "特等奖", "3", "1");
    select("特等奖");
    e.panel.mask->setChecked(true);
    e.panel.maskLeft->setText(QStringLiteral("3"));
    e.panel.maskRight->setText(QStringLiteral("6"));
    e.panel.maskChars->setText(QStringLiteral("****"));
    std::string scrolled;
    host.onDelay = [&] {
        if (!state.drawRunning) return;
        scrolled = e.winners->caption();
        e.stopButton->click();
    };
    host.expectMessage(gbk("参与抽奖名单已经抽取完毕！"));
    draw.startDraw();
    EXPECT_EQ(scrolled, "12345678\r\n"); // the scroll is never masked
    EXPECT_EQ(e.winners->caption(), "12****78\r\n");
    EXPECT_FALSE(e.winners->isHidden());
    const std::string line = "12345678  ------  " + gbk("特等奖") + "\r\n";
    EXPECT_EQ(window.results(), line);
    EXPECT_EQ(resultsFile(), line);
}

TEST_F(Results, ProgressCaptionWidthAndColours) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    e.subTitle->setTextColour(0x00FF00);
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(e.progress->caption(), gbk("特等奖 已抽取1名"));
    EXPECT_EQ(e.progress->caption().size(), 16u);
    EXPECT_EQ(e.progress->width(), 176);
    EXPECT_EQ(e.progress->textColour(), 0x00FF00);
    EXPECT_EQ(e.levelCaption->textColour(), 0x00FF00);
    EXPECT_EQ(state.counters[0], 1);
    EXPECT_EQ(e.congrats->caption(), gbk("恭喜：特等奖"));
}

TEST_F(Results, TwoRunsAndAForfeitInTheFile) {
    fillPool(numbered(40));
    setRow(3, "二等奖", "5", "2");
    setRow(2, "一等奖", "3", "2");

    select("二等奖");
    stopAfterFrames(2);
    draw.startDraw();
    const auto first = lines(window.results());
    ASSERT_EQ(first.size(), 2u);
    const std::string forfeited = first[1].substr(0, first[1].find(' '));

    host.expectInput({}, forfeited);
    draw.forfeitWinner();
    EXPECT_EQ(state.winnerNumber, 2);
    EXPECT_EQ(state.counters[2], 1);
    EXPECT_EQ(state.exhausted[2], 1);
    EXPECT_EQ(e.progress->caption(), gbk("二等奖 已抽取1名"));
    EXPECT_EQ(e.winners->caption(), "");
    EXPECT_EQ(e.congrats->caption(), "");
    EXPECT_EQ(window.pool().count(), 38u); // the forfeited entry stays out

    select("一等奖");
    stopAfterFrames(2);
    draw.startDraw();

    const auto all = lines(resultsFile());
    ASSERT_EQ(all.size(), 5u);
    const std::string secondPrize = "  ------  " + gbk("二等奖");
    const std::string firstPrize = "  ------  " + gbk("一等奖");
    EXPECT_EQ(all[0], first[0]);
    EXPECT_EQ(all[1], first[1]);
    EXPECT_EQ(all[2], gbk("（") + forfeited + gbk("---放弃领奖）"));
    EXPECT_EQ(all[0].substr(5), secondPrize);
    EXPECT_EQ(all[3].substr(5), firstPrize);
    EXPECT_EQ(all[4].substr(5), firstPrize);
    EXPECT_EQ(resultsFile(), window.results());
    EXPECT_EQ(resultsFile().substr(resultsFile().size() - 2), "\r\n");
}

TEST_F(Results, ForfeitThenRedrawOfTheSameWinnerNumber) {
    fillPool(numbered(20));
    setRow(1, "特等奖", "3", "3");
    setPresets(1, "LAST", "", "");
    select("特等奖");
    stopAfterFrames(1);
    draw.startDraw();
    auto got = lines(window.results());
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2], "LAST  ------  " + gbk("特等奖"));
    EXPECT_EQ(state.winnerNumber, 4);

    host.expectInput(gbk("如确定某人放弃领奖，请输入此人名单(或号码),"
                         "然后点【确定】\r\n\r\n否则，请点击【取消】"),
                     std::string("LAST"));
    draw.forfeitWinner();
    EXPECT_EQ(state.winnerNumber, 3);
    EXPECT_EQ(state.exhausted[0], 2);
    EXPECT_EQ(state.counters[0], 2);
    EXPECT_EQ(e.progress->caption(), gbk("特等奖 已抽取2名"));
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.back().kind, DialogRecord::Input);
    EXPECT_EQ(host.log.back().initial, "");

    // The level is no longer complete; winner 3 is the preset again.
    draw.selectPrizeLevel();
    EXPECT_EQ(state.winnerNumber, 3);
    stopAfterFrames(1);
    draw.startDraw();
    got = lines(window.results());
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[3], gbk("（LAST---放弃领奖）"));
    EXPECT_EQ(got[4], "LAST  ------  " + gbk("特等奖"));
    EXPECT_EQ(state.counters[0], 3);
}

TEST_F(Results, ForfeitRefusalsAndCancel) {
    setLevelQuietly("");
    host.expectMessage(gbk("没有选择抽奖等级！请选择！"));
    draw.forfeitWinner();

    fillPool(numbered(5));
    setRow(1, "特等奖", "3", "1");
    select("特等奖");
    host.expectMessage(gbk("当前奖项还没有人抽取！"));
    draw.forfeitWinner();

    stopAfterFrames(1);
    draw.startDraw();
    const std::string before = window.results();
    host.expectInput({}, std::nullopt);
    draw.forfeitWinner();
    EXPECT_EQ(window.results(), before);
    EXPECT_EQ(state.winnerNumber, 2);
    EXPECT_EQ(state.counters[0], 1);

    // An empty answer is still a forfeit; the only winner gone, the next is refused.
    host.expectInput({}, std::string());
    e.menu.forfeit->trigger();
    EXPECT_EQ(e.progress->caption(), gbk("特等奖 已抽取0名"));
    EXPECT_EQ(window.results(), before + gbk("（---放弃领奖）") + "\r\n");
    EXPECT_EQ(resultsFile(), window.results());
    host.expectMessage(gbk("当前奖项还没有人抽取！"));
    e.menu.forfeit->trigger();
}

TEST_F(Results, ForfeitAsksWithItsCaptionAndKeepsTheProgressWidth) {
    fillPool(numbered(20));
    setRow(3, "二等奖", "5", "3");
    select("二等奖");
    stopAfterFrames(1);
    draw.startDraw();
    const int width = e.progress->width();
    EXPECT_EQ(width, 16 * 11); // "二等奖 已抽取3名"

    host.expectInput(gbk("如确定某人放弃领奖，请输入此人名单(或号码),"
                         "然后点【确定】\r\n\r\n否则，请点击【取消】"),
                     std::string("1207"));
    e.menu.forfeit->trigger();
    ASSERT_FALSE(host.log.empty());
    const DialogRecord& box = host.log.back();
    EXPECT_EQ(box.kind, DialogRecord::Input);
    EXPECT_EQ(box.caption, gbk("确定当前某人放弃领奖吗？"));
    EXPECT_EQ(box.initial, "");
    EXPECT_EQ(state.winnerNumber, 3);
    EXPECT_EQ(state.counters[2], 2);
    EXPECT_EQ(e.progress->caption(), gbk("二等奖 已抽取2名"));
    EXPECT_EQ(e.progress->width(), width); // not recomputed by the forfeit
    EXPECT_EQ(lines(resultsFile()).back(), gbk("（1207---放弃领奖）"));
}

TEST_F(Results, ForfeitWhileTheSelectorMatchesNoRow) {
    fillPool(numbered(20));
    setRow(3, "二等奖", "5", "2");
    select("二等奖");
    stopAfterFrames(1);
    draw.startDraw();
    ASSERT_EQ(state.winnerNumber, 3);
    ASSERT_EQ(state.counters[2], 2);
    const std::string before = window.results();

    // The row is renamed in the panel; the selector still shows the old name.
    e.panel.name[2]->setText(q("二等奖A"));
    host.expectInput({}, std::string("0815"));
    draw.forfeitWinner();

    EXPECT_EQ(state.winnerNumber, 2);
    EXPECT_EQ(e.progress->caption(), gbk("二等奖 已抽取1名"));
    // No row matches: neither a counter nor an exhausted mark changes.
    EXPECT_EQ(state.counters, (std::array<std::int32_t, 8>{0, 0, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(state.exhausted, (std::array<std::int32_t, 8>{}));
    // The forfeit is still recorded and the display cleared.
    EXPECT_EQ(window.results(), before + gbk("（0815---放弃领奖）") + "\r\n");
    EXPECT_EQ(resultsFile(), window.results());
    EXPECT_EQ(e.winners->caption(), "");
    EXPECT_EQ(e.congrats->caption(), "");
    EXPECT_EQ(window.pool().count(), 18u);
}

TEST_F(Results, AFailedWriteKeepsTheTextForTheNextWrite) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    // A directory where the file should be makes every write fail.
    ASSERT_TRUE(host.createDirectory(host.path(gbk("抽奖结果.txt"))));
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(lines(window.results()).size(), 1u);
    EXPECT_FALSE(draw.writeResultsFile());

    std::filesystem::remove(HostBase::nativePath(host.path(gbk("抽奖结果.txt"))));
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(lines(resultsFile()).size(), 2u);
    EXPECT_EQ(resultsFile(), window.results());
}

TEST_F(Results, TheNewStateIsAnnouncedBeforeTheFileIsRewritten) {
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "2");
    select("特等奖");
    struct Seen {
        std::size_t pool;
        std::int32_t counter;
        std::string text;
        std::string file;
    };
    std::vector<Seen> seen;
    QObject::connect(&draw, &DrawController::outcomeRecorded, [&] {
        seen.push_back({window.pool().count(), state.counters[0], window.results(), resultsFile()});
    });

    stopAfterFrames(1);
    draw.startDraw();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].pool, 8u);
    EXPECT_EQ(seen[0].counter, 2);
    EXPECT_EQ(seen[0].text, window.results());
    EXPECT_EQ(seen[0].file, "");
    EXPECT_EQ(resultsFile(), window.results());

    const std::string afterDraw = window.results();
    host.expectInput({}, std::string("N1001"));
    draw.forfeitWinner();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].counter, 1);
    EXPECT_EQ(seen[1].text, window.results());
    EXPECT_EQ(seen[1].file, afterDraw);

    // A cancelled forfeit and a refused start change nothing and say nothing.
    host.expectInput({}, std::nullopt);
    draw.forfeitWinner();
    setLevelQuietly("");
    host.expectMessage(gbk("您没有选择任何奖项，请选择！"), IdOk, gbk("信息提示"));
    draw.startDraw();
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(Results, FirstRewriteKeepsAnOlderFileThatTheTextDoesNotContinue) {
    const std::string path = host.path(gbk("抽奖结果.txt"));
    const std::string older = "0001  ------  " + gbk("特等奖") + "\r\n";
    ASSERT_TRUE(host.writeFile(path, older));
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(resultsFile(), window.results());
    auto copies = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("抽奖结果_") && name.ends_with(".txt")) names.push_back(name);
        }
        return names;
    };
    std::vector<std::string> kept = copies();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(host.readFile(dir.path() + "/" + gbk(kept[0])), older);
    // Named by the moment: 抽奖结果_YYYYMMDD-HHMMSS.txt
    EXPECT_EQ(kept[0].size(), std::string("抽奖结果_20261208-153000.txt").size());

    // Later rewrites of the run are of its own text: no further copies.
    ASSERT_TRUE(host.writeFile(path, "changed by hand\r\n"));
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(copies().size(), 1u);
    EXPECT_EQ(resultsFile(), window.results());
}

TEST_F(Results, ATextThatContinuesTheFileNeedsNoCopy) {
    const std::string older = "0001  ------  " + gbk("特等奖") + "\r\n";
    ASSERT_TRUE(host.writeFile(host.path(gbk("抽奖结果.txt")), older));
    window.results() = older; // as resumed
    fillPool(numbered(10));
    setRow(1, "特等奖", "5", "1");
    select("特等奖");
    stopAfterFrames(1);
    draw.startDraw();
    EXPECT_EQ(resultsFile().substr(0, older.size()), older);
    EXPECT_EQ(lines(resultsFile()).size(), 2u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace luckdial
