#include "host/core/hostbase.h"
#include "host/core/text.h"
#include "host/qtext.h"
#include "sheet/sheet.h"
#include "support/fakehost.h"
#include "support/tempdir.h"
#include "ui/mainwindow.h"
#include "ui/resultswindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace luckdial;

namespace {

class ResultsTest : public ::testing::Test {
protected:
    ResultsTest() : host(dir.path()) {
        host.screenW = 800;
        host.screenH = 600;
    }

    std::string config() const { return host.path("peizhi.a"); }
    void put(const char* section, const char* key, const std::string& value) {
        host.writeItem(config(), section, gbk(key), value);
    }
    std::string item(const char* section, const char* key) {
        return host.readItem(config(), section, gbk(key), "<missing>");
    }
    std::unique_ptr<ResultsWindow> openWindow() {
        return std::make_unique<ResultsWindow>(host, main);
    }
    static std::vector<bool> checks(const ResultsWindow& w) {
        return {w.alignLeftAction()->isChecked(), w.alignCentreAction()->isChecked(),
                w.alignRightAction()->isChecked()};
    }
    static Qt::Alignment firstBlockAlignment(const ResultsWindow& w) {
        return w.text()->document()->firstBlock().blockFormat().alignment();
    }
    std::string fileBytes(const std::string& name) {
        std::ifstream in(dir.path() + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempDir dir;
    FakeHost host;
    MainWindow main;
};

std::string manyLines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i)
        text +=
            gbk("一等奖 第") + std::to_string(i) + gbk("名：") + std::to_string(1000 + i) + "\r\n";
    return text;
}

} // namespace

TEST_F(ResultsTest, OpeningSizesEverythingToTheScreen) {
    main.results() = gbk("特等奖 第1名：007\r\n");
    auto w = openWindow();
    EXPECT_EQ(w->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(w->title()->geometry(), QRect(0, 5, 800, 128));
    EXPECT_EQ(w->text()->geometry(), QRect(5, 138, 790, 460));
    EXPECT_EQ(w->separator()->geometry(), QRect(0, 133, 800, 2));
    EXPECT_EQ(w->text()->toPlainText(), QString::fromUtf8("特等奖 第1名：007\n"));
    EXPECT_TRUE(w->text()->isReadOnly());
    EXPECT_EQ(w->text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w->text()->objectName(), QString::fromUtf8("编辑框1"));
    EXPECT_EQ(w->title()->objectName(), QString::fromUtf8("透明标签_中奖结果"));
    EXPECT_EQ(w->separator()->objectName(), QString::fromUtf8("标签1"));
    // Design styles while no key is stored.
    EXPECT_EQ(w->title()->fontValue().face, gbk("黑体"));
    EXPECT_TRUE(w->title()->fontValue().bold);
    EXPECT_EQ(w->title()->textColour(), 0x00FFFF);
    EXPECT_EQ(w->backgroundColour(), -1);
    // The yellow title stands on a dark page, not on the light default one.
    EXPECT_TRUE(w->autoFillBackground());
    EXPECT_LT(w->palette().color(QPalette::Window).lightness(), 80);
    EXPECT_EQ(host.runningTimers(), 1);
}

TEST_F(ResultsTest, TitleIsTheMainTitleFollowedByTheSuffixUnlessStored) {
    main.elements().mainTitle->setCaption(gbk("年会"));
    EXPECT_EQ(openWindow()->title()->caption(), gbk("年会抽奖结果"));

    put("zbt", "cjjgbt", gbk("二〇二四年会中奖名单"));
    EXPECT_EQ(openWindow()->title()->caption(), gbk("二〇二四年会中奖名单"));

    // A stored empty title means the default again at the next opening.
    put("zbt", "cjjgbt", "");
    EXPECT_EQ(openWindow()->title()->caption(), gbk("年会抽奖结果"));
}

TEST_F(ResultsTest, StoredAlignmentIsAppliedWithOneCheckMark) {
    main.results() = gbk("a\r\nb\r\n");
    // Missing: centred as designed.
    auto w = openWindow();
    EXPECT_EQ(w->textAlignment(), Qt::AlignHCenter);
    EXPECT_EQ(checks(*w), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(firstBlockAlignment(*w), Qt::AlignHCenter);

    put("zbt", "对齐方式", "3");
    w = openWindow();
    EXPECT_EQ(w->textAlignment(), Qt::AlignHCenter);
    EXPECT_EQ(checks(*w), (std::vector<bool>{false, true, false}));

    put("zbt", "对齐方式", "0");
    w = openWindow();
    EXPECT_EQ(w->textAlignment(), Qt::AlignLeft);
    EXPECT_EQ(checks(*w), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(firstBlockAlignment(*w), Qt::AlignLeft);
    EXPECT_EQ(w->text()->document()->lastBlock().blockFormat().alignment(), Qt::AlignLeft);

    put("zbt", "对齐方式", "2");
    w = openWindow();
    EXPECT_EQ(checks(*w), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(firstBlockAlignment(*w), Qt::AlignRight);
}

TEST_F(ResultsTest, AlignmentCommandsFromTheMenu) {
    main.results() = gbk("a\r\n");
    auto w = openWindow();
    w->show();
    host.queueMenuAction(gbk("右对齐"));
    QTest::mousePress(w->text()->viewport(), Qt::RightButton);
    ASSERT_EQ(host.menusShown.size(), 1u);
    EXPECT_EQ(host.menusShown.front(), w->menu());
    EXPECT_FALSE(w->menu()->menuAction()->isVisible());
    EXPECT_EQ(item("zbt", "对齐方式"), "2");
    EXPECT_EQ(checks(*w), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(firstBlockAlignment(*w), Qt::AlignRight);

    host.queueMenuAction(gbk("左对齐"));
    QTest::mousePress(w->title(), Qt::RightButton);
    EXPECT_EQ(item("zbt", "对齐方式"), "0");
    EXPECT_EQ(checks(*w), (std::vector<bool>{true, false, false}));

    w->alignText(1);
    EXPECT_EQ(item("zbt", "对齐方式"), "1");
    EXPECT_EQ(checks(*w), (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ResultsTest, TitleCommandCancelKeepsAndEmptyIsStored) {
    put("zbt", "cjjgbt", gbk("旧标题"));
    auto w = openWindow();
    host.expectInput(gbk("请输入抽奖结果显示标题"), std::nullopt);
    w->editTitle();
    EXPECT_EQ(host.log.back().initial, gbk("旧标题"));
    EXPECT_EQ(host.log.back().caption, gbk("请输入抽奖结果显示标题"));
    EXPECT_EQ(item("zbt", "cjjgbt"), gbk("旧标题"));
    EXPECT_EQ(w->title()->caption(), gbk("旧标题"));

    host.expectInput(gbk("请输入抽奖结果显示标题"), std::string());
    w->editTitle();
    EXPECT_EQ(item("zbt", "cjjgbt"), "");
    EXPECT_EQ(w->title()->caption(), "");

    host.expectInput({}, gbk("新标题"));
    host.queueMenuAction(gbk("抽奖结果标题"));
    QTest::mousePress(w->title(), Qt::RightButton);
    EXPECT_EQ(item("zbt", "cjjgbt"), gbk("新标题"));
    EXPECT_EQ(w->title()->caption(), gbk("新标题"));
}

TEST_F(ResultsTest, ResultsTextStyleKeysApplyEachOnItsOwn) {
    auto design = openWindow();
    const FontValue designFont = design->textFont();
    const int designColour = design->textColour();

    put("yanse", "结果字体大小", "20.9");
    auto w = openWindow();
    EXPECT_EQ(w->textFont().size, 20);
    EXPECT_EQ(w->textFont().face, designFont.face);
    EXPECT_EQ(w->textColour(), designColour);
    EXPECT_EQ(w->text()->font().pixelSize(), pointsToPixels(20));

    put("yanse", "结果字体", gbk("楷体"));
    put("yanse", "结果字体颜色", "255");
    w = openWindow();
    EXPECT_EQ(w->textFont().face, gbk("楷体"));
    EXPECT_EQ(w->textColour(), 255);
    EXPECT_EQ(w->text()->palette().color(QPalette::Text), QColor(255, 0, 0));
}

TEST_F(ResultsTest, UnstyledTextIsSizedForTheHallAndAStoredSizeHolds) {
    // Without a stored size the text is about 3% of the screen height, on any screen.
    for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1280, 1024}, std::pair{1920, 1080}}) {
        host.screenW = w;
        host.screenH = h;
        auto window = openWindow();
        const int px = window->text()->font().pixelSize();
        EXPECT_GE(px, h * 0.027) << h;
        EXPECT_LE(px, h * 0.034) << h;
        EXPECT_EQ(window->textFont().size, ResultsWindow::defaultTextPoints(h));
        // A wide column: the text runs across nearly the whole screen.
        EXPECT_GE(window->text()->width(), w - 10);
    }
    put("yanse", "结果字体大小", "12");
    auto stored = openWindow();
    EXPECT_EQ(stored->textFont().size, 12);
    EXPECT_EQ(stored->text()->font().pixelSize(), pointsToPixels(12));
}

TEST_F(ResultsTest, EscapeAndStrayKeysLeaveTheWindowOpen) {
    main.results() = manyLines(3);
    auto w = openWindow();
    w->show();
    QApplication::processEvents();
    for (int key : {int(Qt::Key_Escape), int(Qt::Key_Return), int(Qt::Key_Space), int(Qt::Key_A)}) {
        QTest::keyClick(w->text(), Qt::Key(key));
        QTest::keyClick(w.get(), Qt::Key(key));
        EXPECT_TRUE(w->isVisible()) << key;
    }
    QTest::mouseDClick(w->text()->viewport(), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ResultsTest, LongTitleIsDrawnSmallerToFitTheScreen) {
    main.elements().mainTitle->setCaption(
        gbk("星河科技集团二〇二五年度全体员工联欢晚会暨优秀员工表彰大会"));
    auto w = openWindow();
    TransparentLabel* title = w->title();
    const QFont shown = title->shownFont();
    EXPECT_LT(shown.pixelSize(), title->font().pixelSize());
    EXPECT_LE(QFontMetrics(shown).horizontalAdvance(title->displayText()), 800);
    // The stored style is not touched.
    EXPECT_EQ(title->fontValue().size, pixelsToPoints(53));
    // A short title keeps its size.
    main.elements().mainTitle->setCaption(gbk("年会"));
    EXPECT_EQ(openWindow()->title()->shownFont().pixelSize(), title->font().pixelSize());
}

TEST_F(ResultsTest, TitleStyleKeysApplyEachOnItsOwn) {
    put("yanse", "结果标题字体颜色", "65280");
    auto w = openWindow();
    EXPECT_EQ(w->title()->textColour(), 65280);
    EXPECT_EQ(w->title()->fontValue().face, gbk("黑体"));
    EXPECT_EQ(w->title()->fontValue().size, pixelsToPoints(53));
    // The title's height is the design's whatever its font.
    put("yanse", "结果标题字体大小", "90");
    w = openWindow();
    EXPECT_EQ(w->title()->fontValue().size, 90);
    EXPECT_EQ(w->title()->height(), 128);
}

TEST_F(ResultsTest, StyleCommandsStoreTheCurrentStyle) {
    auto w = openWindow();
    const FontValue before = w->textFont();
    host.expectFont(std::nullopt);
    host.queueMenuAction(gbk("抽奖结果字体颜色"));
    QTest::mousePress(w->text()->viewport(), Qt::RightButton);
    EXPECT_EQ(w->textFont(), before);
    EXPECT_EQ(item("yanse", "结果字体"), before.face);
    EXPECT_EQ(item("yanse", "结果字体大小"), toText(static_cast<long long>(before.size)));
    EXPECT_EQ(item("yanse", "结果字体颜色"), "0");

    FontChoice c;
    c.font.face = gbk("黑体");
    c.font.size = 28;
    c.font.bold = true;
    c.colour = 0xFF0000;
    host.expectFont(c);
    w->styleTitle();
    EXPECT_EQ(w->title()->fontValue().size, 28);
    EXPECT_EQ(w->title()->textColour(), 0xFF0000);
    EXPECT_EQ(w->title()->height(), 128);
    EXPECT_EQ(item("yanse", "结果标题字体"), gbk("黑体"));
    EXPECT_EQ(item("yanse", "结果标题字体大小"), "28");
    EXPECT_EQ(item("yanse", "结果标题字体颜色"), "16711680");

    // The next opening shows what was stored.
    auto again = openWindow();
    EXPECT_EQ(again->title()->fontValue().size, 28);
    EXPECT_EQ(again->title()->textColour(), 0xFF0000);
}

TEST_F(ResultsTest, BackgroundColourCommandAndStoredColour) {
    auto w = openWindow();
    host.expectColour(std::nullopt);
    w->chooseBackground();
    EXPECT_EQ(item("yanse", "结果背景颜色"), "<missing>");
    EXPECT_EQ(w->backgroundColour(), -1);

    host.expectColour(0x400000);
    host.queueMenuAction(gbk("背景颜色"));
    QTest::mousePress(w->title(), Qt::RightButton);
    EXPECT_EQ(item("yanse", "结果背景颜色"), "4194304");
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0, 0, 0x40));
    EXPECT_EQ(w->text()->palette().color(QPalette::Base), QColor(0, 0, 0x40));

    auto again = openWindow();
    EXPECT_EQ(again->backgroundColour(), 0x400000);
    EXPECT_EQ(again->text()->palette().color(QPalette::Base), QColor(0, 0, 0x40));
}

TEST_F(ResultsTest, TextScrollsOneLineEveryHalfSecondUntilTheEnd) {
    main.results() = manyLines(200);
    auto w = openWindow();
    w->show();
    QApplication::processEvents();
    QScrollBar* bar = w->text()->verticalScrollBar();
    QTextEdit* text = w->text();
    ASSERT_GT(bar->maximum(), 0);
    const int step = bar->singleStep();
    EXPECT_EQ(step, QFontMetrics(text->font()).lineSpacing());
    // The line standing at the top of the text and how far its top is cut off.
    const int margin = static_cast<int>(std::ceil(text->document()->documentMargin()));
    auto probe = [&] { return QPoint(1, std::max(1, margin - bar->value() + 1)); };
    auto topLine = [&] { return text->cursorForPosition(probe()).blockNumber(); };
    auto topCut = [&] { return -text->cursorRect(text->cursorForPosition(probe())).top(); };
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(topLine(), 0);
    host.advance(499);
    EXPECT_EQ(bar->value(), 0);
    host.advance(1);
    // One whole line on, the next line's top exactly at the top edge.
    EXPECT_EQ(topLine(), 1);
    EXPECT_EQ(topCut(), 0);
    const int afterOne = bar->value();
    EXPECT_GE(afterOne, step);
    host.advance(1000);
    EXPECT_EQ(topLine(), 3);
    EXPECT_EQ(topCut(), 0);
    // Lines of fallback faces differ by a pixel or two: whole lines, not fixed steps.
    EXPECT_GE(bar->value(), afterOne + 2 * step - 4);
    EXPECT_LE(bar->value(), afterOne + 2 * step + 4);

    const int ticksToEnd = bar->maximum() / step + 2;
    host.advance(static_cast<std::uint64_t>(ticksToEnd) * 500);
    EXPECT_EQ(bar->value(), bar->maximum());
    host.advance(5000);
    EXPECT_EQ(bar->value(), bar->maximum());

    w->close();
    EXPECT_EQ(host.runningTimers(), 0);
}

TEST_F(ResultsTest, DoubleClickAnywhereCloses) {
    auto w = openWindow();
    w->show();
    QTest::mouseDClick(w->text()->viewport(), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());

    w = openWindow();
    w->show();
    QTest::mouseDClick(w->title(), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());

    w = openWindow();
    w->show();
    QTest::mouseDClick(w.get(), Qt::LeftButton, {}, QPoint(400, 595));
    EXPECT_FALSE(w->isVisible());

    w = openWindow();
    w->show();
    host.queueMenuAction(gbk("关闭"));
    QTest::mousePress(w->title(), Qt::RightButton);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ResultsTest, PrintingSendsTitleLineBreakAndText) {
    main.results() = manyLines(3);
    put("zbt", "cjjgbt", gbk("中奖名单"));
    auto w = openWindow();
    EXPECT_EQ(w->printText(), gbk("中奖名单") + "\r\n" + manyLines(3));

    w->confirmPrinter = [](QPrinter&) { return false; };
    EXPECT_FALSE(w->print());

    const QString pdf = QString::fromUtf8(dir.path().c_str()) + QStringLiteral("/out.pdf");
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    QString paper;
    w->confirmPrinter = [&](QPrinter& printer) {
        paper = printer.pageLayout().pageSize().key();
        orientation = printer.pageLayout().orientation();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    host.queueMenuAction(gbk("打印抽奖结果"));
    QTest::mousePress(w->title(), Qt::RightButton);
    EXPECT_EQ(paper, QStringLiteral("A4"));
    EXPECT_EQ(orientation, QPageLayout::Portrait);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

TEST_F(ResultsTest, AHugeEntryIsShownAndPrintedBounded) {
    const std::string huge = gbk("中") + std::string(20'000'000, '7');
    main.results() = gbk("0815  ------  二等奖\r\n") + huge + gbk("  ------  特等奖\r\n") +
                     gbk("（1207---放弃领奖）\r\n");
    auto w = openWindow();
    const QStringList lines = w->text()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4); // three lines and the empty text after the last line end
    EXPECT_EQ(lines[0], QString::fromUtf8("0815  ------  二等奖"));
    EXPECT_EQ(lines[1],
              QString::fromUtf8("中") + QString(252, QLatin1Char('7')) + QString::fromUtf8("…"));
    EXPECT_EQ(lines[2], QString::fromUtf8("（1207---放弃领奖）"));
    // The printout is the page as shown, not the megabytes of the entry.
    EXPECT_EQ(w->printText(), w->title()->caption() + "\r\n" + gbk("0815  ------  二等奖\r\n") +
                                  gbk("中") + std::string(252, '7') + gbk("…") + "\r\n" +
                                  gbk("（1207---放弃领奖）\r\n"));
    const QString pdf = QString::fromUtf8(dir.path().c_str()) + QStringLiteral("/huge.pdf");
    w->confirmPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    EXPECT_TRUE(w->print());
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    // The results text itself is untouched.
    EXPECT_EQ(main.results().size(), huge.size() + 61);
}

TEST_F(ResultsTest, WinnersGroupsAreShownOnlyInAnEventWithGroups) {
    const std::string results = gbk("0815  ------  二等奖\r\n（0815---放弃领奖）\r\n"
                                    "1207  ------  二等奖\r\n0342  ------  一等奖\r\n");
    struct Case {
        std::vector<WinnerGroup> winners;
        const char* shown;
    };
    const std::vector<Case> cases = {
        {{},
         "0815  ------  二等奖\n（0815---放弃领奖）\n1207  ------  二等奖\n0342  ------  一等奖\n"},
        // Groups recorded but none of them named: nothing to show.
        {{{3, "0815", "", true}, {3, "1207", "", false}},
         "0815  ------  二等奖\n（0815---放弃领奖）\n1207  ------  二等奖\n0342  ------  一等奖\n"},
        {{{3, "0815", gbk("销售部"), true},
          {3, "1207", "", false},
          {2, "0342", gbk("研发部"), false}},
         "0815  ------  二等奖  ------  销售部\n（0815---放弃领奖）\n1207  ------  二等奖\n"
         "0342  ------  一等奖  ------  研发部\n"},
    };
    for (const Case& c : cases) {
        main.results() = results;
        main.winnerGroups() = c.winners;
        auto w = openWindow();
        EXPECT_EQ(w->text()->toPlainText(), QString::fromUtf8(c.shown));
        // What is printed is what is shown; the results text is untouched.
        EXPECT_EQ(utf8(w->printText()),
                  utf8(w->title()->caption()) + "\r\n" +
                      QString::fromUtf8(c.shown)
                          .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
                          .toStdString());
        EXPECT_EQ(main.results(), results);
    }
}

// --- the main window's side ------------------------------------------------------------

namespace {

class ResultsControllerTest : public ResultsTest {
protected:
    ResultsControllerTest() : controller(host, main) { controller.connectHandlers(); }

    /// Runs f once the next modal wait has started; fails and closes every
    /// modal window if something is still open long after.
    void whileOpen(std::function<void()> f) {
        QTimer::singleShot(0, &main, std::move(f));
        QTimer::singleShot(5000, &main, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the results window stayed open";
                modal->close();
            }
        });
    }

    ResultsController controller;
};

} // namespace

TEST_F(ResultsControllerTest, ExportWithoutDrawsWritesAnEmptyFileAndOpensIt) {
    controller.exportResults();
    const std::string path = host.path(gbk("抽奖结果.txt"));
    EXPECT_TRUE(host.fileExists(path));
    EXPECT_EQ(host.readFile(path), "");
    EXPECT_EQ(host.shellOpened, std::vector<std::string>{path});
}

TEST_F(ResultsControllerTest, ExportReplacesTheFileWithTheResultsText) {
    const std::string path = host.path(gbk("抽奖结果.txt"));
    ASSERT_TRUE(host.writeFile(path, gbk("旧的结果\r\n")));
    main.results() = manyLines(2);
    main.elements().menu.exportResults->trigger();
    EXPECT_EQ(host.readFile(path), manyLines(2));
    EXPECT_EQ(host.shellOpened.size(), 1u);
}

TEST_F(ResultsControllerTest, ExportKeepsAHugeEntryWhole) {
    const std::string whole = std::string(30'000'000, '5') + gbk("  ------  特等奖\r\n");
    main.results() = whole;
    controller.exportResults();
    EXPECT_TRUE(host.readFile(host.path(gbk("抽奖结果.txt"))) == whole);
}

TEST_F(ResultsControllerTest, FailedExportIsToldAndOpensNothing) {
    // A directory where the file should go cannot be replaced by a file.
    std::filesystem::create_directory(dir.path() + "/抽奖结果.txt");
    main.results() = manyLines(2);
    host.expectMessage(gbk("抽奖结果导出失败，请检查磁盘或文件权限！"), IdOk, gbk("提示"),
                       MbOk | MbIconWarning);
    controller.exportResults();
    EXPECT_TRUE(host.shellOpened.empty());
    EXPECT_EQ(host.pendingAnswers(), 0u);
}

TEST_F(ResultsControllerTest, ExportWithNoViewerSaysWhereTheFileIs) {
    main.results() = manyLines(2);
    host.shellResult = false;
    host.expectMessage(std::nullopt, IdOk, gbk("提示"));
    controller.exportResults();
    const std::string path = host.path(gbk("抽奖结果.txt"));
    EXPECT_EQ(host.readFile(path), manyLines(2));
    EXPECT_EQ(host.shellOpened, std::vector<std::string>{path});
    ASSERT_EQ(host.messages().size(), 1u);
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    EXPECT_NE(host.messages()[0].find(shown), std::string::npos);
}

namespace {

using Rows = std::vector<std::vector<std::string>>;

/// Two draw runs, a forfeit between them and one of an empty text.
std::string drawnResults() {
    return gbk("0815  ------  二等奖\r\n1207 张三  ------  二等奖\r\n（1207 张三---放弃领奖）\r\n"
               "0342  ------  一等奖\r\n（---放弃领奖）\r\n");
}

sheet::Table readBack(const std::string& gbkPath) {
    return sheet::readSheet(HostBase::nativePath(gbkPath), 0);
}

} // namespace

TEST_F(ResultsControllerTest, SpreadsheetHasARowPerResultsLine) {
    main.results() = drawnResults();
    const std::string proposed = host.path(gbk("抽奖结果.xlsx"));
    host.expectSaveFile(proposed);
    main.elements().menu.exportSheet->trigger();

    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0].kind, DialogRecord::SaveFile);
    EXPECT_EQ(host.log[0].initial, proposed);
    const sheet::Table table = readBack(proposed);
    ASSERT_EQ(table.error, sheet::ReadError::None);
    EXPECT_EQ(sheet::listSheets(HostBase::nativePath(proposed)).names,
              std::vector<std::string>{"抽奖结果"});
    EXPECT_EQ(table.rows, (Rows{{"序号", "中奖者", "奖项"},
                                {"1", "0815", "二等奖"},
                                {"2", "1207 张三", "二等奖"},
                                {"3", "1207 张三", "放弃领奖"},
                                {"4", "0342", "一等奖"},
                                {"5", "", "放弃领奖"}}));
    EXPECT_EQ(host.shellOpened, std::vector<std::string>{proposed});
}

TEST_F(ResultsControllerTest, SpreadsheetNameGetsItsExtensionAndNothingDrawnGivesTheHeader) {
    // Another folder, a name typed without its extension; a character outside GBK.
    const std::string folder = dir.path() + "/导出";
    std::filesystem::create_directory(folder);
    main.results() = gbk("\xF0\xA0\x80\x80  ------  特等奖\r\n");
    host.expectSaveFile(gbk(folder + "/年会中奖名单"));
    controller.exportSpreadsheet();
    const std::string written = gbk(folder + "/年会中奖名单.xlsx");
    EXPECT_EQ(readBack(written).rows,
              (Rows{{"序号", "中奖者", "奖项"}, {"1", "\xF0\xA0\x80\x80", "特等奖"}}));
    EXPECT_EQ(host.shellOpened, std::vector<std::string>{written});

    // An upper-case extension is kept as typed.
    main.results().clear();
    host.expectSaveFile(gbk(folder + "/空.XLSX"));
    controller.exportSpreadsheet();
    EXPECT_EQ(readBack(gbk(folder + "/空.XLSX")).rows, (Rows{{"序号", "中奖者", "奖项"}}));
}

TEST_F(ResultsControllerTest, SpreadsheetWithNoViewerSaysWhereTheFileIs) {
    main.results() = drawnResults();
    const std::string proposed = host.path(gbk("抽奖结果.xlsx"));
    host.expectSaveFile(proposed);
    host.shellResult = false;
    host.expectMessage(std::nullopt, IdOk, gbk("提示"));
    controller.exportSpreadsheet();
    EXPECT_EQ(readBack(proposed).rows.size(), 6u);
    ASSERT_EQ(host.messages().size(), 1u);
    std::string shown = proposed;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    EXPECT_NE(host.messages()[0].find(shown), std::string::npos);
}

TEST_F(ResultsControllerTest, SpreadsheetCancelledOrFailedWritesNothing) {
    main.results() = drawnResults();
    host.expectSaveFile(std::nullopt);
    controller.exportSpreadsheet();

    // A folder that is not there: told as the text export is, nothing opened.
    host.expectSaveFile(gbk(dir.path() + "/不存在/抽奖结果.xlsx"));
    host.expectMessage(gbk("抽奖结果导出失败，请检查磁盘或文件权限！"), IdOk, gbk("提示"),
                       MbOk | MbIconWarning);
    controller.exportSpreadsheet();

    // A write-protected earlier export is neither replaced nor opened as if new.
    const std::string earlier = dir.path() + "/earlier.xlsx";
    writeBytes(earlier, "an earlier export");
    std::filesystem::permissions(earlier, std::filesystem::perms(0444));
    host.expectSaveFile(earlier);
    host.expectMessage(gbk("抽奖结果导出失败，请检查磁盘或文件权限！"), IdOk, gbk("提示"),
                       MbOk | MbIconWarning);
    controller.exportSpreadsheet();
    EXPECT_EQ(readBytes(earlier), "an earlier export");

    EXPECT_TRUE(host.shellOpened.empty());
    EXPECT_EQ(host.pendingAnswers(), 0u);
}

TEST_F(ResultsControllerTest, MenuOpensTheWindowModally) {
    main.results() = gbk("一等奖 第1名：42\r\n");
    bool sawIt = false;
    whileOpen([&] {
        ResultsWindow* w = controller.openWindow();
        ASSERT_NE(w, nullptr);
        sawIt = true;
        EXPECT_TRUE(w->isModal());
        EXPECT_EQ(w->text()->toPlainText(), QString::fromUtf8("一等奖 第1名：42\n"));
        // A second request while open does not stack another window.
        controller.showResults();
        EXPECT_EQ(controller.openWindow(), w);
        QTest::mouseDClick(w->text()->viewport(), Qt::LeftButton);
    });
    main.elements().menu.viewResults->trigger();
    EXPECT_TRUE(sawIt);
    EXPECT_FALSE(controller.isOpen());
    EXPECT_EQ(host.runningTimers(), 0);
}

TEST_F(ResultsControllerTest, F1OpensAndASecondF1Closes) {
    int opened = 0;
    whileOpen([&] {
        opened += controller.isOpen() ? 1 : 0;
        controller.onF1HotKey(); // arrives inside the first press's modal wait
    });
    controller.onF1HotKey();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(controller.isOpen());

    // Closed by a double-click instead: the next F1 opens again.
    whileOpen([&] {
        opened += controller.isOpen() ? 1 : 0;
        QTest::mouseDClick(controller.openWindow()->title(), Qt::LeftButton);
    });
    controller.onF1HotKey();
    EXPECT_EQ(opened, 2);

    whileOpen([&] {
        opened += controller.isOpen() ? 1 : 0;
        controller.onF1HotKey();
    });
    controller.onF1HotKey();
    EXPECT_EQ(opened, 3);
    EXPECT_FALSE(controller.isOpen());
}

TEST_F(ResultsControllerTest, SwitchKeyShowsTheSwitchMark) {
    EXPECT_FALSE(main.elements().switchMark->isVisibleTo(&main));
    controller.onSwitchHotKey();
    EXPECT_TRUE(main.elements().switchMark->isVisibleTo(&main));
}
