#include "host/core/text.h"
#include "support/fakehost.h"
#include "support/tempdir.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace luckdial {
namespace {

class FakeHostTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeHost host{dir.path()};
};

TEST_F(FakeHostTest, TimersFireInTimeOrderAndRearmByTheirPeriod) {
    std::vector<std::pair<char, std::uint32_t>> fired;
    auto a = host.createTimer([&] { fired.emplace_back('a', host.tickCount()); });
    auto b = host.createTimer([&] { fired.emplace_back('b', host.tickCount()); });
    a->setPeriod(30);
    b->setPeriod(50);
    EXPECT_EQ(host.runningTimers(), 2);
    host.advance(100);
    const std::vector<std::pair<char, std::uint32_t>> want{
        {'a', 30}, {'b', 50}, {'a', 60}, {'a', 90}, {'b', 100}};
    EXPECT_EQ(fired, want);
    EXPECT_EQ(host.tickCount(), 100u);

    // A period of 0 stops the timer; a new period counts from now.
    fired.clear();
    a->setPeriod(0);
    EXPECT_EQ(a->period(), 0);
    EXPECT_EQ(host.runningTimers(), 1);
    b->setPeriod(10);
    host.advance(25);
    EXPECT_EQ(fired, (std::vector<std::pair<char, std::uint32_t>>{{'b', 110}, {'b', 120}}));
}

TEST_F(FakeHostTest, TimerHandlersMayStopRestartOrDestroyTimers) {
    int ticksA = 0;
    std::unique_ptr<Timer> a;
    a = host.createTimer([&] {
        if (++ticksA == 2) a.reset();
    });
    a->setPeriod(10);

    int ticksB = 0;
    std::unique_ptr<Timer> b;
    b = host.createTimer([&] {
        ++ticksB;
        b->setPeriod(0);
    });
    b->setPeriod(15);

    host.advance(100);
    EXPECT_EQ(ticksA, 2);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(ticksB, 1);
    EXPECT_EQ(host.runningTimers(), 0);
}

TEST_F(FakeHostTest, TickCountIsTruncatedTo32Bits) {
    FakeHost late(dir.path(), 0xFFFFFFF0ull);
    EXPECT_EQ(late.tickCount(), 0xFFFFFFF0u);
    late.advance(0x20);
    EXPECT_EQ(late.tickCount(), 0x10u);
    EXPECT_EQ(late.now(), 0x100000010ull);
}

TEST_F(FakeHostTest, SetNowKeepsTheTimeTimersStillHaveToRun) {
    int ticks = 0;
    auto t = host.createTimer([&] { ++ticks; });
    t->setPeriod(100);
    host.advance(40);
    host.setNow(5000);
    host.advance(59);
    EXPECT_EQ(ticks, 0);
    host.advance(1);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(host.tickCount(), 5060u);
}

TEST_F(FakeHostTest, DelayOfZeroOrLessReturnsAtOnce) {
    int hooks = 0;
    host.onDelay = [&] { ++hooks; };
    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    host.delay(0);
    host.delay(-5);
    EXPECT_EQ(host.tickCount(), 0u);
    EXPECT_EQ(hooks, 0);
    EXPECT_TRUE(host.delays.empty());
    EXPECT_FALSE(posted) << "delay(0) must not process events";
    host.delay(1);
    EXPECT_TRUE(posted);
}

TEST_F(FakeHostTest, DelayStepsThroughDueTimersAndRunsTheHookOnce) {
    std::vector<std::uint32_t> ticks;
    auto t = host.createTimer([&] { ticks.push_back(host.tickCount()); });
    t->setPeriod(40);
    std::vector<std::uint32_t> hookTimes;
    host.onDelay = [&] {
        hookTimes.push_back(host.tickCount());
        // A delay from inside the hook moves the clock but does not re-enter it.
        host.delay(5);
    };
    host.delay(100);
    EXPECT_EQ(ticks, (std::vector<std::uint32_t>{40, 80}));
    EXPECT_EQ(hookTimes, (std::vector<std::uint32_t>{100}));
    EXPECT_EQ(host.tickCount(), 105u);
    EXPECT_EQ(host.delays, (std::vector<int>{100, 5}));
}

TEST_F(FakeHostTest, DelayInsideATimerHandlerKeepsTimeMonotonic) {
    std::vector<std::uint32_t> ticks;
    std::unique_ptr<Timer> t;
    t = host.createTimer([&] {
        ticks.push_back(host.tickCount());
        if (ticks.size() == 1) host.delay(25); // fires the 20 ms tick at 20 + 20 = 40
    });
    t->setPeriod(20);
    host.advance(50);
    EXPECT_EQ(ticks, (std::vector<std::uint32_t>{20, 40}));
    EXPECT_EQ(host.tickCount(), 50u);
}

TEST_F(FakeHostTest, ProcessEventsRunsQueuedEventsAndTheHook) {
    bool posted = false;
    int hooks = 0;
    QTimer::singleShot(0, [&] { posted = true; });
    host.onProcessEvents = [&] {
        ++hooks;
        host.processEvents(); // not re-entered
    };
    host.processEvents();
    EXPECT_TRUE(posted);
    EXPECT_EQ(hooks, 1);
}

TEST_F(FakeHostTest, AnUnexpectedDialogFailsTheTest) {
    int answer = -1;
    EXPECT_NONFATAL_FAILURE(answer = host.messageBox(gbk("抽奖号码库文件不存在！"), MbOk),
                            "抽奖号码库文件不存在！");
    EXPECT_EQ(answer, IdOk);
    EXPECT_NONFATAL_FAILURE(answer = host.messageBox(gbk("保存进度？"), MbYesNoCancel),
                            "no answer queued");
    EXPECT_EQ(answer, IdCancel);
    EXPECT_NONFATAL_FAILURE(answer = host.messageBox(gbk("确定？"), MbYesNo), "no answer queued");
    EXPECT_EQ(answer, IdNo);

    std::optional<std::string> text = "x";
    EXPECT_NONFATAL_FAILURE(text = host.inputBox(gbk("请输入密码"), {}, {}), "input box");
    EXPECT_EQ(text, std::nullopt);
    std::optional<int> colour = 1;
    EXPECT_NONFATAL_FAILURE(colour = host.colourDialog(255), "colour dialog");
    EXPECT_EQ(colour, std::nullopt);
    EXPECT_EQ(host.log.size(), 5u);
}

TEST_F(FakeHostTest, MessageBoxesAreCheckedAgainstTheirExpectation) {
    host.expectMessage(gbk("是否继续？"), IdYes, gbk("信息："), MbYesNo | MbIconQuestion);
    EXPECT_EQ(host.messageBox(gbk("是否继续？"), MbYesNo | MbIconQuestion), IdYes);
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].caption, gbk("信息：")) << "an empty caption shows the default";

    host.expectMessage(gbk("甲"));
    EXPECT_NONFATAL_FAILURE(host.messageBox(gbk("乙"), MbOk), "\"甲\" was expected");

    host.expectMessage(gbk("甲"), IdOk, gbk("提示"));
    EXPECT_NONFATAL_FAILURE(host.messageBox(gbk("甲"), MbOk, gbk("信息提示")), "caption");

    host.expectMessage(gbk("甲"), IdOk, std::nullopt, MbOk | MbIconWarning);
    EXPECT_NONFATAL_FAILURE(host.messageBox(gbk("甲"), MbOk), "style");

    // Answering Yes to a box that only has OK means the code shows the wrong box.
    host.expectMessage(std::nullopt, IdYes);
    int answer = -1;
    EXPECT_NONFATAL_FAILURE(answer = host.messageBox(gbk("任意"), MbOk), "no button");
    EXPECT_EQ(answer, IdOk);

    EXPECT_EQ(host.messages(), (std::vector<std::string>{gbk("是否继续？"), gbk("乙"), gbk("甲"),
                                                         gbk("甲"), gbk("任意")}));
}

TEST_F(FakeHostTest, QueuedAnswersAreTakenInOrderAndByKind) {
    host.expectInput(gbk("请输入密码"), gbk("123"));
    host.expectInput({}, std::nullopt);
    host.expectFile(gbk("/tmp/底图.jpg"));
    host.expectSaveFile(gbk("/tmp/结果.xlsx"));
    host.expectFont(FontChoice{FontValue{gbk("黑体"), 36, true}, 255});
    host.expectColour(0x00FF00);
    host.expectColour(std::nullopt);

    EXPECT_EQ(host.inputBox(gbk("请输入密码"), gbk("密码"), {}), gbk("123"));
    EXPECT_EQ(host.inputBox(gbk("别的提示"), {}, gbk("初值")), std::nullopt);
    EXPECT_EQ(host.openFileDialog(gbk("图形文件(*.jpg)|*.jpg"), {}), gbk("/tmp/底图.jpg"));
    EXPECT_EQ(host.saveFileDialog(gbk("表格|*.xlsx"), gbk("/tmp/抽奖结果.xlsx")),
              gbk("/tmp/结果.xlsx"));
    const auto font = host.fontDialog(FontChoice{FontValue{gbk("宋体"), 9}, 0});
    ASSERT_TRUE(font);
    EXPECT_EQ(font->font, (FontValue{gbk("黑体"), 36, true}));
    EXPECT_EQ(font->colour, 255);
    ASSERT_TRUE(host.lastFontInitial);
    EXPECT_EQ(host.lastFontInitial->font.face, gbk("宋体"));
    EXPECT_EQ(host.colourDialog(7), 0x00FF00);
    EXPECT_EQ(host.lastColourInitial, 7);
    EXPECT_EQ(host.colourDialog(7), std::nullopt);
    EXPECT_EQ(host.pendingAnswers(), 0u);
    EXPECT_EQ(host.log[1].initial, gbk("初值"));
    EXPECT_EQ(host.log[2].text, gbk("图形文件(*.jpg)|*.jpg"));
    EXPECT_EQ(host.log[3].kind, DialogRecord::SaveFile);
    EXPECT_EQ(host.log[3].initial, gbk("/tmp/抽奖结果.xlsx"));

    host.expectInput(gbk("请输入密码"), gbk("1"));
    EXPECT_NONFATAL_FAILURE(host.inputBox(gbk("请输入新密码"), {}, {}), "请输入新密码");

    // A dialog of another kind than the next answer leaves that answer queued.
    host.expectMessage(gbk("完成"));
    EXPECT_NONFATAL_FAILURE(host.colourDialog(0), "the next queued answer is for a message box");
    EXPECT_EQ(host.pendingAnswers(), 1u);
    EXPECT_EQ(host.messageBox(gbk("完成"), MbOk), IdOk);
    // An answer for the open dialog is none for the save dialog.
    host.expectFile(gbk("/tmp/a.txt"));
    EXPECT_NONFATAL_FAILURE(host.saveFileDialog({}, {}),
                            "the next queued answer is for a file dialog");
    EXPECT_EQ(host.openFileDialog({}, {}), gbk("/tmp/a.txt"));
}

TEST_F(FakeHostTest, LeftOverAnswersFailVerification) {
    host.expectMessage(gbk("从未出现"));
    EXPECT_NONFATAL_FAILURE(host.verifyAllAnswered(), "从未出现");
    EXPECT_EQ(host.pendingAnswers(), 0u);
    host.queueMenuAction("nothing");
    EXPECT_NONFATAL_FAILURE(host.verifyAllAnswered(), "\"nothing\" was never triggered");
    host.verifyAllAnswered(); // nothing left: no failure
}

TEST(FakeHostLifetime, TheDestructorReportsLeftOverAnswers) {
    TempDir dir;
    EXPECT_NONFATAL_FAILURE(
        {
            FakeHost host(dir.path());
            host.expectMessage(gbk("多余"));
        },
        "多余");
}

TEST_F(FakeHostTest, MenusAreRecordedAndQueuedActionsTriggered) {
    QMenu menu;
    menu.setObjectName(QStringLiteral("弹出菜单"));
    QMenu* sub = menu.addMenu(QStringLiteral("设置"));
    QAction* colour = sub->addAction(QStringLiteral("背景颜色"));
    colour->setObjectName(QStringLiteral("背景颜色菜单"));
    QAction* hidden = menu.addAction(QStringLiteral("新版本下载"));
    hidden->setObjectName(QStringLiteral("新版本下载"));
    hidden->setVisible(false);
    QAction* check = menu.addAction(QStringLiteral("&W 窗口"));
    check->setCheckable(true);
    int colourRuns = 0;
    QObject::connect(colour, &QAction::triggered, [&] { ++colourRuns; });

    host.popUpMenu(&menu); // dismissed: nothing runs
    EXPECT_EQ(colourRuns, 0);

    host.queueMenuAction(gbk("背景颜色菜单"));
    host.popUpMenu(&menu);
    EXPECT_EQ(colourRuns, 1);

    host.queueMenuAction(gbk("W 窗口")); // by text, mnemonic marker ignored
    host.popUpMenu(&menu);
    EXPECT_TRUE(check->isChecked());

    int hiddenRuns = 0;
    QObject::connect(hidden, &QAction::triggered, [&] { ++hiddenRuns; });
    host.queueMenuAction(gbk("新版本下载"));
    EXPECT_NONFATAL_FAILURE(host.popUpMenu(&menu), "hidden or disabled");
    EXPECT_EQ(hiddenRuns, 0);

    host.queueMenuAction(gbk("没有这一项"));
    EXPECT_NONFATAL_FAILURE(host.popUpMenu(&menu), "no action");

    EXPECT_EQ(host.menusShown.size(), 5u);
    EXPECT_EQ(host.log.back().kind, DialogRecord::Menu);
    EXPECT_EQ(host.log.back().text, gbk("弹出菜单"));
}

TEST_F(FakeHostTest, HotKeysAreNumberedFromOneAndPressable) {
    int f1 = 0;
    int k = 0;
    EXPECT_EQ(host.bindHotKey(0, 0x70, [&] { ++f1; }), 1);
    EXPECT_EQ(host.bindHotKey(2 | 4, 0x4B, [&] { ++k; }), 2);
    EXPECT_TRUE(host.pressHotKey(2));
    EXPECT_TRUE(host.pressHotKey(2));
    EXPECT_TRUE(host.pressHotKey(1));
    EXPECT_FALSE(host.pressHotKey(3));
    EXPECT_EQ(f1, 1);
    EXPECT_EQ(k, 2);
    ASSERT_EQ(host.hotKeys.size(), 2u);
    EXPECT_EQ(host.hotKeys[1].modifiers, 6);
    EXPECT_EQ(host.hotKeys[1].virtualKey, 0x4B);

    host.refuseHotKeys = true;
    EXPECT_EQ(host.bindHotKey(0, 0x70, [&] { ++f1; }), 0);
    EXPECT_FALSE(host.pressHotKey(0));
}

TEST_F(FakeHostTest, WindowSystemCallsAreRecorded) {
    QWidget parent;
    QWidget button(&parent);
    button.setObjectName(QStringLiteral("超级按钮_开始"));
    button.setGeometry(10, 10, 100, 40);
    host.clipCorners(&button, 22);
    EXPECT_EQ(host.clipped, (std::vector<std::pair<std::string, int>>{{gbk("超级按钮_开始"), 22}}));

    host.onBeginMove = [](QWidget* w) { w->move(w->x() + 30, w->y() + 5); };
    host.beginMove(&button);
    EXPECT_EQ(button.pos(), QPoint(40, 15));
    EXPECT_EQ(host.movesBegun, (std::vector<std::string>{gbk("超级按钮_开始")}));
    host.bringToFront(&button);
    EXPECT_EQ(host.broughtToFront, (std::vector<std::string>{gbk("超级按钮_开始")}));

    host.playMusic(-1, {"a.mp3", "b.mp3"});
    host.stopMusic();
    ASSERT_EQ(host.music.size(), 2u);
    EXPECT_EQ(host.music[0].count, -1);
    EXPECT_EQ(host.music[0].files, (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_TRUE(host.music[1].stop);

    host.documents["http://example.test/v"] = "4.94";
    EXPECT_EQ(host.fetchDocument("http://example.test/v"), "4.94");
    EXPECT_EQ(host.fetchDocument("http://example.test/other"), "");
    EXPECT_EQ(host.fetched.size(), 2u);

    EXPECT_EQ(host.screenWidth(), 1024);
    EXPECT_EQ(host.screenHeight(), 768);
    EXPECT_EQ(host.executablePath(), dir.path() + "/luckdial");

    host.endProgram(3);
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitCode, 3);
}

TEST(TempDirTest, IsCreatedEmptyAndRemovedWithItsContent) {
    std::string path;
    {
        TempDir a;
        TempDir b;
        path = a.path();
        EXPECT_NE(a.path(), b.path());
        EXPECT_TRUE(std::filesystem::is_directory(path));
        EXPECT_TRUE(std::filesystem::is_empty(path));
        std::filesystem::create_directory(path + "/sub");
        std::ofstream(path + "/sub/f.txt") << "x";
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace luckdial
