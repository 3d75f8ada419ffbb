#include "app/workflow/ScanSession.h"

#include "app/workflow/GuardedJob.h"
#include "app/workflow/SaveRegistry.h"
#include "app/workflow/SnapshotName.h"

namespace brindle {

namespace {

ScanResult Ended(ScanEnd end, std::string error) {
    ScanResult result;
    result.end = end;
    result.error = std::move(error);
    return result;
}

}  // namespace

ScanSession::ScanSession(Machine& machine, std::filesystem::path workFolder)
    : m_engine(machine, workFolder),
      m_shortcutScanner(machine),
      m_machine(machine),
      m_workFolder(std::move(workFolder)),
      m_stopEvent(machine.events().CreateEventA(kStopScanEventName)) {
    // The registry scan reloads the ignore list first, so the shortcut walk after it
    // sees the same list.
    m_shortcutScanner.isIgnored = [this](const std::string& path) { return m_engine.IsIgnored(path); };
    m_engine.stopRequest = &m_stop;
    m_shortcutScanner.stopRequest = &m_stop;
    const auto forward = [this](const std::string& item, const std::string& title, std::int32_t scanned,
                                std::int32_t found) {
        ProgressEvent event = ScanProgressEvent(item, title, scanned, found);
        event.phase = m_phase;
        reportProgress(event);
    };
    m_engine.progressCallback = forward;
    m_shortcutScanner.progressCallback = forward;
}

bool ScanSession::stopRequested() const {
    return m_stop.requested() || WaitForSingleObject(m_stopEvent, 0) == win::WAIT_OBJECT_0;
}

void ScanSession::selectCategory(ScanCategory category, bool selected) {
    m_categories.setState(category, selected ? ScanSelection::kSelected : ScanSelection::kNotSelected);
}

void ScanSession::selectAllCategories() { m_categories.selectAll(); }

ShortcutCounts ScanSession::shortcutCounts() const {
    return {m_shortcutScanner.scanned(), m_shortcutScanner.found(), m_shortcutScanner.fixed()};
}

void ScanSession::reportStep(ProgressPhase phase, const std::string& title) {
    ProgressEvent event;
    event.phase = phase;
    event.title = title;
    reportProgress(event);
}

ScanResult ScanSession::RunScan() {
    const auto use = m_machine.useRegistry();
    ScanResult result;
    if (auto failure = RunGuarded("the scan", [&] { result = scan(); })) {
        result = Ended(ScanEnd::Failed, std::move(*failure));
    }
    takeFindings(result);
    return result;
}

void ScanSession::takeFindings(ScanResult& result) const {
    for (const auto& problem : m_engine.problems()) {
        if (problem) result.problems.push_back(*problem);
    }
    result.summaries = m_summaries;
    if (m_categories.state(ScanCategory::SHORTCUTS) != ScanSelection::kNotSelected) {
        result.shortcuts = ShortcutFindings{m_shortcutScanner.scanned(), m_shortcutScanner.found(),
                                            m_shortcutScanner.missingList()};
    }
}

FixResult ScanSession::RunFix(const std::string& snapshotFileName) {
    const auto use = m_machine.useRegistry();
    FixResult result;
    bool registrySaved = false;
    if (auto failure = RunGuarded("the repair", [&] { result = fix(snapshotFileName, registrySaved); })) {
        // Deletions made in memory but never saved must not be shown as done.
        if (!registrySaved) {
            for (auto& row : m_summaries) row.fixed = 0;
            // Failing too, it leaves the machine as it was; the repair's failure is told.
            (void)m_machine.discardRegistryChanges();
        }
        return {FixEnd::Failed, std::move(*failure), registrySaved};
    }
    return result;
}

ScanResult ScanSession::scan() {
    m_phase = ProgressPhase::Scanning;
    m_summaries.clear();
    // The scanner refills its list itself; emptying it here keeps a scan stopped before
    // the shortcuts from showing the shortcuts of the scan before.
    m_shortcutScanner.clearMissing();
    if (stopRequested()) return Ended(ScanEnd::Stopped, {});

    // Wine may have written the registry since it was read; scanning the stale copy
    // would list entries that are gone and make the repair refuse to save.
    if (Status reloaded = m_machine.reloadRegistryIfChanged(); !reloaded) {
        return Ended(ScanEnd::ReloadFailed, reloaded.error().message());
    }

    // A list that cannot be read would let kept entries be listed, and removed, again.
    m_engine.LoadIgnoreList();
    if (!m_engine.ignoreListError().empty()) return Ended(ScanEnd::IgnoreListUnreadable, m_engine.ignoreListError());

    m_engine.ScanRegistry(m_summaries, m_categories);
    if (!m_engine.ignoreListError().empty()) return Ended(ScanEnd::IgnoreListUnreadable, m_engine.ignoreListError());
    if (stopRequested()) return Ended(ScanEnd::Stopped, {});

    if (m_categories.state(ScanCategory::SHORTCUTS) != ScanSelection::kNotSelected) {
        m_categories.setState(ScanCategory::SHORTCUTS, ScanSelection::kScanning);
        m_shortcutScanner.ScanShortcuts();
        m_categories.setState(ScanCategory::SHORTCUTS, ScanSelection::kDone);
    }
    if (stopRequested()) return Ended(ScanEnd::Stopped, {});
    return Ended(ScanEnd::Completed, {});
}

FixResult ScanSession::fix(const std::string& snapshotFileName, bool& registrySaved) {
    if (stopRequested()) return {FixEnd::Stopped, {}};
    m_phase = ProgressPhase::Fixing;
    m_engine.FixProblems(m_summaries, FreeSnapshotFileName((m_workFolder / snapshotFileName).string()));

    // Shortcut files are deleted only once the registry repair is safely on disk, so a
    // refused save leaves the user's files exactly as they were.
    if (Status saved = SaveRegistryOrDropChanges(m_machine); !saved) {
        for (auto& row : m_summaries) row.fixed = 0;
        return {FixEnd::SaveFailed, saved.error().message()};
    }

    registrySaved = true;
    if (stopRequested()) return {FixEnd::Stopped, {}, true};
    m_shortcutScanner.FixShortcuts();
    return {FixEnd::Repaired, {}, true};
}

}  // namespace brindle
