#include "app/CThreadSummary.h"

#include <QEvent>
#include <QKeyEvent>

#include "app/ScreenText.h"
#include "app/workflow/GuardedJob.h"
#include "app/workflow/SnapshotName.h"
#include "app/workflow/SummaryFix.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

CThreadSummary::CThreadSummary(SummarySetup setup, QObject* parent)
    : QObject(parent),
      m_setup(std::move(setup)),
      m_session(*m_setup.machine, m_setup.workFolder),
      m_window(m_setup.owner),
      m_progress([this] { QMetaObject::invokeMethod(this, [this] { OnSummaryProgress(); }, Qt::QueuedConnection); }) {
    // A dialog of its owner: the window manager keeps it above the owner, and it is no
    // window of its own in the task bar.
    m_window.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_window.setWindowTitle(QString::fromLatin1(kProgramCaption));
    m_window.installEventFilter(this);
    connect(&m_window, &Summary::summaryButton, this, &CThreadSummary::OnButton);
    m_session.progress = [this](const ProgressEvent& event) { m_progress.post(event); };
    for (ScanCategory category : m_setup.categories) m_session.categories.setState(category, ScanSelection::kSelected);
}

CThreadSummary::~CThreadSummary() {
    m_session.requestStop();
    joinWorker();
}

void CThreadSummary::InitInstance() {
    m_window.ShowErrorScanScreen(*m_setup.skin, m_setup.skinFolder);
    m_stage = Stage::Scanning;
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    m_session.clearStop();
    m_worker = std::thread([this] {
        auto result = std::make_shared<ScanResult>();
        const auto failure = RunGuarded("The scan", [&] { *result = m_session.RunScan(); });
        QMetaObject::invokeMethod(
            this, [this, result, failure] { OnScanFinished(*result, failure); }, Qt::QueuedConnection);
    });
}

void CThreadSummary::OnButton(const std::string& name) {
    if (name == "BUTTON_STOPSCAN") StopScan();
    if (name == "BUTTON_FIXERROR") StartFix();
    if (name == "BUTTON_CANCEL" || name == "BUTTON_OK") Close();
}

void CThreadSummary::StopScan() {
    if (m_stage == Stage::Scanning) m_session.requestStop();
}

bool CThreadSummary::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window) {
        const bool escape =
            event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        // QDialog would answer both with reject(), which hides the window and nothing else:
        // the scan would go on unseen and the main window would wait for it for ever.
        if (escape || event->type() == QEvent::Close) {
            event->ignore();
            OnCloseRequest();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CThreadSummary::OnCloseRequest() {
    // The repair's screen has no button: it ends by itself, on the fix-complete screen.
    if (m_stage == Stage::Fixing) return;
    Close();
}

void CThreadSummary::StartFix() {
    if (m_stage != Stage::ScanComplete || m_worker.joinable()) return;
    m_stage = Stage::Fixing;
    m_window.Enable("BUTTON_FIXERROR", false);
    m_window.ShowErrorFixingScreen(*m_setup.skin, m_setup.skinFolder);
    m_session.clearStop();
    m_worker = std::thread([this] {
        auto report = std::make_shared<FixReport>();
        std::optional<std::string> failure;
        auto locks = m_setup.lockForWriting ? m_setup.lockForWriting() : Result<WriterLocks>(WriterLocks());
        if (!locks) {
            report->fail(FixOutcome::Failed, locks.error().message());
        } else {
            failure = RunGuarded("The repair", [&] {
                *report = SummaryFix(m_session, FreeSnapshotFileName(SnapshotFileNameNow()));
            });
        }
        QMetaObject::invokeMethod(
            this, [this, report, failure] { OnFixFinished(*report, failure); }, Qt::QueuedConnection);
    });
}

void CThreadSummary::OnScanFinished(const ScanResult& result, const std::optional<std::string>& failure) {
    joinWorker();
    if (!isOpen()) return;
    if (failure) m_setup.tell(kScanThreadCaption, kScanFailedMessage);
    if (m_session.stopRequested() || result.end == ScanEnd::Stopped) {
        Close();
        return;
    }
    // A scan that could not run says why; its screen then shows what there is (nothing).
    if (!failure && result.end != ScanEnd::Completed) m_setup.tell(kScanThreadCaption, result.error);
    m_stage = Stage::ScanComplete;
    m_window.ShowScanCompleteScreen(*m_setup.skin, m_setup.skinFolder,
                                    ScanCompleteTable(m_session.summaries, shortcutCounts()));
    emit scanCompleteShown();
}

void CThreadSummary::OnFixFinished(const FixReport& report, const std::optional<std::string>& failure) {
    joinWorker();
    if (!isOpen()) return;
    if (failure) m_setup.tell(kFixThreadCaption, kFixFailedMessage);
    if (report.outcome == FixOutcome::Stopped && !report.registrySaved) {
        Close();
        return;
    }
    // The counts below say what was removed; a repair that failed says so first.
    if (!failure && report.outcome != FixOutcome::Removed) m_setup.tell(kFixThreadCaption, report.errorText());
    m_stage = Stage::FixComplete;
    m_window.ShowFixCompleteScreen(*m_setup.skin, m_setup.skinFolder,
                                   FixCompleteTable(m_session.summaries, shortcutCounts()));
    m_session.summaries.clear();
    emit fixCompleteShown();
}

void CThreadSummary::OnSummaryProgress() {
    std::optional<ProgressEvent> latest;
    while (std::optional<ProgressEvent> event = m_progress.take()) latest = std::move(event);
    if (!latest || !isOpen()) return;
    const auto screenText = [this](const std::string& ansi) { return ScreenText(m_setup.machine->codePage(), ansi); };
    // Each screen has labels of its own; the ones a skin leaves out are not set.
    if (m_stage == Stage::Scanning) {
        m_window.SetText("TEXT_ERRORSCAN_CURRENTITEM", screenText(latest->item));
        m_window.SetText("TEXT_ERRORSCAN_STATUS", screenText(latest->title));
        m_window.SetText("TEXT_ERRORSCAN_ERRORFOUND", QString::number(latest->found));
    } else if (m_stage == Stage::Fixing) {
        m_window.SetText("TEXT_ERRORFIXING_CURRENTITEM", screenText(latest->item));
        m_window.SetText("TEXT_ERRORFIXING_STATUS", screenText(latest->title));
    }
}

void CThreadSummary::Close() {
    if (m_stage == Stage::Closed) return;
    m_session.requestStop();
    joinWorker();
    m_stage = Stage::Closed;
    m_session.summaries.clear();
    m_window.hide();
    emit closed();
}

ShortcutCounts CThreadSummary::shortcutCounts() const {
    const CShortcut& scanner = m_session.shortcutScanner;
    return {scanner.scanned(), scanner.found(), scanner.fixed()};
}

void CThreadSummary::joinWorker() {
    if (m_worker.joinable()) m_worker.join();
}

}  // namespace brindle
