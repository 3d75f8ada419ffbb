// brindle-cli backups: lists the registry backups in "Registry Backups" below the
// current directory, newest first: the one `restore --latest` takes comes first.
#pragma once

#include <ostream>

namespace brindle::cli {

// Exit status 0, also when there is no backup (it says so).
int RunBackupsCommand(std::ostream& out);

}  // namespace brindle::cli
