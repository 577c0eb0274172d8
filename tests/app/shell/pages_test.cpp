// A draw of hundreds through the real application on a fake host: every way
// of asking for the next page turns exactly one page, each page shows the
// next names of the results file in order, the press after the last page
// starts the next draw, and the effect and end sound come once, with the
// first page. A thousand winners in one draw reach every record exactly.

#include "event_fixture.h"

#include "draw/core/drawstate.h"
#include "host/core/hostbase.h"
#include "host/qtext.h"
#include "sheet/sheet.h"
#include "ui/fireworks.h"
#include "ui/resultswindow.h"
#include "ui/winnersview.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextEdit>
#include <QTimer>

#include <set>

namespace luckdial::testing {
namespace {

class Pages : public EventTest {
protected:
    /// An event of poolSize entries whose one level draws perDraw in ten
    /// columns, started on a 1920 x 1080 hall.
    void startEvent(int poolSize, int quota, int perDraw) {
        writeEvent(poolSize, quota, perDraw);
        setItem("zbt", "列1", "10");
        host().screenW = 1920;
        host().screenH = 1080;
        create();
        ASSERT_TRUE(app().start());
        app().window().setWindowState(Qt::WindowNoState);
        app().window().setGeometry(0, 0, 1920, 1080);
        QApplication::processEvents();
        selectLevel();
    }

    MainElements& e() { return app().window().elements(); }
    WinnersView& view() { return *e().winnersView; }

    /// The names the hall shows now, as GBK entries.
    std::vector<std::string> shownNames() {
        std::vector<std::string> out;
        for (const QString& name : view().block().texts)
            out.push_back(gbkOf(name));
        return out;
    }
    std::vector<std::string> resultsNames() { return winnersIn(read("抽奖结果.txt")); }
    int endSounds() const {
        int n = 0;
        for (const auto& m : host_->music)
            if (!m.stop && m.count == 1) ++n;
        return n;
    }
};

enum class Press { SpaceOnWindow, SpaceOnStartButton, ClickOnNames, AutoTurn, PageDown };

struct PressCase {
    const char* name;
    Press press;
    bool lastStartsNextDraw; ///< the press after the last page starts a draw
};
void PrintTo(const PressCase& c, std::ostream* os) {
    *os << c.name;
}

class PressPath : public Pages, public ::testing::WithParamInterface<PressCase> {
protected:
    static constexpr int kTurnMs = 4000;

    /// One press of the case's kind; the automatic turn is the clock
    /// running for up to one page's time.
    void press(Press how) {
        switch (how) {
        case Press::SpaceOnWindow:
        case Press::PageDown: {
            const int key = how == Press::PageDown ? Qt::Key_PageDown : Qt::Key_Space;
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(&app().window(), &down);
            QApplication::sendEvent(&app().window(), &up);
            break;
        }
        case Press::SpaceOnStartButton: {
            // The focused start button takes Space before the window sees it.
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QApplication::sendEvent(e().startButton, &down);
            QApplication::sendEvent(e().startButton, &up);
            break;
        }
        case Press::ClickOnNames: {
            ASSERT_FALSE(view().block().cells.empty());
            const QPoint at = view().mapFromParent(view().block().cells.front().center());
            QMouseEvent down(QEvent::MouseButtonPress, at, view().mapToGlobal(at), Qt::LeftButton,
                             Qt::LeftButton, Qt::NoModifier);
            QMouseEvent up(QEvent::MouseButtonRelease, at, view().mapToGlobal(at), Qt::LeftButton,
                           Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&view(), &down);
            QApplication::sendEvent(&view(), &up);
            break;
        }
        case Press::AutoTurn:
            host().advance(kTurnMs);
            break;
        }
        QApplication::processEvents();
    }
};

TEST_P(PressPath, EachPressTurnsOnePageAndTheLastStartsTheNextDraw) {
    const PressCase c = GetParam();
    startEvent(700, 600, 300);
    ASSERT_FALSE(HasFatalFailure());
    setItem("zbt", "禁用特效", "假");
    e().panel.disableEffects->setChecked(false);
    e().panel.fireworksTime->setText(QStringLiteral("1"));
    e().panel.pageTurn->setText(c.press == Press::AutoTurn ? QString::number(kTurnMs / 1000)
                                                           : QStringLiteral("0"));

    // The effect is watched wherever the draw waits after its winners.
    std::vector<int> fireworksOnPage;
    host().onDelay = [&] {
        if (app().state().drawRunning) {
            e().stopButton->click();
            return;
        }
        if (app().draw().fireworks().isOpen()) fireworksOnPage.push_back(app().draw().shownPage());
    };
    app().draw().startDraw();

    const std::vector<std::string> drawn = resultsNames();
    ASSERT_EQ(drawn.size(), 300u);
    const int pages = app().draw().pageCount();
    ASSERT_GT(pages, 2) << "300 names at the floor must need pages at 1920 x 1080";
    EXPECT_EQ(app().draw().shownPage(), 0);
    EXPECT_EQ(fireworksOnPage, std::vector<int>{0});
    EXPECT_EQ(endSounds(), 1);
    EXPECT_EQ(view().indicatorText(), QStringLiteral("特等奖  第 1/%1 页").arg(pages));

    std::vector<std::string> seen = shownNames();
    for (int page = 1; page < pages; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        // The first automatic turn counts from the end of the draw: the
        // effect's second is part of the first page's time.
        if (c.press == Press::AutoTurn && page == 1) {
            host().advance(kTurnMs - 1000 - 1);
            ASSERT_EQ(app().draw().shownPage(), 0);
        }
        press(c.press);
        ASSERT_EQ(app().draw().shownPage(), page);
        const auto [first, count] = view().shownRange();
        EXPECT_EQ(first, static_cast<int>(seen.size()));
        const std::vector<std::string> names = shownNames();
        EXPECT_EQ(static_cast<int>(names.size()), count);
        seen.insert(seen.end(), names.begin(), names.end());
        EXPECT_EQ(view().indicatorText(),
                  QStringLiteral("特等奖  第 %1/%2 页").arg(page + 1).arg(pages));
    }
    EXPECT_EQ(seen, drawn);
    EXPECT_EQ(app().state().counter(1), 300);
    // Turning pages played nothing and opened no effect again.
    EXPECT_EQ(fireworksOnPage, std::vector<int>{0});
    EXPECT_EQ(endSounds(), 1);

    press(c.press);
    if (c.lastStartsNextDraw) {
        EXPECT_EQ(resultsNames().size(), 600u);
        EXPECT_EQ(app().state().counter(1), 600);
        EXPECT_EQ(app().draw().shownPage(), 0);
        EXPECT_EQ(fireworksOnPage, (std::vector<int>{0, 0}));
        EXPECT_EQ(endSounds(), 2);
    } else {
        EXPECT_EQ(resultsNames().size(), 300u);
        EXPECT_EQ(app().draw().shownPage(), pages - 1);
        EXPECT_EQ(endSounds(), 1);
    }
    // Nothing turns by itself on the last page.
    if (!c.lastStartsNextDraw) {
        host().advance(3 * kTurnMs);
        EXPECT_EQ(app().draw().shownPage(), pages - 1);
    }
    host().onDelay = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Presses, PressPath,
                         ::testing::Values(PressCase{"SpaceOnWindow", Press::SpaceOnWindow, true},
                                           PressCase{"SpaceOnStartButton",
                                                     Press::SpaceOnStartButton, true},
                                           PressCase{"ClickOnNames", Press::ClickOnNames, false},
                                           PressCase{"AutoTurn", Press::AutoTurn, false},
                                           PressCase{"PageDown", Press::PageDown, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pages, AThousandWinnersInOneDrawReachEveryRecordExactly) {
    startEvent(1500, 1000, 1000);
    ASSERT_FALSE(HasFatalFailure());
    drawOnce();

    // The results file: a thousand different entries of the pool, in the
    // order the hall's pages show them.
    const std::vector<std::string> drawn = resultsNames();
    ASSERT_EQ(drawn.size(), 1000u);
    EXPECT_EQ(read("抽奖结果.txt"), app().window().results());
    std::set<std::string> distinct(drawn.begin(), drawn.end());
    EXPECT_EQ(distinct.size(), 1000u);
    for (const std::string& name : drawn) {
        const int number = std::stoi(name);
        EXPECT_TRUE(number >= 1001 && number <= 2500) << name;
    }
    const std::vector<std::string> left = poolEntries();
    ASSERT_EQ(left.size(), 500u);
    for (const std::string& entry : left)
        EXPECT_EQ(distinct.count(entry), 0u) << entry << " was drawn and is still in the pool";
    EXPECT_EQ(app().state().counter(1), 1000);
    EXPECT_EQ(e().progress->caption(), gbk("特等奖 已抽取1000名"));

    std::vector<std::string> hall = shownNames();
    while (app().draw().nextPage()) {
        const std::vector<std::string> page = shownNames();
        hall.insert(hall.end(), page.begin(), page.end());
    }
    EXPECT_EQ(hall, drawn);

    // The results window holds every line.
    bool sawIt = false;
    QTimer::singleShot(0, &app().window(), [&] {
        ResultsWindow* w = app().results().openWindow();
        ASSERT_NE(w, nullptr);
        sawIt = true;
        const QStringList lines =
            w->text()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1000);
        for (int i = 0; i < 1000; ++i)
            EXPECT_EQ(gbkOf(lines[i]),
                      drawn[static_cast<std::size_t>(i)] + "  ------  " + gbk("特等奖"))
                << i;
        app().results().closeResults();
    });
    QTimer::singleShot(5000, &app().window(), [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    app().results().showResults();
    EXPECT_TRUE(sawIt);

    // The exported spreadsheet: a row a winner, numbered, in order.
    const std::string sheetPath = path("抽奖结果.xlsx");
    host().expectSaveFile(sheetPath);
    e().menu.exportSheet->trigger();
    const sheet::Table table = sheet::readSheet(HostBase::nativePath(sheetPath), 0);
    ASSERT_EQ(table.error, sheet::ReadError::None);
    ASSERT_EQ(table.rows.size(), 1001u);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const std::vector<std::string> want{std::to_string(i + 1), drawn[i], "特等奖"};
        EXPECT_EQ(table.rows[i + 1], want) << i;
    }

    // The recovery record brings the whole draw back after a crash.
    const std::string results = app().window().results();
    restart();
    expectRecoveryQuestion(IdYes);
    ASSERT_TRUE(app().start());
    EXPECT_EQ(app().window().results(), results);
    EXPECT_EQ(poolEntries(), left);
    EXPECT_EQ(app().state().counter(1), 1000);
}

} // namespace
} // namespace luckdial::testing
