// 导入抽奖名单... on a bare main window: the file dialog, the import window
// driven as an operator would, the pool written, the files kept aside, the
// restart, and every way a list is refused with nothing changed.

#include "app/importcommand.h"

#include "app/application.h"
#include "app/photocontroller.h"
#include "app/photoimport.h"
#include "photos/photoloader.h"

#include "app/shell/event_fixture.h"
#include "support/app_fixture.h"
#include "support/tempdir.h"

#include "pool/pool.h"
#include "sheet/sheet.h"
#include "ui/elements.h"
#include "ui/importdialog.h"
#include "ui/mainwindow.h"

#include "sheet/workbookfiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace luckdial::testing {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

QString u(const char* utf8Text) {
    return QString::fromUtf8(utf8Text);
}

std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = readBytes(entry.path());
    return files;
}

/// Files of the directory whose (UTF-8) names start with prefix and end with suffix.
std::vector<std::string> namesLike(const std::string& dir, const std::string& prefix,
                                   const std::string& suffix) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.push_back(name);
    }
    return out;
}

const std::vector<std::string> kHeader = {"序号", "工号", "姓名", "部门"};
// Leading zeros, an empty row, a cell with a line break, a repeated person,
// a character outside GBK (U+20000), a missing number, a row with only its
// serial number.
const Rows kStaff = {
    {"1", "00123", "张三", "销售"},
    {"2", "1002", "李四", "财务"},
    {},
    {"4", "1004", "王\n五", "行政"},
    {"5", "1002", "李四", "财务"},
    {"6", "1006", "\xF0\xA0\x80\x80明", ""},
    {"7", "", "赵六", ""},
    {"8", "", "", ""},
};

std::string doneMessage(std::size_t entries) {
    return gbk("新的抽奖名单已导入，共" + std::to_string(entries) +
               "条；原来的名单已保存为“抽奖号码库_bak.txt”。\r\n抽奖系统将重新启动！");
}
std::string newEventQuestion() {
    return gbk("导入新名单将开始一次新的抽奖：现在的抽奖进度和抽奖结果将改名保存（不会删除），"
               "不再继续。\r\n\r\n确定导入吗？");
}
std::string writeFailed() {
    return gbk(
        "抽奖号码库写入失败，请检查磁盘或文件权限！\r\n原来的名单、抽奖进度和抽奖结果都没有改动。");
}

QStringList previewTexts(const ImportDialog& d) {
    QStringList texts;
    for (int i = 0; i < d.preview()->count(); ++i)
        texts << d.preview()->item(i)->text();
    return texts;
}

/// Waits (events running) until the import window has read its sheet.
bool waitForRead(const ImportDialog& d) {
    QElapsedTimer clock;
    clock.start();
    // Generous: the machine that runs the tests may be busy with builds.
    while (d.reading() && clock.elapsed() < 180000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return !d.reading();
}

/// Runs f on the import window once its modal wait has started and its
/// first sheet is read. A window still open long after is rejected, so that
/// a broken test fails instead of hanging. context: the timers go with it.
void onImportWindow(QObject* context, std::function<void(ImportDialog&)> f) {
    QTimer::singleShot(0, context, [context, f = std::move(f)] {
        auto* d = qobject_cast<ImportDialog*>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "the import window is not open";
            return;
        }
        if (!waitForRead(*d)) {
            ADD_FAILURE() << "the sheet was not read";
            d->reject();
            return;
        }
        f(*d);
        QTimer::singleShot(5000, context, [] {
            if (auto* open = qobject_cast<ImportDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "the import window stayed open";
                open->reject();
            }
        });
    });
}

class Import : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        window = std::make_unique<MainWindow>();
        command = std::make_unique<ImportCommand>(host(), *window);
        command->connectHandlers();
        write("抽奖号码库.txt", "001\r\n002\r\n");
        staffBook = lists.path() + "/员工名单.xlsx";
        ASSERT_TRUE(sheet::writeXlsx(staffBook, "名单", kHeader, kStaff));
    }
    void TearDown() override {
        command.reset();
        window.reset();
        AppTest::TearDown();
    }

    void onDialog(std::function<void(ImportDialog&)> f) {
        onImportWindow(window.get(), std::move(f));
    }

    /// The file dialog's answer, queued before the messages that follow it.
    void chooseFile(const std::string& utf8Path) { host().expectFile(gbk(utf8Path)); }
    void trigger() { window->elements().menu.importList->trigger(); }

    void expectRestart() {
        ASSERT_EQ(host().programsRun.size(), 1u);
        EXPECT_FALSE(host().programsRun[0].second);
        EXPECT_TRUE(host().ended);
    }
    void expectNoRestart() {
        EXPECT_TRUE(host().programsRun.empty());
        EXPECT_FALSE(host().ended);
    }

    TempDir lists;
    std::string staffBook;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ImportCommand> command;
};

TEST_F(Import, PreviewCountsAndTheWrittenPool) {
    chooseFile(staffBook);
    bool shown = false;
    onDialog([&](ImportDialog& d) {
        shown = true;
        EXPECT_EQ(d.sheetBox()->count(), 1);
        EXPECT_EQ(d.sheetBox()->currentText(), u("名单"));
        // The header is recognised, and the number and the name are offered.
        EXPECT_TRUE(d.headerBox()->isChecked());
        EXPECT_EQ(d.columnBox(0)->currentText(), u("B列：工号"));
        EXPECT_EQ(d.columnBox(1)->currentText(), u("C列：姓名"));
        EXPECT_EQ(d.columnBox(2)->currentText(), u("（不用）"));
        EXPECT_EQ(d.joinerEdit()->text(), u(" "));
        EXPECT_EQ(previewTexts(d),
                  (QStringList{u("00123 张三"), u("1002 李四"), u("1004 王 五"), u("1002 李四"),
                               u("1006 \xF0\xA0\x80\x80明"), u("赵六")}));
        EXPECT_EQ(
            d.countsLabel()->text(),
            u("共 6 条名单；跳过空行 2 行；重复的名单 1 条（保留，各有一次机会），如：1002 李四"));
        EXPECT_TRUE(d.okButton()->isEnabled());

        d.dropDuplicatesBox()->setChecked(true);
        EXPECT_EQ(d.countsLabel()->text(),
                  u("共 5 条名单；跳过空行 2 行；重复的名单 1 条（已去掉），如：1002 李四"));
        EXPECT_EQ(previewTexts(d).size(), 5);
        d.okButton()->click();
    });
    host().expectMessage(doneMessage(5), IdOk, gbk("信息："), MbOk);
    trigger();
    ASSERT_TRUE(shown);

    // GBK, CR LF, the character outside GBK in its four GB18030 bytes.
    EXPECT_EQ(read("抽奖号码库.txt"), gbk("00123 张三\r\n1002 李四\r\n1004 王 五\r\n1006 ") +
                                          "\x95\x32\x82\x36" + gbk("明\r\n赵六\r\n"));
    EXPECT_EQ(read("抽奖号码库_bak.txt"), "001\r\n002\r\n");
    EXPECT_EQ(host().log.front().kind, DialogRecord::File);
    EXPECT_EQ(host().log.front().initial, host().programDir());
    expectRestart();
}

TEST_F(Import, ColumnsAndJoinerAsChosenAndCancelWritesNothing) {
    const auto before = snapshot(dir_.path());
    chooseFile(staffBook);
    onDialog([&](ImportDialog& d) {
        d.headerBox()->setChecked(false);
        // Without a header the columns are named by their first row, which
        // becomes an entry.
        EXPECT_EQ(d.columnBox(0)->currentText(), u("B列（如 工号）"));
        EXPECT_EQ(previewTexts(d).front(), u("工号 姓名"));
        d.headerBox()->setChecked(true);
        d.columnBox(0)->setCurrentIndex(3); // C: 姓名
        d.columnBox(1)->setCurrentIndex(2); // B: 工号
        d.columnBox(2)->setCurrentIndex(4); // D: 部门
        d.joinerEdit()->setText(u("-"));
        EXPECT_EQ(previewTexts(d).mid(0, 3),
                  (QStringList{u("张三-00123-销售"), u("李四-1002-财务"), u("王 五-1004-行政")}));
        // Only the serial number left: every row is an entry of its own.
        for (int i = 0; i < 3; ++i)
            d.columnBox(i)->setCurrentIndex(i == 0 ? 1 : 0);
        EXPECT_EQ(d.countsLabel()->text(), u("共 7 条名单；跳过空行 1 行；重复的名单 0 条"));
        // Nothing chosen: nothing to import.
        d.columnBox(0)->setCurrentIndex(0);
        EXPECT_FALSE(d.okButton()->isEnabled());
        EXPECT_EQ(d.preview()->count(), 0);
        d.cancelButton()->click();
    });
    trigger();
    EXPECT_EQ(snapshot(dir_.path()), before);
    expectNoRestart();
}

TEST_F(Import, AnotherSheetOfTheWorkbook) {
    using namespace sheet::test;
    const std::string book = lists.path() + "/two.xlsx";
    auto row = [](int r, const std::string& a) {
        const std::string n = std::to_string(r);
        return "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>" + a +
               "</t></is></c></row>";
    };
    // The third sheet's XML breaks off.
    ASSERT_TRUE(
        writeZip(book, xlsxParts({{"一部", {"", sheetXml(row(1, "甲") + row(2, "乙"))}},
                                  {"二部", {"", sheetXml(row(1, "丙"))}},
                                  {"三部", {"", "<worksheet><sheetData><row r=\"1\"><c"}}})));
    chooseFile(book);
    host().expectMessage(ImportCommand::readErrorMessage(sheet::ReadError::Damaged), IdOk,
                         gbk("提示"));
    host().expectMessage(doneMessage(1), IdOk);
    onDialog([&](ImportDialog& d) {
        EXPECT_EQ(d.sheetBox()->count(), 3);
        EXPECT_EQ(previewTexts(d), (QStringList{u("甲"), u("乙")}));
        d.sheetBox()->setCurrentIndex(1);
        ASSERT_TRUE(waitForRead(d));
        EXPECT_EQ(previewTexts(d), (QStringList{u("丙")}));
        // A sheet that cannot be read is told; the one shown before stays.
        d.sheetBox()->setCurrentIndex(2);
        ASSERT_TRUE(waitForRead(d));
        EXPECT_EQ(d.sheetBox()->currentIndex(), 1);
        EXPECT_EQ(previewTexts(d), (QStringList{u("丙")}));
        d.okButton()->click();
    });
    trigger();
    EXPECT_EQ(read("抽奖号码库.txt"), gbk("丙\r\n"));
    expectRestart();
}

TEST_F(Import, TextListsAndOpenDocumentSheets) {
    using namespace sheet::test;
    auto cell = [](const std::string& text) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + text +
               "</text:p></table:table-cell>";
    };
    const std::string ods = lists.path() + "/list.ods";
    ASSERT_TRUE(
        writeZip(ods, odsParts("<table:table table:name=\"名单\"><table:table-column/>"
                               "<table:table-row>" +
                               cell("工号") + cell("姓名") + "</table:table-row><table:table-row>" +
                               cell("3001") + cell("钱七") + "</table:table-row></table:table>")));
    // UTF-8 with quoting and a line break inside quotes; GBK separated by tabs.
    const std::string csv = lists.path() + "/list.csv";
    writeBytes(csv, "工号,姓名\r\n1001,张三\r\n\"1002\",\"李\n四\"\r\n");
    const std::string txt = lists.path() + "/list.txt";
    writeBytes(txt, gbk("工号\t姓名\r\n2001\t王五\r\n"));

    for (const auto& [file, pool] :
         std::vector<std::pair<std::string, std::string>>{{ods, "3001 钱七\r\n"},
                                                          {csv, "1001 张三\r\n1002 李 四\r\n"},
                                                          {txt, "2001 王五\r\n"}}) {
        host().ended = false;
        host().programsRun.clear();
        chooseFile(file);
        onDialog([](ImportDialog& d) {
            EXPECT_TRUE(d.headerBox()->isChecked());
            d.okButton()->click();
        });
        host().expectMessage(std::nullopt, IdOk);
        trigger();
        EXPECT_EQ(read("抽奖号码库.txt"), gbk(pool)) << file;
        expectRestart();
    }
}

TEST_F(Import, ANewEventKeepsProgressResultsAndEarlierCopies) {
    write("进度.txt", "002\r\n");
    write("进度_新.txt", "002\r\n");
    write("抽奖结果.txt", gbk("001  ------  特等奖\r\n"));
    write("抽奖恢复.dat", "record");
    write("抽奖号码库_bak.txt", "an earlier list\r\n");
    chooseFile(staffBook);
    onDialog([](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(newEventQuestion(), IdOk, gbk("确定导入新名单？"),
                         MbOkCancel | MbIconQuestion);
    host().expectMessage(doneMessage(6), IdOk);
    trigger();

    EXPECT_EQ(read("抽奖号码库_bak.txt"), "001\r\n002\r\n");
    EXPECT_EQ(read("抽奖号码库.txt").substr(0, 12), gbk("00123 张三\r\n"));
    // Nothing of the old event is offered at the next start, and nothing is gone.
    for (const char* name : {"进度.txt", "进度_新.txt", "抽奖结果.txt", "抽奖恢复.dat"})
        EXPECT_FALSE(exists(name)) << name;
    const std::string dir = dir_.path();
    std::map<std::string, std::string> kept;
    for (const auto& [prefix, suffix] :
         std::vector<std::pair<std::string, std::string>>{{"进度_2", ".txt"},
                                                          {"进度_新_", ".txt"},
                                                          {"抽奖结果_", ".txt"},
                                                          {"抽奖恢复_", ".dat"},
                                                          {"抽奖号码库_bak_", ".txt"}}) {
        const auto found = namesLike(dir, prefix, suffix);
        ASSERT_EQ(found.size(), 1u) << prefix;
        kept[prefix] = readBytes(dir + "/" + found[0]);
    }
    EXPECT_EQ(kept["进度_2"], "002\r\n");
    EXPECT_EQ(kept["进度_新_"], "002\r\n");
    EXPECT_EQ(kept["抽奖结果_"], gbk("001  ------  特等奖\r\n"));
    EXPECT_EQ(kept["抽奖恢复_"], "record");
    EXPECT_EQ(kept["抽奖号码库_bak_"], "an earlier list\r\n");
    expectRestart();
}

TEST_F(Import, ANewEventNotConfirmedChangesNothing) {
    // Results drawn in this run count even before the file holds them.
    window->results() = gbk("001  ------  特等奖\r\n");
    write("抽奖结果.txt", "");
    const auto before = snapshot(dir_.path());
    chooseFile(staffBook);
    onDialog([](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(newEventQuestion(), IdCancel);
    trigger();
    EXPECT_EQ(snapshot(dir_.path()), before);
    expectNoRestart();

    // An empty results file and no progress: no event under way, no question.
    window->results().clear();
    chooseFile(staffBook);
    onDialog([](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(doneMessage(6), IdOk);
    trigger();
    EXPECT_TRUE(exists("抽奖结果.txt"));
    expectRestart();
}

TEST_F(Import, MoreEntriesThanAPoolHoldsAreRefused) {
    using namespace sheet::test;
    // One row more than a pool may hold, streamed into the zip.
    const std::string book = lists.path() + "/big.xlsx";
    const Producer rows = generatedSheet(Pool::kLimit + 1, [](std::size_t r) {
        const std::string n = std::to_string(r);
        return "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
    });
    ASSERT_TRUE(writeZip(book, xlsxParts({{"S", {"", {}, rows}}})));
    write("进度.txt", "002\r\n");
    const auto before = snapshot(dir_.path());
    chooseFile(book);
    onDialog([](ImportDialog& d) {
        EXPECT_FALSE(d.headerBox()->isChecked());
        EXPECT_TRUE(d.countsLabel()->text().endsWith(u("。超过了抽奖号码库的上限 3276000 条！")))
            << d.countsLabel()->text().toStdString();
        d.okButton()->click();
    });
    host().expectMessage(gbk("抽奖号码库里面的号码（或者名单）超过了1000000条，软件无法支持！"),
                         IdOk, gbk("信息："), MbOk);
    trigger();
    EXPECT_EQ(snapshot(dir_.path()), before);
    expectNoRestart();
}

TEST_F(Import, UnreadableFilesAreToldAndChangeNothing) {
    write("进度.txt", "002\r\n");
    const auto before = snapshot(dir_.path());
    const std::string good = readBytes(staffBook);
    const std::string cut = lists.path() + "/cut.xlsx";
    writeBytes(cut, std::string_view(good).substr(0, good.size() / 2));
    const std::string text = lists.path() + "/notes.xlsx";
    writeBytes(text, "just some text, not a workbook");
    const std::string other = lists.path() + "/list.doc";
    writeBytes(other, "001\r\n");

    // A gigabyte that takes no disk: refused before anything is read.
    const std::string huge = lists.path() + "/huge.xlsx";
    writeBytes(huge, "PK");
    fs::resize_file(huge, 1ull << 30);

    const std::vector<std::pair<std::string, sheet::ReadError>> cases = {
        {cut, sheet::ReadError::Damaged},
        {huge, sheet::ReadError::TooLarge},
        {other, sheet::ReadError::NotSpreadsheet},
        {lists.path() + "/gone.xlsx", sheet::ReadError::CannotOpen},
    };
    for (const auto& [path, error] : cases) {
        chooseFile(path);
        host().expectMessage(ImportCommand::readErrorMessage(error), IdOk, gbk("提示"),
                             MbOk | MbIconWarning);
        trigger();
    }
    // A file with a workbook's name but not a workbook inside is refused
    // either as damaged or as no spreadsheet; which, the reader decides.
    chooseFile(text);
    host().expectMessage(std::nullopt, IdOk, gbk("提示"), MbOk | MbIconWarning);
    trigger();
    const std::string told = host().messages().back();
    EXPECT_TRUE(told == ImportCommand::readErrorMessage(sheet::ReadError::Damaged) ||
                told == ImportCommand::readErrorMessage(sheet::ReadError::NotSpreadsheet))
        << utf8(told);

    // No file chosen: nothing happens.
    host().expectFile(std::nullopt);
    window->elements().menu.importList->trigger();

    EXPECT_EQ(snapshot(dir_.path()), before);
    expectNoRestart();
}

TEST_F(Import, EveryReadErrorHasItsOwnMessage) {
    using E = sheet::ReadError;
    EXPECT_EQ(ImportCommand::readErrorMessage(E::None), "");
    // Too many rows is the pool's own size message.
    EXPECT_EQ(ImportCommand::readErrorMessage(E::TooManyRows),
              gbk("抽奖号码库里面的号码（或者名单）超过了1000000条，软件无法支持！"));
    // A cancelled read was the operator's own choice: no message.
    EXPECT_EQ(ImportCommand::readErrorMessage(E::Cancelled), "");
    // A password's message says what it is and what to do.
    EXPECT_EQ(
        utf8(ImportCommand::readErrorMessage(E::PasswordProtected)).rfind("这个文件有密码保护", 0),
        0u);
    std::vector<std::string> texts;
    for (E e : {E::CannotOpen, E::NotSpreadsheet, E::Damaged, E::TooLarge, E::TooManyRows,
                E::PasswordProtected, E::BinaryWorkbook, E::OldWorkbook}) {
        const std::string text = ImportCommand::readErrorMessage(e);
        EXPECT_FALSE(text.empty());
        for (const std::string& earlier : texts)
            EXPECT_NE(text, earlier);
        texts.push_back(text);
    }
}

TEST_F(Import, ResultsThatCannotGoAsideBringEverythingBack) {
    write("进度.txt", "002\r\n");
    write("抽奖结果.txt", gbk("001  ------  特等奖\r\n"));
    // Every name a kept copy of the results could take is taken.
    host().stamp = "20260101-000000";
    write("抽奖结果_20260101-000000.txt", "taken");
    for (int n = 2; n <= 100; ++n)
        write("抽奖结果_20260101-000000-" + std::to_string(n) + ".txt", "taken");
    const auto before = snapshot(dir_.path());
    chooseFile(staffBook);
    onDialog([](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(newEventQuestion(), IdOk);
    host().expectMessage(writeFailed(), IdOk, gbk("提示"), MbOk | MbIconWarning);
    trigger();
    // The progress went aside first and came back; the old pool is back.
    auto after = snapshot(dir_.path());
    EXPECT_EQ(after.erase("抽奖号码库_bak.txt"), 1u);
    EXPECT_EQ(after, before);
    expectNoRestart();
}

TEST_F(Import, APoolThatCannotBeWrittenLeavesTheOldOne) {
    // A directory in the pool's place: the copy and the replace both fail.
    (void)host().deleteFile(path("抽奖号码库.txt"));
    fs::create_directory(fs::path(dir_.path()) / "抽奖号码库.txt");
    write("进度.txt", "002\r\n");
    const auto before = snapshot(dir_.path());
    chooseFile(staffBook);
    onDialog([](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(newEventQuestion(), IdOk);
    host().expectMessage(writeFailed(), IdOk, gbk("提示"), MbOk | MbIconWarning);
    trigger();
    EXPECT_EQ(snapshot(dir_.path()), before);
    EXPECT_TRUE(exists("进度.txt"));
    expectNoRestart();
}

class ImportDuringAnEvent : public EventTest {};

TEST_F(ImportDuringAnEvent, TheNextStartDrawsFromTheNewListAsANewEvent) {
    writeEvent(5, 5, 2);
    create();
    ASSERT_TRUE(app().start());
    selectLevel();
    drawOnce();
    ASSERT_TRUE(exists("抽奖恢复.dat"));
    const std::string oldResults = read("抽奖结果.txt");
    ASSERT_EQ(winnersIn(oldResults).size(), 2u);

    TempDir lists;
    const std::string book = lists.path() + "/list.xlsx";
    ASSERT_TRUE(sheet::writeXlsx(book, "S", {"工号", "姓名"},
                                 {{"2001", "甲"}, {"2002", "乙"}, {"2003", "丙"}}));
    host().expectFile(gbk(book));
    onImportWindow(&app().window(), [](ImportDialog& d) { d.okButton()->click(); });
    host().expectMessage(std::nullopt, IdOk, gbk("确定导入新名单？"));
    host().expectMessage(std::nullopt, IdOk);
    app().window().elements().menu.importList->trigger();
    ASSERT_TRUE(host().ended);
    ASSERT_EQ(host().programsRun.size(), 1u);

    // No resume and no recovery question: the new list, no results, no counters.
    restart();
    ASSERT_TRUE(app().start());
    EXPECT_TRUE(host().log.empty());
    const std::vector<std::string> fresh = {gbk("2001 甲"), gbk("2002 乙"), gbk("2003 丙")};
    EXPECT_EQ(poolEntries(), fresh);
    EXPECT_TRUE(app().window().results().empty());
    EXPECT_EQ(app().state().counters, (std::array<std::int32_t, 8>{}));
    EXPECT_EQ(filesMatching("抽奖结果_.*\\.txt").size(), 1u);
    selectLevel();
    drawOnce();
    EXPECT_EQ(winnersIn(read("抽奖结果.txt")).size(), 2u);
    for (const std::string& w : winnersIn(read("抽奖结果.txt")))
        EXPECT_NE(std::find(fresh.begin(), fresh.end(), w), fresh.end()) << utf8(w);
}

// --- photos named in the list ------------------------------------------------

std::string jpegBytes(const std::string& tag) {
    return std::string("\xFF\xD8\xFF\xE0", 4) + "JFIF " + tag;
}
std::string pngBytes(const std::string& tag) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + tag;
}
void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

/// A list in lists/名单/ whose photo column points at every kind of file.
struct PhotoList {
    struct Case {
        const char* entryNumber;
        const char* cell;     ///< the list's photo cell
        const char* copiedAs; ///< file in 照片, or nullptr: none
        PhotoImport::State state;
    };
    std::vector<Case> cases;
    std::string book;
};

class ImportPhotos : public Import {
protected:
    void SetUp() override {
        Import::SetUp();
        const fs::path root = lists.path();
        const fs::path folder = root / "名单";
        writeFile(folder / "p" / "1001.jpg", jpegBytes("1001"));
        writeFile(folder / "1002.PNG", pngBytes("1002"));
        writeFile(folder / "p" / "三.jpeg", jpegBytes("1003"));
        writeFile(folder / "jpeg-named.png", jpegBytes("1009"));
        writeFile(root / "outside.jpg", jpegBytes("out"));
        fs::create_symlink(root / "outside.jpg", folder / "link.jpg");
        writeFile(folder / "text.jpg", "not a picture at all");
        writeFile(folder / "big.jpg", jpegBytes("big"));
        fs::resize_file(folder / "big.jpg",
                        static_cast<std::uintmax_t>(PhotoImport::kMaxFileBytes) + 1);
        fs::create_directories(folder / "dir.jpg");
        ASSERT_EQ(mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
        using S = PhotoImport::State;
        list.cases = {
            {"1001", "p/1001.jpg", "1001.jpg", S::Found},
            {"1002", "1002.PNG", "1002.png", S::Found},
            {"1003", "p\\三.jpeg", "1003.jpeg", S::Found},    // written on Windows
            {"1009", "jpeg-named.png", "1009.jpg", S::Found}, // by content
            {"1004", "nope.jpg", nullptr, S::Missing},
            {"1005", "../outside.jpg", nullptr, S::Outside},
            {"1006", "link.jpg", nullptr, S::Outside}, // a link out of the folder
            {"1007", "text.jpg", nullptr, S::NotImage},
            {"1008", "big.jpg", nullptr, S::TooLarge},
            {"1010", "dir.jpg", nullptr, S::Missing},
            {"1013", "pipe.jpg", nullptr, S::Missing}, // would block a read
            {"1011", "", nullptr, S::Missing},         // no photo: not counted
        };
        const std::string absoluteElsewhere = (root / "outside.jpg").string();
        list.cases.push_back({"1012", nullptr, nullptr, S::Outside});
        Rows rows;
        for (const auto& c : list.cases)
            rows.push_back({c.entryNumber, std::string("员工") + c.entryNumber,
                            c.cell ? c.cell : absoluteElsewhere});
        list.book = (folder / "名单.xlsx").string();
        ASSERT_TRUE(sheet::writeXlsx(list.book, "名单", {"工号", "姓名", "照片"}, rows));
    }

    /// The import window with the photo column (C) chosen.
    void choosePhotos(ImportDialog& d) { d.photoBox()->setCurrentIndex(3); }

    std::map<std::string, std::string> photos() {
        std::map<std::string, std::string> files;
        const fs::path folder = fs::path(dir_.path()) / "照片";
        if (fs::exists(folder))
            for (const auto& entry : fs::directory_iterator(folder))
                files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
    }

    std::string doneWithPhotos(std::size_t entries, int photos) {
        return gbk("新的抽奖名单已导入，共" + std::to_string(entries) + "条；照片" +
                   std::to_string(photos) +
                   "张已放入“照片”文件夹；原来的名单已保存为“抽奖号码库_bak.txt”。\r\n"
                   "抽奖系统将重新启动！");
    }

    PhotoList list;
};

TEST_F(ImportPhotos, EachCellIsFoundOrRefusedAndOnlyFoundOnesAreCopied) {
    PhotoImport check(QString::fromStdString(fs::path(list.book).parent_path().string()));
    for (const auto& c : list.cases) {
        if (!c.cell || !*c.cell) continue;
        EXPECT_EQ(check.state(c.cell), c.state) << c.cell;
    }
    EXPECT_EQ(check.state((fs::path(lists.path()) / "outside.jpg").string()),
              PhotoImport::State::Outside);

    chooseFile(list.book);
    QString shown;
    onDialog([&](ImportDialog& d) {
        EXPECT_EQ(d.photoBox()->currentText(), u("（不导入）"));
        EXPECT_TRUE(d.photosLabel()->isHidden());
        choosePhotos(d);
        EXPECT_EQ(d.photoBox()->currentText(), u("C列：照片"));
        shown = d.photosLabel()->text();
        d.okButton()->click();
    });
    host().expectMessage(doneWithPhotos(list.cases.size(), 4), IdOk);
    trigger();
    EXPECT_EQ(shown,
              u("照片：找到 4 张，缺少 8 张（其中不在名单所在的文件夹里 3 张，超过 48 MB 的 1 张，"
                "不是 JPEG 或 PNG 图片 1 张）"));

    std::map<std::string, std::string> want;
    for (const auto& c : list.cases)
        if (c.copiedAs)
            want[c.copiedAs] =
                c.entryNumber == std::string("1002") ? pngBytes("1002") : jpegBytes(c.entryNumber);
    EXPECT_EQ(photos(), want);
    expectRestart();
}

TEST_F(ImportPhotos, CancelAndAnUnconfirmedNewEventCopyNothing) {
    writeFile(fs::path(dir_.path()) / "照片" / "1001.jpg", "old photo");
    const auto before = photos();
    // 取消 in the import window.
    chooseFile(list.book);
    onDialog([&](ImportDialog& d) {
        choosePhotos(d);
        d.cancelButton()->click();
    });
    trigger();
    EXPECT_EQ(photos(), before);
    expectNoRestart();

    // 确定, but the new event is not confirmed: the old photo stays.
    write("抽奖结果.txt", gbk("001  ------  特等奖\r\n"));
    chooseFile(list.book);
    onDialog([&](ImportDialog& d) {
        choosePhotos(d);
        d.okButton()->click();
    });
    host().expectMessage(newEventQuestion(), IdCancel);
    trigger();
    EXPECT_EQ(photos(), before);
    expectNoRestart();
}

TEST_F(ImportPhotos, AConfirmedImportReplacesPhotosOfTheSameName) {
    const fs::path event = fs::path(dir_.path()) / "照片";
    writeFile(event / "1001.jpg", "old photo");
    writeFile(event / "1002.jpg", "an older photo in another format");
    writeFile(event / "9999.jpg", "someone else's");
    chooseFile(list.book);
    onDialog([&](ImportDialog& d) {
        // The photos the event has already count, with a photo column or without.
        EXPECT_EQ(d.photosLabel()->text(), u("照片：照片文件夹里已有 2 条名单的照片"));
        choosePhotos(d);
        EXPECT_EQ(d.photosLabel()->text(),
                  u("照片：找到 4 张，缺少 8 张（其中不在名单所在的文件夹里 3 张，超过 48 MB 的 1 "
                    "张，不是 JPEG 或 PNG 图片 1 张）；照片文件夹里已有 2 条名单的照片"));
        d.okButton()->click();
    });
    host().expectMessage(doneWithPhotos(list.cases.size(), 4), IdOk);
    trigger();
    const auto after = photos();
    EXPECT_EQ(after.at("1001.jpg"), jpegBytes("1001"));
    // The .jpg would be found before the new .png: it goes.
    EXPECT_EQ(after.count("1002.jpg"), 0u);
    EXPECT_EQ(after.at("1002.png"), pngBytes("1002"));
    EXPECT_EQ(after.at("9999.jpg"), "someone else's");
}

TEST(PhotoImportNames, ThePhotoTakesTheNameTheLookupFinds) {
    struct Case {
        const char* entry;
        bool firstWordShared;
        bool wholeEntryPhotoExists;
        std::string stem;
    };
    const std::string longName(240, 'x');
    const Case cases[] = {
        {"1001 刘伟", false, false, "1001"},
        {"1001 刘伟", true, false, "1001 刘伟"}, // another entry starts with 1001
        {"1001 刘伟", false, true, "1001 刘伟"}, // its whole-entry photo would hide 1001.jpg
        {"刘伟", false, false, "刘伟"},
        {"1001\u3000刘伟", false, false, "1001"}, // a full-width space
        // No file name, and the folder's scan skips hidden files: no photo.
        {"销售/一部 张三", false, false, ""},
        {".hidden 张三", false, false, ""},
        {"../x", false, false, ""},
        {"a/b", false, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PhotoImport::photoStem(c.entry, c.firstWordShared, c.wholeEntryPhotoExists),
                  c.stem)
            << c.entry;
    EXPECT_EQ(PhotoImport::photoStem("1001 " + longName, false, false), "1001");
    EXPECT_EQ(PhotoImport::photoStem(longName, false, false), "");
}

TEST(PhotoImportNames, SharedFirstWordsAndDuplicatesInOneList) {
    TempDir folder;
    writeFile(fs::path(folder.path()) / "a.jpg", jpegBytes("a"));
    writeFile(fs::path(folder.path()) / "b.jpg", jpegBytes("b"));
    EntryList list;
    list.entries = {"1001 张三", "1001 张三", "2001 李四", "2001 王五", "3001"};
    list.photos = {"a.jpg", "b.jpg", "a.jpg", "b.jpg", "a.jpg"};
    PhotoImport photos(QString::fromStdString(folder.path()));
    const auto copies = photos.plan(list, {"3001.PNG"});
    std::vector<std::string> names;
    for (const auto& c : copies)
        names.push_back(c.name + c.ext);
    // The same entry twice keeps its first photo; two people of one first
    // word are named in full.
    EXPECT_EQ(names,
              (std::vector<std::string>{"1001.jpg", "2001 李四.jpg", "2001 王五.jpg", "3001.jpg"}));
    const PhotoImport::Counts counts = photos.count(list);
    EXPECT_EQ(counts.found, 5);
    EXPECT_EQ(counts.missing, 0);
}

class ImportPhotosOfAnEvent : public EventTest {};

TEST_F(ImportPhotosOfAnEvent, TheHallKnowsTheNewPhotosAfterTheImport) {
    writeEvent(5, 5, 2);
    create();
    ASSERT_TRUE(app().start());
    EXPECT_TRUE(app().photos().loader().index().isEmpty());
    selectLevel();
    drawOnce();
    TempDir lists;
    writeFile(fs::path(lists.path()) / "1.jpg", jpegBytes("1"));
    const std::string book = lists.path() + "/list.xlsx";
    ASSERT_TRUE(sheet::writeXlsx(book, "S", {"工号", "姓名", "照片"},
                                 {{"2001", "甲", "1.jpg"}, {"2002", "乙", ""}}));
    host().expectFile(gbk(book));
    onImportWindow(&app().window(), [](ImportDialog& d) {
        d.photoBox()->setCurrentIndex(3);
        EXPECT_EQ(d.photosLabel()->text(), u("照片：找到 1 张，缺少 0 张"));
        d.okButton()->click();
    });
    host().expectMessage(std::nullopt, IdOk, gbk("确定导入新名单？"));
    host().expectMessage(std::nullopt, IdOk);
    app().window().elements().menu.importList->trigger();
    ASSERT_TRUE(host().ended);
    EXPECT_EQ(app().photos().loader().index().find(u("2001 甲")), u("2001.jpg"));
}

} // namespace
} // namespace luckdial::testing
