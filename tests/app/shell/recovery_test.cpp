// Crash recovery through the real application on a fake host: the record
// written after every draw and forfeit, the question at the next start, the
// record's removal at every normal end, and the results file's backup.

#include "event_fixture.h"

#include "app/notices.h"
#include "app/recovery.h"
#include "draw/core/drawstate.h"
#include "host/host.h"
#include "pool/savedstate.h"

#include <QAction>

#include <chrono>
#include <iostream>

namespace luckdial::testing {
namespace {

const char kBackupOfRecord[] = "抽奖恢复_[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.dat";
const char kBackupOfResults[] = "抽奖结果_[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.txt";

class Recovery : public EventTest {
protected:
    struct Snapshot {
        std::vector<std::string> pool;
        std::array<std::int32_t, 8> counters{};
        std::string results;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() {
        return {poolEntries(), app().state().counters, app().window().results()};
    }
    /// The run ends without any handler: what a kill or a power cut does.
    void crash() { restart(); }
};

TEST_F(Recovery, AfterACrashTheEventContinuesFromItsLastDraw) {
    writeEvent(20, 20, 4);
    // An older saved progress must not be offered once the record is taken.
    write("进度.txt", "1001\r\n");
    create();
    expectResumeQuestion(IdNo);
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    drawOnce();
    ASSERT_TRUE(exists("抽奖恢复.dat"));
    const Snapshot before = snapshot();
    ASSERT_EQ(before.pool.size(), 12u);
    ASSERT_EQ(before.counters[0], 8);
    const std::string resultsFile = read("抽奖结果.txt");
    ASSERT_EQ(resultsFile, before.results);

    crash();
    expectRecoveryQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(read("抽奖结果.txt"), resultsFile);
    // The record stays until the next draw replaces it: a second crash
    // before any draw still finds it.
    EXPECT_TRUE(exists("抽奖恢复.dat"));

    // Drawing the pool out: the level goes on from winner 9, nobody wins
    // twice, and the earlier lines stay at the top of the file.
    selectLevel();
    EXPECT_EQ(app().state().winnerNumber, 9);
    drawOnce();
    drawOnce();
    host().expectMessage(gbk("参与抽奖名单已经抽取完毕！"));
    drawOnce();
    EXPECT_EQ(app().state().counters[0], 20);
    EXPECT_EQ(app().window().pool().count(), 0u);
    const std::string all = read("抽奖结果.txt");
    EXPECT_EQ(all.substr(0, resultsFile.size()), resultsFile);
    const std::vector<std::string> winners = winnersIn(all);
    EXPECT_EQ(winners.size(), 20u);
    EXPECT_EQ(std::set<std::string>(winners.begin(), winners.end()).size(), 20u);
    EXPECT_TRUE(filesMatching(kBackupOfResults).empty());
}

TEST_F(Recovery, AForfeitIsRecordedAsWellAsADraw) {
    writeEvent(10, 5, 2);
    create();
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    const std::string afterDraw = read("抽奖恢复.dat");
    host().expectInput({}, std::string("1207"));
    app().window().elements().menu.forfeit->trigger();
    const std::string afterForfeit = read("抽奖恢复.dat");
    EXPECT_NE(afterForfeit, afterDraw);
    const Snapshot before = snapshot();
    EXPECT_EQ(before.counters[0], 1);

    crash();
    expectRecoveryQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(snapshot(), before);
    const std::string line = gbk("（1207---放弃领奖）\r\n");
    const std::string& results = app().window().results();
    ASSERT_GE(results.size(), line.size());
    EXPECT_EQ(results.substr(results.size() - line.size()), line);
}

TEST_F(Recovery, DecliningKeepsTheRecordAsideAndStartsAsBefore) {
    writeEvent(10, 5, 2);
    write("进度.txt", "1001\r\n1002\r\n");
    setItem("jindu", "计数1", "3");
    create();
    expectResumeQuestion(IdNo);
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    const std::string record = read("抽奖恢复.dat");
    const std::string oldResults = read("抽奖结果.txt");

    crash();
    expectRecoveryQuestion(IdNo);
    expectResumeQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_FALSE(exists("抽奖恢复.dat"));
    const std::vector<std::string> kept = filesMatching(kBackupOfRecord);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readDisk(kept[0]), record);
    // The saved progress as it was, and the results file of the crashed run
    // as its text.
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"1001", "1002"}));
    EXPECT_EQ(app().state().counters[0], 3);
    EXPECT_EQ(app().window().results(), oldResults);

    // Without a draw there is no new record. Declining the saved progress
    // too, the first draw writes a file of its own lines only, and the old
    // file is kept.
    crash();
    expectResumeQuestion(IdNo);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(filesMatching(kBackupOfRecord).size(), 1u);
    selectLevel();
    // Another moment seeds the draw differently from the first run's.
    host().setNow(host().now() + 777);
    drawOnce();
    EXPECT_EQ(winnersIn(read("抽奖结果.txt")).size(), 2u);
    ASSERT_NE(read("抽奖结果.txt"), oldResults);
    const std::vector<std::string> results = filesMatching(kBackupOfResults);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(readDisk(results[0]), oldResults);
}

TEST_F(Recovery, ADamagedRecordIsKeptAsideAndNamedWithoutAQuestion) {
    writeEvent(10, 5, 2);
    create();
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    std::string record = read("抽奖恢复.dat");
    record[record.size() - 3] ^= 0x01;
    write("抽奖恢复.dat", record);

    crash();
    host().stamp = "20261209-101500";
    const std::string keptName = gbk("抽奖恢复_20261209-101500.dat");
    host().expectMessage(notices::damagedRecord(gbk("抽奖恢复.dat"), keptName), IdOk, gbk("提示"));
    ASSERT_TRUE(app().start());
    EXPECT_EQ(host().messages().size(), 1u);
    EXPECT_NE(host().messages().at(0).find(keptName), std::string::npos);
    EXPECT_EQ(app().window().pool().count(), 10u);
    const std::vector<std::string> kept = filesMatching(kBackupOfRecord);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readDisk(kept[0]), record);
}

TEST_F(Recovery, EveryNormalEndRemovesTheRecord) {
    writeEvent(20, 20, 2);
    auto runWithOneDraw = [this] {
        ASSERT_TRUE(app().start());
        selectLevel();
        drawOnce();
        ASSERT_TRUE(exists("抽奖恢复.dat"));
    };
    const std::string exitCaption = gbk("退出是否保存进度？");

    create();
    runWithOneDraw();
    host().expectMessage(exitQuestion(), IdCancel, exitCaption);
    EXPECT_FALSE(app().requestClose());
    EXPECT_TRUE(exists("抽奖恢复.dat"));
    host().expectMessage(exitQuestion(), IdNo, exitCaption);
    EXPECT_TRUE(app().requestClose());
    EXPECT_FALSE(exists("抽奖恢复.dat"));

    restart();
    runWithOneDraw();
    host().expectMessage(exitQuestion(), IdYes, exitCaption);
    host().expectMessage(gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"));
    EXPECT_TRUE(app().requestClose());
    EXPECT_FALSE(exists("抽奖恢复.dat"));

    restart();
    expectResumeQuestion(IdYes);
    runWithOneDraw();
    host().expectMessage({}, IdOk, gbk("确定初始化？"));
    host().expectMessage(gbk("初始化完毕，抽奖系统将重新启动！"));
    app().window().elements().menu.reset->trigger();
    EXPECT_TRUE(host().ended);
    EXPECT_FALSE(exists("抽奖恢复.dat"));
    EXPECT_FALSE(exists("进度.txt"));
    EXPECT_TRUE(filesMatching(kBackupOfRecord).empty());
}

TEST_F(Recovery, StartUpRemovesTheProgramsOwnStaleTemporariesOnly) {
    writeEvent(3, 1, 1);
    const std::vector<std::string> stale = {".抽奖结果.txt.a1B2c3", ".进度.txt.XXXXXX",
                                            ".peizhi.a.000000", ".抽奖恢复.dat.Zz9Zz9",
                                            ".进度_新.txt.abcdef"};
    const std::vector<std::string> others = {".抽奖号码库.txt.a1B2c3", ".进度.txt.a1B2c",
                                             "进度.txt.a1B2c3"};
    for (const auto& name : stale)
        write(name, "partial");
    for (const auto& name : others)
        write(name, "not ours");
    create();
    ASSERT_TRUE(app().start());
    for (const auto& name : stale)
        EXPECT_FALSE(exists(name)) << name;
    for (const auto& name : others)
        EXPECT_TRUE(exists(name)) << name;
}

/// The largest pool the program accepts: how long the record takes after a
/// draw, and that it gives the pool back entry for entry.
TEST(RecoveryRecordOfAFullPool, IsWrittenAndReadBackExactly) {
    TempDir dir;
    FakeHost host(dir.path());
    MainWindow window;
    Pool& pool = window.pool();
    std::string text;
    for (int i = 0; i < 3276000; ++i)
        text += std::to_string(10000000 + i) + "\r\n";
    pool.assignLines(std::move(text));
    for (std::size_t i = 0; i < 1000; ++i)
        pool.removeAt(i * 3000);
    DrawState state;
    state.counters = {1000, 0, 0, 0, 0, 0, 0, 0};
    std::string results;
    for (int i = 0; i < 1000; ++i)
        results += std::to_string(20000000 + i) + gbk("  ------  特等奖\r\n");

    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    const auto t0 = Clock::now();
    ASSERT_TRUE(writeRecoveryRecord(host, pool, state, results));
    const auto t1 = Clock::now();

    MainWindow restored;
    DrawState restoredState;
    host.expectMessage({}, IdYes);
    std::unique_ptr<TextFile> source = offerRecovery(host, restored, restoredState);
    ASSERT_TRUE(source);
    loadPool(restored.pool(), *source, nullptr, nullptr);
    const auto t2 = Clock::now();
    std::cout << "record of " << pool.count() << " entries: written in " << ms(t1 - t0)
              << " ms, read back in " << ms(t2 - t1) << " ms\n";
    ::testing::Test::RecordProperty("write_ms", static_cast<int>(ms(t1 - t0)));

    ASSERT_EQ(restored.pool().count(), pool.count());
    EXPECT_EQ(progressText(restored.pool()), progressText(pool));
    EXPECT_EQ(restoredState.counters, state.counters);
    EXPECT_EQ(restored.results(), results);
}

} // namespace
} // namespace luckdial::testing
