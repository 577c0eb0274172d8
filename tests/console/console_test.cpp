// The console and the clicker keys on the real application with the fake
// host (one offscreen screen: the console is an ordinary window when asked for).

#include "app/shell/event_fixture.h"

#include "console/consolecontroller.h"
#include "console/cursorhider.h"
#include "console/operatorconsole.h"
#include "host/qt/dialogplacement.h"
#include "host/qtext.h"

#include "remote/remotecontroller.h"
#include "remote/remotepanel.h"
#include "ui/drawnameslist.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTcpServer>
#include <QVBoxLayout>

namespace luckdial::testing {
namespace {

class Console : public EventTest {
protected:
    void SetUp() override {
        EventTest::SetUp();
        writeEvent(20, 10, 2);
        create();
        ASSERT_TRUE(app().start());
        selectLevel();
        // A stop that does not arrive fails the test instead of hanging it.
        app().draw().setFrameLimit(200);
    }
    MainElements& e() { return app().window().elements(); }
    OperatorConsole& console() { return app().console().console(); }

    static void press(QWidget* target, int key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &down);
        // A button clicks when Space comes back up.
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
    }
    /// Starts with one action and stops the scroll with the other.
    void drawWith(const std::function<void()>& start, const std::function<void()>& stop) {
        host().onDelay = [&] {
            if (app().state().drawRunning) stop();
        };
        start();
        host().onDelay = nullptr;
    }
    std::size_t resultLines() { return winnersIn(app().window().results()).size(); }
};

TEST_F(Console, EveryStartAndStopReachesTheSameDrawHandler) {
    app().console().setConsoleShown(true);
    QWidget* hall = &app().window();
    QWidget* desk = &console();
    struct Way {
        const char* what;
        std::function<void()> act;
    };
    const Way starts[] = {
        {"console button", [&] { console().startStopButton()->click(); }},
        {"PageDown on the hall", [&] { press(hall, Qt::Key_PageDown); }},
        {"Right on the console", [&] { press(desk, Qt::Key_Right); }},
        {"Space on the console", [&] { press(desk, Qt::Key_Space); }},
    };
    const Way stops[] = {
        {"Space on the hall's stop button", [&] { press(e().stopButton, Qt::Key_Space); }},
        {"Down on the hall", [&] { press(hall, Qt::Key_Down); }},
        {"console button", [&] { console().startStopButton()->click(); }},
        {"PageDown on the console", [&] { press(desk, Qt::Key_PageDown); }},
    };
    std::size_t lines = 0;
    for (std::size_t i = 0; i < std::size(starts); ++i) {
        drawWith(starts[i].act, stops[i].act);
        lines += 2;
        EXPECT_EQ(resultLines(), lines) << starts[i].what << " / " << stops[i].what;
        EXPECT_FALSE(app().state().drawRunning) << stops[i].what;
    }
    EXPECT_EQ(app().state().counters[0], 8);
    // The console lists the last draw and every result, newest first.
    console().refresh();
    const std::vector<std::string> winners = winnersIn(app().window().results());
    ASSERT_EQ(console().lastDraw()->count(), 2);
    ASSERT_EQ(console().allResults()->count(), 8);
    EXPECT_EQ(console().allResults()->item(0)->data(Qt::UserRole).toString().toStdString(),
              winners.back());
    EXPECT_EQ(console().lastDraw()->item(1)->data(Qt::UserRole).toString().toStdString(),
              winners.back());
}

TEST_F(Console, SlideShowKeysAndTextFieldsDrawNothing) {
    app().console().setConsoleShown(true);
    for (QWidget* target :
         {static_cast<QWidget*>(&app().window()), static_cast<QWidget*>(&console())}) {
        for (int key : {Qt::Key_F5, Qt::Key_Escape, Qt::Key_PageUp, Qt::Key_Left, Qt::Key_Up}) {
            press(target, key);
            EXPECT_FALSE(app().state().drawRunning) << key;
            EXPECT_TRUE(app().window().isVisible()) << key;
        }
    }
    // Typing in a field: PageDown there is the field's own.
    press(e().panel.quota[0], Qt::Key_PageDown);
    press(e().levelCombo->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(resultLines(), 0u);
    EXPECT_EQ(app().state().counters[0], 0);
}

TEST_F(Console, BlackoutAndConsoleKeysToggle) {
    struct Case {
        int key;
        std::function<bool()> state;
    };
    const Case cases[] = {
        {Qt::Key_B, [&] { return app().console().blackedOut(); }},
        {Qt::Key_Period, [&] { return app().console().blackedOut(); }},
        {Qt::Key_F2, [&] { return app().console().consoleShown(); }},
    };
    for (const Case& c : cases) {
        const bool before = c.state();
        press(&app().window(), c.key);
        EXPECT_NE(c.state(), before) << c.key;
        press(&app().window(), c.key);
        EXPECT_EQ(c.state(), before) << c.key;
    }
}

TEST_F(Console, AListedWinnerIsForfeitedThroughTheForfeitQuestion) {
    app().console().setConsoleShown(true);
    drawWith([&] { console().startStopButton()->click(); },
             [&] { console().startStopButton()->click(); });
    console().refresh();
    ASSERT_EQ(console().lastDraw()->count(), 2);
    console().lastDraw()->setCurrentRow(0);
    const std::string who = gbkOf(console().lastDraw()->item(0)->data(Qt::UserRole).toString());
    host().expectInput(gbk("如确定某人放弃领奖，请输入此人名单(或号码),"
                           "然后点【确定】\r\n\r\n否则，请点击【取消】"),
                       who);
    console().forfeitButton()->click();
    EXPECT_NE(app().window().results().find(who + gbk("---放弃领奖）")), std::string::npos);
    EXPECT_EQ(app().state().counters[0], 1);
}

TEST_F(Console, APanelOfAnotherFeatureBecomesATab) {
    // The draw's names and the phone remote are on it from the start.
    EXPECT_FALSE(console().panels()->isHidden());
    const int before = console().panels()->count();
    auto* panel = new QWidget;
    console().addPanel(QStringLiteral("名单"), panel);
    EXPECT_FALSE(console().panels()->isHidden());
    EXPECT_EQ(console().panels()->count(), before + 1);
    EXPECT_EQ(console().panels()->widget(before), panel);
    EXPECT_EQ(console().panels()->tabText(before), QStringLiteral("名单"));
}

TEST_F(Console, ALentPanelGoesBackToItsWindowWhenTheConsoleFolds) {
    QWidget home;
    auto* layout = new QVBoxLayout(&home);
    layout->addWidget(new QLabel(QStringLiteral("上")));
    auto* panel = new QWidget;
    layout->addWidget(panel);
    layout->addWidget(new QLabel(QStringLiteral("下")));
    home.show();
    app().console().lendPanel(QStringLiteral("借用"), panel);
    EXPECT_EQ(panel->parentWidget(), &home) << "the console is folded: the panel stays home";
    EXPECT_FALSE(app().console().showPanel(panel));
    struct Step {
        bool consoleShown;
        bool onConsole;
    };
    for (const Step s :
         {Step{true, true}, Step{false, false}, Step{true, true}, Step{false, false}}) {
        app().console().setConsoleShown(s.consoleShown);
        EXPECT_EQ(panel->window() == &console(), s.onConsole) << s.consoleShown;
        EXPECT_EQ(app().console().showPanel(panel), s.onConsole) << s.consoleShown;
        if (s.onConsole) {
            // Its own window would be left open and empty.
            EXPECT_TRUE(home.isHidden());
            EXPECT_TRUE(console().panels()->currentWidget()->isAncestorOf(panel));
        } else {
            // Back in its place between the two labels.
            EXPECT_EQ(layout->indexOf(panel), 1);
            home.show();
        }
    }
}

TEST_F(Console, TheRemotesPanelAndMenuCommandFollowTheConsole) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    app().remote().panel().setPort(port);
    // On already (at 127.0.0.1): the menu command only shows the panel.
    ASSERT_TRUE(app().remote().switchOn(QHostAddress::LocalHost));
    QWidget* panel = &app().remote().panel();
    QWidget* own = &app().remote().panelWindow();
    struct Step {
        bool consoleShown;
        QWidget* shownIn;
    };
    const Step steps[] = {{false, own}, {true, &console()}, {false, own}};
    for (const Step& s : steps) {
        own->hide();
        app().console().setConsoleShown(s.consoleShown);
        e().menu.remote->trigger();
        EXPECT_EQ(panel->window(), s.shownIn) << s.consoleShown;
        EXPECT_TRUE(s.shownIn->isVisible()) << s.consoleShown;
        EXPECT_EQ(own->isVisible(), s.shownIn == own) << s.consoleShown;
        if (s.shownIn == &console()) {
            EXPECT_TRUE(console().panels()->currentWidget()->isAncestorOf(panel));
        }
    }
    app().remote().switchOff();
}

TEST_F(Console, TheDrawsNamesAreListedOnTheConsole) {
    app().console().setConsoleShown(true);
    drawWith([&] { console().startStopButton()->click(); },
             [&] { console().startStopButton()->click(); });
    DrawNamesList& list = app().console().drawNames();
    list.sync();
    ASSERT_EQ(list.names().size(), 2);
    const std::vector<std::string> winners = winnersIn(app().window().results());
    ASSERT_EQ(winners.size(), 2u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(gbkOf(list.names()[i]), winners[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(list.isShown(0));
    EXPECT_TRUE(list.isShown(1));
}

/// A draw larger than one page of the hall.
class PagedConsole : public EventTest {
protected:
    void SetUp() override {
        EventTest::SetUp();
        writeEvent(700, 600, 300);
        create();
        ASSERT_TRUE(app().start());
        selectLevel();
        app().draw().setFrameLimit(200);
    }
};

TEST_F(PagedConsole, APagesKeyTurnsThePageThenStartsTheNextDraw) {
    app().console().setConsoleShown(true);
    QWidget* hall = &app().window();
    QWidget* desk = &app().console().console();
    host().onDelay = [&] {
        if (app().state().drawRunning) app().window().elements().stopButton->click();
    };
    app().draw().startOrStop();
    ASSERT_EQ(winnersIn(app().window().results()).size(), 300u);
    const int pages = app().draw().pageCount();
    ASSERT_GE(pages, 3) << "the hall is too large for this test";
    struct Press {
        QWidget* target;
        int key;
    };
    const Press presses[] = {{hall, Qt::Key_PageDown}, {desk, Qt::Key_Right}, {hall, Qt::Key_Down}};
    int page = app().draw().shownPage();
    for (const Press& p : presses) {
        if (page + 1 >= pages) break;
        QKeyEvent down(QEvent::KeyPress, p.key, Qt::NoModifier);
        QApplication::sendEvent(p.target, &down);
        EXPECT_EQ(app().draw().shownPage(), page + 1) << p.key;
        EXPECT_EQ(winnersIn(app().window().results()).size(), 300u) << p.key;
        page = app().draw().shownPage();
    }
    while (app().draw().nextPage()) {
    }
    // On the last page the same key is the next draw's start.
    host().onDelay = [&] {
        if (app().state().drawRunning) app().window().elements().stopButton->click();
    };
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(hall, &down);
    host().onDelay = nullptr;
    EXPECT_EQ(winnersIn(app().window().results()).size(), 600u);
}

TEST_F(Console, TheSettingsPanelIsAWindowOfItsOwnWhileTheConsoleShows) {
    QFrame* frame = e().panel.frame;
    app().console().setConsoleShown(true);
    EXPECT_TRUE(frame->isWindow());
    app().console().setConsoleShown(false);
    EXPECT_EQ(frame->parentWidget(), &app().window());
    EXPECT_TRUE(frame->isHidden());
}

TEST_F(Console, TheThumbnailShowsTheHall) {
    app().console().setConsoleShown(true);
    app().window().setBackgroundColour(0x0000FF); // red
    console().updateThumbnail();
    const QImage shown = console().thumbnail()->pixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(Qt::red));
}

TEST(DialogPlacement, DialogsGoCentredOnTheConsoleInsideItsScreen) {
    const QRect screen(1920, 0, 1280, 800);
    const QSize full(1280, 800);
    struct Case {
        QRect anchor;
        QSize size;
        QRect placed;
    };
    const Case cases[] = {
        {{1960, 40, 1200, 720}, {400, 200}, {2360, 300, 400, 200}},
        // Near the screen's edge: pushed back inside it.
        {{2900, 600, 300, 200}, {600, 400}, {2600, 400, 600, 400}},
        // A full-screen page takes the console's whole screen.
        {{1960, 40, 1200, 720}, {1920, 1080}, screen},
        // Larger than the screen: cut to it.
        {{1960, 40, 1200, 720}, {1500, 300}, {1920, 250, 1280, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogPlacement::placeOn(c.anchor, screen, c.size, full), c.placed)
            << c.size.width();
}

TEST(CursorHider, HidesOverTheHallAfterTwoStillSecondsAndReturnsOnMovement) {
    QWidget hall;
    hall.setGeometry(0, 0, 400, 300);
    hall.show();
    CursorHider hider(&hall, 2000);
    const QPoint inside(100, 100);
    struct Step {
        QPoint at;
        int stillMs;
        bool hidden;
    };
    const Step steps[] = {
        {inside, 200, false},      {inside, 1000, false},
        {inside, 1000, true},      {{101, 100}, 200, false}, // moved: back at once
        {{101, 100}, 2000, true},  {{900, 900}, 200, false}, // left the hall
        {{900, 900}, 5000, false},                           // still, but off the hall
    };
    for (const Step& s : steps) {
        hider.look(s.at, s.stillMs);
        EXPECT_EQ(hider.hidden(), s.hidden) << s.at.x() << " " << s.stillMs;
        EXPECT_EQ(QApplication::overrideCursor() != nullptr, s.hidden);
    }
}

} // namespace
} // namespace luckdial::testing
