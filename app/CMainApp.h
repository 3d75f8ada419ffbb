// CMainApp: the window program's whole run. It reads the command line, opens the Wine
// prefix the user chose (as brindle-cli does without --prefix: $WINEPREFIX, else
// ~/.wine), runs the main window until it ends and answers the program's exit code.
#pragma once

#include <QStringList>

namespace brindle {

class CMainApp {
public:
    // arguments: the command line without the program's own name.
    explicit CMainApp(QStringList arguments) : m_arguments(std::move(arguments)) {}

    // Needs a QApplication. 0 after a normal exit, 18 when the live update was started,
    // 2 when there is no prefix to work on or the window could not be built.
    int InitInstance();

private:
    QStringList m_arguments;
};

// The scan the command line asks for: exactly the one word "scan" besides the options,
// nothing else, no other spelling.
bool IsScanCommandLine(const QStringList& arguments);

}  // namespace brindle
