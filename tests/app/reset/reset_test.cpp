// Software initialisation on a bare main window, and the start that follows it.

#include "app/reset.h"

#include "support/app_fixture.h"

#include "app/application.h"
#include "host/qtext.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace luckdial::testing {
namespace {

namespace fs = std::filesystem;

std::string confirmation() {
    return gbk("初始化以后界面布局及背景图将需要重新设置(同时抽奖进度被清除，将重新开始抽奖)！");
}
std::string done() {
    return gbk("初始化完毕，抽奖系统将重新启动！");
}

void set(QLineEdit* field, const std::string& utf8Text) {
    field->setText(QString::fromStdString(utf8Text));
}

/// A panel and titles as an operator leaves them before a reset.
void fillPanel(MainElements& e) {
    PanelElements& p = e.panel;
    for (int i = 0; i < 8; ++i) {
        set(p.quota[i], std::to_string(10 * (i + 1)));
        set(p.perDraw[i], std::to_string(i + 1));
        set(p.columns[i], std::to_string(9 - i));
    }
    set(p.name[0], "特等奖");
    set(p.name[1], "一等奖");
    set(p.name[2], "");
    set(p.name[3], "手机");
    for (int i = 4; i < 8; ++i)
        set(p.name[i], "奖" + std::to_string(i + 1));
    set(p.scrollSpeed, "45");
    set(p.pictureWidth, "300");
    set(p.pictureHeight, "200");
    set(p.maskLeft, "3");
    set(p.maskRight, "6");
    set(p.maskChars, "##");
    p.allowRepeat->setChecked(true);
    p.hideButtons->setChecked(false);
    p.mask->setChecked(true);
    e.mainTitle->setCaption(gbk("年会主标题"));
    e.subTitle->setCaption(gbk("副标题 2024"));
}

/// The configuration text the filled panel must give, spelled out.
std::string expectedConfiguration() {
    return gbk("[zbt]\r\n"
               "特等奖人数=10\r\n一等奖人数=20\r\n二等奖人数=30\r\n三等奖人数=40\r\n"
               "四等奖人数=50\r\n五等奖人数=60\r\n六等奖人数=70\r\n七等奖人数=80\r\n"
               "特等奖=特等奖\r\n一等奖=一等奖\r\n二等奖=\r\n三等奖=手机\r\n"
               "四等奖=奖5\r\n五等奖=奖6\r\n六等奖=奖7\r\n七等奖=奖8\r\n"
               "特等奖一次抽取人数=1\r\n一等奖一次抽取人数=2\r\n二等奖一次抽取人数=3\r\n"
               "三等奖一次抽取人数=4\r\n四等奖一次抽取人数=5\r\n五等奖一次抽取人数=6\r\n"
               "六等奖一次抽取人数=7\r\n七等奖一次抽取人数=8\r\n"
               "zbt=年会主标题\r\n"
               "fbt=副标题 2024");
}

/// Every regular file below the directory with its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

class Reset : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        window = std::make_unique<MainWindow>();
        reset = std::make_unique<ResetCommand>(host(), *window);
        reset->connectHandlers();
        fillPanel(window->elements());
    }
    void TearDown() override {
        reset.reset();
        window.reset();
        AppTest::TearDown();
    }

    void writeEventFiles() {
        write("抽奖号码库.txt", "001\r\n002\r\n003\r\n");
        write("进度.txt", "002\r\n");
        // A save cut short and the record of a run cut short.
        write("进度_新.txt", "003\r\n");
        write("抽奖恢复.dat", "record");
        write("抽奖结果.txt", "line\r\n");
        write("底图.jpg", "current background");
        write("底图_bak.jpg", "older copy");
        setItem("zbt", "password", "c2VjcmV0");
        setItem("zbt", "自动停止", "5");
        setItem("yanse", "界面背景颜色", "255");
        setItem("weizhi", "开始top", "100");
        setItem("jindu", "计数1", "3");
    }

    void confirm(int answer) {
        host().expectMessage(confirmation(), answer, gbk("确定初始化？"), MbOkCancel);
        if (answer == IdOk) host().expectMessage(done(), IdOk, gbk("信息："), MbOk);
        window->elements().menu.reset->trigger();
    }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ResetCommand> reset;
};

TEST_F(Reset, CancelLeavesEveryFile) {
    writeEventFiles();
    const auto before = snapshot(dir_.path());
    confirm(IdCancel);
    EXPECT_EQ(snapshot(dir_.path()), before);
    EXPECT_TRUE(host().programsRun.empty());
    EXPECT_FALSE(host().ended);
}

TEST_F(Reset, ConfigurationTextIsTheTableInOrder) {
    EXPECT_EQ(reset->configurationText(), expectedConfiguration());
}

TEST_F(Reset, OkRebuildsTheConfigurationClearsProgressAndRestarts) {
    writeEventFiles();
    confirm(IdOk);

    EXPECT_FALSE(exists("进度.txt"));
    EXPECT_FALSE(exists("进度_新.txt"));
    EXPECT_FALSE(exists("抽奖恢复.dat"));
    EXPECT_FALSE(exists("抽奖结果.txt"));
    EXPECT_EQ(read("抽奖号码库.txt"), "001\r\n002\r\n003\r\n");
    EXPECT_FALSE(exists("底图.jpg"));
    EXPECT_EQ(read("底图_bak.jpg"), "current background");

    // The tabled text first, then the single items appended in their order.
    const std::string config = read("peizhi.a");
    const std::string table = expectedConfiguration();
    ASSERT_EQ(config.substr(0, table.size()), table);
    const std::vector<std::string> items = lines(config.substr(table.size()));
    std::vector<std::string> expected = {"",
                                         "滚动速度=45",
                                         "是否允许重复=真",
                                         "奖品图片宽=300",
                                         "奖品图片高=200",
                                         "不显示按钮=假",
                                         "屏蔽启用=真",
                                         "屏蔽左=3",
                                         "屏蔽右=6",
                                         "屏蔽字符=##",
                                         "列1=9",
                                         "列2=8",
                                         "列3=7",
                                         "列4=6",
                                         "列5=5",
                                         "列6=4",
                                         "列7=3",
                                         "列8=2"};
    for (std::string& line : expected)
        line = gbk(line);
    EXPECT_EQ(items, expected);

    // Nothing else of the old configuration survives.
    EXPECT_EQ(item("zbt", "password"), "");
    EXPECT_EQ(item("zbt", "自动停止"), "");
    EXPECT_EQ(item("yanse", "界面背景颜色"), "");
    EXPECT_EQ(item("weizhi", "开始top"), "");
    EXPECT_EQ(item("jindu", "计数1"), "");

    ASSERT_EQ(host().programsRun.size(), 1u);
    EXPECT_EQ(host().programsRun[0].first, quotedCommand(host().executablePath()));
    EXPECT_FALSE(host().programsRun[0].second); // not waited for
    EXPECT_TRUE(host().ended);
    EXPECT_EQ(host().exitCode, 0);
}

TEST_F(Reset, SecondResetLeavesNoBackgroundCopy) {
    write("底图.jpg", "picture");
    confirm(IdOk);
    EXPECT_EQ(read("底图_bak.jpg"), "picture");
    confirm(IdOk);
    EXPECT_FALSE(exists("底图.jpg"));
    EXPECT_FALSE(exists("底图_bak.jpg"));
    EXPECT_EQ(host().programsRun.size(), 2u);
}

TEST_F(Reset, MultiLineTitleCannotAddLinesToTheConfiguration) {
    // A title file may hold several lines; the rest must not become a section
    // or a key of the new configuration.
    window->elements().mainTitle->setCaption(gbk("第一行\r\n[jindu]\r\n计数1=99\npassword=x"));
    window->elements().subTitle->setCaption("sub\rtitle");
    confirm(IdOk);
    EXPECT_EQ(item("zbt", "zbt"), gbk("第一行"));
    EXPECT_EQ(item("zbt", "fbt"), "sub");
    EXPECT_EQ(item("jindu", "计数1"), "");
    EXPECT_EQ(item("zbt", "password"), "");
    EXPECT_EQ(read("peizhi.a").find("[jindu]"), std::string::npos);
}

TEST_F(Reset, RestartCommandSurvivesSpacesAndQuotesInThePath) {
    for (const std::string& exe : {std::string("/opt/lucky draw/bin/luckdial"),
                                   std::string("/tmp/a\"b c/luckdial"), std::string("/plain")}) {
        const QStringList words = QProcess::splitCommand(qstr(quotedCommand(exe)));
        ASSERT_EQ(words.size(), 1) << exe;
        EXPECT_EQ(gbkOf(words[0]), exe);
    }
    host().exePath = dir_.path() + "/my app/luckdial";
    confirm(IdOk);
    ASSERT_EQ(host().programsRun.size(), 1u);
    EXPECT_EQ(host().programsRun[0].first, "\"" + dir_.path() + "/my app/luckdial\"");
}

TEST_F(Reset, NextStartHasNoResumeQuestionAndKeepsTheTableAndTitles) {
    writeEventFiles();
    confirm(IdOk);
    ASSERT_TRUE(host().ended);

    restart();
    // Every dialog must be expected: a resume question would fail the test.
    ASSERT_TRUE(app().start());
    MainElements& e = app().window().elements();
    EXPECT_EQ(utf8(e.mainTitle->caption()), "年会主标题");
    EXPECT_EQ(utf8(e.subTitle->caption()), "副标题 2024");
    EXPECT_EQ(utf8(gbkOf(e.panel.name[3]->text())), "手机");
    EXPECT_EQ(e.panel.quota[7]->text().toStdString(), "80");
    EXPECT_EQ(e.panel.perDraw[1]->text().toStdString(), "2");
    EXPECT_EQ(e.panel.columns[0]->text().toStdString(), "9");
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{}));
    EXPECT_TRUE(app().window().results().empty());
    EXPECT_FALSE(app().window().hasBackgroundPicture());
}

TEST_F(Reset, NextStartPlacesTheElementsByTheDefaultPlacement) {
    write("抽奖号码库.txt", "001\r\n");
    // A layout dragged and saved on this screen before the reset.
    setItem("weizhi", "屏幕宽度", "1024");
    setItem("weizhi", "屏幕高度", "768");
    for (const char* prefix : {"标签1", "标签2", "标签_中奖人", "透明标签_恭喜", "组合框1",
                               "透明标签_抽取进度", "透明标签_奖项等级", "超级按钮_开始",
                               "超级按钮_停止", "透明标签_按钮移动", "动画框_奖品图片"}) {
        setItem("zweizhi", std::string(prefix) + "左边", "5");
        setItem("zweizhi", std::string(prefix) + "顶边", "6");
    }
    confirm(IdOk);
    ASSERT_TRUE(host().ended);

    restart();
    ASSERT_TRUE(app().start());
    const MainElements& e = app().window().elements();
    // Design positions, then the start-up placement for a 1024 x 768 screen.
    EXPECT_EQ(e.mainTitle->pos(), QPoint(24, 20));
    EXPECT_EQ(e.subTitle->pos(), QPoint(0, 120));
    EXPECT_EQ(e.winners->pos(), QPoint(0, 340));
    EXPECT_EQ(e.congrats->pos(), QPoint(0, 265));
    EXPECT_EQ(e.levelCombo->pos(), QPoint(180, 768 - e.levelCombo->height() - 60));
    EXPECT_EQ(e.progress->pos(), QPoint(312, 768 - e.progress->height() - 55));
    EXPECT_EQ(e.levelCaption->pos(), QPoint(43, 768 - e.levelCaption->height() - 55));
    EXPECT_EQ(e.startButton->pos(), QPoint(412, 190));
    EXPECT_EQ(e.stopButton->pos(), QPoint(412, 190));
    EXPECT_EQ(e.buttonGrip->pos(), QPoint(465 + 199, 190));
    EXPECT_EQ(e.prizePicture->pos(), QPoint(672, 272));
}

} // namespace
} // namespace luckdial::testing
