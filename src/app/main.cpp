// Program entry: the host services, the application and the event loop.

#include "app/application.h"
#include "app/pagelog.h"
#include "host/qt/qthost.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    luckdial::prepareQtEnvironment();
    QApplication qtApp(argc, argv);
    // Lets the desktop match the window to its menu entry and icon (Wayland has no window class).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.luckdial.luckdial"));
    luckdial::installChineseDialogs(qtApp);
    luckdial::QtHost host;
    luckdial::Application app(host);
    // The real-window tests read what the hall showed from this record.
    std::unique_ptr<luckdial::PageLog> pageLog;
    if (qEnvironmentVariableIsSet(luckdial::PageLog::kSwitch))
        pageLog = std::make_unique<luckdial::PageLog>(host, *app.window().elements().winnersView,
                                                      app.state());
    if (!app.start()) return 0;
    return QApplication::exec();
}
