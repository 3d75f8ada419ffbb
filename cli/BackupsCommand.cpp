#include "cli/BackupsCommand.h"

#include <filesystem>
#include <fstream>

#include "registry/BackupFolder.h"

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

}  // namespace

int RunBackupsCommand(std::ostream& out) {
    const std::filesystem::path folder = std::filesystem::current_path() / kBackupFolderName;
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
    }
    return 0;
}

}  // namespace brindle::cli
