// Resuming at start-up and the close sequence, through the real application on
// a fake host.

#include "support/app_fixture.h"

#include "app/notices.h"
#include "app/progress.h"
#include "pool/pool.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include <filesystem>

namespace luckdial::testing {
namespace {

class Progress : public AppTest {
protected:
    /// Pool file A, B, C; saved progress 002, 003 with counters 4 and 2.9
    /// (level 1 and 3); a results file.
    void writeSavedEvent() {
        write("抽奖号码库.txt", "A\r\nB\r\nC\r\n");
        write("进度.txt", "002\r\n003\r\n");
        setItem("jindu", "计数1", "4");
        setItem("jindu", "计数3", "2.9");
        write("抽奖结果.txt", gbk("特等奖 001\r\n"));
    }
    void expectExitQuestion(int answer) {
        host().expectMessage(exitQuestion(), answer, gbk("退出是否保存进度？"), kExitStyle);
    }
    void expectSavedMessage() {
        host().expectMessage(gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"), IdOk,
                             gbk("提示"), MbOk);
    }
};

TEST_F(Progress, ResumeYesRestoresPoolCountersAndResults) {
    writeSavedEvent();
    create();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"002", "003"}));
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{4, 0, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(app().window().results(), gbk("特等奖 001\r\n"));
}

TEST_F(Progress, SavedProgressReadsBackExactlyWhateverItLooksLike) {
    // GBK names that are also valid UTF-8 (谢伟, 叶平...), and bytes that a
    // guess would certainly take for UTF-8 (张 in UTF-8): the program wrote
    // them itself, so they come back byte for byte.
    const std::string lookAlikes = gbk("谢伟\r\n叶平\r\n郑霞\r\n");
    const std::string utf8Looking = "\xE5\xBC\xA0\xE4\xB8\x89\r\n";
    write("抽奖号码库.txt", "A\r\n");
    write("进度.txt", lookAlikes + utf8Looking);
    create();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{gbk("谢伟"), gbk("叶平"), gbk("郑霞"),
                                                       "\xE5\xBC\xA0\xE4\xB8\x89"}));
    expectExitQuestion(IdYes);
    expectSavedMessage();
    app().window().elements().menu.exit->trigger();
    EXPECT_EQ(read("进度.txt"), lookAlikes + utf8Looking);
}

TEST_F(Progress, ResumeNoStartsAfreshAndKeepsTheSavedProgress) {
    writeSavedEvent();
    create();
    host().expectMessage(resumeQuestion(), IdNo, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{}));
    EXPECT_TRUE(app().window().results().empty());
    EXPECT_EQ(read("进度.txt"), "002\r\n003\r\n");
    EXPECT_EQ(item("jindu", "计数1"), "4");
}

TEST_F(Progress, ResumeWithoutStoredCountersGivesZero) {
    write("抽奖号码库.txt", "A\r\n");
    write("进度.txt", "B\r\n");
    create();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), std::vector<std::string>{"B"});
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{}));
    EXPECT_TRUE(app().window().results().empty());
}

TEST_F(Progress, ExitYesThroughTheMenuSavesPoolAndCounters) {
    write("抽奖号码库.txt", "001\r\n002\r\n");
    create();
    ASSERT_TRUE(app().start());
    app().state().counters[1] = 3;
    app().state().counters[7] = -2;
    expectExitQuestion(IdYes);
    expectSavedMessage();
    app().window().elements().menu.exit->trigger();
    EXPECT_TRUE(host().ended);
    EXPECT_EQ(host().exitCode, 0);
    EXPECT_EQ(read("进度.txt"), "001\r\n002\r\n");
    EXPECT_EQ(item("jindu", "计数1"), "0");
    EXPECT_EQ(item("jindu", "计数2"), "3");
    EXPECT_EQ(item("jindu", "计数8"), "-2");

    // The saved file reads back as the same two entries.
    restart();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"001", "002"}));
    // A negative count of winners resumes as none, so the level's quota holds.
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{0, 3, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Progress, ExitYesReplacesOlderProgress) {
    writeSavedEvent();
    create();
    host().expectMessage(resumeQuestion(), IdNo, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    app().window().pool().removeAt(1);
    expectExitQuestion(IdYes);
    expectSavedMessage();
    EXPECT_TRUE(app().requestClose());
    EXPECT_EQ(read("进度.txt"), "A\r\nC\r\n");
    EXPECT_EQ(item("jindu", "计数1"), "0");
    EXPECT_EQ(item("jindu", "计数3"), "0");
}

TEST_F(Progress, ExitNoLeavesOlderProgressUntouched) {
    writeSavedEvent();
    create();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    app().window().pool().removeAt(0);
    app().state().counters[0] = 9;
    expectExitQuestion(IdNo);
    EXPECT_TRUE(app().requestClose());
    EXPECT_TRUE(host().ended);
    EXPECT_EQ(read("进度.txt"), "002\r\n003\r\n");
    EXPECT_EQ(item("jindu", "计数1"), "4");
    EXPECT_EQ(item("jindu", "计数3"), "2.9");
}

TEST_F(Progress, ExitCancelKeepsRunningWithLayoutAndMaskingStored) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    PanelElements& p = app().window().elements().panel;
    p.mask->setChecked(true);
    p.maskLeft->setText(QStringLiteral("2"));
    p.maskRight->setText(QStringLiteral("5"));
    p.maskChars->setText(QStringLiteral("某某"));
    expectExitQuestion(IdCancel);
    // The window's own close control runs the same sequence.
    EXPECT_FALSE(app().window().close());
    EXPECT_FALSE(host().ended);
    EXPECT_TRUE(app().window().isVisible());
    EXPECT_EQ(item("weizhi", "屏幕宽度"), "1024");
    EXPECT_EQ(item("weizhi", "屏幕高度"), "768");
    EXPECT_FALSE(item("zweizhi", "超级按钮_开始左边").empty());
    EXPECT_EQ(item("zbt", "屏蔽启用"), gbk("真"));
    EXPECT_EQ(item("zbt", "屏蔽左"), "2");
    EXPECT_EQ(item("zbt", "屏蔽右"), "5");
    EXPECT_EQ(item("zbt", "屏蔽字符"), gbk("某某"));
    EXPECT_FALSE(exists("进度.txt"));
    EXPECT_TRUE(item("jindu", "计数1").empty());

    // Asked again, the operator can still save.
    p.mask->setChecked(false);
    expectExitQuestion(IdYes);
    expectSavedMessage();
    EXPECT_TRUE(app().requestClose());
    EXPECT_EQ(item("zbt", "屏蔽启用"), gbk("假"));
    EXPECT_EQ(read("进度.txt"), "001\r\n");
}

TEST_F(Progress, EmptyPoolIsSavedAsAnEmptyFileAndResumed) {
    write("抽奖号码库.txt", "\r\n\r\n");
    create();
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().pool().count(), 0u);
    app().state().counters[0] = 1;
    expectExitQuestion(IdYes);
    expectSavedMessage();
    EXPECT_TRUE(app().requestClose());
    ASSERT_TRUE(exists("进度.txt"));
    EXPECT_EQ(std::filesystem::file_size(dir_.path() + "/进度.txt"), 0u);

    restart();
    host().expectMessage(resumeQuestion(), IdYes, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().pool().count(), 0u);
    EXPECT_EQ(app().state().counters[0], 1);
}

TEST_F(Progress, FailedProgressWriteKeepsTheProgramOpenAndChangesNothing) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    app().state().counters[0] = 5;
    // A directory where the progress file should go cannot be replaced by a file.
    std::filesystem::create_directory(dir_.path() + "/进度.txt");
    expectExitQuestion(IdYes);
    // Told what was not saved; Yes goes back to the program.
    host().expectMessage(notices::exitSaveFailed(false, true, true), IdYes, gbk("提示"),
                         MbYesNo | MbIconWarning);
    EXPECT_FALSE(app().requestClose());
    EXPECT_FALSE(host().ended);
    EXPECT_TRUE(app().window().isVisible());
    EXPECT_TRUE(item("jindu", "计数1").empty());
    for (const std::string& text : host().messages())
        EXPECT_NE(text, gbk("抽奖进度已保存，软件退出再运行，可以继续抽奖！"));
}

TEST_F(Progress, NoProgressFileMeansNoQuestion) {
    write("抽奖号码库.txt", "001\r\n");
    setItem("jindu", "计数1", "7");
    create();
    ASSERT_TRUE(app().start());
    EXPECT_TRUE(host().messages().empty());
    EXPECT_EQ(app().state().counters[0], 0);
}

} // namespace
} // namespace luckdial::testing
