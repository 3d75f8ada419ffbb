// The window's scan and repair, as jobs of the window's scan session. What the user sees
// changes on the window's thread, in this order: the progress texts while a job runs,
// then the end's message box, then the lists.
#include <QString>

#include "app/CMainDialog.h"
#include "app/ControlNames.h"
#include "app/ResultsList.h"
#include "app/ScanProgressView.h"
#include "app/workflow/ScanCompleteText.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

ProgressSink CMainDialog::progressSink() {
    return [this](const ProgressEvent& event) { m_progress.post(event); };
}

void CMainDialog::StartMainScan() {
    m_progressPanel = currentPanel();
    bool any = false;
    for (const ScanCategoryInfo& info : ScanCategories()) {
        const bool on = m_progressPanel != nullptr &&
                        m_progressPanel->IsChecked(control::kButtonPrefix + std::string(info.name));
        any = any || on;
        m_session.selectCategory(info.category, on);
    }
    // A scan of nothing would end at once with an empty "Scan Complete".
    if (!any) {
        caution(kProgramCaption, kNoCategoryTickedMessage);
        return;
    }
    m_lastProgress.reset();
    const bool started = m_scanJob.start(progressSink(), [this](ScanResult ended) {
        auto result = std::make_shared<ScanResult>(std::move(ended));
        QMetaObject::invokeMethod(this, [this, result] { ShowScanResults(*result); }, Qt::QueuedConnection);
    });
    if (!started) return;
    SetChecked(control::kButtonScan, true);
    m_scanRunning = true;
}

void CMainDialog::StopMainScan() {
    SetChecked(control::kButtonScan, false);
    m_scanJob.stop();
}

void CMainDialog::ShowScanResults(const ScanResult& result) {
    m_scanJob.wait();
    // A job stopped by the window's end shows nothing: the window is going.
    if (m_ending) return;
    OnMainProgress();
    CSubMainSkin* progress = m_progressPanel;
    if (progress != nullptr) {
        ShowCategoryProgress(*progress, m_session, m_lastProgress ? m_lastProgress->found : 0);
        ShowFinalCounts(*progress, m_session, result);
        progress->SetText(control::kTextErrorscanStatus, QString::fromLatin1(kScanCompleteStatus));
        progress->SetText(control::kTextErrorscanCurrentitem, QString());
    }
    // The counts are final before the user is told, the list follows the message.
    if (result.end == ScanEnd::Completed) {
        tell(kProgramCaption, ScanCompleteText(result));
    } else if (result.end != ScanEnd::Stopped) {
        warn(kProgramCaption, result.error);
    }

    ShowSubScreen(control::kPanelResult);
    if (CSubMainSkin* results = panel(control::kPanelResult)) {
        results->EnableAll(true);
        if (skin::CSkinList* list = results->checkList())
            m_resultRowCount = FillResultsList(*list, result, m_machine.codePage());
        results->update();
    }
    SetChecked(control::kButtonScan, false);
    // A scan that could not run has nothing a repair could act on.
    m_resultsAvailable = result.end == ScanEnd::Completed || result.end == ScanEnd::Stopped;
    m_scanRunning = false;
    saveSettings();
    emit scanEnded();
}

void CMainDialog::StartMainFix() {
    // The ticks are read here, on the window's thread, before the job starts.
    FixSelection selection;
    if (CSubMainSkin* results = panel(control::kPanelResult); results != nullptr && results->checkList() != nullptr)
        selection = ReadResultTicks(*results->checkList(), m_resultRowCount);
    const ChosenRows rows = CountChosenRows(selection.problemTicked, selection.shortcutTicked);
    m_lastProgress.reset();
    const bool started = m_repairJob.startSelected(std::move(selection), progressSink(), [this](FixReport ended) {
        auto report = std::make_shared<FixReport>(std::move(ended));
        QMetaObject::invokeMethod(this, [this, report] { ShowFixReport(*report); }, Qt::QueuedConnection);
    });
    if (!started) return;
    m_fixRows = rows;
    m_fixRunning = true;
    ShowSubScreen(control::kPanelMain);
    if (m_progressPanel == nullptr) m_progressPanel = panel(control::kPanelMain);
    if (m_progressPanel != nullptr)
        m_progressPanel->SetText(control::kTextErrorscanCurrentitem, QString::fromLatin1(kBackupInProgressText));
    update();
}

void CMainDialog::ShowFixReport(const FixReport& report) {
    m_repairJob.wait();
    if (m_ending) return;
    OnMainProgress();
    // Done in part is a warning; a repair that removed nothing it was asked to is a failure.
    if (report.outcome == FixReport::Outcome::Partial) {
        caution(kProgramCaption, FixSummaryText(report, m_fixRows));
    } else if (report.failed()) {
        warn(kProgramCaption, FixSummaryText(report, m_fixRows));
    } else {
        tell(kProgramCaption, FixSummaryText(report, m_fixRows));
    }
    m_fixRunning = false;
    ShowSubScreen(control::kPanelIgnored);
    FillIgnoredList();
    if (m_progressPanel != nullptr) m_progressPanel->SetText(control::kTextErrorscanCurrentitem, QString());
    ButtonPressed(control::kButtonMain);
    saveSettings();
    emit fixEnded();
}

void CMainDialog::OnMainProgress() {
    while (std::optional<ProgressEvent> event = m_progress.take()) m_lastProgress = std::move(*event);
    if (!m_lastProgress || m_progressPanel == nullptr) return;
    m_progressPanel->SetText(control::kTextErrorscanStatus, screenText(m_lastProgress->title));
    m_progressPanel->SetText(control::kTextErrorscanCurrentitem, screenText(m_lastProgress->item));
    if (m_lastProgress->phase == ProgressPhase::Scanning)
        ShowCategoryProgress(*m_progressPanel, m_session, m_lastProgress->found);
}

void CMainDialog::joinWorker() {
    m_scanJob.wait();
    m_repairJob.wait();
}

void CMainDialog::ForgetResults() {
    m_resultsAvailable = false;
    m_resultRowCount = 0;
    if (CSubMainSkin* results = panel(control::kPanelResult); results != nullptr && results->checkList() != nullptr)
        results->checkList()->RemoveAllRows();
    // The counts are those of the scan whose list is gone; the categories' ticks stay.
    for (CSubMainSkin* progress : {panel(control::kPanelMain), m_progressPanel}) {
        if (progress != nullptr) ClearScanCounts(*progress);
    }
}

}  // namespace brindle
