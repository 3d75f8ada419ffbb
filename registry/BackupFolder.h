// The folder of registry backups: one time-stamped file per repair in "Registry Backups"
// below the working directory, the newest kBackupsKept kept, and the newest found again
// for the restore.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Result.h"
#include "registry/JobReport.h"
#include "registry/ProblemRecord.h"
#include "registry/ShortcutBackupFile.h"

namespace brindle {

inline constexpr const char* kBackupFolderName = "Registry Backups";
inline constexpr std::size_t kBackupsKept = 5;
// Repairs within one second get the names "<time>.reg", "<time>_2.reg", ... up to this.
inline constexpr unsigned kMaxBackupsPerSecond = 999;

// A local wall-clock time, as the backup's file name shows it.
struct BackupTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Tests hand in a clock of their own.
using BackupClock = std::function<BackupTime()>;
BackupTime LocalBackupTime();

// "2024-03-09_14-05-59.reg" for the first backup of a second, "2024-03-09_14-05-59_2.reg"
// for the second one, and so on.
std::string BackupFileName(const BackupTime& time, unsigned sequence = 1);
bool IsBackupFileName(std::string_view name);
// Time order of two names IsBackupFileName accepts (the sequence number compared as a
// number, so "_10" comes after "_9").
bool BackupNameBefore(std::string_view earlier, std::string_view later);

enum class BackupOutcome {
    NothingToBackUp,  // no problem had a key path; no file was written or deleted
    Written,          // file holds the backup, complete and on disk
    Failed,           // error says why; the repair must not run
};

// leftUndone: what the backup does not hold, one line per problem, key or value (see
// CollectedBackup::leftOut). Those entries are the ones this backup left undone even when
// it was Written, so they are not an error; the repair keeps their problems in place.
struct BackupResult : JobReport<BackupOutcome> {
    using Outcome = BackupOutcome;
    // Failed until the file is on disk.
    BackupResult() : JobReport(Outcome::Failed) {}

    std::filesystem::path file;
    // The shortcut backup beside file (see registry/ShortcutBackupFile.h); empty when
    // no shortcut was handed in.
    std::filesystem::path shortcutFile;
    // The problems whose backup misses something (see CollectedBackup::incomplete): their
    // indexes in the problem list, which leftUndone's lines cannot give back.
    std::vector<std::size_t> incomplete;
};

// Where a backup goes: "Registry Backups" below the work folder, with the prefix it is
// taken from recorded beside it (registry/BackupOrigin.h); a machine that lives only in
// memory has no prefix to record.
struct BackupPlace {
    BackupPlace(std::filesystem::path workFolder, std::string origin = {})
        : workFolder(std::move(workFolder)), origin(std::move(origin)) {}
    std::filesystem::path workFolder;
    std::string origin;
};

// Writes the backup of the problems into workingDirectory/"Registry Backups" under the
// clock's time, and beside it the shortcut backup of `shortcuts` when there are any,
// then deletes the oldest time-stamped backups beyond kBackupsKept (each with its
// shortcut backup). Every file is created exclusively: a name that is taken (by an
// earlier backup of the same second, or by anything at all, a symbolic link included)
// is passed over for the next free one, so nothing is ever replaced or followed. With
// shortcuts but no registry problem, the registry backup is written empty, so that the
// shortcut backup has its registry backup to come and go with. Nothing is written when
// neither has anything to hold. The place's origin, when it has one, is recorded beside
// the backup before anything old is pruned; a backup whose origin could not be recorded
// is taken back and the result is Failed.
BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const std::vector<ShortcutBackupEntry>& shortcuts, const BackupPlace& place,
                            const BackupClock& clock = LocalBackupTime);
BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const BackupPlace& place, const BackupClock& clock = LocalBackupTime);

// Writes the shortcut backup beside a registry backup that is already in place (the
// whole-registry export), never replacing anything.
Status WriteShortcutBackupBeside(const std::filesystem::path& registryBackup,
                                 const std::vector<ShortcutBackupEntry>& shortcuts);

// Deletes time-stamped backups in the folder, oldest name first, until kBackupsKept are
// left, each with its shortcut backup and its origin record; `keep` is never deleted. Other files are left
// alone. Failures are ignored: an
// old backup too many does no harm.
void PruneBackups(const std::filesystem::path& folder, const std::filesystem::path& keep);

// The "*.reg" file directly in the folder that was created last (by the file system's
// creation time where it keeps one, else its modification time; the larger name on a
// tie). Nothing when there is none.
std::optional<std::filesystem::path> FindLatestBackup(const std::filesystem::path& folder);
// Every "*.reg" file directly in the folder whose times can be read, newest first in
// the order FindLatestBackup judges by.
std::vector<std::filesystem::path> ListBackups(const std::filesystem::path& folder);

}  // namespace brindle
