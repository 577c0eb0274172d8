// luckdial-notice MESSAGE: shows the launcher's refusal in a window, since a
// launcher started from the desktop menu has no terminal to print it to.

#include <QApplication>
#include <QMessageBox>
#include <QString>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Luckdial"),
                    argc > 1 ? QString::fromUtf8(argv[1]) : QString(), QMessageBox::NoButton);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return 0;
}
