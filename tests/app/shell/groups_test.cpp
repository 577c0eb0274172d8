// Groups through the real application on a fake host: the group file beside
// the pool, a level's seats kept through a crash and a saved exit, and a
// hand-edited pool told once.

#include "event_fixture.h"

#include "pool/groupfile.h"
#include "pool/pool.h"

#include "app/application.h"
#include "settings/grouprulescontroller.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>

namespace luckdial::testing {
namespace {

class Groups : public EventTest {
protected:
    /// 1001..1010 in S, 1011..1015 in R, 1016..1020 in M.
    void writeGroupedEvent(int quota, int perDraw, const char* seats) {
        writeEvent(20, quota, perDraw);
        Pool pool;
        pool.assignLines(read("抽奖号码库.txt"));
        std::vector<std::uint16_t> ids;
        for (int i = 0; i < 20; ++i)
            ids.push_back(i < 10 ? 1 : i < 15 ? 2 : 3);
        ASSERT_TRUE(pool.setGroups({"S", "R", "M"}, ids));
        write("抽奖号码库_分组.dat", groupFileText(pool, {}));
        setItem("zbt", "特等奖分组名额", seats);
    }
    static std::string groupOf(const std::string& entry) {
        const int n = std::stoi(entry);
        return n <= 1010 ? "S" : n <= 1015 ? "R" : "M";
    }
    std::map<std::string, int> seatsTaken() {
        std::map<std::string, int> taken;
        for (const WinnerGroup& w : app().window().winnerGroups()) {
            EXPECT_EQ(w.group, groupOf(w.entry)) << w.entry;
            if (!w.forfeited) ++taken[w.group];
        }
        return taken;
    }
};

TEST_F(Groups, SeatsHoldThroughACrashAndASavedExit) {
    writeGroupedEvent(6, 2, "S:3、R:3");
    create();
    ASSERT_TRUE(app().start());
    ASSERT_TRUE(app().window().pool().hasGroups());
    selectLevel();
    drawOnce();
    ASSERT_EQ(app().window().winnerGroups().size(), 2u);

    restart(); // a crash
    expectRecoveryQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_TRUE(app().window().pool().hasGroups());
    EXPECT_EQ(app().window().winnerGroups().size(), 2u);
    selectLevel();
    drawOnce();

    host().expectMessage(std::nullopt, IdYes); // save progress and exit
    host().expectMessage(std::nullopt);        // saved
    app().requestClose();
    ASSERT_TRUE(exists("进度_分组.dat"));

    restart();
    expectResumeQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().winnerGroups().size(), 4u);
    selectLevel();
    drawOnce();
    EXPECT_EQ(app().state().counters[0], 6);
    const std::vector<std::string> winners = winnersIn(app().window().results());
    ASSERT_EQ(winners.size(), 6u);
    std::map<std::string, int> byResults;
    for (const std::string& w : winners)
        ++byResults[groupOf(w)];
    EXPECT_EQ(byResults, (std::map<std::string, int>{{"S", 3}, {"R", 3}}));
    EXPECT_EQ(seatsTaken(), byResults);
}

TEST_F(Groups, AHandEditedPoolIsToldOnceAndHasNoGroups) {
    writeGroupedEvent(6, 2, "");
    write("抽奖号码库.txt", read("抽奖号码库.txt") + "1021\r\n");
    create();
    host().expectMessage(std::nullopt, IdOk, gbk("提示"));
    ASSERT_TRUE(app().start());
    EXPECT_FALSE(app().window().pool().hasGroups());
    EXPECT_FALSE(exists("抽奖号码库_分组.dat"));
    EXPECT_EQ(filesMatching("抽奖号码库_分组_[0-9]{8}-[0-9]{6}(-[0-9]+)?\\.dat").size(), 1u);

    restart(); // nothing more to tell
    ASSERT_TRUE(app().start());
    EXPECT_FALSE(app().window().pool().hasGroups());
}

} // namespace
} // namespace luckdial::testing
