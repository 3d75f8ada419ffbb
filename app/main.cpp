// brindle: the window program.
#include <QApplication>

#include "app/CMainApp.h"
#include "app/ProgramIcon.h"

int main(int argc, char** argv) {
    // The command line as it was typed: QApplication takes its own options (-platform,
    // -style, ...) out of argv, and "brindle -platform xcb scan" must not count as "scan".
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindle"));
    // Every window that sets none, the start's error boxes among them, shows the program's.
    QApplication::setWindowIcon(brindle::ProgramIcon());
    // A hidden window (in the tray) is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    return brindle::CMainApp(arguments).InitInstance();
}
