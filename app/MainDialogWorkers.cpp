// The window's scan and repair: each runs on a worker thread of its own at the lowest
// priority; what the user sees changes on the window's thread, in this order: the
// progress texts while it runs, then the end's message box, then the lists.
#include <QString>

#include <algorithm>

#include "app/CMainDialog.h"
#include "app/workflow/GuardedJob.h"
#include "app/workflow/ScanCompleteText.h"
#include "app/workflow/SnapshotName.h"
#include "app/workflow/UserTexts.h"
#include "platform/ThreadPriority.h"

namespace brindle {

namespace {

// The check box of each category on the main panel.
std::string CategoryButton(const ScanCategoryInfo& info) { return "BUTTON_" + std::string(info.name); }

// The order the progress labels are refreshed in.
constexpr ScanCategory kProgressOrder[] = {
    ScanCategory::COM,   ScanCategory::COM_SUBS,  ScanCategory::HELP, ScanCategory::APPPATH, ScanCategory::SHARED_TOOLS,
    ScanCategory::FONTS, ScanCategory::STARTUP,   ScanCategory::UNINSTALL, ScanCategory::DRV, ScanCategory::SHORTCUTS,
};

// The found count of a finished category, from the scan's own rows: the newest progress
// the window saw may be older than the category's last word.
std::optional<std::int32_t> FoundCount(const ScanResult& result, ScanCategory category) {
    if (category == ScanCategory::SHORTCUTS) {
        if (result.shortcuts) return result.shortcuts->found;
        return std::nullopt;
    }
    const std::string_view title = InfoOf(category).summaryTitle;
    for (const ScanSummary& row : result.summaries) {
        if (row.title == title) return row.found;
    }
    return std::nullopt;
}

}  // namespace

void CMainDialog::StartMainScan() {
    m_progressPanel = currentPanel();
    bool any = false;
    for (const ScanCategoryInfo& info : ScanCategories()) {
        const bool on = m_progressPanel != nullptr && m_progressPanel->IsChecked(CategoryButton(info));
        any = any || on;
        m_session.categories.setState(info.category, on ? ScanSelection::kSelected : ScanSelection::kNotSelected);
    }
    // A scan of nothing would end at once with an empty "Scan Complete".
    if (!any) {
        tell(kProgramCaption, kNoCategoryTickedMessage);
        return;
    }
    SetChecked("BUTTON_SCAN", true);
    m_scanRunning = true;
    m_lastProgress.reset();
    m_session.clearStop();
    m_session.progress = [this](const ProgressEvent& event) { m_progress.post(event); };
    joinWorker();
    m_worker = std::thread([this] {
        LowerCurrentThreadPriority();
        auto result = std::make_shared<ScanResult>();
        if (const auto failure = RunGuarded("The scan", [&] { *result = m_session.RunScan(); })) {
            result->end = ScanEnd::Failed;
            result->error = *failure;
        }
        QMetaObject::invokeMethod(this, [this, result] { ShowScanResults(*result); }, Qt::QueuedConnection);
    });
}

void CMainDialog::StopMainScan() {
    SetChecked("BUTTON_SCAN", false);
    m_session.requestStop();
}

void CMainDialog::ShowScanResults(const ScanResult& result) {
    joinWorker();
    // A job stopped by the window's end shows nothing: the window is going.
    if (m_ending) return;
    OnMainProgress();
    CSubMainSkin* progress = m_progressPanel;
    if (progress != nullptr) {
        SetProgress(*progress, m_lastProgress ? m_lastProgress->found : 0);
        for (ScanCategory category : kProgressOrder) {
            if (m_session.categories.state(category) != ScanSelection::kDone) continue;
            if (const auto found = FoundCount(result, category))
                progress->SetText("PROGRESS_COUNT_" + std::string(InfoOf(category).name), QString::number(*found));
        }
        progress->SetText("TEXT_ERRORSCAN_STATUS", QString::fromLatin1(kScanCompleteStatus));
    }
    // The counts are final before the user is told, the list follows the message.
    if (result.end == ScanEnd::Completed) {
        tell(kProgramCaption, ScanCompleteText(result));
    } else if (result.end != ScanEnd::Stopped) {
        warn(kProgramCaption, result.error);
    }

    ShowSubScreen("SUBMAIN_RESULT");
    if (CSubMainSkin* results = panel("SUBMAIN_RESULT")) {
        results->EnableAll(true);
        if (skin::CSkinList* list = results->checkList()) {
            list->SetSortable(false);
            list->RemoveAllRows();
            // The tooltip shows the whole path and the key that names it.
            for (const ProblemRecord& problem : result.problems)
                list->AddRow({QString(), screenText(TypeColumnText(problem)), screenText(problem.filePath())}, true,
                             screenText(problem.filePath()) + QLatin1Char('\n') + screenText(problem.keyPath()));
            m_resultRowCount = static_cast<int>(result.problems.size());
            if (result.shortcuts) {
                for (const std::string& path : result.shortcuts->missing)
                    list->AddRow({QString(), QStringLiteral("SHORTCUT"), screenText(path)}, true);
            }
            // Sorted by a title's click; each row keeps its key, which the repair reads.
            list->SetSortable(true);
        }
        results->update();
    }
    SetChecked("BUTTON_SCAN", false);
    // A scan that could not run has nothing a repair could act on.
    m_resultsAvailable = result.end == ScanEnd::Completed || result.end == ScanEnd::Stopped;
    m_scanRunning = false;
    if (progress != nullptr) {
        progress->SetText("TEXT_ERRORSCAN_CURRENTITEM", QString());
        if (m_session.categories.state(ScanCategory::SHORTCUTS) != ScanSelection::kNotSelected)
            progress->SetText("PROGRESS_TEXT_SHORTCUTS", QStringLiteral("Done"));
    }
    saveSettings();
    emit scanEnded();
}

void CMainDialog::StartMainFix() {
    // The rows are read here, on the window's thread, before the worker starts.
    FixSelection selection;
    if (CSubMainSkin* results = panel("SUBMAIN_RESULT"); results != nullptr && results->checkList() != nullptr) {
        const skin::CSkinList& list = *results->checkList();
        // By each row's key, not its place: the user may have sorted the list.
        const int problems = std::min(m_resultRowCount, list.rowCount());
        selection.problemTicked.assign(static_cast<std::size_t>(problems), false);
        selection.shortcutTicked.assign(static_cast<std::size_t>(list.rowCount() - problems), false);
        for (int row = 0; row < list.rowCount(); ++row) {
            const int key = list.RowKey(row);
            if (key < 0 || key >= list.rowCount()) continue;
            if (key < problems) {
                selection.problemTicked[static_cast<std::size_t>(key)] = list.IsRowChecked(row);
            } else {
                selection.shortcutTicked[static_cast<std::size_t>(key - problems)] = list.IsRowChecked(row);
            }
        }
    }
    m_fixRows = CountChosenRows(selection.problemTicked, selection.shortcutTicked);
    m_fixRunning = true;
    ShowSubScreen("SUBMAIN_MAIN");
    if (m_progressPanel == nullptr) m_progressPanel = panel("SUBMAIN_MAIN");
    if (m_progressPanel != nullptr)
        m_progressPanel->SetText("TEXT_ERRORSCAN_CURRENTITEM", QString::fromLatin1(kBackupInProgressText));
    update();

    m_lastProgress.reset();
    m_session.clearStop();
    m_session.progress = [this](const ProgressEvent& event) { m_progress.post(event); };
    joinWorker();
    m_worker = std::thread([this, selection] {
        LowerCurrentThreadPriority();
        auto report = std::make_shared<FixReport>();
        auto locks = lockForWriting();
        if (!locks) {
            report->fail(FixOutcome::Failed, locks.error().message());
        } else if (const auto failure = RunGuarded("The repair", [&] {
                       *report = FixSelected(m_session, selection, FreeSnapshotFileName(SnapshotFileNameNow()));
                   })) {
            report->fail(FixOutcome::Failed, *failure);
        }
        QMetaObject::invokeMethod(this, [this, report] { ShowFixReport(*report); }, Qt::QueuedConnection);
    });
}

void CMainDialog::ShowFixReport(const FixReport& report) {
    joinWorker();
    if (m_ending) return;
    OnMainProgress();
    if (report.failed() && report.outcome != FixReport::Outcome::Partial) {
        warn(kProgramCaption, FixSummaryText(report, m_fixRows));
    } else {
        tell(kProgramCaption, FixSummaryText(report, m_fixRows));
    }
    m_fixRunning = false;
    ShowSubScreen("SUBMAIN_IGNORED");
    FillIgnoredList();
    if (m_progressPanel != nullptr) m_progressPanel->SetText("TEXT_ERRORSCAN_CURRENTITEM", QString());
    ButtonPressed("BUTTON_MAIN");
    saveSettings();
    emit fixEnded();
}

void CMainDialog::OnMainProgress() {
    while (std::optional<ProgressEvent> event = m_progress.take()) m_lastProgress = std::move(*event);
    if (!m_lastProgress || m_progressPanel == nullptr) return;
    m_progressPanel->SetText("TEXT_ERRORSCAN_STATUS", screenText(m_lastProgress->title));
    m_progressPanel->SetText("TEXT_ERRORSCAN_CURRENTITEM", screenText(m_lastProgress->item));
    if (m_lastProgress->phase == ProgressPhase::Scanning) SetProgress(*m_progressPanel, m_lastProgress->found);
}

void CMainDialog::SetProgress(CSubMainSkin& panel, std::int32_t count) {
    for (ScanCategory category : kProgressOrder) {
        const std::string name(InfoOf(category).name);
        switch (m_session.categories.state(category)) {
        case ScanSelection::kScanning:
            panel.SetText("PROGRESS_TEXT_" + name, QStringLiteral("Scanning"));
            panel.SetText("PROGRESS_COUNT_" + name, QString::number(count));
            break;
        case ScanSelection::kDone: panel.SetText("PROGRESS_TEXT_" + name, QStringLiteral("Done")); break;
        default:
            panel.SetText("PROGRESS_TEXT_" + name, QString());
            panel.SetText("PROGRESS_COUNT_" + name, QString());
        }
    }
}

void CMainDialog::joinWorker() {
    if (m_worker.joinable()) m_worker.join();
}

void CMainDialog::ForgetResults() {
    m_resultsAvailable = false;
    m_resultRowCount = 0;
    if (CSubMainSkin* results = panel("SUBMAIN_RESULT"); results != nullptr && results->checkList() != nullptr)
        results->checkList()->RemoveAllRows();
    // The counts are those of the scan whose list is gone; the categories' ticks stay.
    for (CSubMainSkin* progress : {panel("SUBMAIN_MAIN"), m_progressPanel}) {
        if (progress == nullptr) continue;
        for (ScanCategory category : kProgressOrder) {
            const std::string name(InfoOf(category).name);
            progress->SetText("PROGRESS_TEXT_" + name, QString());
            progress->SetText("PROGRESS_COUNT_" + name, QString());
        }
        progress->SetText("TEXT_ERRORSCAN_STATUS", QString());
    }
}

}  // namespace brindle
