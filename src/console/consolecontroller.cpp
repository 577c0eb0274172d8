#include "console/consolecontroller.h"

#include "console/clickerfilter.h"
#include "console/cursorhider.h"
#include "console/operatorconsole.h"
#include "draw/drawcontroller.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "settings/settingscontroller.h"
#include "ui/drawnameslist.h"
#include "ui/elements.h"
#include "ui/layout.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace luckdial {

namespace {

/// Screens settle for a moment after a cable moves; one look after that.
constexpr int kScreenSettleMs = 300;

} // namespace

ConsoleController::ConsoleController(Host& host, MainWindow& hall, DrawState& state,
                                     DrawController& draw, SettingsController& settings)
    : host_(host), hall_(hall), state_(state), draw_(draw), settings_(settings),
      console_(std::make_unique<OperatorConsole>(host, hall, state, draw)) {
    blackout_ = new QWidget(&hall_);
    blackout_->setObjectName(QStringLiteral("黑屏"));
    blackout_->setAttribute(Qt::WA_OpaquePaintEvent);
    blackout_->setAutoFillBackground(true);
    QPalette black = blackout_->palette();
    black.setColor(QPalette::Window, Qt::black);
    blackout_->setPalette(black);
    blackout_->hide();
    hall_.installEventFilter(this);

    drawNames_ = new DrawNamesList;
    drawNames_->setObjectName(QStringLiteral("控制台_本次名单"));
    if (hall_.elements().winnersView) drawNames_->follow(hall_.elements().winnersView);
    lendPanel(QStringLiteral("本次全部名单"), drawNames_);
}

ConsoleController::~ConsoleController() {
    host_.setDialogAnchor(nullptr);
    host_.setHallScreen(nullptr);
    attachPanel();
}

std::vector<ScreenInfo> ConsoleController::screenInfos() {
    std::vector<ScreenInfo> infos;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* s : QGuiApplication::screens())
        infos.push_back(
            {gbkOf(s->name()), s->geometry().width(), s->geometry().height(), s == primary});
    return infos;
}

QScreen* ConsoleController::chosenHallScreen() const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const std::string config = host_.path(names::kConfigFile);
    const std::optional<std::size_t> i = chooseHallScreen(
        screenInfos(), host_.readItem(config, names::kGeneral, gbk(names::kHallScreenKey)),
        host_.readItem(config, names::kGeneral, gbk(names::kHallScreenSizeKey)));
    return i ? screens[static_cast<qsizetype>(*i)] : nullptr;
}

void ConsoleController::prepare() {
    if (QGuiApplication::screens().size() < 2) return;
    hallScreen_ = chosenHallScreen();
    host_.setHallScreen(hallScreen_);
    setConsoleShown(true);
}

void ConsoleController::connectHandlers() {
    MenuActions& m = hall_.elements().menu;
    connect(m.otherScreen, &QAction::triggered, this, [this] { moveToOtherScreen(); });
    connect(m.toggleConsole, &QAction::triggered, this, [this] { toggleConsole(); });
    connect(console_.get(), &OperatorConsole::otherScreenRequested, this,
            [this] { moveToOtherScreen(); });
    connect(console_.get(), &OperatorConsole::blackoutRequested, this,
            [this] { toggleBlackout(); });

    keys_ = std::make_unique<ClickerFilter>(&hall_, console_.get());
    keys_->onStartStop = [this] { draw_.startOrStop(); };
    keys_->onBlackout = [this] { toggleBlackout(); };
    keys_->onToggleConsole = [this] { toggleConsole(); };
    cursor_ = std::make_unique<CursorHider>(&hall_);

    auto later = [this] {
        QTimer::singleShot(kScreenSettleMs, this, [this] { screensChanged(); });
    };
    connect(qApp, &QGuiApplication::screenAdded, this, later);
    connect(qApp, &QGuiApplication::screenRemoved, this, later);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, later);
    if (QGuiApplication::screens().size() >= 2) updateMenu();
}

bool ConsoleController::consoleShown() const {
    return console_->isVisible();
}

void ConsoleController::toggleConsole() {
    const bool show = !consoleShown();
    consoleHiddenByOperator_ = !show && QGuiApplication::screens().size() >= 2;
    setConsoleShown(show);
}

void ConsoleController::setConsoleShown(bool shown) {
    if (shown) {
        placeConsole();
        console_->show();
        console_->raise();
        host_.setDialogAnchor(console_.get());
        detachPanel();
        takePanels();
    } else {
        host_.setDialogAnchor(nullptr);
        attachPanel();
        returnPanels();
        console_->hide();
    }
}

void ConsoleController::lendPanel(const QString& title, QWidget* panel) {
    if (!panel) return;
    LentPanel lent;
    lent.panel = panel;
    if (QWidget* parent = panel->parentWidget()) {
        if (QLayout* layout = parent->layout(); layout && layout->indexOf(panel) >= 0) {
            lent.home = parent;
            lent.homeLayout = layout;
            lent.homeIndex = layout->indexOf(panel);
        }
    }
    // A tall panel scrolls rather than stretching the console past its screen.
    auto* tab = new QScrollArea;
    tab->setWidgetResizable(true);
    tab->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget;
    page->setObjectName(panel->objectName() + QStringLiteral("_页"));
    (void)new QVBoxLayout(page);
    tab->setWidget(page);
    lent.page = page;
    lent.tab = tab;
    console_->addPanel(title, tab);
    if (!lent.home || consoleShown()) page->layout()->addWidget(panel);
    lent_.push_back(lent);
}

bool ConsoleController::showPanel(QWidget* panel) {
    if (!panel || !consoleShown()) return false;
    for (const LentPanel& lent : lent_) {
        if (lent.panel != panel || !lent.page || panel->parentWidget() != lent.page) continue;
        console_->panels()->setCurrentWidget(lent.tab);
        console_->raise();
        console_->activateWindow();
        return true;
    }
    return false;
}

void ConsoleController::takePanels() {
    for (LentPanel& lent : lent_) {
        if (!lent.panel || !lent.page || lent.panel->parentWidget() == lent.page) continue;
        // The panel's own window would stay open empty (and over the hall).
        if (lent.home && lent.home->isWindow() && lent.home->isVisible()) {
            lent.home->hide();
            console_->panels()->setCurrentWidget(lent.tab);
        }
        lent.page->layout()->addWidget(lent.panel);
        lent.panel->show();
    }
}

void ConsoleController::returnPanels() {
    for (LentPanel& lent : lent_) {
        if (!lent.panel || !lent.home || !lent.homeLayout) continue;
        if (lent.panel->parentWidget() == lent.home) continue;
        // Layouts of boxes take an index; any other layout takes the panel back at its end.
        if (auto* box = qobject_cast<QBoxLayout*>(lent.homeLayout.data()))
            box->insertWidget(std::min(lent.homeIndex, box->count()), lent.panel);
        else
            lent.homeLayout->addWidget(lent.panel);
        lent.panel->show();
    }
}

void ConsoleController::placeConsole() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* target = nullptr;
    const qsizetype hall = screens.indexOf(hallScreen_.data());
    if (hall >= 0) {
        if (const auto i = chooseConsoleScreen(screenInfos(), static_cast<std::size_t>(hall)))
            target = screens[static_cast<qsizetype>(*i)];
    }
    // One screen: an ordinary window over the hall display.
    if (!target) target = QGuiApplication::primaryScreen();
    if (!target) return;
    const QRect area = target->availableGeometry();
    const QSize size(std::min(1180, area.width() - 40), std::min(720, area.height() - 40));
    QRect placed(QPoint(), size);
    placed.moveCenter(area.center());
    console_->setGeometry(placed);
}

void ConsoleController::moveToOtherScreen() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2) return;
    const qsizetype current = std::max<qsizetype>(0, screens.indexOf(hallScreen_.data()));
    QScreen* next = screens[static_cast<qsizetype>(
        nextScreen(static_cast<std::size_t>(screens.size()), static_cast<std::size_t>(current)))];
    const std::string config = host_.path(names::kConfigFile);
    // A choice that cannot be stored still holds until the program ends.
    (void)host_.writeItem(config, names::kGeneral, gbk(names::kHallScreenKey), gbkOf(next->name()));
    (void)host_.writeItem(config, names::kGeneral, gbk(names::kHallScreenSizeKey),
                          screenSizeText(next->geometry().width(), next->geometry().height()));
    moveHallTo(next);
    if (consoleShown()) placeConsole();
}

void ConsoleController::moveHallTo(QScreen* screen) {
    const int oldW = host_.screenWidth();
    const int oldH = host_.screenHeight();
    hallScreen_ = screen;
    host_.setHallScreen(screen);
    const int w = host_.screenWidth();
    const int h = host_.screenHeight();
    MainElements& e = hall_.elements();
    if (e.menu.windowMode->isChecked()) {
        hall_.move(host_.screenLeft() + 10, host_.screenTop() + 10);
        settings_.setWindowMode();
    } else {
        // Full screen is bound to a screen: left, moved, taken again.
        if (hall_.windowState() & Qt::WindowFullScreen)
            hall_.setWindowState(hall_.windowState() & ~Qt::WindowFullScreen);
        settings_.setFullScreen();
    }
    if (oldW <= 0 || oldH <= 0 || (oldW == w && oldH == h)) return;
    // The layout scaled to the new screen, as a start on it would restore it.
    for (QWidget* element :
         std::initializer_list<QWidget*>{e.mainTitle, e.subTitle, e.winners, e.congrats,
                                         e.levelCombo, e.progress, e.levelCaption, e.startButton,
                                         e.stopButton, e.buttonGrip, e.prizePicture, e.prizeName})
        element->move(restoreCoordinate(element->x(), oldW, w),
                      restoreCoordinate(element->y(), oldH, h));
    for (QWidget* wide :
         std::initializer_list<QWidget*>{e.mainTitle, e.subTitle, e.congrats, e.winners})
        wide->resize(w, wide->height());
}

void ConsoleController::screensChanged() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return;
    if (screens.size() < 2) {
        // One screen left: the hall display goes there, the console folds away.
        if (consoleShown()) setConsoleShown(false);
        if (hallScreen_ != screens.front()) moveHallTo(screens.front());
        hallScreen_ = nullptr;
        host_.setHallScreen(nullptr);
        updateMenu();
        return;
    }
    QScreen* hall = chosenHallScreen();
    if (hall && hall != hallScreen_) moveHallTo(hall);
    if (!consoleHiddenByOperator_) {
        setConsoleShown(true);
    }
    updateMenu();
}

void ConsoleController::updateMenu() {
    MenuActions& m = hall_.elements().menu;
    const bool wanted = QGuiApplication::screens().size() >= 2;
    if (wanted == menuHasItems_) return;
    QMenu* size = qobject_cast<QMenu*>(m.fullScreen->parent());
    if (!size) return;
    if (wanted) {
        size->addAction(m.otherScreen);
        size->addAction(m.toggleConsole);
    } else {
        size->removeAction(m.otherScreen);
        size->removeAction(m.toggleConsole);
    }
    menuHasItems_ = wanted;
}

void ConsoleController::toggleBlackout() {
    if (blackout_->isVisible()) {
        blackout_->hide();
        return;
    }
    blackout_->setGeometry(hall_.rect());
    blackout_->show();
    blackout_->raise();
}

bool ConsoleController::blackedOut() const {
    return blackout_->isVisible();
}

void ConsoleController::detachPanel() {
    QFrame* frame = hall_.elements().panel.frame;
    if (panelDetached_ || !frame) return;
    // The settings panel is an element of the hall display; while the console
    // is shown it is a window of its own on the console's screen.
    const bool open = !frame->isHidden();
    panelHome_ = frame->pos();
    frame->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    frame->installEventFilter(this);
    panelDetached_ = true;
    if (open) frame->show();
}

void ConsoleController::attachPanel() {
    QFrame* frame = hall_.elements().panel.frame;
    if (!panelDetached_ || !frame) return;
    const bool open = !frame->isHidden();
    frame->removeEventFilter(this);
    frame->setParent(&hall_, Qt::Widget);
    frame->move(panelHome_);
    panelDetached_ = false;
    if (open) {
        frame->show();
        frame->raise();
    }
}

bool ConsoleController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &hall_ && event->type() == QEvent::Resize && blackout_->isVisible())
        blackout_->setGeometry(hall_.rect());
    QFrame* frame = hall_.elements().panel.frame;
    if (panelDetached_ && watched == frame && event->type() == QEvent::Show) {
        QRect placed(QPoint(), frame->size());
        placed.moveCenter(console_->frameGeometry().center());
        frame->move(placed.topLeft());
        QTimer::singleShot(0, frame, [frame] { frame->activateWindow(); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace luckdial
