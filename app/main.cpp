// brindle: the window program.
#include <QApplication>

#include "app/CMainApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    // A hidden window (in the tray) is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return brindle::CMainApp(arguments).InitInstance();
}
