// Writes the newest registry backup back into the registry and then to where the
// registry is kept, then puts back the shortcut files of the shortcut backup beside it:
// the main screen's restore.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/workflow/UserTexts.h"
#include "platform/Machine.h"
#include "registry/JobReport.h"
#include "registry/ShortcutBackup.h"

namespace brindle {

enum class RestoreLatestOutcome {
    Restored,    // everything in the file was written back and saved
    NoBackup,    // no backup file in the folder
    Refused,     // the file is not a sound backup; the registry was not touched
    Incomplete,  // some keys, values or shortcuts could not be written; the rest was saved
    SaveFailed,  // nothing reached the disk
};

// error: for every outcome but Restored, the text for the user: the no-backup text with
// the search pattern, or what was refused or failed, naming the file.
// leftUndone: for Incomplete, one line per key or value that could not be written. The
// shortcuts not put back stay in `shortcuts.skipped`, with their paths apart.
struct RestoreLatestReport : JobReport<RestoreLatestOutcome> {
    using Outcome = RestoreLatestOutcome;
    RestoreLatestReport() : JobReport(Outcome::NoBackup) {}

    std::filesystem::path file;
    // The shortcut backup beside file, when there is one, and what became of each
    // shortcut in it (a shortcut is put back only where nothing is now).
    std::filesystem::path shortcutFile;
    ShortcutRestoreReport shortcuts;

    // Said beside any outcome: that the backup does not record its prefix.
    std::string notice;

    // What the user is told: kRestoreCompleteMessage when Restored, else the error; the
    // notice after either.
    std::string userText() const {
        std::string text = outcome == Outcome::Restored ? std::string(kRestoreCompleteMessage) : errorText();
        if (!notice.empty()) text += "\n\n" + notice;
        return text;
    }
};

// The backup folder is "Registry Backups" below workingDirectory. Both files are read and
// checked before anything is written; a damaged one refuses the whole restore, and so does
// one that is not the user's own private file. A backup recorded as taken from another
// prefix than the machine's is refused, naming both; one that records no prefix (taken
// before backups recorded it) is restored with a notice.
RestoreLatestReport RestoreLatestBackup(Machine& machine, const std::filesystem::path& workingDirectory);

// The question asked before the restore: which backup (its time, its file) and what it
// holds, e.g. "Restore the backup of 2026-12-11 13:16:05 (2026-12-11_13-16-05.reg)? It
// holds 12 registry entries and 3 shortcut files, which are written back into the
// prefix." Nothing when there is no backup to restore (the restore then says so itself).
// A backup that cannot be read is still named; the restore refuses it with the reason.
std::optional<std::string> RestoreQuestion(const std::filesystem::path& workingDirectory);

// What the window tells at the end: userText(), then for a restore the file it came from
// and how many shortcut files were put back, then each line left undone.
std::string RestoreReportText(const RestoreLatestReport& report);

// Formats kNoBackupFileFormat for a folder.
std::string NoBackupFileMessage(const std::filesystem::path& backupFolder);

}  // namespace brindle
