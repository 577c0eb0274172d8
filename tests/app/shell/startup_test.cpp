// The creation handler run through the real application on a fake host.

#include "support/app_fixture.h"

#include "app/startup.h"
#include "pool/pool.h"
#include "ui/loadingcaption.h"
#include "ui/mainwindow.h"
#include "ui/resultswindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace luckdial::testing {
namespace {

using Startup = AppTest;

TEST_F(Startup, MissingPoolFileEndsBeforeAnythingElseEvenWithProgress) {
    write("进度.txt", "001\r\n");
    create();
    host().expectMessage(gbk("抽奖号码库文件不存在！"), IdOk, gbk("抽奖号码库文件不存在"), MbOk);
    EXPECT_FALSE(app().start());
    EXPECT_TRUE(host().ended);
    EXPECT_EQ(host().exitCode, 0);
    // No resume question and nothing written.
    EXPECT_EQ(host().messages().size(), 1u);
    EXPECT_FALSE(exists("peizhi.a"));
    EXPECT_EQ(read("进度.txt"), "001\r\n");
    EXPECT_FALSE(app().window().isVisible());
}

TEST_F(Startup, LoadsThePoolSkippingEmptyLinesAndShowsTheWindow) {
    write("抽奖号码库.txt", "001\r\n\r\n002\r\n  003");
    create();
    ASSERT_TRUE(app().start());
    EXPECT_FALSE(host().ended);
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"001", "002", "  003"}));
    EXPECT_TRUE(app().window().isVisible());
    EXPECT_EQ(app().state().winnerNumber, 1);
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{}));
    EXPECT_TRUE(app().window().results().empty());
}

TEST_F(Startup, WriteProtectedPoolAndTitleFilesLoad) {
    // A pool on a write-protected stick: the program only ever reads it.
    write("抽奖号码库.txt", "001\r\n002\r\n");
    write("进度.txt", "002\r\n");
    const std::string title = gbk("年会抽奖");
    {
        std::ofstream out(std::filesystem::current_path() / "cjini.txt", std::ios::binary);
        out << title;
    }
    for (const auto& file : {std::filesystem::path(HostBase::nativePath(path("抽奖号码库.txt"))),
                             std::filesystem::path(HostBase::nativePath(path("进度.txt"))),
                             std::filesystem::current_path() / "cjini.txt"})
        std::filesystem::permissions(file, std::filesystem::perms(0444));
    create();
    host().expectMessage(resumeQuestion(), IdNo, gbk("提示"), kResumeStyle);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(poolEntries(), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(app().window().elements().mainTitle->caption(), title);
}

TEST_F(Startup, LoadingCaptionIsShownWhileThePoolLoadsAndClosedAfterwards) {
    std::string pool;
    for (int i = 0; i < 2000; ++i)
        pool += std::to_string(100000 + i) + "\r\n";
    write("抽奖号码库.txt", pool);
    create();
    int polls = 0;
    bool captionSeen = false;
    std::vector<double> shares;
    host().onProcessEvents = [&] {
        ++polls;
        host().advance(40); // each poll looks to the loader like 40 ms of work
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* caption = qobject_cast<LoadingCaption*>(w); caption && caption->isVisible()) {
                captionSeen = true;
                // The text stays as it is; the bar tells how far the load is.
                EXPECT_EQ(caption->label()->caption(), gbk("正在载入抽奖号码库数据，请稍后..."));
                shares.push_back(caption->progress());
            }
    };
    ASSERT_TRUE(app().start());
    EXPECT_GT(polls, 0);
    EXPECT_TRUE(captionSeen);
    ASSERT_FALSE(shares.empty());
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
    EXPECT_EQ(app().window().pool().count(), 2000u);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<LoadingCaption*>(w), nullptr) << "loading caption left open";
}

TEST_F(Startup, PlacesElementsForTheScreen) {
    write("抽奖号码库.txt", "001\r\n");
    setItem("yanse", "主标题字体", "宋体");
    setItem("yanse", "主标题字体大小", "36");
    setItem("yanse", "主标题字体颜色", "255");
    host().screenW = 1024;
    host().screenH = 768;
    create();
    ASSERT_TRUE(app().start());
    const MainElements& e = app().window().elements();
    EXPECT_EQ(e.startButton->width(), 199);
    EXPECT_EQ(e.startButton->x(), 412);
    EXPECT_EQ(e.stopButton->x(), 412);
    EXPECT_EQ(e.mainTitle->height(), 64);
    EXPECT_EQ(e.mainTitle->width(), 1024);
    EXPECT_EQ(e.winners->x(), 0);
    EXPECT_EQ(e.winners->width(), 1024);
    EXPECT_EQ(e.congrats->x(), 0);
    EXPECT_EQ(e.levelCombo->y(), 768 - e.levelCombo->height() - 60);
    EXPECT_EQ(e.progress->y(), 768 - e.progress->height() - 55);
    EXPECT_EQ(e.levelCaption->y(), 768 - e.levelCaption->height() - 55);
    // The grip sits against the start button's design place (before centring).
    EXPECT_EQ(e.buttonGrip->pos(), QPoint(465 + 199, 190));
    EXPECT_EQ(host().clipped.size(), 2u);
    if (host().clipped.size() == 2) {
        EXPECT_EQ(host().clipped[0], std::make_pair(gbk("超级按钮_开始"), 22));
        EXPECT_EQ(host().clipped[1], std::make_pair(gbk("超级按钮_停止"), 22));
    }
    EXPECT_EQ(e.progress->textColour(), e.subTitle->textColour());
}

TEST_F(Startup, StoredLayoutOverridesTheDefaultPlacement) {
    write("抽奖号码库.txt", "001\r\n");
    // Saved on 1024 x 768, started on 1280 x 1024; the main title was never
    // moved and has no keys.
    setItem("weizhi", "屏幕宽度", "1024");
    setItem("weizhi", "屏幕高度", "768");
    const std::vector<std::tuple<const char*, const char*, const char*>> stored = {
        {"标签2", "0", "120"},
        {"标签_中奖人", "64", "340"},
        {"透明标签_恭喜", "8", "265"},
        {"组合框1", "100", "704"},
        {"透明标签_抽取进度", "312", "704"},
        {"透明标签_奖项等级", "43", "704"},
        {"超级按钮_开始", "100", "190"},
        {"超级按钮_停止", "100", "190"},
        {"透明标签_按钮移动", "299", "190"},
        {"动画框_奖品图片", "672", "272"},
    };
    for (const auto& [prefix, left, top] : stored) {
        setItem("zweizhi", std::string(prefix) + "左边", left);
        setItem("zweizhi", std::string(prefix) + "顶边", top);
    }
    host().screenW = 1280;
    host().screenH = 1024;
    create();
    ASSERT_TRUE(app().start());
    const MainElements& e = app().window().elements();
    // floor(stored / saved screen * current screen) in each direction.
    EXPECT_EQ(e.subTitle->pos(), QPoint(0, 160));
    EXPECT_EQ(e.winners->pos(), QPoint(80, 453));
    EXPECT_EQ(e.congrats->pos(), QPoint(10, 353));
    EXPECT_EQ(e.levelCombo->pos(), QPoint(125, 938));
    EXPECT_EQ(e.progress->pos(), QPoint(390, 938));
    EXPECT_EQ(e.levelCaption->pos(), QPoint(53, 938));
    EXPECT_EQ(e.startButton->pos(), QPoint(125, 253));
    EXPECT_EQ(e.stopButton->pos(), QPoint(125, 253));
    EXPECT_EQ(e.buttonGrip->pos(), QPoint(373, 253));
    EXPECT_EQ(e.prizePicture->pos(), QPoint(840, 362));
    // Without keys the main title stays where it was designed.
    EXPECT_EQ(e.mainTitle->pos(), QPoint(24, 20));
    // The sizes of the default placement stay.
    EXPECT_EQ(e.winners->width(), 1280);
    EXPECT_EQ(e.mainTitle->width(), 1280);
}

TEST_F(Startup, StoredSubtitleColourReachesProgressAndLevelCaptionAfterARestart) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    const int white = 0xFFFFFF;
    EXPECT_EQ(app().window().elements().progress->textColour(), white);
    FontChoice green;
    green.font.face = gbk("幼圆");
    green.font.size = 20;
    green.colour = 0x00FF00;
    host().expectFont(green);
    app().window().elements().menu.fontSubTitle->trigger();
    EXPECT_EQ(item("yanse", "副标题字体颜色"), "65280");

    restart();
    ASSERT_TRUE(app().start());
    const MainElements& e = app().window().elements();
    EXPECT_EQ(e.subTitle->textColour(), 0x00FF00);
    EXPECT_EQ(e.subTitle->fontValue().size, 20);
    EXPECT_EQ(e.progress->textColour(), 0x00FF00);
    EXPECT_EQ(e.levelCaption->textColour(), 0x00FF00);
    // The other labels keep their own colours.
    EXPECT_EQ(e.mainTitle->textColour(), white);
    EXPECT_EQ(e.winners->textColour(), 0x00FFFF); // yellow FFFF00 as red + 256 green
}

TEST_F(Startup, SelectorHoldsTheNamedLevelsAndNoneIsChosen) {
    write("抽奖号码库.txt", "001\r\n");
    setItem("zbt", "特等奖", "特等奖");
    setItem("zbt", "一等奖", "一等奖");
    setItem("zbt", "二等奖", "");
    setItem("zbt", "三等奖", "三等奖");
    create();
    ASSERT_TRUE(app().start());
    const QComboBox* combo = app().window().elements().levelCombo;
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), QStringLiteral("三等奖"));
    EXPECT_TRUE(combo->currentText().isEmpty());
    EXPECT_EQ(app().state().levelLimit, 0);
}

TEST_F(Startup, TitlesComeFromTheConfigurationOrTheirDefault) {
    write("抽奖号码库.txt", "001\r\n");
    setItem("zbt", "zbt", "年会");
    create();
    ASSERT_TRUE(app().start());
    const MainElements& e = app().window().elements();
    EXPECT_EQ(e.mainTitle->caption(), gbk("年会"));
    EXPECT_EQ(e.subTitle->caption(), gbk("某某公司现场抽奖仪式"));
}

TEST_F(Startup, EmptyTitleFileGivesThePlaceholderAndAPrompt) {
    write("抽奖号码库.txt", "001\r\n");
    setItem("zbt", "zbt", "年会");
    ASSERT_TRUE(host().writeFile(cwdFile("cjini.txt"), ""));
    create();
    host().expectMessage(gbk("请写入公司名称"), IdOk, gbk("信息："), MbOk);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().elements().mainTitle->caption(), gbk("请在这里写入公司名称"));
}

TEST_F(Startup, TitleFileReplacesTheMainTitleWithItsLinesKept) {
    write("抽奖号码库.txt", "001\r\n");
    const std::string title = gbk("星河科技\r\n2025 年会  ");
    ASSERT_TRUE(host().writeFile(cwdFile("cjini.txt"), title));
    create();
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().elements().mainTitle->caption(), title);
    EXPECT_EQ(app().window().elements().subTitle->caption(), gbk("某某公司现场抽奖仪式"));
}

TEST_F(Startup, TitleFileOfTheProgramDirectoryIsNotUsed) {
    write("抽奖号码库.txt", "001\r\n");
    write("cjini.txt", "");
    create();
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().elements().mainTitle->caption(), gbk("某某公司现场抽奖仪式"));
}

TEST_F(Startup, HotKeysAreBoundAndCtrlShiftKShowsTheSwitchMark) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    ASSERT_EQ(host().hotKeys.size(), 2u);
    EXPECT_EQ(host().hotKeys[0].modifiers, 0);
    EXPECT_EQ(host().hotKeys[0].virtualKey, 0x70);
    EXPECT_EQ(host().hotKeys[1].modifiers, 2 | 4);
    EXPECT_EQ(host().hotKeys[1].virtualKey, 0x4B);
    EXPECT_EQ(app().startup().f1HotKey(), host().hotKeys[0].id);
    EXPECT_EQ(app().startup().switchHotKey(), host().hotKeys[1].id);
    EXPECT_NE(app().startup().f1HotKey(), app().startup().switchHotKey());

    // F1 opens the results window; F1 pressed while it is open closes it.
    const int f1 = app().startup().f1HotKey();
    bool openedByF1 = false;
    QTimer::singleShot(0, [&] {
        openedByF1 = app().results().isOpen();
        host().pressHotKey(f1);
    });
    EXPECT_TRUE(host().pressHotKey(f1));
    EXPECT_TRUE(openedByF1);
    EXPECT_FALSE(app().results().isOpen());

    QWidget* mark = app().window().elements().switchMark;
    EXPECT_FALSE(mark->isVisible());
    EXPECT_TRUE(host().pressHotKey(app().startup().switchHotKey()));
    EXPECT_TRUE(mark->isVisible());
}

TEST_F(Startup, RefusedHotKeysHaveIdentifierZero) {
    write("抽奖号码库.txt", "001\r\n");
    host().refuseHotKeys = true;
    create();
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().startup().f1HotKey(), 0);
    EXPECT_EQ(app().startup().switchHotKey(), 0);
}

TEST_F(Startup, RightClicksOnTheBackgroundAndTheSixElementsOpenTheMenu) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    MainWindow& w = app().window();
    const MainElements& e = w.elements();
    Q_EMIT w.backgroundRightPressed();
    for (TransparentLabel* label : {e.mainTitle, e.subTitle, e.winners, e.congrats, e.progress})
        Q_EMIT label->rightPressed();
    Q_EMIT e.prizePicture->rightPressed();
    ASSERT_EQ(host().menusShown.size(), 7u);
    for (QMenu* menu : host().menusShown)
        EXPECT_EQ(menu, e.menu.menu);
}

TEST_F(Startup, MenuCommandsOfEverySubsystemAreConnected) {
    write("抽奖号码库.txt", "001\r\n");
    create();
    ASSERT_TRUE(app().start());
    const MenuActions& m = app().window().elements().menu;
    host().expectInput({}, std::nullopt);
    m.changeMainTitle->trigger();
    host().expectMessage({}, IdCancel, gbk("确定初始化？"));
    m.reset->trigger();
    EXPECT_EQ(host().pendingAnswers(), 0u);
    EXPECT_FALSE(host().ended);
}

} // namespace
} // namespace luckdial::testing
