#include "app/workflow/FixSelected.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace brindle {

namespace {

// The list holds one path a line: a path with a line break in it would come back as two
// entries, neither of them this one, and the next repair would remove what was kept.
bool FitsTheIgnoreList(const std::string& path) { return path.find_first_of("\r\n") == std::string::npos; }

// Turns the unticked rows into ignore-list entries and empties them in the session's
// lists, so that the repair passes them over while every row keeps its index. A path the
// list cannot hold is left in place all the same, and named in notKept.
void MoveUntickedToIgnoreList(ScanSession& session, const FixSelection& selection, IgnoreList& ignoreKeeper,
                              std::vector<std::string>& notKept) {
    auto keep = [&](std::unique_ptr<ProblemRecord> entry) {
        if (FitsTheIgnoreList(entry->filePath())) {
            ignoreKeeper.ignoreList().push_back(std::move(entry));
        } else {
            notKept.push_back(entry->filePath());
        }
    };
    auto& problems = session.engine().problems();
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (!problems[i] || selection.problemIsTicked(i)) continue;
        keep(std::make_unique<ProblemRecord>(*problems[i]));
        problems[i]->setKeyPath("");
    }
    for (std::size_t i = 0; i < session.shortcutScanner().missingCount(); ++i) {
        std::string& path = session.shortcutScanner().missing(i);
        if (path.empty() || selection.shortcutIsTicked(i)) continue;
        auto entry = std::make_unique<ProblemRecord>();
        entry->setFilePath(path);
        keep(std::move(entry));
        path.clear();
    }
}

// A problem whose backup misses something stays where it is: deleting it could lose
// what no backup holds.
void KeepProblemsWithoutFullBackup(ScanSession& session, FixReport& report) {
    auto& problems = session.engine().problems();
    for (const std::size_t index : report.backup.incomplete) {
        if (index >= problems.size() || !problems[index]) continue;
        report.keptUnbackedUp.push_back(problems[index]->keyPath() + " (" + problems[index]->filePath() + ")");
        problems[index]->setKeyPath("");
    }
}

}  // namespace

FixSelection TickAllBut(const ScanSession& session, const std::function<bool(const std::string& path)>& kept) {
    FixSelection selection;
    for (const auto& problem : session.engine().problems())
        selection.problemTicked.push_back(!(problem && kept(problem->filePath())));
    for (const auto& path : session.shortcutScanner().missingList()) selection.shortcutTicked.push_back(!kept(path));
    return selection;
}

std::vector<std::string> UntickedPaths(const ScanSession& session, const FixSelection& selection) {
    std::vector<std::string> paths;
    const auto& problems = session.engine().problems();
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (problems[i] && !selection.problemIsTicked(i)) paths.push_back(problems[i]->filePath());
    }
    const auto& shortcuts = session.shortcutScanner().missingList();
    for (std::size_t i = 0; i < shortcuts.size(); ++i) {
        if (!selection.shortcutIsTicked(i)) paths.push_back(shortcuts[i]);
    }
    return paths;
}

FixReport FixSelected(ScanSession& session, const FixSelection& selection, const std::string& snapshotFileName,
                      const BackupClock& clock) {
    FixReport report;
    Machine& machine = session.machine();
    // From the check to the save, nothing may read the registry anew under the backup.
    const auto use = machine.useRegistry();
    if (RefuseRepairThatCannotRun(machine, report)) return report;

    {
        // Read afresh, keeping entries added elsewhere since the scan.
        IgnoreList ignoreKeeper(session.workFolder());
        // Its entries would be removed as if nobody had kept them, and the save below
        // would replace the list with the new entries alone.
        if (!ignoreKeeper.ignoreListError().empty()) {
            report.fail(FixReport::Outcome::IgnoreListUnreadable,
                        ignoreKeeper.ignoreListError() + "; nothing was removed");
            return report;
        }
        std::vector<std::string> notKept;
        MoveUntickedToIgnoreList(session, selection, ignoreKeeper, notKept);
        if (const Status saved = ignoreKeeper.SaveIgnoreList(); !saved) {
            report.ignoreListError = "cannot write " + ignoreKeeper.ignoreListFile().string() + " (" +
                                     saved.error().message() +
                                     "); the unticked entries are left alone now but will be listed again";
        }
        for (const std::string& path : notKept) {
            if (!report.ignoreListError.empty()) report.ignoreListError += "; ";
            report.ignoreListError += "the ignore list cannot hold \"" + path +
                                      "\", as its path has a line break: it is left alone now but will be listed again";
        }
    }

    session.reportStep(ProgressPhase::Backup, kBackupInProgressText);
    CollectedShortcuts shortcuts = CollectShortcutBackup(machine, session.shortcutScanner().missingList());
    report.backup = BackupRegistry(machine.registry(), session.engine().problems(), shortcuts.entries,
                                   BackupPlace(session.workFolder(), machine.registryPlace()), clock);
    if (report.backup.outcome == BackupResult::Outcome::Failed) {
        report.fail(FixReport::Outcome::BackupFailed,
                    "the backup could not be written, so nothing was removed: " + report.backup.errorText());
        return report;
    }
    KeepProblemsWithoutFullBackup(session, report);
    if (!BackUpShortcuts(session, shortcuts, report)) return report;

    session.reportStep(ProgressPhase::Fixing, kFixingErrorsText);
    TakeFixResult(session.RunFix(snapshotFileName), session, shortcuts, report);
    return report;
}

}  // namespace brindle
