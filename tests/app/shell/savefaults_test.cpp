// A progress save cut short at every step, or failing at one, through the
// real application: the next start must find the old pool with the old
// counters or the new pool with the new counters, never a mix.

#include "support/app_fixture.h"

#include "draw/core/drawstate.h"
#include "pool/pool.h"
#include "pool/savedstate.h"
#include "ui/mainwindow.h"

#include <filesystem>
#include <functional>

namespace luckdial::testing {
namespace {

/// Thrown where the program would have been killed.
struct Killed {};

/// A fake host that dies before a chosen change of the program directory, or
/// fails chosen writes. It answers the exit question with Yes and every
/// other box with its first button, so a save can be cut anywhere.
class FaultyHost : public FakeHost {
public:
    using FakeHost::FakeHost;

    /// Changes made since the exit question was answered; the one numbered
    /// killBefore is never made.
    int changes = 0;
    int killBefore = -1;
    /// A write to a path for which this returns true fails.
    std::function<bool(const std::string& path)> failWrite;
    std::vector<std::string> shown;

    bool writeFile(const std::string& path, const std::vector<std::string_view>& parts) override {
        change();
        if (failWrite && failWrite(path)) return false;
        return FakeHost::writeFile(path, parts);
    }
    using FakeHost::writeFile;
    bool writeItem(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value) override {
        change();
        if (failWrite && failWrite(file)) return false;
        return FakeHost::writeItem(file, section, key, value);
    }
    bool writeItems(const std::string& file, std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& items) override {
        change();
        if (failWrite && failWrite(file)) return false;
        return FakeHost::writeItems(file, section, items);
    }
    bool deleteFile(const std::string& path) override {
        change();
        return FakeHost::deleteFile(path);
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        change();
        return FakeHost::moveFile(from, to);
    }
    int messageBox(const std::string& text, int style, const std::string& = {}) override {
        shown.push_back(text);
        if (text == exitQuestion()) {
            counting_ = true;
            changes = 0;
        }
        return (style & 0x0F) == MbYesNoCancel || (style & 0x0F) == MbYesNo ? IdYes : IdOk;
    }

private:
    void change() {
        if (counting_ && changes++ == killBefore) throw Killed{};
    }
    bool counting_ = false;
};

class SaveFaults : public AppTest {
protected:
    struct State {
        std::vector<std::string> pool;
        std::int32_t counter1 = 0;
        std::int32_t counter2 = 0;
        bool operator==(const State&) const = default;
    };

    /// An earlier save (by any version): pool B C D E, level 1 at 2 winners.
    void writeOldSave() {
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directory(dir_.path());
        write("抽奖号码库.txt", "A\r\nB\r\nC\r\nD\r\nE\r\n");
        write("进度.txt", "B\r\nC\r\nD\r\nE\r\n");
        setItem("jindu", "计数1", "2");
    }
    const State oldState{{"B", "C", "D", "E"}, 2, 0};
    const State newState{{"B", "D", "E"}, 3, 1};

    FaultyHost& useFaultyHost() {
        app_.reset();
        host_->verifyAllAnswered();
        auto faulty = std::make_unique<FaultyHost>(dir_.path());
        FaultyHost& ref = *faulty;
        host_ = std::move(faulty);
        return ref;
    }

    /// Resumes the old save, draws C for level 1 and one winner of level 2,
    /// and exits saving, killed before the given change of the exit. True
    /// when the save ran to its end.
    bool resumeDrawAndSave(FaultyHost& host, int killBefore) {
        create();
        if (!app().start()) return false;
        app().window().pool().removeAt(1);
        app().state().counters[0] = 3;
        app().state().counters[1] = 1;
        host.killBefore = killBefore;
        try {
            app().requestClose();
        } catch (const Killed&) {
            return false;
        }
        return true;
    }

    /// What a plain start that resumes finds.
    State resumed() {
        restart();
        host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
        EXPECT_TRUE(app().start());
        return {poolEntries(), app().state().counters[0], app().state().counters[1]};
    }

    bool savedMessageShown(const FaultyHost& host) const {
        for (const std::string& text : host.shown)
            if (text == gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！")) return true;
        return false;
    }
    bool failureMessageShown(const FaultyHost& host) const {
        for (const std::string& text : host.shown)
            if (text.starts_with(gbk("抽奖进度保存失败，请检查磁盘或文件权限！"))) return true;
        return false;
    }
};

TEST_F(SaveFaults, KilledAtAnyStepTheNextStartFindsOneWholeState) {
    bool sawOld = false;
    bool sawNew = false;
    for (int step = 0;; ++step) {
        SCOPED_TRACE("killed before change " + std::to_string(step));
        writeOldSave();
        FaultyHost& host = useFaultyHost();
        const bool finished = resumeDrawAndSave(host, step);
        const State found = resumed();
        EXPECT_TRUE(found == oldState || found == newState)
            << "pool of " << found.pool.size() << ", counters " << found.counter1 << " and "
            << found.counter2;
        // Once the new state is reached a later kill cannot bring back the old.
        if (found == oldState) {
            EXPECT_FALSE(sawNew);
        }
        sawOld = sawOld || found == oldState;
        sawNew = sawNew || found == newState;
        EXPECT_FALSE(exists("进度_新.txt"));
        if (finished) {
            EXPECT_EQ(found, newState);
            break;
        }
        ASSERT_LT(step, 20);
    }
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
}

TEST_F(SaveFaults, FailedCounterWriteLeavesBothAsTheyWere) {
    // The configuration file refuses the write that follows the progress
    // text's: before, this left the new pool with the old counters.
    writeOldSave();
    const std::string config = read("peizhi.a");
    FaultyHost& host = useFaultyHost();
    host.failWrite = [](const std::string& path) { return path.ends_with("peizhi.a"); };
    create();
    ASSERT_TRUE(app().start());
    app().window().pool().removeAt(1);
    app().state().counters[0] = 3;
    EXPECT_FALSE(app().requestClose());
    EXPECT_TRUE(failureMessageShown(host));
    EXPECT_FALSE(savedMessageShown(host));
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(read("进度.txt"), "B\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(read("peizhi.a"), config);
    EXPECT_FALSE(exists("进度_新.txt"));
    EXPECT_EQ(resumed(), oldState);
}

TEST_F(SaveFaults, FailedProgressWriteTakesTheCountersBack) {
    writeOldSave();
    FaultyHost& host = useFaultyHost();
    const std::string progress = host.path(gbk("进度.txt"));
    host.failWrite = [progress](const std::string& path) { return path == progress; };
    create();
    ASSERT_TRUE(app().start());
    app().window().pool().removeAt(1);
    app().state().counters[0] = 3;
    EXPECT_FALSE(app().requestClose());
    EXPECT_TRUE(failureMessageShown(host));
    EXPECT_FALSE(host.ended);
    // The counters are those of before, without a check value; the layout
    // written by the close sequence before the save stays.
    EXPECT_EQ(item("jindu", "计数1"), "2");
    EXPECT_TRUE(item("jindu", "计数2").empty());
    EXPECT_TRUE(item("jindu", "进度校验").empty());
    EXPECT_EQ(item("weizhi", "屏幕宽度"), "1024");
    EXPECT_EQ(read("进度.txt"), "B\r\nC\r\nD\r\nE\r\n");
    EXPECT_FALSE(exists("进度_新.txt"));
    EXPECT_EQ(resumed(), oldState);
}

TEST_F(SaveFaults, WhenTheCountersCannotBeTakenBackTheSaveStands) {
    writeOldSave();
    FaultyHost& host = useFaultyHost();
    const std::string progress = host.path(gbk("进度.txt"));
    create();
    ASSERT_TRUE(app().start());
    app().window().pool().removeAt(1);
    app().state().counters[0] = 3;
    app().state().counters[1] = 1;
    // Once the counters are stored, neither the progress file nor the
    // configuration file can be written any more.
    bool committed = false;
    host.failWrite = [&committed, progress](const std::string& path) {
        if (path == progress) committed = true;
        return committed;
    };
    EXPECT_TRUE(app().requestClose());
    EXPECT_TRUE(savedMessageShown(host));
    EXPECT_FALSE(failureMessageShown(host));
    EXPECT_EQ(read("进度.txt"), "B\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(read("进度_新.txt"), "B\r\nD\r\nE\r\n");
    // The next start moves the new text in.
    EXPECT_EQ(resumed(), newState);
    EXPECT_EQ(read("进度.txt"), "B\r\nD\r\nE\r\n");
    EXPECT_FALSE(exists("进度_新.txt"));
}

TEST_F(SaveFaults, CheckValueOfAnotherTextIsIgnored) {
    // A newer program's check value, then an older one saved over it without
    // updating it: its progress file and counters are taken as they are, and
    // a pending text that belongs to neither is dropped.
    writeOldSave();
    setItem("jindu", "进度校验", progressCheck("X\r\n"));
    write("进度_新.txt", "Y\r\n");
    EXPECT_EQ(resumed(), oldState);
    EXPECT_FALSE(exists("进度_新.txt"));
    EXPECT_EQ(read("进度.txt"), "B\r\nC\r\nD\r\nE\r\n");
}

TEST_F(SaveFaults, APendingTextOfAFirstSaveIsMovedIn) {
    // Cut short between storing the counters and writing the first progress
    // file: the start completes it and asks to resume.
    write("抽奖号码库.txt", "A\r\nB\r\n");
    write("进度_新.txt", "B\r\n");
    setItem("jindu", "计数1", "1");
    setItem("jindu", "进度校验", progressCheck("B\r\n"));
    const State found = resumed();
    EXPECT_EQ(found, (State{{"B"}, 1, 0}));
    EXPECT_EQ(read("进度.txt"), "B\r\n");
    EXPECT_FALSE(exists("进度_新.txt"));
}

} // namespace
} // namespace luckdial::testing
