#include "host/qt/qthost.h"

#include "host/qt/dialogplacement.h"
#include "host/qt/dialogs.h"
#include "host/qt/hotkeys.h"
#include "host/qt/music.h"
#include "host/qt/windowops.h"
#include "host/qtext.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace luckdial {

void prepareQtEnvironment() {
    // The FFmpeg back end crashes on machines without an audio device.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

void installChineseDialogs(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
    else
        delete translator; // the dialogs set their own button texts anyway
}

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> onTick) : timer_(new QTimer) {
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, timer_, [tick = std::move(onTick)] {
            if (tick) tick();
        });
    }
    ~QtTimer() override {
        // The owner may destroy the timer from inside its own handler.
        timer_->stop();
        timer_->disconnect();
        timer_->deleteLater();
    }
    void setPeriod(int ms) override {
        period_ = ms > 0 ? ms : 0;
        if (period_ == 0)
            timer_->stop();
        else
            timer_->start(period_);
    }
    int period() const override { return period_; }

private:
    QTimer* timer_;
    int period_ = 0;
};

/// Gives the keyboard back to the window that was active before a dialog.
/// Without a window manager nobody else does: the focus would fall back to
/// the root window and Space or typing would reach no window until a click.
class KeepActiveWindow {
public:
    KeepActiveWindow() : window_(QApplication::activeWindow()) {}
    ~KeepActiveWindow() {
        if (window_ && window_->isVisible() && QApplication::activeWindow() != window_)
            window_->activateWindow();
    }
    KeepActiveWindow(const KeepActiveWindow&) = delete;
    KeepActiveWindow& operator=(const KeepActiveWindow&) = delete;

private:
    QPointer<QWidget> window_;
};

QString lineBreaks(const std::string& gbkText) {
    QString text = qstr(gbkText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

QtHost::QtHost() : QtHost(gbkOf(QCoreApplication::applicationDirPath())) {}

QtHost::QtHost(std::string programDir) : HostBase(std::move(programDir)) {}

QtHost::~QtHost() {
    // The filter goes first: nothing may be placed by a half-destroyed host.
    placement_.reset();
}

QWidget* QtHost::shownAnchor() const {
    return anchor_ && anchor_->isVisible() ? anchor_.data() : nullptr;
}

QWidget* QtHost::dialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    // Over the console rather than over the hall, whichever window is active.
    if (QWidget* anchor = shownAnchor()) return anchor;
    return QApplication::activeWindow();
}

void QtHost::setDialogAnchor(QWidget* anchor) {
    anchor_ = anchor;
    if (anchor && !placement_) placement_ = std::make_unique<DialogPlacement>();
    if (placement_) placement_->setAnchor(anchor);
}

void QtHost::setHallScreen(QScreen* screen) {
    hallScreen_ = screen;
}

QRect QtHost::hallGeometry() const {
    const QScreen* screen = hallScreen_ ? hallScreen_.data() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

// --- time and the event loop ---------------------------------------------------

void QtHost::processEvents() {
    QCoreApplication::processEvents();
}

void QtHost::delay(int ms) {
    if (ms <= 0) return;
    // A nested loop keeps the window live without spinning the processor.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

std::unique_ptr<Timer> QtHost::createTimer(std::function<void()> onTick) {
    return std::make_unique<QtTimer>(std::move(onTick));
}

// --- dialogs -----------------------------------------------------------------------

int QtHost::messageBox(const std::string& text, int style, const std::string& caption) {
    const KeepActiveWindow keep;
    return showMessageBox(dialogParent(), text, style, caption);
}

std::optional<std::string> QtHost::inputBox(const std::string& prompt, const std::string& caption,
                                            const std::string& initial) {
    const KeepActiveWindow keep;
    return showInputBox(dialogParent(), prompt, caption, initial);
}

std::optional<std::string> QtHost::openFileDialog(const std::string& filter,
                                                  const std::string& initial) {
    const KeepActiveWindow keep;
    return showOpenFileDialog(dialogParent(), filter, initial);
}

std::optional<std::string> QtHost::saveFileDialog(const std::string& filter,
                                                  const std::string& initial) {
    const KeepActiveWindow keep;
    return showSaveFileDialog(dialogParent(), filter, initial);
}

std::optional<FontChoice> QtHost::fontDialog(const FontChoice& initial) {
    const KeepActiveWindow keep;
    return showFontDialog(dialogParent(), initial);
}

std::optional<int> QtHost::colourDialog(int initial) {
    const KeepActiveWindow keep;
    return showColourDialog(dialogParent(), initial);
}

void QtHost::popUpMenu(QMenu* menu) {
    if (!menu) return;
    if (QWidget* anchor = shownAnchor()) {
        // A right-click on the hall display opens the menu on the console.
        const QPoint cursor = QCursor::pos();
        const QRect console = anchor->frameGeometry();
        menu->exec(console.contains(cursor) ? cursor : console.center());
        return;
    }
    menu->exec(QCursor::pos());
}

// --- sound ---------------------------------------------------------------------------

void QtHost::playMusic(int count, const std::vector<std::string>& files) {
    if (!music_) music_ = std::make_unique<MusicPlayer>();
    std::vector<QString> paths;
    for (const std::string& file : files)
        paths.push_back(QString::fromUtf8(nativePath(file)));
    music_->play(count, paths);
}

void QtHost::stopMusic() {
    if (music_) music_->stop();
}

bool QtHost::musicActive() const {
    return music_ && music_->active();
}

// --- network and shell -----------------------------------------------------------------

std::string QtHost::fetchDocument(const std::string& url) {
    const QUrl target(qstr(url));
    if (!target.isValid() || target.scheme().isEmpty()) return {};
    if (!network_) network_ = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(target);
    std::unique_ptr<QNetworkReply> reply(network_->get(request));

    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(fetchTimeoutMs);
    // The caller expects a blocking call: no clicks or keys run meanwhile.
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!reply->isFinished()) {
        QObject::disconnect(reply.get(), nullptr, &loop, nullptr);
        reply->abort();
        return {};
    }
    if (reply->error() != QNetworkReply::NoError) return {};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status > 299)) return {};
    const QByteArray body = reply->readAll();
    return std::string(body.constData(), static_cast<std::size_t>(body.size()));
}

namespace {

/// Opens a file with the desktop's viewer for its type. The desktop's opener
/// ends with an error when no viewer is set up, which the plain URL call
/// reports as success: wait a little for its answer. An opener still running
/// then has handed the file to a viewer that runs in its place.
bool openLocalFile(const QString& file) {
    auto* opener = new QProcess(qApp);
    opener->start(QStringLiteral("xdg-open"), {file});
    if (!opener->waitForStarted(5000)) {
        opener->deleteLater();
        return false;
    }
    QEventLoop wait;
    QTimer::singleShot(4000, &wait, &QEventLoop::quit);
    QObject::connect(opener, &QProcess::finished, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (opener->state() != QProcess::NotRunning) {
        QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
        return true;
    }
    const bool opened = opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
    opener->deleteLater();
    return opened;
}

} // namespace

bool QtHost::openWithShell(const std::string& target) {
    if (target.empty()) return false;
    const QString text = qstr(target);
    QUrl url;
    if (text.contains(QStringLiteral("://")) || text.startsWith(QStringLiteral("mailto:")))
        url = QUrl(text);
    else if (text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        url = QUrl::fromUserInput(text);
    else
        return openLocalFile(QString::fromUtf8(nativePath(target)));
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtHost::runProgram(const std::string& commandLine, bool wait) {
    QStringList words = QProcess::splitCommand(qstr(commandLine));
    if (words.isEmpty()) return false;
    QString program = words.takeFirst();
    if (program.contains(QLatin1Char('\\')) || program.contains(QLatin1Char('/')))
        program = QString::fromUtf8(nativePath(gbkOf(program)));
    if (!wait) return QProcess::startDetached(program, words);
    QProcess process;
    process.start(program, words);
    if (!process.waitForStarted(-1)) return false;
    process.waitForFinished(-1);
    return true;
}

// --- window system -------------------------------------------------------------------------

int QtHost::screenWidth() {
    return hallGeometry().width();
}

int QtHost::screenHeight() {
    return hallGeometry().height();
}

int QtHost::screenLeft() {
    return hallGeometry().x();
}

int QtHost::screenTop() {
    return hallGeometry().y();
}

void QtHost::setClipboardText(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(lineBreaks(text));
}

std::string QtHost::executablePath() {
    return gbkOf(QCoreApplication::applicationFilePath());
}

int QtHost::bindHotKey(int modifiers, int virtualKey, std::function<void()> onPress) {
    if (!hotKeys_) hotKeys_ = std::make_unique<X11HotKeys>();
    return hotKeys_->bind(modifiers, virtualKey, std::move(onPress));
}

void QtHost::clipCorners(QWidget* element, int diameter) {
    if (!element) return;
    element->setMask(roundedCornerRegion(element->width(), element->height(), diameter));
    element->update();
}

void QtHost::beginMove(QWidget* element) {
    moveWithMouse(element);
}

void QtHost::bringToFront(QWidget* element) {
    if (element) element->raise();
}

void QtHost::endProgram(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace luckdial
