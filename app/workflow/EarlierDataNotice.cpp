#include "app/workflow/EarlierDataNotice.h"

#include "registry/BackupFolder.h"
#include "registry/IgnoreList.h"

namespace brindle {

namespace fs = std::filesystem;

std::string EarlierDataNotice(const DataFolder& folder, const fs::path& startFolder) {
    if (!folder.created || folder.chosen) return {};
    std::error_code error;
    if (fs::equivalent(folder.path, startFolder, error)) return {};
    std::string found;
    const bool list = fs::exists(fs::symlink_status(startFolder / kIgnoreListFile, error));
    const bool backups = fs::is_directory(fs::symlink_status(startFolder / kBackupFolderName, error));
    if (list) found = kIgnoreListFile;
    if (backups) found += std::string(list ? " and " : "") + "\"" + kBackupFolderName + "\"";
    if (found.empty()) return {};
    return "Brindle now keeps this prefix's ignore list and backups in " + folder.path.string() +
           ". The current folder " + startFolder.string() + " has " + found + " from an earlier version; " +
           (list && backups ? "they were" : "it was") + " not moved and " + (list && backups ? "are" : "is") +
           " not used. To go on using them, start Brindle "
           "with --work-dir " + startFolder.string() + ", or move them into " + folder.path.string() + ".";
}

}  // namespace brindle
