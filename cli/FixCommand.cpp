#include "cli/FixCommand.h"

#include <algorithm>
#include <filesystem>

#include "app/workflow/RepairJob.h"
#include "cli/ScanRun.h"

namespace brindle::cli {

namespace {

// --keep values arrive as UTF-8; the scan's paths are in the machine's code page.
FixSelection SelectionKeeping(ScanSession& session, const std::vector<std::string>& keep) {
    const CodePage& codePage = session.machine().codePage();
    std::vector<std::string> keepAnsi;
    for (const auto& path : keep) keepAnsi.push_back(Utf8ToAnsi(codePage, path));
    auto isKept = [&](const std::string& path) {
        return std::find(keepAnsi.begin(), keepAnsi.end(), path) != keepAnsi.end();
    };
    return TickAllBut(session, isKept);
}

std::size_t CountTicked(const std::vector<bool>& ticked) {
    return static_cast<std::size_t>(std::count(ticked.begin(), ticked.end(), true));
}

bool Confirm(const Confirmation& confirmation, std::size_t entries, std::size_t shortcuts, std::ostream& err) {
    if (!confirmation.interactive || confirmation.in == nullptr) {
        err << "brindle-cli: fix removes " << entries << " registry entries and " << shortcuts
            << " shortcut files; pass --yes to do so when standard input is not a terminal\n";
        return false;
    }
    err << "Remove " << entries << " registry entries and " << shortcuts
        << " shortcut files (a backup of them is taken first)? [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(*confirmation.in, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

const char* OutcomeName(FixReport::Outcome outcome) {
    switch (outcome) {
    case FixReport::Outcome::Removed: return "removed";
    case FixReport::Outcome::ChangedOnDisk: return "changed-on-disk";
    case FixReport::Outcome::BackupFailed: return "backup-failed";
    case FixReport::Outcome::SaveFailed: return "save-failed";
    case FixReport::Outcome::Stopped: return "stopped";
    case FixReport::Outcome::Partial: return "partial";
    case FixReport::Outcome::IgnoreListUnreadable: return "ignore-list-unreadable";
    case FixReport::Outcome::Failed: return "failed";
    }
    return "unknown";
}

// What a repair that had nothing to remove says instead of the removal's message: every
// entry found was kept.
constexpr const char* kAllKeptMessage = "Nothing was removed: every entry found was kept.";

// The closing message of a repair that ended as Removed.
const char* RemovedMessage(bool anythingChosen) { return anythingChosen ? kItemsRemovedMessage : kAllKeptMessage; }

void PrintFixText(const ScanReport& report, const FixReport& fix, const std::vector<std::string>& kept,
                  bool anythingChosen, const CodePage& codePage, std::ostream& out) {
    PrintSummaryTable(report, codePage, true, out);
    if (!kept.empty()) {
        out << "\nKept, and added to the ignore list:\n";
        for (const auto& path : kept) out << "  " << AnsiToUtf8(codePage, path) << "\n";
    }
    if (!fix.leftUndone.empty()) {
        out << "\nLeft in place:\n";
        for (const auto& line : fix.leftUndone) out << "  " << AnsiToUtf8(codePage, line) << "\n";
    }
    if (!fix.shortcutsNotFixed.empty()) {
        out << "\nShortcut files not deleted:\n";
        for (const auto& problem : fix.shortcutsNotFixed) out << "  " << AnsiToUtf8(codePage, problem.message) << "\n";
    }
    if (fix.backup.outcome == BackupResult::Outcome::Written) out << "\nBackup: " << fix.backup.file.string() << "\n";
    if (!fix.backup.shortcutFile.empty()) out << "Shortcut backup: " << fix.backup.shortcutFile.string() << "\n";
    if (fix.outcome == FixReport::Outcome::Removed) out << "\n" << RemovedMessage(anythingChosen) << "\n";
}

void PrintFixJson(const ScanReport& report, const FixReport& fix, const std::vector<std::string>& kept,
                  bool anythingChosen, const CodePage& codePage, std::ostream& out) {
    nlohmann::ordered_json document = ScanReportJson(report, codePage);
    document["outcome"] = OutcomeName(fix.outcome);
    nlohmann::ordered_json keptJson = nlohmann::ordered_json::array();
    for (const auto& path : kept) keptJson.push_back(AnsiToUtf8(codePage, path));
    document["kept"] = keptJson;
    nlohmann::ordered_json unbacked = nlohmann::ordered_json::array();
    for (const auto& line : fix.keptUnbackedUp) unbacked.push_back(AnsiToUtf8(codePage, line));
    document["keptWithoutFullBackup"] = unbacked;
    document["backup"] = fix.backup.outcome == BackupResult::Outcome::Written
                             ? nlohmann::ordered_json(fix.backup.file.string())
                             : nlohmann::ordered_json(nullptr);
    document["shortcutBackup"] = fix.backup.shortcutFile.empty()
                                     ? nlohmann::ordered_json(nullptr)
                                     : nlohmann::ordered_json(fix.backup.shortcutFile.string());
    nlohmann::ordered_json notFixed = nlohmann::ordered_json::array();
    for (const auto& problem : fix.shortcutsNotFixed) {
        notFixed.push_back(
            {{"path", AnsiToUtf8(codePage, problem.path)}, {"reason", AnsiToUtf8(codePage, problem.message)}});
    }
    document["shortcutsNotFixed"] = notFixed;
    nlohmann::ordered_json leftInPlace = nlohmann::ordered_json::array();
    for (const auto& line : fix.leftUndone) leftInPlace.push_back(AnsiToUtf8(codePage, line));
    document["leftInPlace"] = leftInPlace;
    if (!fix.errorText().empty()) document["error"] = fix.errorText();
    if (!fix.ignoreListError.empty()) document["ignoreListError"] = fix.ignoreListError;
    if (fix.outcome == FixReport::Outcome::Removed) document["message"] = RemovedMessage(anythingChosen);
    out << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace

int RunFixCommand(Machine& machine, const std::filesystem::path& workFolder, const std::string& prefixForDisplay, const FixOptions& options,
                  const Confirmation& confirmation, std::ostream& out, std::ostream& err) {
    ScanSession session(machine, workFolder);
    if (!SelectCategories(options.categories, session, err)) return 2;

    const ScanResult scan = RunScanWithProgress(session);
    if (scan.end == ScanEnd::ReloadFailed || scan.end == ScanEnd::IgnoreListUnreadable || scan.end == ScanEnd::Failed) {
        err << "brindle-cli: " << scan.error << "; nothing was removed\n";
        return 2;
    }
    if (scan.end == ScanEnd::Stopped) {
        err << "brindle-cli: the scan was stopped; nothing was removed\n";
        return 2;
    }

    const FixSelection selection = SelectionKeeping(session, options.keep);
    const std::vector<std::string> kept = UntickedPaths(session, selection);
    for (const auto& path : options.keep) {
        const std::string ansi = Utf8ToAnsi(machine.codePage(), path);
        if (std::find(kept.begin(), kept.end(), ansi) == kept.end())
            err << "brindle-cli: warning: --keep " << path << " names nothing the scan found\n";
    }
    const std::size_t entries = CountTicked(selection.problemTicked);
    const std::size_t shortcuts = CountTicked(selection.shortcutTicked);
    if (entries + shortcuts + kept.size() == 0) {
        const ScanReport report = MakeScanReport(scan, prefixForDisplay);
        if (options.json) {
            PrintFixJson(report, FixReport{}, kept, false, machine.codePage(), out);
        } else {
            PrintScanReportText(report, machine.codePage(), out);
        }
        return 0;
    }
    if (entries + shortcuts > 0 && !options.yes && !Confirm(confirmation, entries, shortcuts, err)) {
        err << "brindle-cli: nothing was removed\n";
        return 2;
    }

    // The locks were taken for the whole command, the scan included.
    FixReport fix;
    RepairJob job(session);
    if (!job.startSelected(selection, nullptr, [&](FixReport ended) { fix = std::move(ended); }))
        fix.fail(FixOutcome::Failed, "another job is running on the scan");
    job.wait();
    // What was found, as the scan found it, with the repair's counts in its rows.
    ScanReport report = MakeScanReport(scan, prefixForDisplay);
    report.summaries = session.summaries();
    if (report.shortcuts) report.shortcuts->fixed = session.shortcutCounts().fixed;
    const bool anythingChosen = entries + shortcuts > 0;
    if (options.json) {
        PrintFixJson(report, fix, kept, anythingChosen, machine.codePage(), out);
    } else {
        PrintFixText(report, fix, kept, anythingChosen, machine.codePage(), out);
    }
    out.flush();
    if (!fix.ignoreListError.empty()) err << "brindle-cli: warning: " << fix.ignoreListError << "\n";
    // Part of what was listed is still there: the job was done only in part.
    if (fix.outcome == FixReport::Outcome::Partial) {
        err << "brindle-cli: " << fix.errorText() << "\n";
        return 1;
    }
    if (fix.outcome != FixReport::Outcome::Removed) {
        err << "brindle-cli: " << fix.errorText() << "\n";
        return 2;
    }
    if (!out) {
        err << "brindle-cli: cannot write the report to standard output\n";
        return 2;
    }
    return 0;
}

}  // namespace brindle::cli
