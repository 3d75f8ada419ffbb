#include "app/workflow/RestoreLatestBackup.h"

#include "app/workflow/CountedText.h"
#include "app/workflow/SaveRegistry.h"
#include "registry/BackupFile.h"
#include "registry/BackupFolder.h"
#include "registry/BackupOrigin.h"
#include "registry/BackupRestore.h"
#include "registry/ShortcutBackupFile.h"

namespace brindle {

std::string NoBackupFileMessage(const std::filesystem::path& backupFolder) {
    std::string message = kNoBackupFileFormat;
    message.replace(message.find("%s"), 2, (backupFolder / "*.reg").string());
    return message;
}

namespace {

// "2026-12-11 13:16:05" for a time-stamped backup's name; the name itself otherwise.
std::string BackupTimeText(const std::string& name) {
    if (!IsBackupFileName(name)) return name;
    std::string time = name.substr(0, 19);
    time[10] = ' ';
    time[13] = ':';
    time[16] = ':';
    return time;
}

}  // namespace

std::optional<std::string> RestoreQuestion(const std::filesystem::path& workingDirectory) {
    const auto latest = FindLatestBackup(workingDirectory / kBackupFolderName);
    if (!latest) return std::nullopt;
    const std::string name = latest->filename().string();
    std::string question = "Restore the backup of " + BackupTimeText(name) + " (" + name + ")?";
    const DecodedBackup backup = ReadBackupFile(*latest);
    if (!backup.ok()) return question;
    std::size_t shortcuts = 0;
    const std::filesystem::path companion = ShortcutBackupPathFor(*latest);
    std::error_code missing;
    if (std::filesystem::exists(std::filesystem::symlink_status(companion, missing))) {
        const DecodedShortcutBackup decoded = ReadShortcutBackupFile(companion);
        if (decoded.ok()) shortcuts = decoded->size();
    }
    question += " It holds " + CountedText(backup->size(), "registry entry", "registry entries");
    if (shortcuts > 0) question += " and " + CountedText(shortcuts, "shortcut file", "shortcut files");
    return question + ", which " + (backup->size() + shortcuts == 1 ? "is" : "are") +
           " written back into the prefix.";
}

RestoreLatestReport RestoreLatestBackup(Machine& machine, const std::filesystem::path& workingDirectory) {
    const auto use = machine.useRegistry();
    RestoreLatestReport report;
    const std::filesystem::path folder = workingDirectory / kBackupFolderName;
    const auto latest = FindLatestBackup(folder);
    if (!latest) {
        report.fail(RestoreLatestReport::Outcome::NoBackup, NoBackupFileMessage(folder));
        return report;
    }
    report.file = *latest;

    const auto origin = ReadBackupOrigin(*latest);
    if (!origin) {
        report.fail(RestoreLatestReport::Outcome::Refused, origin.error().message() + "; nothing was restored");
        return report;
    }
    const std::string here = machine.registryPlace();
    if (!origin.value()) {
        if (!here.empty())
            report.notice = latest->string() + " does not record which prefix it was taken from (backups made before " +
                            "Brindle recorded it); it is restored into " + here + ", the prefix being worked on";
    } else if (*origin.value() != here) {
        report.fail(RestoreLatestReport::Outcome::Refused,
                    latest->string() + " was taken from the prefix " + *origin.value() + ", not from " +
                        (here.empty() ? std::string("this machine") : here) +
                        "; nothing was restored (restore it with --prefix naming the prefix it came from)");
        return report;
    }

    DecodedShortcutBackup shortcuts = std::vector<ShortcutBackupEntry>();
    const std::filesystem::path companion = ShortcutBackupPathFor(*latest);
    std::error_code missing;
    if (std::filesystem::exists(std::filesystem::symlink_status(companion, missing))) {
        report.shortcutFile = companion;
        shortcuts = ReadShortcutBackupFile(companion);
        if (!shortcuts.ok()) {
            report.fail(RestoreLatestReport::Outcome::Refused, shortcuts.message() + "; nothing was restored");
            return report;
        }
    }

    // Changes made since the registry was read must not be written back along with the
    // restore, and Wine's own changes since then must not be overwritten.
    if (Status reloaded = machine.reloadRegistryIfChanged(); !reloaded) {
        report.fail(RestoreLatestReport::Outcome::SaveFailed,
                    "the registry could not be read again before the restore: " + reloaded.error().message());
        return report;
    }

    RestoreReport restored = RestoreBackupFile(machine.registry(), *latest);
    if (restored.failed()) {
        report.fail(RestoreLatestReport::Outcome::Refused, restored.errorText() + "; nothing was restored");
        return report;
    }
    if (Status saved = SaveRegistryOrDropChanges(machine); !saved) {
        report.fail(RestoreLatestReport::Outcome::SaveFailed,
                    "the restore of " + latest->string() +
                        " could not be written back, so nothing was restored: " + saved.error().message());
        return report;
    }
    // The registry first: a shortcut whose program's entries are not back is of little use.
    report.shortcuts = RestoreShortcuts(machine, shortcuts.value());
    if (!restored.leftUndone.empty() || !report.shortcuts.skipped.empty()) {
        report.leftUndone = std::move(restored.leftUndone);
        report.fail(RestoreLatestReport::Outcome::Incomplete,
                    "the restore of " + latest->string() +
                        " is incomplete: " + std::to_string(report.leftUndone.size()) + " keys or values and " +
                        std::to_string(report.shortcuts.skipped.size()) +
                        " shortcut files could not be written; the rest was restored");
        return report;
    }
    report.outcome = RestoreLatestReport::Outcome::Restored;
    return report;
}

std::string RestoreReportText(const RestoreLatestReport& report) {
    std::string text = report.userText();
    if (report.outcome == RestoreLatestReport::Outcome::Restored) {
        text += "\n\nRestored from " + report.file.string();
        if (!report.shortcuts.restored.empty())
            text += ", with " + CountedText(report.shortcuts.restored.size(), "shortcut file", "shortcut files") + " put back";
        text += ".";
    }
    for (const std::string& line : report.leftUndone) text += "\n" + line;
    return text;
}

}  // namespace brindle
