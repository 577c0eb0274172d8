// Program entry: the host services, the application and the event loop.

#include "app/application.h"
#include "host/qt/qthost.h"

#include <QApplication>

int main(int argc, char** argv) {
    luckdial::prepareQtEnvironment();
    QApplication qtApp(argc, argv);
    luckdial::installChineseDialogs(qtApp);
    luckdial::QtHost host;
    luckdial::Application app(host);
    if (!app.start()) return 0;
    return QApplication::exec();
}
