#include "host/qt/dialogs.h"
#include "host/qt/hotkeys.h"
#include "host/qt/qthost.h"
#include "host/qt/windowops.h"
#include "host/qtext.h"

#include "host/core/text.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCursor>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

namespace luckdial {
namespace {

/// Runs action on the first visible top-level T once it is shown (modal
/// dialogs block the test until they close). A dialog still open after
/// five seconds is rejected so a broken test fails instead of hanging.
template <class T> void whenShown(std::function<void(T*)> action) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(w); dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                action(dialog);
                return;
            }
        }
        if (++*tries > 500) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "no dialog was shown";
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
        }
    });
    poll->start(10);
}

QStringList buttonTexts(QMessageBox* box) {
    QStringList texts;
    // The button box lays buttons out by role; the order the user sees is
    // the order of the layout.
    auto* buttonBox = box->findChild<QDialogButtonBox*>();
    QList<QAbstractButton*> buttons = buttonBox->buttons();
    std::sort(buttons.begin(), buttons.end(),
              [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
    for (QAbstractButton* b : buttons)
        texts << b->text();
    return texts;
}

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) return b;
    return nullptr;
}

class QtHostTest : public ::testing::Test {
protected:
    TempDir dir;
    QtHost host{dir.path()};
};

TEST_F(QtHostTest, DelayOfZeroReturnsAtOnceAndDelayLetsTimersFire) {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    host.delay(0);
    host.delay(-1);
    EXPECT_FALSE(fired) << "delay(0) must not process events";
    EXPECT_LT(clock.elapsed(), 20);

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    clock.restart();
    host.delay(50);
    const qint64 elapsed = clock.elapsed();
    EXPECT_TRUE(fired);
    EXPECT_GE(elapsed, 50);
    EXPECT_LT(elapsed, 1000);
    EXPECT_GE(ticks, 2);
}

TEST_F(QtHostTest, TimersTickByTheirPeriodAndStopAtZero) {
    int ticks = 0;
    auto timer = host.createTimer([&] { ++ticks; });
    EXPECT_EQ(timer->period(), 0);
    host.delay(60);
    EXPECT_EQ(ticks, 0) << "a new timer does not run";

    timer->setPeriod(20);
    EXPECT_EQ(timer->period(), 20);
    host.delay(210);
    EXPECT_GE(ticks, 5);
    EXPECT_LE(ticks, 11);

    timer->setPeriod(0);
    EXPECT_EQ(timer->period(), 0);
    const int stoppedAt = ticks;
    host.delay(80);
    EXPECT_EQ(ticks, stoppedAt);

    timer->setPeriod(-5);
    EXPECT_EQ(timer->period(), 0);

    // A handler may destroy its own timer.
    std::unique_ptr<Timer> self;
    int selfTicks = 0;
    self = host.createTimer([&] {
        ++selfTicks;
        self.reset();
    });
    self->setPeriod(5);
    host.delay(60);
    EXPECT_EQ(selfTicks, 1);
    EXPECT_EQ(self, nullptr);
}

TEST_F(QtHostTest, HotKeysAreRefusedWithoutAnX11Connection) {
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) GTEST_SKIP();
    bool pressed = false;
    EXPECT_EQ(host.bindHotKey(0, 0x70, [&] { pressed = true; }), 0);
    EXPECT_EQ(host.bindHotKey(2 | 4, 0x4B, [&] { pressed = true; }), 0);
    EXPECT_FALSE(pressed);
}

TEST(KeysymTest, VirtualKeysMapToX11Keysyms) {
    EXPECT_EQ(X11HotKeys::keysymOf(0x70), 0xffbeu); // F1
    EXPECT_EQ(X11HotKeys::keysymOf(0x7B), 0xffc9u); // F12
    EXPECT_EQ(X11HotKeys::keysymOf(0x4B), static_cast<unsigned>('k'));
    EXPECT_EQ(X11HotKeys::keysymOf('7'), static_cast<unsigned>('7'));
    EXPECT_EQ(X11HotKeys::keysymOf(0x20), 0x20u);
    EXPECT_EQ(X11HotKeys::keysymOf(0xFF), 0u);
}

TEST(RoundedCornersTest, RegionCoversOnePixelBeyondTheSizeWithoutTheCorners) {
    const QRegion r = roundedCornerRegion(100, 40, 22);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 101, 41));
    for (const QPoint& inside : {QPoint(50, 20), QPoint(0, 20), QPoint(100, 20), QPoint(50, 0),
                                 QPoint(50, 40), QPoint(11, 11), QPoint(89, 29)})
        EXPECT_TRUE(r.contains(inside)) << inside.x() << "," << inside.y();
    for (const QPoint& outside : {QPoint(0, 0), QPoint(100, 0), QPoint(0, 40), QPoint(100, 40),
                                  QPoint(2, 2), QPoint(98, 38), QPoint(101, 20)})
        EXPECT_FALSE(r.contains(outside)) << outside.x() << "," << outside.y();
    // Corners are mirror images of each other.
    for (int y = 0; y <= 40; ++y) {
        for (int x = 0; x <= 100; ++x) {
            ASSERT_EQ(r.contains(QPoint(x, y)), r.contains(QPoint(100 - x, y))) << x << "," << y;
            ASSERT_EQ(r.contains(QPoint(x, y)), r.contains(QPoint(x, 40 - y))) << x << "," << y;
        }
    }

    EXPECT_EQ(roundedCornerRegion(30, 10, 0), QRegion(0, 0, 31, 11));
    // A diameter larger than the element is clamped: still no corner pixel.
    const QRegion big = roundedCornerRegion(30, 10, 200);
    EXPECT_FALSE(big.contains(QPoint(0, 0)));
    EXPECT_TRUE(big.contains(QPoint(15, 5)));
}

TEST_F(QtHostTest, ClipCornersMasksTheElement) {
    QWidget parent;
    QWidget button(&parent);
    button.setGeometry(10, 10, 120, 50);
    host.clipCorners(&button, 22);
    const QRegion mask = button.mask();
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(60, 25)));
    EXPECT_EQ(mask, roundedCornerRegion(120, 50, 22));
}

TEST(FileFilterTest, WindowsPairsBecomeQtFilters) {
    EXPECT_EQ(qtFileFilter(gbk("图形文件(*.jpg)|*.jpg")), QStringLiteral("图形文件(*.jpg)"));
    EXPECT_EQ(qtFileFilter(gbk("图片|*.jpg;*.bmp|所有文件|*.*")),
              QStringLiteral("图片 (*.jpg *.bmp);;所有文件 (*.*)"));
    EXPECT_EQ(qtFileFilter(gbk("图片(*.jpg;*.png)|*.jpg;*.png")),
              QStringLiteral("图片(*.jpg *.png)"));
    EXPECT_EQ(qtFileFilter(gbk("文本(txt)|*.txt")), QStringLiteral("文本(txt) (*.txt)"));
    EXPECT_EQ(qtFileFilter(gbk("只有描述")), QStringLiteral("只有描述 (*)"));
    EXPECT_EQ(qtFileFilter(""), QString());
}

struct BoxCase {
    int style;
    QStringList texts;
    QMessageBox::Icon icon;
    int escapeResult;
};

TEST_F(QtHostTest, MessageBoxButtonsIconsAndResults) {
    const std::vector<BoxCase> cases = {
        {MbOk, {QStringLiteral("确定")}, QMessageBox::NoIcon, IdOk},
        {MbOkCancel | MbIconWarning,
         {QStringLiteral("确定"), QStringLiteral("取消")},
         QMessageBox::Warning,
         IdCancel},
        {MbYesNoCancel | MbIconQuestion,
         {QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("取消")},
         QMessageBox::Question,
         IdCancel},
        {MbYesNo | MbIconInformation,
         {QStringLiteral("是"), QStringLiteral("否")},
         QMessageBox::Information,
         IdNo},
        {MbOk | MbIconError, {QStringLiteral("确定")}, QMessageBox::Critical, IdOk},
    };
    const std::map<QString, int> results = {{QStringLiteral("确定"), IdOk},
                                            {QStringLiteral("取消"), IdCancel},
                                            {QStringLiteral("是"), IdYes},
                                            {QStringLiteral("否"), IdNo}};
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.style);
        // Each button answers its own code.
        for (const QString& text : c.texts) {
            QStringList seen;
            QString title;
            QString shownText;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QString defaultText;
            whenShown<QMessageBox>([&](QMessageBox* box) {
                seen = buttonTexts(box);
                title = box->windowTitle();
                shownText = box->text();
                icon = box->icon();
                defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
                buttonWithText(box, text)->click();
            });
            EXPECT_EQ(host.messageBox(gbk("第一行\r\n第二行"), c.style), results.at(text));
            EXPECT_EQ(seen, c.texts);
            EXPECT_EQ(title, QStringLiteral("信息："));
            EXPECT_EQ(shownText, QStringLiteral("第一行\n第二行"));
            EXPECT_EQ(icon, c.icon);
            EXPECT_EQ(defaultText, c.texts.front()) << "the first button is the default";
        }
        // Return answers the default button; Escape and the title bar close
        // answer Cancel where there is one, else the only or the No answer.
        whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        EXPECT_EQ(host.messageBox("x", c.style), results.at(c.texts.front()));
        whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(host.messageBox("x", c.style), c.escapeResult);
        whenShown<QMessageBox>([](QMessageBox* box) { box->close(); });
        EXPECT_EQ(host.messageBox("x", c.style), c.escapeResult);
    }
}

TEST_F(QtHostTest, MessageBoxCaptionAndPlainText) {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(host.messageBox(gbk("<b>张三</b>"), MbOk, gbk("抽奖号码库文件不存在")), IdOk);
    EXPECT_EQ(title, QStringLiteral("抽奖号码库文件不存在"));
    EXPECT_EQ(text, QStringLiteral("<b>张三</b>"));
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(QtHostTest, InputBoxReturnsTheTextOrNothing) {
    QString label;
    QString initial;
    whenShown<QInputDialog>([&](QInputDialog* d) {
        label = d->labelText();
        initial = d->textValue();
        d->setTextValue(QStringLiteral("新密码"));
        d->accept();
    });
    EXPECT_EQ(host.inputBox(gbk("请输入\r\n密码"), gbk("密码"), gbk("旧")), gbk("新密码"));
    EXPECT_EQ(label, QStringLiteral("请输入\n密码"));
    EXPECT_EQ(initial, QStringLiteral("旧"));

    QString okText;
    whenShown<QInputDialog>([&](QInputDialog* d) {
        okText = d->okButtonText();
        d->reject();
    });
    EXPECT_EQ(host.inputBox("p", "c", "i"), std::nullopt);
    EXPECT_EQ(okText, QStringLiteral("确定"));
}

/// An installed family with a bold style, for driving the font dialog.
QString boldFamily() {
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::styles(family).contains(QStringLiteral("Bold"))) return family;
    return {};
}

TEST_F(QtHostTest, FontDialogReturnsFontAndColour) {
    const QString family = boldFamily();
    if (family.isEmpty()) GTEST_SKIP() << "no font with a bold style installed";
    const FontChoice initial{FontValue{gbk("宋体"), 12, false, false, false, true, 900}, 255};

    // Confirmed as shown: the stored face name (not installed here) survives.
    whenShown<QDialog>([](QDialog* d) { d->accept(); });
    auto chosen = host.fontDialog(initial);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->font.face, gbk("宋体"));
    EXPECT_EQ(chosen->font.size, 12);
    EXPECT_TRUE(chosen->font.strikeOut);
    EXPECT_FALSE(chosen->font.underline);
    EXPECT_EQ(chosen->font.angle, 900);
    EXPECT_EQ(chosen->colour, 255);

    whenShown<QDialog>([family](QDialog* d) {
        auto* fonts = d->findChild<QFontDialog*>();
        ASSERT_NE(fonts, nullptr);
        QFont f(family, 28);
        f.setBold(true);
        f.setUnderline(true);
        fonts->setCurrentFont(f);
        whenShown<QColorDialog>([d](QColorDialog* c) {
            c->setCurrentColor(QColor(1, 2, 3));
            c->accept();
            QTimer::singleShot(0, d, [d] { d->accept(); });
        });
        d->findChild<QPushButton*>(QStringLiteral("colourButton"))->click();
    });
    chosen = host.fontDialog(initial);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->font.face, gbkOf(family));
    EXPECT_EQ(chosen->font.size, 28);
    EXPECT_TRUE(chosen->font.bold);
    EXPECT_TRUE(chosen->font.underline);
    EXPECT_FALSE(chosen->font.strikeOut);
    EXPECT_EQ(chosen->font.angle, 900);
    EXPECT_EQ(chosen->colour, 1 + 2 * 256 + 3 * 65536);

    whenShown<QDialog>([](QDialog* d) { d->reject(); });
    EXPECT_EQ(host.fontDialog(initial), std::nullopt);
}

TEST_F(QtHostTest, ColourDialogUsesColourValues) {
    QColor shown;
    whenShown<QColorDialog>([&](QColorDialog* c) {
        shown = c->currentColor();
        c->setCurrentColor(QColor(0x10, 0x20, 0x30));
        c->accept();
    });
    EXPECT_EQ(host.colourDialog(0xFF + 0x80 * 256), 0x10 + 0x20 * 256 + 0x30 * 65536);
    EXPECT_EQ(shown, QColor(0xFF, 0x80, 0));
}

TEST_F(QtHostTest, SaveDialogProposesThePathAndReturnsTheChoice) {
    // GBK in, GBK out; the dialog shows the proposed name in its folder.
    const std::string proposed = host.path(gbk("抽奖结果.xlsx"));
    QStringList shown;
    QString shownFilter;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        shown = d->selectedFiles();
        shownFilter = d->selectedNameFilter();
        // accept() is protected in QFileDialog; the base class's slot is the button's.
        static_cast<QDialog*>(d)->accept();
    });
    const std::optional<std::string> chosen =
        host.saveFileDialog(gbk("Excel 工作簿|*.xlsx"), proposed);
    ASSERT_TRUE(chosen);
    // The dialog gives "/" where the program's path had "\\".
    EXPECT_EQ(HostBase::nativePath(*chosen), HostBase::nativePath(proposed));
    EXPECT_EQ(shown, QStringList{QString::fromUtf8(HostBase::nativePath(proposed))});
    EXPECT_EQ(shownFilter, QStringLiteral("Excel 工作簿 (*.xlsx)"));

    whenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(host.saveFileDialog({}, proposed), std::nullopt);
}

/// A one-connection HTTP server answering every request with response, or
/// never answering when response is empty.
class TinyServer {
public:
    explicit TinyServer(QByteArray response) : response_(std::move(response)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n") || response_.isEmpty()) return;
                socket->write(response_);
                socket->disconnectFromHost();
            });
        });
    }
    std::string url(const char* path) const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }
    QByteArray request_;

private:
    QTcpServer server_;
    QByteArray response_;
};

TEST_F(QtHostTest, FetchDocumentReturnsTheBodyOfASuccessfulGet) {
    const QByteArray body("4.95\r\n\xd6\xd0\x00z", 9);
    TinyServer ok("HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\n" + body);
    EXPECT_EQ(host.fetchDocument(ok.url("/ver.txt")), std::string(body.constData(), 9));
    EXPECT_TRUE(ok.request_.startsWith("GET /ver.txt HTTP/1.1"));

    TinyServer missing(
        "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\nConnection: close\r\n\r\nno!");
    EXPECT_EQ(host.fetchDocument(missing.url("/x")), "");

    EXPECT_EQ(host.fetchDocument(""), "");
    EXPECT_EQ(host.fetchDocument("not a url"), "");
}

TEST_F(QtHostTest, FetchDocumentGivesUpAfterItsTimeOut) {
    TinyServer silent{QByteArray()};
    host.fetchTimeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(host.fetchDocument(silent.url("/")), "");
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST_F(QtHostTest, MusicWithNothingToPlayIsSilentAndInactive) {
    prepareQtEnvironment(); // before the first use of the sound system, as main does
    host.playMusic(-1, {dir.path() + "\\wav\\bjyy.mp3"});
    EXPECT_FALSE(host.musicActive()) << "a missing file plays nothing";
    std::filesystem::create_directory(dir.path() + "/wav");
    { std::ofstream(dir.path() + "/wav/a.mp3") << "not really music"; }
    host.playMusic(0, {dir.path() + "\\wav\\a.mp3"});
    EXPECT_FALSE(host.musicActive());
    host.playMusic(-2, {dir.path() + "\\wav\\a.mp3"});
    EXPECT_FALSE(host.musicActive());
    // A file that is no music: whatever the sound system says, it ends by
    // itself instead of retrying for ever, and never blocks.
    QElapsedTimer clock;
    clock.start();
    host.playMusic(-1, {dir.path() + "\\wav\\a.mp3"});
    for (int i = 0; i < 300 && host.musicActive(); ++i)
        host.delay(10);
    EXPECT_FALSE(host.musicActive());
    host.stopMusic();
    EXPECT_FALSE(host.musicActive());
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(QtHostTest, RunProgramWaitsOnlyWhenAsked) {
    const std::string marker = dir.path() + "/ran.txt";
    EXPECT_TRUE(host.runProgram("/bin/sh -c \"echo x > '" + marker + "'\"", true));
    EXPECT_TRUE(std::filesystem::exists(marker)) << "a waited-for program has finished";
    EXPECT_FALSE(host.runProgram(dir.path() + "/no-such-program", true));
    EXPECT_FALSE(host.runProgram(dir.path() + "/no-such-program", false));
    EXPECT_FALSE(host.runProgram("", false));
    EXPECT_TRUE(host.runProgram("/bin/true", false));
}

TEST_F(QtHostTest, PathsAndScreen) {
    QtHost defaults;
    EXPECT_EQ(defaults.programDir(), gbkOf(QCoreApplication::applicationDirPath()));
    EXPECT_EQ(host.programDir(), dir.path());
    EXPECT_EQ(QFileInfo(qstr(host.executablePath())).fileName(), QStringLiteral("qthost_test"));
    EXPECT_GT(host.screenWidth(), 0);
    EXPECT_GT(host.screenHeight(), 0);
}

TEST_F(QtHostTest, BeginMoveFollowsTheMouseUntilRelease) {
    QWidget window;
    window.resize(400, 300);
    QWidget label(&window);
    label.setGeometry(50, 60, 80, 20);
    window.show();
    const QPoint start = QCursor::pos();
    QTimer::singleShot(10, [&] {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(start + QPoint(30, 7)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &move);
        QMouseEvent further(QEvent::MouseMove, QPointF(5, 5), QPointF(start + QPoint(-20, 40)),
                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &further);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            QPointF(start + QPoint(-20, 40)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&label, &release);
    });
    host.beginMove(&label);
    EXPECT_EQ(label.pos(), QPoint(30, 100));

    // A move event without the button means the release was missed: stop.
    QTimer::singleShot(10, [&] {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(start + QPoint(100, 100)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&label, &move);
    });
    host.beginMove(&label);
    EXPECT_EQ(label.pos(), QPoint(30, 100));
}

/// Waits (live) until done is true or two seconds have passed.
bool waitFor(QtHost& host, const bool& done) {
    for (int i = 0; i < 200 && !done; ++i)
        host.delay(10);
    return done;
}

bool pressKeys(const char* keys) {
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("key"), QString::fromUtf8(keys)}) == 0;
}

// Runs on a real X server only (the test is also registered under Xvfb).
TEST_F(QtHostTest, X11HotKeysGrabAndDeliverSystemWide) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs X11";
    bool f1 = false;
    bool k = false;
    const int idF1 = host.bindHotKey(0, 0x70, [&] { f1 = true; });
    const int idK = host.bindHotKey(2 | 4, 0x4B, [&] { k = true; });
    EXPECT_GT(idF1, 0);
    EXPECT_GT(idK, 0);
    EXPECT_NE(idF1, idK);

    ASSERT_TRUE(pressKeys("F1"));
    EXPECT_TRUE(waitFor(host, f1));
    EXPECT_FALSE(k);
    f1 = false;
    ASSERT_TRUE(pressKeys("k")); // without Ctrl+Shift: not ours
    ASSERT_TRUE(pressKeys("ctrl+shift+k"));
    EXPECT_TRUE(waitFor(host, k));
    EXPECT_FALSE(f1);

    // Caps Lock on: still delivered.
    f1 = false;
    ASSERT_TRUE(pressKeys("Caps_Lock"));
    ASSERT_TRUE(pressKeys("F1"));
    EXPECT_TRUE(waitFor(host, f1));
    ASSERT_TRUE(pressKeys("Caps_Lock"));

    // A key another client holds is refused.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const std::uint32_t f2 = X11HotKeys::keysymOf(0x71);
    ASSERT_NE(f2, 0u);
    // Find F2's key code the simple way: grab every code that could be it.
    const xcb_setup_t* setup = xcb_get_setup(other);
    auto* map = xcb_get_keyboard_mapping_reply(
        other,
        xcb_get_keyboard_mapping(
            other, setup->min_keycode,
            static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        nullptr);
    ASSERT_NE(map, nullptr);
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    int code = 0;
    for (int i = 0; i < xcb_get_keyboard_mapping_keysyms_length(map) && !code; ++i)
        if (syms[i] == f2) code = setup->min_keycode + i / map->keysyms_per_keycode;
    std::free(map);
    ASSERT_NE(code, 0);
    xcb_void_cookie_t grab =
        xcb_grab_key_checked(other, 1, root, 0, static_cast<xcb_keycode_t>(code),
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other, grab), nullptr);
    EXPECT_EQ(host.bindHotKey(0, 0x71, [] {}), 0);
    xcb_disconnect(other);
}

TEST_F(QtHostTest, ChineseTranslationsReachStandardButtons) {
    installChineseDialogs(*qApp);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                         QDialogButtonBox::No);
    EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text().remove(QLatin1Char('&')),
              QStringLiteral("确定"));
    EXPECT_TRUE(box.button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")));
    EXPECT_TRUE(box.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("否")));
}

TEST_F(QtHostTest, PopUpMenuRunsTheChosenAction) {
    QMenu menu;
    menu.addAction(QStringLiteral("甲"));
    QAction* second = menu.addAction(QStringLiteral("乙"));
    bool triggered = false;
    QObject::connect(second, &QAction::triggered, [&] { triggered = true; });
    whenShown<QMenu>([second](QMenu* m) {
        m->setActiveAction(second);
        QTest::keyClick(m, Qt::Key_Return);
    });
    host.popUpMenu(&menu);
    EXPECT_TRUE(triggered);
    EXPECT_FALSE(menu.isVisible());
    host.popUpMenu(nullptr); // nothing to show
}

TEST_F(QtHostTest, ClipboardAndStackingOrder) {
    host.setClipboardText(gbk("一\r\n二"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("一\n二"));

    QWidget parent;
    QWidget a(&parent);
    QWidget b(&parent);
    ASSERT_EQ(parent.children().last(), &b);
    host.bringToFront(&a);
    EXPECT_EQ(parent.children().last(), &a);
    host.bringToFront(nullptr);
}

TEST(QtHostDeathTest, EndProgramFlushesAndExitsWithTheCode) {
    // Forked, so that the child writes into this test's directory.
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir dir;
    const std::string file = dir.path() + "/out.txt";
    EXPECT_EXIT(
        {
            QtHost host(dir.path());
            FILE* out = std::fopen(file.c_str(), "w");
            std::fputs("buffered", out); // not yet written
            host.endProgram(3);
        },
        ::testing::ExitedWithCode(3), "");
    std::ifstream in(file);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "buffered");
}

} // namespace
} // namespace luckdial
