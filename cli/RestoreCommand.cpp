#include "cli/RestoreCommand.h"

#include <filesystem>

#include "app/workflow/RestoreLatestBackup.h"
#include "app/workflow/RestoreSnapshotFile.h"
#include "cli/ScanReport.h"
#include "cli/StandardErrorMessages.h"

namespace brindle::cli {

namespace {

void PrintShortcuts(const RestoreLatestReport& report, const CodePage& codePage, std::ostream& out,
                    std::ostream& err) {
    if (!report.shortcutFile.empty()) out << "Shortcuts from " << report.shortcutFile.string() << ":\n";
    for (const auto& path : report.shortcuts.restored) out << "  restored " << AnsiToUtf8(codePage, path) << "\n";
    for (const auto& path : report.shortcuts.alreadyThere)
        out << "  already there " << AnsiToUtf8(codePage, path) << "\n";
    for (const auto& skipped : report.shortcuts.skipped)
        err << "brindle-cli: shortcut not restored: " << AnsiToUtf8(codePage, skipped.message) << "\n";
}

int RestoreLatest(Machine& machine, const std::filesystem::path& workFolder, std::ostream& out, std::ostream& err) {
    const RestoreLatestReport report = RestoreLatestBackup(machine, workFolder);
    PrintShortcuts(report, machine.codePage(), out, err);
    if (report.outcome == RestoreLatestReport::Outcome::Restored) {
        out << "Restored " << report.file.string() << "\n" << kRestoreCompleteMessage << "\n";
        if (!report.notice.empty()) err << "brindle-cli: note: " << report.notice << "\n";
        return 0;
    }
    for (const auto& failure : report.leftUndone) {
        err << kCantSetValueMessage << ": " << AnsiToUtf8(machine.codePage(), failure) << "\n";
    }
    err << "brindle-cli: " << report.userText() << "\n";
    return 2;
}

int RestoreSnapshot(Machine& machine, const std::string& file, std::ostream& out, std::ostream& err) {
    StandardErrorMessages messages(machine.codePage(), err);
    if (RestoreSnapshotFile(machine, file, messages)) {
        out << kSnapshotRestoreSucceeded << "\n";
        return 0;
    }
    out << kSnapshotRestoreFailed << "\n";
    return 2;
}

}  // namespace

int RunRestoreCommand(Machine& machine, const std::filesystem::path& workFolder, const RestoreOptions& options,
                      std::ostream& out, std::ostream& err) {
    if (options.latest == options.snapshot.has_value()) {
        err << "brindle-cli: restore needs exactly one of --latest and --snapshot FILE\n";
        return 2;
    }
    return options.latest ? RestoreLatest(machine, workFolder, out, err) : RestoreSnapshot(machine, *options.snapshot, out, err);
}

}  // namespace brindle::cli
