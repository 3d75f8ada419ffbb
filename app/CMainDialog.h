// CMainDialog: the program's window. The skin makes it (CMainSkin); this class gives
// its buttons their commands, runs the scan and repair jobs, keeps the panels' settings,
// the automatic scan's timer and the tray icon.
//
// Everything the window shows changes on the window's thread. A job reports through a
// progress mailbox and a queued call at its end; it never waits on the window, so the
// window can always stop it and wait for it.
#pragma once

#include <QBasicTimer>
#include <QEventLoop>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CMainSkin.h"
#include "app/ScheduledScans.h"
#include "app/SettingsPanels.h"
#include "app/TrayPresence.h"
#include "app/UserPrompts.h"
#include "app/workflow/FixSelected.h"
#include "app/workflow/InProgramSchedule.h"
#include "app/workflow/ProgressEvents.h"
#include "app/workflow/RepairJob.h"
#include "app/workflow/ScanJob.h"
#include "app/workflow/ScanSession.h"
#include "app/workflow/SettingsKeeper.h"
#include "app/workflow/SettingsService.h"
#include "app/workflow/WriterLocks.h"
#include "platform/Machine.h"
#include "platform/Result.h"
#include "platform/TaskScheduler.h"

namespace brindle {

class CThreadSummary;

// What the window works on and how it started.
struct MainDialogSetup {
    Machine* machine = nullptr;
    // The prefix's data folder: the ignore list, the backups and the snapshot files.
    std::filesystem::path workFolder;
    // A user skin folder named on purpose (--skin); the built-in skin when unset. The
    // skin is never read from, or written to, the current folder or the work folder.
    std::optional<std::filesystem::path> skinFolder;
    // The command line asked for a scan as soon as the window is built.
    bool scanAtStart = false;
    // The prefix's one-writer lock, taken for every job that writes; none for machines
    // that live only in memory.
    std::optional<std::filesystem::path> prefixLockFile;
    // The running program as the machine's Windows names it, for the Run key.
    std::function<Result<std::string>()> programWindowsPath;
    ScheduleClock clock = SystemScheduleClock;
    // The system's task scheduler, for scheduled scans; the real one when unset.
    std::function<std::unique_ptr<TaskScheduler>()> openScheduler;
    // What a scheduled scan runs: this program, with these options before "scan" (the
    // chosen work folder and skin, quoted for the job's command line), in the work folder.
    std::string programPath;
    std::string scheduledOptions;
};

class CMainDialog : public CMainSkin, public UserPrompts {
    Q_OBJECT

public:
    explicit CMainDialog(MainDialogSetup setup, QWidget* parent = nullptr);
    ~CMainDialog() override;

    // Builds the window from the skin, loads the panels' settings, starts the scan the
    // command line or the settings ask for, shows the main panel and starts the timers.
    // False when the skin could not be had (the user was told; the dialog has ended).
    bool OnInitDialog();

    // The main screen's commands, by button name.
    void ButtonPressed(const std::string& name) override;
    // The commands of the panels' buttons.
    void OnPanelButton(CSubMainSkin& panel, const std::string& name);
    // The automatic scan's check, every ten seconds.
    void CheckScheduledScan();

    bool scanRunning() const { return m_scanRunning; }
    bool fixRunning() const { return m_fixRunning; }
    bool resultsAvailable() const { return m_resultsAvailable; }
    // The program's exit code once the dialog has ended: 18 after the live update started.
    int exitCode() const { return m_exitCode; }
    const InProgramSchedule& schedule() const { return m_schedule; }
    // The summary window a panel's scan button opened; null when none is open.
    CThreadSummary* summaryWindow() const { return m_summary.get(); }
    // The tray icon, shown where the desktop has a notification area.
    MainTrayIcon* trayIcon() { return &m_tray.icon(); }

    // Shows the window and runs until the dialog ends (done), as QDialog::exec does but
    // without making the window modal: a modal window would block the tray icon's window
    // and the summary window, which are top-level windows of their own, and hiding it in
    // the tray would end QDialog's loop and with it the program.
    int exec() override;
    // Whether exec() is running; for tests that watch the program go on.
    bool executing() const { return m_loop != nullptr; }
    void done(int result) override;
    void reject() override {}
    void accept() override {}

signals:
    // Once the window shows a job's end; for tests and for whoever waits on it.
    void scanEnded();
    void fixEnded();

protected:
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // What the window's parts ask of the user, as message boxes over the window; tests
    // answer for the user.
    void tell(const std::string& caption, const std::string& text) override { CMainSkin::tell(caption, text); }
    void warn(const std::string& caption, const std::string& text) override { CMainSkin::warn(caption, text); }
    void caution(const std::string& caption, const std::string& text) override { CMainSkin::caution(caption, text); }
    bool ask(const std::string& caption, const std::string& text) override;
    bool askRetry(const std::string& caption, const std::string& text) override;
    bool confirm(const std::string& caption, const std::string& text) override;
    void runDialog(QDialog& dialog) override;
    // The snapshot file the user picks; none when cancelled.
    virtual std::optional<std::string> chooseSnapshotFile();

private:
    // Scan and repair (MainDialogWorkers.cpp).
    void StartMainScan();
    void StopMainScan();
    void ShowScanResults(const ScanResult& result);
    void StartMainFix();
    void ShowFixReport(const FixReport& report);
    void OnMainProgress();
    // The jobs' progress, posted to the window's thread.
    ProgressSink progressSink();
    void joinWorker();
    // Forgotten results leave the screen with them: the results list and the category
    // counts are emptied, so that no list is shown that "Fix selected" would not act on.
    void ForgetResults();

    // Panels (MainDialogPanels.cpp).
    void FillIgnoredList();
    void RemoveTickedIgnored();
    void RestoreFromSnapshot();
    void RunLiveUpdate();
    void StartSummaryScan(CSubMainSkin& panel);
    void CloseSummaryScan();

    // Main-screen commands (CMainDialog.cpp).
    void RestoreLatestBackup();
    void saveSettings();
    // What the user typed into the panels' edit boxes (the backup count, the scan period),
    // stored before a command can leave the panel or end the window; nothing while a job
    // holds the registry.
    void StoreTypedValues();
    // Shows why a setting could not be changed; true when it was.
    bool showFailure(const Status& status);
    // Takes the prefix's and the work folder's one-writer locks for a job that writes;
    // the error names who holds them.
    Result<WriterLocks> lockForWriting() const;

    // Text in the machine's ANSI code page, for the screen.
    QString screenText(const std::string& ansi) const;

    MainDialogSetup m_setup;
    Machine& m_machine;
    ScanSession m_session;
    SettingsKeeper m_settings;
    InProgramSchedule m_schedule;
    SettingsService m_settingsService{m_machine, m_settings, m_schedule};
    SettingsPanels m_settingsPanels;
    ScheduledScans m_scheduledScans;
    TrayPresence m_tray;
    std::unique_ptr<CThreadSummary> m_summary;

    bool m_scanRunning = false;
    bool m_fixRunning = false;
    bool m_resultsAvailable = false;
    bool m_scanAtStart = false;
    bool m_ending = false;
    int m_exitCode = 0;
    int m_resultRowCount = 0;
    // The rows the running repair was handed, for the message at its end.
    ChosenRows m_fixRows;
    CSubMainSkin* m_progressPanel = nullptr;

    // exec()'s loop while it runs.
    QEventLoop* m_loop = nullptr;

    ProgressMailbox m_progress;
    std::optional<ProgressEvent> m_lastProgress;
    QBasicTimer m_timer1;
    QBasicTimer m_timer2;
    // Last, so that they are waited for before what they report to goes.
    ScanJob m_scanJob;
    RepairJob m_repairJob;
};

}  // namespace brindle
