#include "app/CThreadSummary.h"

#include <QEvent>
#include <QKeyEvent>

#include "app/ControlNames.h"
#include "app/ScreenText.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

CThreadSummary::CThreadSummary(SummarySetup setup, QObject* parent)
    : QObject(parent),
      m_setup(std::move(setup)),
      m_session(*m_setup.machine, m_setup.workFolder),
      m_window(m_setup.owner),
      m_progress([this] { QMetaObject::invokeMethod(this, [this] { OnSummaryProgress(); }, Qt::QueuedConnection); }),
      m_scanJob(m_session),
      m_repairJob(m_session, m_setup.lockForWriting) {
    // A dialog of its owner: the window manager keeps it above the owner, and it is no
    // window of its own in the task bar.
    m_window.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_window.setWindowTitle(QString::fromLatin1(kProgramCaption));
    m_window.installEventFilter(this);
    connect(&m_window, &Summary::summaryButton, this, &CThreadSummary::OnButton);
    for (ScanCategory category : m_setup.categories) m_session.selectCategory(category);
}

CThreadSummary::~CThreadSummary() {
    m_session.requestStop();
    joinWorker();
}

ProgressSink CThreadSummary::progressSink() {
    return [this](const ProgressEvent& event) { m_progress.post(event); };
}

void CThreadSummary::InitInstance() {
    m_window.ShowErrorScanScreen(*m_setup.skin, m_setup.skinFolder);
    m_stage = Stage::Scanning;
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
    m_scanJob.start(progressSink(), [this](ScanResult ended) {
        auto result = std::make_shared<ScanResult>(std::move(ended));
        QMetaObject::invokeMethod(this, [this, result] { OnScanFinished(*result); }, Qt::QueuedConnection);
    });
}

void CThreadSummary::OnButton(const std::string& name) {
    if (name == control::kButtonStopscan) StopScan();
    if (name == control::kButtonFixerror) StartFix();
    if (name == control::kButtonCancel || name == control::kButtonOk) Close();
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
    if (m_stage != Stage::ScanComplete || m_scanJob.started() || m_repairJob.started()) return;
    m_stage = Stage::Fixing;
    m_window.Enable(control::kButtonFixerror, false);
    m_window.ShowErrorFixingScreen(*m_setup.skin, m_setup.skinFolder);
    m_repairJob.startEverything(progressSink(), [this](FixReport ended) {
        auto report = std::make_shared<FixReport>(std::move(ended));
        QMetaObject::invokeMethod(this, [this, report] { OnFixFinished(*report); }, Qt::QueuedConnection);
    });
}

void CThreadSummary::OnScanFinished(const ScanResult& result) {
    joinWorker();
    if (!isOpen()) return;
    if (m_session.stopRequested() || result.end == ScanEnd::Stopped) {
        Close();
        return;
    }
    // A scan that could not run says why; its screen then shows what there is (nothing).
    if (result.end == ScanEnd::Failed) {
        m_setup.tell(kScanThreadCaption, std::string(kScanFailedMessage) + ": " + result.error);
    } else if (result.end != ScanEnd::Completed) {
        m_setup.tell(kScanThreadCaption, result.error);
    }
    m_stage = Stage::ScanComplete;
    m_window.ShowScanCompleteScreen(*m_setup.skin, m_setup.skinFolder,
                                    ScanCompleteTable(m_session.summaries(), m_session.shortcutCounts()));
    emit scanCompleteShown();
}

void CThreadSummary::OnFixFinished(const FixReport& report) {
    joinWorker();
    if (!isOpen()) return;
    if (report.outcome == FixOutcome::Stopped && !report.registrySaved) {
        Close();
        return;
    }
    // The counts below say what was removed; a repair that failed says so first.
    if (report.outcome == FixOutcome::Failed) {
        m_setup.tell(kFixThreadCaption, std::string(kFixFailedMessage) + ": " + report.errorText());
    } else if (report.outcome != FixOutcome::Removed) {
        m_setup.tell(kFixThreadCaption, report.errorText());
    }
    m_stage = Stage::FixComplete;
    m_window.ShowFixCompleteScreen(*m_setup.skin, m_setup.skinFolder,
                                   FixCompleteTable(m_session.summaries(), m_session.shortcutCounts()));
    m_session.clearSummaries();
    emit fixCompleteShown();
}

void CThreadSummary::OnSummaryProgress() {
    std::optional<ProgressEvent> latest;
    while (std::optional<ProgressEvent> event = m_progress.take()) latest = std::move(event);
    if (!latest || !isOpen()) return;
    const auto screenText = [this](const std::string& ansi) { return ScreenText(m_setup.machine->codePage(), ansi); };
    // Each screen has labels of its own; the ones a skin leaves out are not set.
    if (m_stage == Stage::Scanning) {
        m_window.SetText(control::kTextErrorscanCurrentitem, screenText(latest->item));
        m_window.SetText(control::kTextErrorscanStatus, screenText(latest->title));
        m_window.SetText(control::kTextErrorscanErrorfound, QString::number(latest->found));
    } else if (m_stage == Stage::Fixing) {
        m_window.SetText(control::kTextErrorfixingCurrentitem, screenText(latest->item));
        m_window.SetText(control::kTextErrorfixingStatus, screenText(latest->title));
    }
}

void CThreadSummary::Close() {
    if (m_stage == Stage::Closed) return;
    m_session.requestStop();
    joinWorker();
    m_stage = Stage::Closed;
    m_session.clearSummaries();
    m_window.hide();
    emit closed();
}

void CThreadSummary::joinWorker() {
    m_scanJob.wait();
    m_repairJob.wait();
}

}  // namespace brindle
