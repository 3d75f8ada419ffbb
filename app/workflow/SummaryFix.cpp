#include "app/workflow/SummaryFix.h"

#include <filesystem>

namespace brindle {

FixReport SummaryFix(ScanSession& session, const std::string& snapshotFileName, const BackupClock& clock,
                     const WholeRegistryBackupOptions& options) {
    FixReport report;
    Machine& machine = session.machine();
    // From the check to the save, nothing may read the registry anew under the backup.
    const auto use = machine.useRegistry();
    if (RefuseRepairThatCannotRun(machine, report)) return report;

    session.reportStep(ProgressPhase::Backup, kBackupInProgressText);
    CollectedShortcuts shortcuts = CollectShortcutBackup(machine, session.shortcutScanner().missingList());
    report.backup = BackupRegistry(machine.registry(), BackupPlace(session.workFolder(), machine.registryPlace()), clock,
                                   options);
    if (report.backup.outcome != BackupResult::Outcome::Written) {
        report.fail(FixReport::Outcome::BackupFailed,
                    "the registry export could not be written, so nothing was removed: " + report.backup.errorText());
        return report;
    }

    if (!BackUpShortcuts(session, shortcuts, report)) return report;

    session.reportStep(ProgressPhase::Fixing, kFixingErrorsText);
    TakeFixResult(session.RunFix(snapshotFileName), session, shortcuts, report);
    return report;
}

}  // namespace brindle
