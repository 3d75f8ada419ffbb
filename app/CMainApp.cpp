#include "app/CMainApp.h"

#include <QMessageBox>
#include <QTimer>

#include <filesystem>

#include "app/CMainDialog.h"
#include "app/CentredMessageBox.h"
#include "app/WindowCommandLine.h"
#include "app/workflow/EarlierDataNotice.h"
#include "app/workflow/UserTexts.h"
#include "platform/DataFolder.h"
#include "platform/ExclusiveLock.h"
#include "platform/HostToWindowsPath.h"
#include "platform/RunningProcess.h"
#include "platform/WinePrefixLocation.h"
#include "platform/WinePrefixMachine.h"

namespace brindle {

namespace {

constexpr const char* kHowToChoose =
    "\n\nBrindle cleans the Wine prefix named by $WINEPREFIX, or ~/.wine when that is not set. "
    "Start it with WINEPREFIX=/path/to/prefix, or create a prefix first with \"wineboot -i\".";

int RefuseToStart(const std::string& why) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kProgramCaption), QString::fromStdString(why + kHowToChoose));
    return 2;
}

}  // namespace

bool IsScanCommandLine(const QStringList& arguments) {
    return arguments.size() == 1 && arguments.front() == QLatin1String("scan");
}

int CMainApp::InitInstance() {
    const auto options = ParseWindowCommandLine(m_arguments);
    if (!options) return RefuseToStart(options.error().message());
    const auto location = LocateWinePrefix(std::nullopt);
    if (!location) return RefuseToStart(location.error().message());
    const auto data = OpenDataFolder(options.value().workDir, location.value().path);
    if (!data) return RefuseToStart(data.error().message());
    auto opened = WinePrefixMachine::Open(location.value().path);
    if (!opened) return RefuseToStart(opened.error().message());
    const std::unique_ptr<WinePrefixMachine> machine = std::move(opened).value();

    MainDialogSetup setup;
    setup.machine = machine.get();
    setup.workFolder = data.value().path;
    if (options.value().skinFolder) setup.skinFolder = std::filesystem::absolute(*options.value().skinFolder);
    setup.scheduledOptions = ScheduledScanOptions(options.value());
    setup.scanAtStart = IsScanCommandLine(options.value().words);
    setup.prefixLockFile = location.value().path / kPrefixLockFile;
    WinePrefixMachine& prefix = *machine;
    setup.programWindowsPath = [&prefix]() -> Result<std::string> {
        const Result<std::filesystem::path> self = RunningProgramFile();
        if (!self) return self.error();
        return WindowsPathOfHostFile(prefix.drives(), self.value());
    };

    // A scheduled scan runs this program; unknown, the scheduler refuses an empty one.
    if (const auto self = RunningProgramFile()) setup.programPath = self.value().string();
    CMainDialog dialog(std::move(setup));
    if (!dialog.OnInitDialog()) return 2;
    // Told once the window is on screen, so that the message does not stand alone.
    if (const std::string notice = EarlierDataNotice(data.value(), CurrentFolder()); !notice.empty()) {
        QTimer::singleShot(0, &dialog, [&dialog, text = QString::fromStdString(notice)] {
            ShowMessage(&dialog, QMessageBox::Information, QString::fromLatin1(kProgramCaption), text);
        });
    }
    dialog.exec();
    return dialog.exitCode();
}

}  // namespace brindle
