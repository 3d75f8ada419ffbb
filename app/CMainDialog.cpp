#include "app/CMainDialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTimerEvent>

#include "app/AboutDialog.h"
#include "app/CentredMessageBox.h"
#include "app/CThreadSummary.h"
#include "app/ControlNames.h"
#include "app/ExternalPrograms.h"
#include "app/MainTrayIcon.h"
#include "app/ProgramIcon.h"
#include "app/ScreenText.h"
#include "app/workflow/RestoreLatestBackup.h"
#include "app/workflow/UserTexts.h"
#include "registry/SettingsStore.h"

namespace brindle {

namespace {

constexpr int kTimer1Interval = 1000;
constexpr int kTimer2Interval = 10000;

}  // namespace

CMainDialog::CMainDialog(MainDialogSetup setup, QWidget* parent)
    : CMainSkin(parent),
      m_setup(std::move(setup)),
      m_machine(*m_setup.machine),
      m_session(m_machine, m_setup.workFolder),
      m_settings(m_machine, m_setup.prefixLockFile),
      m_schedule(m_setup.clock),
      m_settingsPanels(*this, m_settingsService, *this, m_setup.programWindowsPath, m_machine.codePage()),
      m_scheduledScans({&m_machine, this, m_setup.openScheduler, m_setup.programPath, m_setup.scheduledOptions,
                        m_setup.workFolder.string()},
                       *this),
      m_tray(*this, [this]() -> QWidget* { return m_summary && m_summary->isOpen() ? &m_summary->window() : nullptr; }),
      m_scanAtStart(m_setup.scanAtStart),
      m_progress([this] { QMetaObject::invokeMethod(this, [this] { OnMainProgress(); }, Qt::QueuedConnection); }),
      m_scanJob(m_session),
      m_repairJob(m_session, [this] { return lockForWriting(); }) {
    setWindowIcon(ProgramIcon());
    connect(&m_tray.icon(), &MainTrayIcon::showRequested, this, [this] {
        if (!m_ending) m_tray.show();
    });
    connect(&m_tray.icon(), &MainTrayIcon::closeRequested, this, [this] { done(QDialog::Accepted); });
}

CMainDialog::~CMainDialog() {
    // A job still running is asked to stop and waited for: a repair cut off by the
    // process's end could leave the registry files half replaced.
    m_session.requestStop();
    joinWorker();
}

bool CMainDialog::OnInitDialog() {
    setWindowTitle(QString::fromLatin1(kProgramCaption));
    m_settingsService.loadSchedule();
    // The skin is read from the built-in resources, or from a folder named on purpose;
    // nothing of it is written to the work folder or the current folder.
    if (!InitialiseFromSkin(m_setup.skinFolder)) return false;

    for (CSubMainSkin* panel : panels()) {
        connect(panel, &CSubMainSkin::panelButton, this,
                [this, panel](const std::string& name) { OnPanelButton(*panel, name); });
        m_settingsPanels.load(*panel);
        m_scheduledScans.fill(*panel);
        // The category boxes start all ticked.
        if (panel->holdsCategories()) OnPanelButton(*panel, control::kButtonAll);
    }
    if (m_settingsService.flag(setting::kAutoScan)) m_scanAtStart = true;
    FillIgnoredList();
    // With the automatic scan off, loading the schedule panel moved the next time on.
    (void)showFailure(m_settingsService.keepChanges());
    // The command line or the "autoscan" setting asked for a scan as soon as the window is built.
    if (m_scanAtStart && !m_scanRunning) ButtonPressed(control::kButtonScan);
    if (!m_scanRunning) ShowSubScreen(control::kPanelMain);
    m_timer1.start(kTimer1Interval, this);
    m_timer2.start(kTimer2Interval, this);
    return true;
}

void CMainDialog::ButtonPressed(const std::string& name) {
    // First: a command may leave the panel whose edit box holds what was typed, or end the window.
    StoreTypedValues();
    if (name == control::kButtonExit) {
        done(QDialog::Accepted);
        return;
    }
    if (name == control::kButtonMinimize) m_tray.minimise();
    if (m_fixRunning) return;

    if (name == control::kButtonMain || name == control::kButtonScan) {
        ShowPage(control::kPanelMain, control::kButtonMain);
        if (name == control::kButtonScan) {
            // One stop for both roads: while the summary window runs its scan, this
            // button stops that scan as it stops its own.
            if (m_summary && m_summary->isOpen()) {
                m_summary->StopScan();
            } else if (!m_scanRunning) {
                StartMainScan();
            } else {
                StopMainScan();
            }
        }
    }
    if (m_scanRunning) return;

    if (name == control::kButtonRemove && m_resultsAvailable) {
        StartMainFix();
        return;
    }
    if (name == control::kButtonAdvsettings) ShowPage(control::kPanelAdvanced, name);
    if (name == control::kButtonIgnored) ShowPage(control::kPanelIgnored, name);
    if (name == control::kButtonAutoscan)
        ShowPage(m_schedule.enabled() ? control::kPanelSchedule : control::kPanelScheduleDisabled, name);
    if (name == control::kButtonAbout) ShowPage(control::kPanelAbout, name);
    // The desktop tells the user itself when it has no browser.
    if (name == control::kButtonSupport) (void)OpenSupportPage();
    if (name == control::kButtonRestore) RestoreLatestBackup();

    // Any command but a scan or a repair forgets the results, and the list with them:
    // "BUTTON_REMOVE" waits for the next scan. Minimising the window and opening the
    // support page change nothing the results describe, and leave them listed.
    if (name != control::kButtonMinimize && name != control::kButtonSupport) ForgetResults();
    if (CSubMainSkin* shown = currentPanel()) shown->update();
}

void CMainDialog::CheckScheduledScan() {
    if (m_schedule.CheckScheduledScan(m_scanRunning) == ScheduledScan::Press) ButtonPressed(control::kButtonScan);
}

void CMainDialog::RestoreLatestBackup() {
    // Asked first, naming the backup: a restore writes over what the registry holds now.
    if (const auto question = RestoreQuestion(m_setup.workFolder); question && !confirm(kProgramCaption, *question))
        return;
    auto locks = lockForWriting();
    if (!locks) {
        // Another writer is at work: nothing is wrong, it is to be tried again later.
        caution(kProgramCaption, locks.error().message());
        return;
    }
    const RestoreLatestReport report = brindle::RestoreLatestBackup(m_machine, m_setup.workFolder);
    const std::string text = RestoreReportText(report);
    switch (report.outcome) {
    case RestoreLatestReport::Outcome::Restored: tell(kProgramCaption, text); break;
    case RestoreLatestReport::Outcome::NoBackup: caution(kProgramCaption, text); break;
    default: warn(kProgramCaption, text);
    }
    saveSettings();
}

Result<WriterLocks> CMainDialog::lockForWriting() const {
    return TakeWriterLocks(m_setup.prefixLockFile, m_setup.workFolder);
}

void CMainDialog::saveSettings() {
    // A job holds the registry: the settings wait for its end, and are kept meanwhile. A
    // refused write is tried again by the timer, and the window's end asks about it.
    if (m_scanRunning || m_fixRunning) return;
    (void)m_settingsService.flush();
}

void CMainDialog::done(int result) {
    if (m_ending) return;
    m_ending = true;
    m_timer1.stop();
    m_timer2.stop();
    m_session.requestStop();
    joinWorker();
    CloseSummaryScan();
    m_scanRunning = false;
    m_fixRunning = false;
    // Whatever the way out (the exit button, the tray's Close), what was typed is kept.
    StoreTypedValues();
    (void)showFailure(m_settingsService.saveScheduleTimes());
    // The user may stop what holds the registry (a running Wine) and try again.
    while (m_settingsService.pending()) {
        const std::string reason = m_settingsService.lastError();
        if (!askRetry(kProgramCaption, std::string(kSettingsNotSavedMessage) + reason)) break;
        (void)m_settingsService.flush();
    }
    m_tray.icon().hide();
    CMainSkin::done(result);
    if (m_loop != nullptr) m_loop->exit();
}

int CMainDialog::exec() {
    // Ended before it was run (a live update started from the settings): nothing to show.
    if (m_ending) return result();
    show();
    QEventLoop loop;
    m_loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    return result();
}

void CMainDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer2.timerId()) {
        CheckScheduledScan();
        // Settings a running Wine kept from the disk get another chance.
        if (m_settingsService.pending()) saveSettings();
        return;
    }
    if (event->timerId() == m_timer1.timerId()) return;
    CMainSkin::timerEvent(event);
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape would end a dialog; this one ends only by its exit commands.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: event->accept(); return;
    default: CMainSkin::keyPressEvent(event);
    }
}

void CMainDialog::closeEvent(QCloseEvent* event) {
    // The window manager's close command is refused as Escape is; the dialog's own end
    // has already hidden the window when it gets here.
    if (!m_ending) event->ignore();
}

void CMainDialog::changeEvent(QEvent* event) {
    // Minimised, the window lives in the tray; without a tray it stays in the task bar.
    // The hide waits for the state change to be over.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && MainTrayIcon::available())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_ending) m_tray.hide();
            },
            Qt::QueuedConnection);
    CMainSkin::changeEvent(event);
}

void CMainDialog::contextMenuEvent(QContextMenuEvent* event) {
    // The window has no caption and so no system menu; its About entry is here.
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromUtf8(kAboutMenuText));
    if (menu.exec(event->globalPos()) == about) {
        AboutDialog dialog(this);
        dialog.exec();
    }
}

bool CMainDialog::confirm(const std::string& caption, const std::string& text) {
    return ShowMessage(this, QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(text),
                       QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void CMainDialog::runDialog(QDialog& dialog) { dialog.exec(); }

bool CMainDialog::ask(const std::string& caption, const std::string& text) {
    return ShowMessage(this, QMessageBox::Question, screenText(caption), screenText(text),
                       QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool CMainDialog::askRetry(const std::string& caption, const std::string& text) {
    return ShowMessage(this, QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(text),
                       QMessageBox::Retry | QMessageBox::Discard, QMessageBox::Retry) == QMessageBox::Retry;
}

QString CMainDialog::screenText(const std::string& ansi) const { return ScreenText(m_machine.codePage(), ansi); }

}  // namespace brindle
