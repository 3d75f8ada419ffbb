#include "app/workflow/FixReport.h"

namespace brindle {

bool RefuseRepairThatCannotRun(Machine& machine, FixReport& report) {
    if (machine.registryChangedOnDisk()) {
        report.fail(FixReport::Outcome::ChangedOnDisk,
                    "the registry files changed on disk since the scan (did Wine run?); nothing was removed. "
                    "Scan again, then repair.");
        return true;
    }
    // Asked before the backup: a backup of a repair that cannot be saved would only push
    // real backups out of the few that are kept.
    if (Status writable = machine.registryWritable(); !writable) {
        report.fail(FixReport::Outcome::SaveFailed,
                    writable.error().message() + "; nothing was removed and no backup was written");
        return true;
    }
    return false;
}

bool BackUpShortcuts(ScanSession& session, CollectedShortcuts& shortcuts, FixReport& report) {
    if (!shortcuts.entries.empty() && report.backup.shortcutFile.empty()) {
        if (Status written = WriteShortcutBackupBeside(report.backup.file, shortcuts.entries); !written) {
            report.fail(FixReport::Outcome::BackupFailed, written.error().message() + ", so nothing was removed");
            return false;
        }
        report.backup.shortcutFile = ShortcutBackupPathFor(report.backup.file);
    }
    session.shortcutScanner.setBackedUp(std::move(shortcuts.entries));
    return true;
}

void TakeFixResult(const FixResult& fix, const ScanSession& session, const CollectedShortcuts& shortcuts,
                   FixReport& report) {
    report.registrySaved = fix.registrySaved;
    switch (fix.end) {
    case FixEnd::Repaired:
        report.outcome = FixReport::Outcome::Removed;
        // What the backup could not hold was never offered to the repair: it is still
        // there, as much as what the repair had to leave.
        for (const std::string& line : report.keptUnbackedUp) {
            report.leftUndone.push_back(line + ": its backup would be incomplete, so it was not removed");
        }
        for (ShortcutProblem problem : session.shortcutScanner.notFixed()) {
            for (const ShortcutProblem& leftOut : shortcuts.leftOut) {
                if (leftOut.path == problem.path) problem.message = leftOut.message + "; not deleted";
            }
            report.shortcutsNotFixed.push_back(std::move(problem));
        }
        for (const auto& left : session.engine.unrepaired()) {
            const ProblemRecord& problem = session.engine.problem(left.index);
            std::string line = problem.keyPath();
            if (problem.kind() != kKindKey && problem.value() != nullptr) line += " : " + problem.value()->name;
            report.leftUndone.push_back(line + ": " + left.reason);
        }
        if (!report.leftUndone.empty() || !report.shortcutsNotFixed.empty()) {
            report.outcome = FixReport::Outcome::Partial;
            std::vector<std::string> parts;
            if (!report.leftUndone.empty())
                parts.push_back(std::to_string(report.leftUndone.size()) + " registry entries were left in place");
            if (!report.shortcutsNotFixed.empty())
                parts.push_back(std::to_string(report.shortcutsNotFixed.size()) + " shortcut files were not deleted");
            report.error = Error(parts.front() + (parts.size() > 1 ? " and " + parts.back() : "") +
                                 "; the rest of the repair is done");
        }
        break;
    case FixEnd::SaveFailed:
        report.fail(FixReport::Outcome::SaveFailed,
                    "the repair could not be written back, so nothing was removed: " + fix.error);
        break;
    case FixEnd::Stopped:
        report.fail(FixReport::Outcome::Stopped,
                    fix.registrySaved ? "stopped after the registry was repaired; no shortcut was deleted"
                                      : "stopped before anything was removed");
        break;
    case FixEnd::Failed:
        report.fail(FixReport::Outcome::Failed,
                    fix.error + (fix.registrySaved ? "; the registry repair is on disk, no shortcut was deleted"
                                                   : "; nothing was removed"));
        break;
    }
}

}  // namespace brindle
