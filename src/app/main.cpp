// Program entry: the host services, the application and the event loop.

#include "app/application.h"
#include "host/qt/qthost.h"

#include <QApplication>

int main(int argc, char** argv) {
    luckdial::prepareQtEnvironment();
    QApplication qtApp(argc, argv);
    // Lets the desktop match the window to its menu entry and icon (Wayland has no window class).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.luckdial.luckdial"));
    luckdial::installChineseDialogs(qtApp);
    luckdial::QtHost host;
    luckdial::Application app(host);
    if (!app.start()) return 0;
    return QApplication::exec();
}
