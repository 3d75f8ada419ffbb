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
#include "scan/ProblemRecord.h"

namespace brindle {

inline constexpr const char* kBackupFolderName = "Registry Backups";
inline constexpr std::size_t kBackupsKept = 5;

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

// "2024-03-09_14-05-59.reg": names that sort in time order.
std::string BackupFileName(const BackupTime& time);
bool IsBackupFileName(std::string_view name);

struct BackupResult {
    enum class Outcome {
        NothingToBackUp,  // no problem had a key path; no file was written or deleted
        Written,          // file holds the backup, complete and on disk
        Failed,           // error says why; the repair must not run
    };
    Outcome outcome = Outcome::Failed;
    std::filesystem::path file;
    std::string error;
    // What the backup does not hold (see CollectedBackup::leftOut).
    std::vector<std::string> leftOut;
    // The problems whose backup misses something (see CollectedBackup::incomplete).
    std::vector<std::size_t> incomplete;
};

// Writes the backup of the problems into workingDirectory/"Registry Backups" under the
// clock's time, then deletes the oldest time-stamped backups beyond kBackupsKept. An
// existing backup of the same name is never replaced: the call then fails, and a second
// later a new name is free.
BackupResult BackupRegistry(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems,
                            const std::filesystem::path& workingDirectory, const BackupClock& clock = LocalBackupTime);

// Deletes time-stamped backups in the folder, oldest name first, until kBackupsKept are
// left; `keep` is never deleted. Other files are left alone. Failures are ignored: an
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
