#include "cli/BackupsCommand.h"

#include <filesystem>
#include <fstream>

#include "cli/ScanReport.h"
#include "platform/CodePage.h"
#include "registry/BackupFolder.h"
#include "registry/ShortcutBackupFile.h"

namespace brindle::cli {

namespace {

// Text exports of the whole registry share the folder and the name pattern; the restore
// refuses them, so the list says which is which.
const char* KindOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    return std::string_view(head, static_cast<std::size_t>(in.gcount())) == "REGEDIT4" ? "text export"
                                                                                        : "backup";
}

// Shortcut paths are in the prefix's code page, which this command does not open; the
// default one is right for nearly every prefix, and a wrong one only misprints a name.
void PrintShortcutBackup(const std::filesystem::path& file, std::ostream& out) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) return;
    const DecodedShortcutBackup backup = ReadShortcutBackupFile(file);
    if (!backup.ok()) {
        out << "    " << file.filename().string() << "  damaged: " << backup.message() << "\n";
        return;
    }
    out << "    " << file.filename().string() << "  " << backup->size()
        << (backup->size() == 1 ? " shortcut file" : " shortcut files") << ":\n";
    const CodePage codePage(1252);
    for (const auto& entry : backup.value()) {
        out << "      " << AnsiToUtf8(codePage, entry.path) << "  " << entry.bytes.size() << " bytes\n";
    }
}

}  // namespace

int RunBackupsCommand(const std::filesystem::path& workFolder, std::ostream& out) {
    const std::filesystem::path folder = workFolder / kBackupFolderName;
    const auto backups = ListBackups(folder);
    if (backups.empty()) {
        out << "No registry backups in " << folder.string() << "\n";
        return 0;
    }
    out << "Registry backups in " << folder.string() << ", newest first:\n";
    for (const auto& file : backups) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        out << "  " << file.filename().string() << "  " << (error ? 0 : size) << " bytes  " << KindOf(file) << "\n";
        PrintShortcutBackup(ShortcutBackupPathFor(file), out);
    }
    return 0;
}

}  // namespace brindle::cli
