#include "app/application.h"

#include "app/importcommand.h"
#include "app/outcomesaver.h"
#include "app/photocontroller.h"
#include "app/progress.h"
#include "app/recovery.h"
#include "app/reset.h"
#include "app/startup.h"
#include "console/consolecontroller.h"
#include "draw/drawcontroller.h"
#include "host/host.h"
#include "remote/remotecontroller.h"
#include "remote/remotepanel.h"
#include "settings/appearance.h"
#include "settings/grouprulescontroller.h"
#include "settings/settingscontroller.h"
#include "settings/update.h"
#include "ui/elements.h"
#include "ui/layout.h"
#include "ui/mainwindow.h"
#include "ui/resultswindow.h"
#include "ui/textstyles.h"
#include "ui/widgets.h"

#include <QAction>
#include <QObject>

namespace luckdial {

Application::Application(Host& host)
    : host_(host), window_(std::make_unique<MainWindow>()),
      settings_(std::make_unique<SettingsController>(host, *window_, state_)),
      draw_(std::make_unique<DrawController>(host, *window_, state_)),
      layout_(std::make_unique<LayoutController>(host, window_->elements())),
      startup_(std::make_unique<StartupSequence>(host, *window_, state_, *settings_, *layout_)),
      appearance_(std::make_unique<AppearanceController>(host, *window_, &titleFilePath)),
      reset_(std::make_unique<ResetCommand>(host, *window_)),
      import_(std::make_unique<ImportCommand>(host, *window_)),
      update_(std::make_unique<UpdateCheck>(host, *window_)),
      results_(std::make_unique<ResultsController>(host, *window_)),
      styles_(std::make_unique<TextStyleController>(host, window_->elements(), state_)),
      console_(std::make_unique<ConsoleController>(host, *window_, state_, *draw_, *settings_)),
      remote_(std::make_unique<RemoteController>(host, *window_, *draw_, state_)),
      photos_(std::make_unique<PhotoController>(host, *window_)),
      groupRules_(std::make_unique<GroupRulesController>(host, *window_)) {
    QObject::connect(settings_.get(), &SettingsController::effectsSwitched, draw_.get(),
                     [this] { draw_->closeFireworks(); });
    settings_->connectHandlers();
    appearance_->connectHandlers();
    reset_->connectHandlers();
    import_->connectHandlers();
    update_->connectHandlers();
    results_->connectHandlers();
    styles_->connectHandlers();
    draw_->connectHandlers();
    layout_->connectHandlers();
    console_->connectHandlers();
    remote_->connectHandlers();
    // The remote's panel on the operator's console while that is shown.
    console_->lendPanel(QString::fromUtf8("手机遥控"), &remote_->panel());
    QObject::connect(remote_.get(), &RemoteController::panelWanted, console_.get(),
                     [this] { (void)console_->showPanel(&remote_->panel()); });
    photos_->connectHandlers();
    groupRules_->connectHandlers();
    wireMenu();
    wireHotKeys();
    window_->onCloseRequested = [this] { return requestClose(); };
    saver_ = std::make_unique<OutcomeSaver>(host, *window_, state_, *draw_);
    saver_->connectHandlers();
}

Application::~Application() {
    // The window may still ask to close while it is destroyed; nothing is
    // saved then.
    window_->onCloseRequested = nullptr;
}

bool Application::start() {
    console_->prepare();
    if (!startup_->run()) return false;
    photos_->reload();
    if (!window_->isVisible()) window_->show();
    saver_->afterStart();
    return true;
}

bool Application::requestClose() {
    return runCloseSequence(host_, *window_, state_, *layout_, *saver_);
}

void Application::wireMenu() {
    MainElements& e = window_->elements();
    auto popUp = [this] { host_.popUpMenu(window_->elements().menu.menu); };
    QObject::connect(window_.get(), &MainWindow::backgroundRightPressed, window_.get(), popUp);
    for (TransparentLabel* label : {e.mainTitle, e.subTitle, e.winners, e.congrats, e.progress})
        QObject::connect(label, &TransparentLabel::rightPressed, window_.get(), popUp);
    QObject::connect(e.prizePicture, &PictureBox::rightPressed, window_.get(), popUp);
    QObject::connect(e.menu.exit, &QAction::triggered, window_.get(), [this] { requestClose(); });
}

void Application::wireHotKeys() {
    QObject::connect(startup_.get(), &StartupSequence::f1Pressed, startup_.get(),
                     [this] { results_->onF1HotKey(); });
    QObject::connect(startup_.get(), &StartupSequence::switchKeyPressed, startup_.get(),
                     [this] { results_->onSwitchHotKey(); });
}

} // namespace luckdial
