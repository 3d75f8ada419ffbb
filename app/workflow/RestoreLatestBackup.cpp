#include "app/workflow/RestoreLatestBackup.h"

#include "app/workflow/SaveRegistry.h"
#include "registry/BackupFolder.h"
#include "registry/BackupRestore.h"
#include "registry/ShortcutBackupFile.h"

namespace brindle {

std::string NoBackupFileMessage(const std::filesystem::path& backupFolder) {
    std::string message = kNoBackupFileFormat;
    message.replace(message.find("%s"), 2, (backupFolder / "*.reg").string());
    return message;
}

RestoreLatestReport RestoreLatestBackup(Machine& machine, const std::filesystem::path& workingDirectory) {
    const auto use = machine.useRegistry();
    RestoreLatestReport report;
    const std::filesystem::path folder = workingDirectory / kBackupFolderName;
    const auto latest = FindLatestBackup(folder);
    if (!latest) {
        report.outcome = RestoreLatestReport::Outcome::NoBackup;
        report.message = NoBackupFileMessage(folder);
        return report;
    }
    report.file = *latest;

    DecodedShortcutBackup shortcuts;
    const std::filesystem::path companion = ShortcutBackupPathFor(*latest);
    std::error_code missing;
    if (std::filesystem::exists(std::filesystem::symlink_status(companion, missing))) {
        report.shortcutFile = companion;
        shortcuts = ReadShortcutBackupFile(companion);
        if (!shortcuts.ok()) {
            report.outcome = RestoreLatestReport::Outcome::Refused;
            report.message = shortcuts.error + "; nothing was restored";
            return report;
        }
    }

    // Changes made since the registry was read must not be written back along with the
    // restore, and Wine's own changes since then must not be overwritten.
    if (Status reloaded = machine.reloadRegistryIfChanged(); !reloaded) {
        report.outcome = RestoreLatestReport::Outcome::SaveFailed;
        report.message = "the registry could not be read again before the restore: " + reloaded.error().message();
        return report;
    }

    RestoreReport restored = RestoreBackupFile(machine.registry(), *latest);
    if (!restored.error.empty()) {
        report.outcome = RestoreLatestReport::Outcome::Refused;
        report.message = restored.error + "; nothing was restored";
        return report;
    }
    if (Status saved = SaveRegistryOrDropChanges(machine); !saved) {
        report.outcome = RestoreLatestReport::Outcome::SaveFailed;
        report.message = "the restore of " + latest->string() + " could not be written back, so nothing was restored: " +
                         saved.error().message();
        return report;
    }
    // The registry first: a shortcut whose program's entries are not back is of little use.
    report.shortcuts = RestoreShortcuts(machine, shortcuts.entries);
    if (!restored.failures.empty() || !report.shortcuts.skipped.empty()) {
        report.outcome = RestoreLatestReport::Outcome::Incomplete;
        report.failures = std::move(restored.failures);
        report.message = "the restore of " + latest->string() + " is incomplete: " +
                         std::to_string(report.failures.size()) + " keys or values and " +
                         std::to_string(report.shortcuts.skipped.size()) +
                         " shortcut files could not be written; the rest was restored";
        return report;
    }
    report.outcome = RestoreLatestReport::Outcome::Restored;
    report.message = kRestoreCompleteMessage;
    return report;
}

}  // namespace brindle
