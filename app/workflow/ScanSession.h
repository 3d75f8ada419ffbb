// The scan state that a window or the command-line tool holds from a scan to its repair:
// the registry engine with its problem list, the shortcut scanner with its list of
// shortcuts, the category states and the summary rows. RunScan and RunFix are the scan
// and repair bodies that every road runs on its worker thread.
//
// One object is used by one thread at a time: the job that claimed it (ScanJob, RepairJob)
// or, between jobs, its owner. The window reads the category states while a scan runs
// (they are atomic).
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/workflow/ProgressEvents.h"
#include "app/workflow/SummaryTables.h"
#include "platform/Machine.h"
#include "platform/NamedEvents.h"
#include "scan/RegistryLib.h"
#include "scan/ScanTypes.h"
#include "scan/Shortcut.h"
#include "scan/StopRequest.h"

namespace brindle {

enum class ScanEnd {
    Completed,
    Stopped,      // the stop event was signalled; what was found so far is listed
    ReloadFailed,         // the registry files changed on disk and could not be read again
    IgnoreListUnreadable,  // "ignore.lst" is there but cannot be read; nothing was scanned
    Failed,                // the scan broke off on an error it did not expect; error says which
};

struct ShortcutFindings {
    std::int32_t scanned = 0;
    std::int32_t found = 0;
    std::vector<std::string> missing;  // full Windows paths, in the order found
};

// How a scan ended and what it found, as a value of its own: it may be handed to another
// thread (the window's), and nothing the repair does afterwards changes it.
struct ScanResult {
    ScanEnd end = ScanEnd::Completed;
    std::string error;  // for ReloadFailed, IgnoreListUnreadable and Failed

    // What was found up to the end, a stopped scan's too; empty when it did not run.
    std::vector<ProblemRecord> problems;
    std::vector<ScanSummary> summaries;
    std::optional<ShortcutFindings> shortcuts;  // when the shortcut category was selected
};

enum class FixEnd {
    Repaired,
    Stopped,     // stopped before the registry was touched
    SaveFailed,  // the repaired registry could not be written back; nothing on disk changed
    Failed,      // broke off on an error it did not expect; a registry not yet saved is left as on disk
};

struct FixResult {
    FixEnd end = FixEnd::Repaired;
    std::string error;  // for SaveFailed and Failed
    // Whether the registry repair reached the disk; a stop after it leaves the shortcuts.
    bool registrySaved = false;
};

class ScanSession {
public:
    // The work folder holds the ignore list, the backups and the snapshot file; the
    // programs pass the current directory.
    ScanSession(Machine& machine, std::filesystem::path workFolder);
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    Machine& machine() { return m_machine; }
    const std::filesystem::path& workFolder() const { return m_workFolder; }

    // Reads the registry files again when they changed on disk since they were read,
    // then scans the selected categories, shortcuts last. The summary rows and the
    // shortcut list start empty. The engine's and the shortcut scanner's lists are the
    // working lists a repair then takes its selection from; the result is the scan's own.
    ScanResult RunScan();

    // Removes what the problem list and the shortcut list hold (emptied entries are kept
    // out), in this order: the registry problems with their snapshot file named
    // snapshotFileName (or the next free variant of it, see FreeSnapshotFileName), the
    // registry written back to where it is kept, then the shortcut files that the
    // scanner was told are backed up. A registry that cannot be written back is read
    // again from where it is kept, so that the session never shows deletions that did
    // not happen, and no shortcut is deleted. The stop event is looked at before each step.
    FixResult RunFix(const std::string& snapshotFileName);

    // Asks the running scan or repair to stop at its next poll, or the next one started
    // before clearStop(); from any thread, or a signal handler. Never lost: unlike the
    // stop event, which the scan driver resets when it starts, it lasts for the job.
    void requestStop() { m_stop.request(); }
    // Forgets the stop request of an earlier job; the owner calls it before it starts
    // the next job's worker, never the worker itself.
    void clearStop() { m_stop.clear(); }
    // The request or the stop event.
    bool stopRequested() const;
    // For a signal handler's use (see cli/Interrupt.h).
    StopRequest& stopRequest() { return m_stop; }

    // Told every step of the scans and repairs, on the thread that runs them; unset:
    // nobody is told. A reader on another thread posts to a ProgressMailbox from here.
    void setProgressSink(ProgressSink sink) { m_progress = std::move(sink); }
    void reportProgress(const ProgressEvent& event) const {
        if (m_progress) m_progress(event);
    }
    // Tells the sink that a repair's step begins: "Backup in progress", "Fixing errors".
    void reportStep(ProgressPhase phase, const std::string& title);

    // The categories the next scan looks at; none at first. A scan marks each one it
    // scans, then has scanned, and the window shows those marks while it runs.
    void selectCategory(ScanCategory category, bool selected = true);
    void selectAllCategories();
    std::int32_t categoryState(ScanCategory category) const { return m_categories.state(category); }
    const ScanSelection& categories() const { return m_categories; }

    // The summary rows of the last scan, with the repair's counts once it has run.
    const std::vector<ScanSummary>& summaries() const { return m_summaries; }
    void clearSummaries() { m_summaries.clear(); }
    // The shortcut walk's counts: files looked at, found dead, deleted.
    ShortcutCounts shortcutCounts() const;

    // The working lists a repair takes its selection from, for the workflow's repairs
    // (FixSelected, SummaryFix) and for tests that set up a list without scanning.
    CRegistryLib& engine() { return m_engine; }
    const CRegistryLib& engine() const { return m_engine; }
    CShortcut& shortcutScanner() { return m_shortcutScanner; }
    const CShortcut& shortcutScanner() const { return m_shortcutScanner; }
    std::vector<ScanSummary>& summaryRows() { return m_summaries; }

    // A job takes the session for its length; a second one is refused while it runs, so
    // that two threads never share the lists. See ScanJob and RepairJob.
    bool claimForJob() { return !m_claimed.exchange(true); }
    void releaseFromJob() { m_claimed.store(false); }

private:
    ScanResult scan();
    void takeFindings(ScanResult& result) const;
    FixResult fix(const std::string& snapshotFileName, bool& registrySaved);

    CRegistryLib m_engine;
    CShortcut m_shortcutScanner;
    ScanSelection m_categories;
    std::vector<ScanSummary> m_summaries;
    ProgressSink m_progress;
    std::atomic<bool> m_claimed{false};

    Machine& m_machine;
    std::filesystem::path m_workFolder;
    EventHandle m_stopEvent;
    StopRequest m_stop;
    // What the engine's progress calls belong to: a scan, or the repair in RunFix.
    ProgressPhase m_phase = ProgressPhase::Scanning;
};

}  // namespace brindle
