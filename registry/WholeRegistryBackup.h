// The backup taken before a repair that hands over no problem list: a text export of the
// whole of HKEY_LOCAL_MACHINE (registry/RegistryTextExport.h), written as the working
// file "1.reg" in the working directory by an exporter on a thread of its own, then moved
// into "Registry Backups" under the time-stamped name as soon as it is complete.
//
// The restore reads binary backups only and refuses these files; they are there for the
// user to import by hand.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/Registry.h"
#include "platform/Result.h"
#include "registry/BackupFolder.h"

namespace brindle {

inline constexpr const char* kWorkingBackupFileName = "1.reg";

// Writes the export to `file`, which must appear only when complete; gives up soon after
// `stop` becomes true. A failure says why.
using WorkingFileExporter =
    std::function<Status(Registry& registry, const std::filesystem::path& file, const std::atomic<bool>& stop)>;

// ExportRegistryText of HKEY_LOCAL_MACHINE.
Status ExportLocalMachine(Registry& registry, const std::filesystem::path& file, const std::atomic<bool>& stop);

struct WholeRegistryBackupOptions {
    // How often the move into the backup folder is tried while the export runs, and for
    // how long before the backup is given up.
    std::chrono::milliseconds movePause = std::chrono::milliseconds(100);
    std::chrono::milliseconds moveLimit = std::chrono::minutes(10);
    WorkingFileExporter exporter = ExportLocalMachine;
};

// Deletes the working file, runs the exporter, moves its file to
// workingDirectory/"Registry Backups"/<clock's time>.reg and keeps the kBackupsKept newest
// backups. An existing backup of the same name is never replaced: the next free name of
// that second is taken instead ("..._2.reg"), as for the repair's own backups.
// The place's origin is recorded beside the backup as for a repair's.
// On failure the working file is deleted and no backup is added or pruned. The exporter's
// thread has always ended when this returns.
BackupResult BackupRegistry(Registry& registry, const BackupPlace& place, const BackupClock& clock = LocalBackupTime,
                            const WholeRegistryBackupOptions& options = WholeRegistryBackupOptions());

}  // namespace brindle
