// Writes of the draw path failing as on a full disk, through the real
// application: after every draw each winner the hall has seen is in the
// results file or the recovery record on disk, or the operator was told in
// that draw that it is not; once space is back, everything is written.

#include "event_fixture.h"

#include "app/notices.h"
#include "app/recovery.h"
#include "draw/core/drawstate.h"
#include "pool/savedstate.h"

#include <QAction>

#include <set>

namespace luckdial::testing {
namespace {

/// An operator who answers every box at once: the unsaved-winners box with
/// `retry` (Yes) or going on, and every other box with its first button.
class OperatorHost : public FakeHost {
public:
    using FakeHost::FakeHost;
    bool retry = false;
    /// Runs before the answer to the unsaved-winners box (frees the disk).
    std::function<void()> beforeAnswer;
    /// Runs when the box with this text shows (GBK).
    std::string watchText;
    std::function<void()> onWatched;
    std::vector<std::string> shown;
    /// For each box shown: it was the unsaved-winners question.
    std::vector<bool> unsaved;

    int messageBox(const std::string& text, int style, const std::string& caption) override {
        shown.push_back(text);
        unsaved.push_back(caption == notices::unsavedCaption() && (style & 0x0F) == MbYesNo);
        if (!watchText.empty() && text == watchText && onWatched) onWatched();
        if (caption == notices::unsavedCaption() && (style & 0x0F) == MbYesNo) {
            if (beforeAnswer) beforeAnswer();
            return retry ? IdYes : IdNo;
        }
        return (style & 0x0F) == MbYesNo || (style & 0x0F) == MbYesNoCancel ? IdYes : IdOk;
    }
};

class DiskFull : public EventTest {
protected:
    OperatorHost& useOperatorHost() {
        app_.reset();
        host_->verifyAllAnswered();
        auto op = std::make_unique<OperatorHost>(dir_.path());
        OperatorHost& ref = *op;
        host_ = std::move(op);
        return ref;
    }

    /// Fails writes to the files whose names (UTF-8) contain one of these.
    void fill(OperatorHost& host, std::vector<std::string> names) {
        std::vector<std::string> gbkNames;
        for (const std::string& n : names)
            gbkNames.push_back(gbk(n));
        host.diskFull = [gbkNames](const std::string& path) {
            for (const std::string& n : gbkNames)
                if (path.find(n) != std::string::npos) return true;
            return false;
        };
    }

    std::set<std::string> onDisk() {
        std::set<std::string> found;
        for (const std::string& w : winnersIn(read("抽奖结果.txt")))
            found.insert(w);
        if (const auto record = parseRecoveryRecord(read("抽奖恢复.dat")))
            for (const std::string& w : winnersIn(record->results))
                found.insert(w);
        return found;
    }

    /// Unsaved-winners questions from box number `from` on.
    static int told(const OperatorHost& host, std::size_t from) {
        int n = 0;
        for (std::size_t i = from; i < host.unsaved.size(); ++i)
            n += host.unsaved[i] ? 1 : 0;
        return n;
    }
    void crash() { restart(); }
};

struct Scenario {
    const char* what;
    /// Per draw run (five runs of four empty a pool of twenty): the files
    /// that cannot be written during it.
    std::vector<std::vector<std::string>> full;
    bool retryAfterFreeing = false;
    /// An earlier event's results file, kept aside by the first rewrite.
    bool olderResults = false;
};

TEST_F(DiskFull, EveryWinnerIsOnDiskOrTheOperatorWasTold) {
    const std::string record = "抽奖恢复.dat";
    const std::string results = "抽奖结果.txt";
    const std::vector<Scenario> scenarios = {
        {"the record once", {{}, {record}, {}, {}, {}}},
        {"the results file once", {{}, {results}, {}, {}, {}}},
        {"both for two runs", {{}, {record, results}, {record, results}, {}, {}}},
        {"both in the run that empties the pool", {{}, {}, {}, {}, {record, results}}},
        {"both from the first run to the last",
         {{record, results},
          {record, results},
          {record, results},
          {record, results},
          {record, results}}},
        {"both, retried once space is free", {{}, {record, results}, {}, {}, {}}, true},
        {"the copy of an earlier event's results", {{"抽奖结果_"}, {}, {}, {}, {}}, false, true},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directory(dir_.path());
        OperatorHost& host = useOperatorHost();
        writeEvent(20, 20, 4);
        if (s.olderResults) write("抽奖结果.txt", gbk("0001  ------  特等奖\r\n"));
        create();
        ASSERT_TRUE(app().start());
        selectLevel();
        host.retry = s.retryAfterFreeing;
        host.beforeAnswer = [&] {
            if (s.retryAfterFreeing) host.diskFull = nullptr;
        };

        std::size_t hallBefore = 0;
        for (std::size_t run = 0; run < s.full.size(); ++run) {
            SCOPED_TRACE("run " + std::to_string(run + 1));
            fill(host, s.full[run]);
            const std::size_t boxesBefore = host.shown.size();
            drawOnce();
            const std::vector<std::string> hall = winnersIn(app().window().results());
            ASSERT_EQ(hall.size(), hallBefore + 4);
            const std::set<std::string> disk = onDisk();
            bool missing = false;
            for (std::size_t i = hallBefore; i < hall.size(); ++i)
                missing = missing || !disk.count(hall[i]);
            const int toldNow = told(host, boxesBefore);
            if (missing) {
                EXPECT_EQ(toldNow, 1) << "winners missing from the disk without a word";
            }
            // Told once per failure: never once per winner or per file.
            EXPECT_LE(toldNow, 1);
            if (s.full[run].empty()) {
                EXPECT_EQ(toldNow, 0);
            }
            // The box of a record that failed comes before the pool-empty one.
            const auto emptied = std::find(host.shown.begin() + boxesBefore, host.shown.end(),
                                           gbk("参与抽奖名单已经抽取完毕！"));
            if (emptied != host.shown.end() && toldNow == 1) {
                EXPECT_TRUE(host.unsaved[boxesBefore]);
            }
            hallBefore = hall.size();
        }
        // Space comes back: the exit save writes what is still missing.
        host.diskFull = nullptr;
        const std::size_t boxesBefore = host.shown.size();
        EXPECT_TRUE(app().requestClose());
        EXPECT_TRUE(host.ended);
        EXPECT_EQ(host.shown.back(), gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"));
        EXPECT_EQ(told(host, boxesBefore), 0);
        // An earlier event's file was kept aside: this one holds the twenty.
        const std::vector<std::string> all = winnersIn(read("抽奖结果.txt"));
        EXPECT_EQ(all.size(), 20u);
        EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
        EXPECT_EQ(item("jindu", "计数1"), "20");
        // After a failure that was told, the next full success says so.
        const bool anyFailure = host.refusedWrites > 0;
        const bool saidAgain = std::find(host.shown.begin(), host.shown.end(),
                                         notices::savedAgain()) != host.shown.end();
        const bool lastRunFailed = !s.full.back().empty();
        if (anyFailure && !lastRunFailed) {
            EXPECT_TRUE(saidAgain);
        }
        if (!anyFailure) {
            EXPECT_FALSE(saidAgain);
        }
    }
}

/// Each write of a whole event counted from the first draw on, failed by
/// its number: only that write, or every write from it on (a disk that
/// fills up there). The rule is checked against the files after each draw.
TEST_F(DiskFull, EveryWriteOfTheDrawPathFailedInTurnLosesNobodyUntold) {
    // How many writes an event of five draws makes, counted on a good disk.
    int total = 0;
    {
        OperatorHost& host = useOperatorHost();
        writeEvent(20, 20, 4);
        create();
        ASSERT_TRUE(app().start());
        selectLevel();
        host.diskFull = [&](const std::string&) {
            ++total;
            return false;
        };
        for (int run = 0; run < 5; ++run)
            drawOnce();
    }
    // The results file and the recovery record at least, in every draw.
    ASSERT_GE(total, 10);
    for (const bool fromThereOn : {false, true}) {
        for (int failing = 0; failing < total; ++failing) {
            SCOPED_TRACE((fromThereOn ? "from write " : "only write ") + std::to_string(failing));
            std::filesystem::remove_all(dir_.path());
            std::filesystem::create_directory(dir_.path());
            OperatorHost& host = useOperatorHost();
            writeEvent(20, 20, 4);
            create();
            ASSERT_TRUE(app().start());
            selectLevel();
            int written = 0;
            host.diskFull = [&, failing, fromThereOn](const std::string&) {
                const int n = written++;
                return fromThereOn ? n >= failing : n == failing;
            };
            std::size_t hallBefore = 0;
            for (int run = 0; run < 5; ++run) {
                SCOPED_TRACE("draw " + std::to_string(run + 1));
                const std::size_t boxesBefore = host.shown.size();
                drawOnce();
                const std::vector<std::string> hall = winnersIn(app().window().results());
                ASSERT_EQ(hall.size(), hallBefore + 4);
                const std::set<std::string> disk = onDisk();
                bool missing = false;
                for (const std::string& w : hall)
                    missing = missing || !disk.count(w);
                const int toldNow = told(host, boxesBefore);
                if (missing) {
                    EXPECT_EQ(toldNow, 1) << "winners missing from the disk without a word";
                }
                EXPECT_LE(toldNow, 1);
                hallBefore = hall.size();
            }
            // A failure that was not told would be a loss the operator never heard of.
            if (host.refusedWrites > 0) {
                EXPECT_GE(told(host, 0), 1);
            }
            host.diskFull = nullptr;
            EXPECT_TRUE(app().requestClose());
            EXPECT_TRUE(host.ended);
            const std::vector<std::string> all = winnersIn(read("抽奖结果.txt"));
            EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 20u);
            EXPECT_EQ(all.size(), 20u);
            EXPECT_EQ(item("jindu", "计数1"), "20");
        }
    }
}

TEST_F(DiskFull, AFailedForfeitWriteIsToldAsWell) {
    OperatorHost& host = useOperatorHost();
    writeEvent(10, 5, 2);
    create();
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    fill(host, {"抽奖恢复.dat", "抽奖结果.txt"});
    host.expectInput({}, std::string("1207"));
    app().window().elements().menu.forfeit->trigger();
    EXPECT_EQ(told(host, 0), 1);
    EXPECT_EQ(host.shown.back(), notices::unsavedWinners(false, host.programDir()));
    // The next write that succeeds carries the forfeit line too.
    host.diskFull = nullptr;
    drawOnce();
    EXPECT_EQ(read("抽奖结果.txt"), app().window().results());
    EXPECT_NE(read("抽奖结果.txt").find(gbk("（1207---放弃领奖）")), std::string::npos);
    EXPECT_EQ(host.shown.back(), notices::savedAgain());
}

TEST_F(DiskFull, KilledWhileThePoolEmptiedMessageShowsLosesNobody) {
    OperatorHost& host = useOperatorHost();
    writeEvent(6, 10, 4);
    create();
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    // While the message stands the hall sees all six: that is what a kill
    // at this moment leaves on disk.
    std::string recordThen;
    std::string resultsThen;
    host.watchText = gbk("参与抽奖名单已经抽取完毕！");
    host.onWatched = [&] {
        recordThen = read("抽奖恢复.dat");
        resultsThen = read("抽奖结果.txt");
    };
    drawOnce();
    ASSERT_FALSE(recordThen.empty());
    const std::vector<std::string> hall = winnersIn(app().window().results());
    ASSERT_EQ(hall.size(), 6u);
    const auto kept = parseRecoveryRecord(recordThen);
    ASSERT_TRUE(kept);
    EXPECT_EQ(winnersIn(kept->results), hall);
    EXPECT_EQ(kept->poolCount, 0u);
    EXPECT_EQ(kept->counters[0], 6);

    write("抽奖恢复.dat", recordThen);
    write("抽奖结果.txt", resultsThen);
    crash();
    expectRecoveryQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().pool().count(), 0u);
    EXPECT_EQ(app().state().counters[0], 6);
    // The results file gets the recovered winners at once.
    EXPECT_EQ(winnersIn(read("抽奖结果.txt")), hall);
}

struct ExitCase {
    const char* what;
    bool configIsFolder;
    bool resultsFull;
    /// The recovery record could not be written in the draw either (space
    /// for it is back at the exit).
    bool recordFull;
    /// The answer to the exit question (Yes saves, No does not).
    int exitAnswer;
    /// The answer to the box that tells what was not saved.
    int afterFailure;
};

TEST_F(DiskFull, TheProgramCanAlwaysEndAndSaysWhatWasNotSaved) {
    const std::vector<ExitCase> cases = {
        {"a folder named peizhi.a, end unsaved", true, false, false, IdYes, IdNo},
        {"a folder named peizhi.a, back", true, false, false, IdYes, IdYes},
        {"the results file, end unsaved", false, true, false, IdYes, IdNo},
        {"both, end unsaved", true, true, false, IdYes, IdNo},
        {"the results file, exit without saving", false, true, false, IdNo, IdOk},
        {"the record behind, peizhi.a a folder, end unsaved", true, true, true, IdYes, IdNo},
        {"the record behind, exit without saving", false, true, true, IdNo, IdOk},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directory(dir_.path());
        restart();
        writeEvent(10, 10, 2);
        ASSERT_TRUE(app().start());
        selectLevel();
        const auto resultsOnly = [](const std::string& path) {
            return path.find(gbk("抽奖结果")) != std::string::npos;
        };
        if (c.recordFull) {
            host().diskFull = [resultsOnly](const std::string& path) {
                return resultsOnly(path) || path.find(gbk("抽奖恢复")) != std::string::npos;
            };
            host().expectMessage(notices::unsavedWinners(false, host().programDir()), IdNo,
                                 notices::unsavedCaption(), MbYesNo | MbIconWarning);
        } else if (c.resultsFull) {
            host().diskFull = resultsOnly;
            host().expectMessage(notices::unsavedWinners(true, host().programDir()), IdNo,
                                 notices::unsavedCaption(), MbYesNo | MbIconWarning);
        }
        drawOnce();
        EXPECT_EQ(exists("抽奖恢复.dat"), !c.recordFull);
        if (c.recordFull) host().diskFull = resultsOnly;
        if (c.configIsFolder) {
            std::filesystem::remove(dir_.path() + "/peizhi.a");
            std::filesystem::create_directory(dir_.path() + "/peizhi.a");
        }
        host().expectMessage(exitQuestion(), c.exitAnswer, gbk("退出是否保存进度？"), kExitStyle);
        if (c.exitAnswer == IdYes)
            host().expectMessage(notices::exitSaveFailed(!c.configIsFolder, !c.resultsFull, true),
                                 c.afterFailure, gbk("提示"), MbYesNo | MbIconWarning);
        else
            host().expectMessage(notices::exitResultsUnsaved(true), IdOk, gbk("提示"),
                                 MbOk | MbIconWarning);
        const bool ends = c.afterFailure != IdYes;
        EXPECT_EQ(app().requestClose(), ends);
        EXPECT_EQ(host().ended, ends);
        // The record of the last draw stays for the next start.
        const auto kept = parseRecoveryRecord(read("抽奖恢复.dat"));
        ASSERT_TRUE(kept);
        EXPECT_EQ(winnersIn(kept->results), winnersIn(app().window().results()));
        EXPECT_EQ(kept->counters[0], 2);
        if (!ends) {
            // Space freed, the folder taken away: the second try saves all.
            host().diskFull = nullptr;
            std::filesystem::remove(dir_.path() + "/peizhi.a");
            host().expectMessage(exitQuestion(), IdYes, gbk("退出是否保存进度？"), kExitStyle);
            host().expectMessage(gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"));
            EXPECT_TRUE(app().requestClose());
            EXPECT_TRUE(host().ended);
            EXPECT_FALSE(exists("抽奖恢复.dat"));
            EXPECT_EQ(read("抽奖结果.txt"), app().window().results());
        }
    }
}

} // namespace
} // namespace luckdial::testing
