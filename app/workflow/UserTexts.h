// The program's fixed texts that the user reads in its messages and on its screens, kept
// in one place so that the window and the terminal say exactly the same, odd spellings
// included. The scanners' status titles stay with their categories (scan/ScanTypes.h).
#pragma once

namespace brindle {

inline constexpr const char* kProgramCaption = "Brindle";

// The scan.
inline constexpr const char* kScanCompleteMessage = "Scan Complete";
// Said instead of starting a scan that would look at nothing.
inline constexpr const char* kNoCategoryTickedMessage = "Tick at least one category to scan.";
inline constexpr const char* kScanCompleteStatus = "ScanComplete";

// The summary window's workers, when they break off.
inline constexpr const char* kScanThreadCaption = "Scan thread";
inline constexpr const char* kScanFailedMessage = "Error Occured while scanning";
inline constexpr const char* kFixThreadCaption = "Fix thread";
inline constexpr const char* kFixFailedMessage = "Error Occured while Fixing";

// The repair.
inline constexpr const char* kBackupInProgressText = "Backup in progress";
inline constexpr const char* kFixingErrorsText = "Fixing errors";
inline constexpr const char* kItemsRemovedMessage = "Items selected have been removed from the system";
// A repair with no row ticked: the unticked rows are kept, nothing is removed.
inline constexpr const char* kNothingTickedMessage = "Nothing was removed: no row was ticked.";
inline constexpr const char* kNothingListedMessage = "Nothing was removed: the list holds nothing to remove.";

// The settings panel's backup box, which is always ticked: no repair runs without a backup.
inline constexpr const char* kBackupAlwaysMadeTip = "Every repair is backed up first; this cannot be turned off.";

// The restore of the newest backup.
inline constexpr const char* kRestoreCompleteMessage = "Restore Complete";
inline constexpr const char* kNoBackupFileFormat = "Can't find any backup file in %s.";
inline constexpr const char* kCantSetValueMessage = "Can't set value";

// The restore of a snapshot file.
inline constexpr const char* kSnapshotRestoreCaption = "Registry Restoration";
inline constexpr const char* kSnapshotRestoreSucceeded = "Registry Restored Successfuly";
inline constexpr const char* kSnapshotRestoreFailed = "Registry Restoration Failed";

// The main window's start-up.
inline constexpr const char* kSkinNotFoundMessage = "skin.ini Not Found";
inline constexpr const char* kSkinNotFoundCaption = "Marlow";
inline constexpr const char* kRegionIsNullMessage = "Region is Null";

// The window's settings, when the registry could not take them before the program ends
// (a running Wine keeps its files); the reason follows. Retry tries again, Discard gives
// the changes up.
inline constexpr const char* kSettingsNotSavedMessage =
    "Brindle could not save your settings. Retry once the reason below is gone, or discard the changes "
    "made in this session.\n\n";

// The panels' commands.
inline constexpr const char* kLiveUpdateCaption = "Fennick";
inline constexpr const char* kLiveUpdateQuestion =
    "To Run the Live Update,Brindle must be shut down\n Would you like to close Brindle, and run live update now?";
// The exit code of a program that ended to let the live update run.
inline constexpr int kLiveUpdateExitCode = 18;

}  // namespace brindle
