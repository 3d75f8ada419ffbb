#include "app/workflow/FixReport.h"

#include <algorithm>

#include "app/workflow/CountedText.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

namespace {

// Each line left undone is a ticked registry entry still in place, each shortcut not
// fixed a ticked shortcut file still there.
std::string RemovedLine(const FixReport& report, const ChosenRows& rows) {
    const std::size_t entries = rows.entriesTicked - std::min(rows.entriesTicked, report.leftUndone.size());
    const std::size_t shortcuts = rows.shortcutsTicked - std::min(rows.shortcutsTicked, report.shortcutsNotFixed.size());
    return "Removed: " + CountedText(entries, "registry entry", "registry entries") + " and " +
           CountedText(shortcuts, "shortcut file", "shortcut files") + ".";
}

std::string KeptLine(const FixReport& report, const ChosenRows& rows) {
    // A list that could not be written holds none of them: its warning follows.
    return "Kept: " + CountedText(rows.kept, "unticked row", "unticked rows") +
           (report.ignoreListError.empty() ? ", added to the ignore list." : ".");
}

}  // namespace

ChosenRows CountChosenRows(const std::vector<bool>& problemTicked, const std::vector<bool>& shortcutTicked) {
    ChosenRows rows;
    rows.entriesTicked = static_cast<std::size_t>(std::count(problemTicked.begin(), problemTicked.end(), true));
    rows.shortcutsTicked = static_cast<std::size_t>(std::count(shortcutTicked.begin(), shortcutTicked.end(), true));
    rows.kept = problemTicked.size() + shortcutTicked.size() - rows.entriesTicked - rows.shortcutsTicked;
    return rows;
}

std::string FixSummaryText(const FixReport& report, const ChosenRows& rows) {
    // Only these two reached the disk; every other outcome's error says what happened.
    const bool repaired = report.outcome == FixOutcome::Removed || report.outcome == FixOutcome::Partial;
    const bool anyTicked = rows.entriesTicked + rows.shortcutsTicked > 0;
    std::string text;
    if (repaired && !anyTicked) {
        text = rows.kept == 0 ? kNothingListedMessage : kNothingTickedMessage;
    } else if (report.outcome == FixOutcome::Removed) {
        text = kItemsRemovedMessage;
    } else {
        // The partial outcome's summary is brindle-cli's, word for word.
        text = report.errorText();
    }
    if (repaired && anyTicked) text += "\n\n" + RemovedLine(report, rows);
    if (repaired && rows.kept > 0) text += (anyTicked ? "\n" : "\n\n") + KeptLine(report, rows);
    if (report.backup.outcome == BackupResult::Outcome::Written) text += "\nBackup: " + report.backup.file.string();
    if (!report.backup.shortcutFile.empty()) text += "\nShortcut backup: " + report.backup.shortcutFile.string();

    // Lines beyond these would make a box taller than the screen; the count is in the text.
    constexpr std::size_t kLinesShown = 10;
    std::vector<std::string> lines = report.leftUndone;
    for (const ShortcutProblem& shortcut : report.shortcutsNotFixed) lines.push_back(shortcut.message);
    if (!lines.empty()) text += "\n";
    for (std::size_t i = 0; i < lines.size() && i < kLinesShown; ++i) text += "\n" + lines[i];
    if (lines.size() > kLinesShown) text += "\n...";
    if (!report.ignoreListError.empty()) text += "\n\n" + report.ignoreListError;
    return text;
}

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
    session.shortcutScanner().setBackedUp(std::move(shortcuts.entries));
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
        for (ShortcutProblem problem : session.shortcutScanner().notFixed()) {
            for (const ShortcutProblem& leftOut : shortcuts.leftOut) {
                if (leftOut.path == problem.path) problem.message = leftOut.message + "; not deleted";
            }
            report.shortcutsNotFixed.push_back(std::move(problem));
        }
        for (const auto& left : session.engine().unrepaired()) {
            const ProblemRecord& problem = session.engine().problem(left.index);
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
