// Numbers and texts from files that a hostile or damaged file can hold: the
// progress counters stay in range so that a level's quota holds, the scroll
// period the draw waits is bounded so that the stop always stops, and a list
// cut short by a NUL byte is told.

#include "event_fixture.h"

#include "app/notices.h"
#include "draw/core/drawstate.h"

#include <QLineEdit>

#include <algorithm>

namespace luckdial::testing {
namespace {

class Bounds : public EventTest {};

TEST_F(Bounds, AResumedCounterNeverWrapsAndTheQuotaHolds) {
    struct Case {
        const char* stored;
        std::int32_t counter;
        /// The level of quota 5 is complete: a start is refused.
        bool complete;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {"2147483647", 2147483647, true, "特等奖 已抽取2147483647名"},
        {"1e308", 2147483647, true, "特等奖 已抽取2147483647名"},
        {"99999999999", 2147483647, true, "特等奖 已抽取2147483647名"},
        {"5", 5, true, "特等奖 已抽取5名"},
        {"3", 3, false, "特等奖 已抽取3名"},
        {"-7", 0, false, ""},
        {"-1e308", 0, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directory(dir_.path());
        restart();
        writeEvent(10, 5, 2);
        write("进度.txt", "1001\r\n1002\r\n1003\r\n1004\r\n");
        setItem("jindu", "计数1", c.stored);
        expectResumeQuestion(IdYes);
        ASSERT_TRUE(app().start());
        EXPECT_EQ(app().state().counters[0], c.counter);
        selectLevel();
        EXPECT_EQ(app().window().elements().progress->caption(), gbk(c.caption));
        EXPECT_GE(app().state().winnerNumber, 1);
        if (c.complete) {
            host().expectMessage(gbk("本奖项抽取完毕"), IdOk, gbk("信息提示"));
            drawOnce();
            EXPECT_EQ(app().window().pool().count(), 4u);
        } else {
            drawOnce();
            EXPECT_EQ(app().window().pool().count(), 2u);
            EXPECT_EQ(app().state().counters[0], c.counter + 2);
        }
    }
}

TEST_F(Bounds, TheScrollWaitIsBoundedAndTheStopStops) {
    struct Case {
        const char* stored;
        int longestWait;
    };
    const std::vector<Case> cases = {
        {"1e308", DrawState::kMaxScrollDelayMs},
        {"2147483647", DrawState::kMaxScrollDelayMs},
        {"5000", DrawState::kMaxScrollDelayMs},
        {"1000", 1000},
        {"30", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directory(dir_.path());
        restart();
        writeEvent(10, 10, 2);
        setItem("zbt", "滚动速度", c.stored);
        ASSERT_TRUE(app().start());
        selectLevel();
        drawOnce();
        const std::vector<int>& delays = host().delays;
        EXPECT_EQ(delays.empty() ? 0 : *std::max_element(delays.begin(), delays.end()),
                  c.longestWait);
        // The stop took effect: the winners are drawn and recorded.
        EXPECT_EQ(winnersIn(read("抽奖结果.txt")).size(), 2u);
        // The setting itself stays as it was written.
        EXPECT_EQ(app().window().elements().panel.scrollSpeed->text().toStdString(), c.stored);
        EXPECT_EQ(item("zbt", "滚动速度"), c.stored);
    }
}

TEST_F(Bounds, AListCutShortByANulByteIsToldOnce) {
    writeEvent(30, 5, 2);
    std::string pool;
    for (int i = 0; i < 30; ++i) {
        if (i == 5) pool += '\0';
        pool += std::to_string(1001 + i) + "\r\n";
    }
    write("抽奖号码库.txt", pool);
    create();
    host().expectMessage(notices::listStoppedEarly(gbk("抽奖号码库.txt"), 6, 5), IdOk, gbk("提示"),
                         MbOk | MbIconWarning);
    ASSERT_TRUE(app().start());
    // It loads as the line rules read it.
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"1001", "1002", "1003", "1004", "1005"}));
}

} // namespace
} // namespace luckdial::testing
