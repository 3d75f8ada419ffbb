// brindle-cli backups: lists the registry backups in "Registry Backups" below the
// prefix's data folder, newest first: the one `restore --latest` takes comes first.
#pragma once

#include <filesystem>
#include <ostream>

namespace brindle::cli {

// Exit status 0, also when there is no backup (it says so).
int RunBackupsCommand(const std::filesystem::path& workFolder, std::ostream& out);

}  // namespace brindle::cli
