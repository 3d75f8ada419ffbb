// The data side of removing what the user left ticked on the results list: unticked
// rows go to the ignore list, the registry is backed up, then repaired and written
// back, then the shortcut files are deleted.
#pragma once

#include <string>
#include <vector>

#include "app/workflow/ScanSession.h"
#include "registry/BackupFolder.h"

namespace brindle {

inline constexpr const char* kProgramCaption = "Brindle";
inline constexpr const char* kItemsRemovedMessage = "Items selected have been removed from the system";
inline constexpr const char* kBackupInProgressText = "Backup in progress";
inline constexpr const char* kFixingErrorsText = "Fixing errors";

// One flag per row of the results list: the registry problems in list order, then the
// shortcuts. A row without a flag counts as ticked, as the list shows every row ticked.
struct FixSelection {
    std::vector<bool> problemTicked;
    std::vector<bool> shortcutTicked;

    bool problemIsTicked(std::size_t index) const {
        return index >= problemTicked.size() || problemTicked[index];
    }
    bool shortcutIsTicked(std::size_t index) const {
        return index >= shortcutTicked.size() || shortcutTicked[index];
    }
};

struct FixReport {
    enum class Outcome {
        Removed,        // kItemsRemovedMessage may be shown
        ChangedOnDisk,  // the registry files changed since the scan; nothing was done
        BackupFailed,   // nothing was deleted
        SaveFailed,     // the repair could not be written back; nothing on disk changed
        Stopped,        // stopped by the stop event; see `registrySaved`
    };
    Outcome outcome = Outcome::Removed;
    // What went wrong, naming the file or prefix, for every outcome but Removed.
    std::string error;
    // Not empty when the ignore list could not be saved: the unticked rows are still
    // left alone by this repair, but a later scan lists them again.
    std::string ignoreListError;
    BackupResult backup;
    // Problems left in place because their backup misses something, one line each.
    std::vector<std::string> keptUnbackedUp;
    // Whether the registry repair reached the disk (for a stop after that point).
    bool registrySaved = false;
};

// The snapshot file is created in the current directory under snapshotFileName while
// the repair runs; the ignore list and the backup folder are in the current directory.
FixReport FixSelected(ScanSession& session, const FixSelection& selection, const std::string& snapshotFileName,
                      const BackupClock& clock = LocalBackupTime);

}  // namespace brindle
