// How a repair ended, for the window and the command-line tool alike, and the steps
// every repair road takes the same way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/workflow/ScanSession.h"
#include "registry/BackupFolder.h"
#include "registry/JobReport.h"
#include "registry/ShortcutBackup.h"

namespace brindle {

enum class FixOutcome {
    Removed,        // all that was ticked is gone (nothing, when nothing was ticked)
    ChangedOnDisk,  // the registry files changed since the scan; nothing was done
    BackupFailed,   // nothing was deleted
    SaveFailed,     // the repair could not be written back; nothing on disk changed
    Stopped,        // stopped by the stop event; see `registrySaved`
    // The repair is on disk, but some of what was listed is still there: registry
    // problems the registry could not be asked for exactly (leftUndone) or shortcuts not
    // deleted (shortcutsNotFixed).
    Partial,
    IgnoreListUnreadable,  // the ignore list is there but cannot be read; nothing was done
    Failed,                // broke off on an unexpected error; see `registrySaved`
};

// error: what went wrong, naming the file or prefix, for every outcome but Removed (for
// Partial, the count of what is still there).
// leftUndone: the ticked registry problems left in place, each with its key and the
// reason, those the backup could not hold (also in keptUnbackedUp) among them. The
// shortcuts not deleted keep a list of their own, because the user is shown their paths
// apart from the reasons.
struct FixReport : JobReport<FixOutcome> {
    using Outcome = FixOutcome;

    // Not empty when the ignore list could not be saved: the unticked rows are still
    // left alone by this repair, but a later scan lists them again. A warning, not the
    // repair's error: the repair itself went on.
    std::string ignoreListError;
    BackupResult backup;
    // Problems left in place because their backup misses something, one line each.
    std::vector<std::string> keptUnbackedUp;
    // Whether the registry repair reached the disk (for a stop after that point).
    bool registrySaved = false;
    // The ticked shortcuts the repair did not delete, each with the reason.
    std::vector<ShortcutProblem> shortcutsNotFixed;
};

// The rows of the results list a repair was handed: the ticked registry entries and
// shortcut files it is to remove, and the unticked rows it is to keep.
struct ChosenRows {
    std::size_t entriesTicked = 0;
    std::size_t shortcutsTicked = 0;
    std::size_t kept = 0;
};
// One flag per row, as the list shows it (see FixSelection).
ChosenRows CountChosenRows(const std::vector<bool>& problemTicked, const std::vector<bool>& shortcutTicked);

// What the window tells the user when the repair of `rows` has ended: whether anything was
// removed (never "removed" when nothing was ticked), the partial outcome's summary as
// brindle-cli gives it, how many rows were removed and kept, where the backup is, what was
// left in place and why, and the ignore list's warning.
std::string FixSummaryText(const FixReport& report, const ChosenRows& rows);

// The problem list describes the registry as the scan read it; Wine may have changed it
// since, and a repair of a stale list could delete the wrong things. Nor can a repair run
// while another writer (a wineserver) holds the files. True, with the report filled in,
// when the repair must not go on: nothing has been written then.
bool RefuseRepairThatCannotRun(Machine& machine, FixReport& report);

// Writes the collected shortcuts beside the registry backup the report holds, unless the
// registry backup already took them, and hands them to the scanner: it deletes only
// shortcuts whose bytes are on disk in a backup. False, with the report filled in, when
// the shortcut backup could not be written: nothing may be removed then.
bool BackUpShortcuts(ScanSession& session, CollectedShortcuts& shortcuts, FixReport& report);

// Fills the report from the end of RunFix, with the shortcuts that were not deleted
// (the collection's reason for those that never reached the backup).
void TakeFixResult(const FixResult& fix, const ScanSession& session, const CollectedShortcuts& shortcuts,
                   FixReport& report);

}  // namespace brindle
