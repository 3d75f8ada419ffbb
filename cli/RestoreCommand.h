// brindle-cli restore: writes the newest registry backup (--latest) or a snapshot file
// (--snapshot FILE) back into the registry and saves it.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "platform/Machine.h"

namespace brindle::cli {

struct RestoreOptions {
    bool latest = false;
    std::optional<std::string> snapshot;  // host path of a snapshot file
};

// Exit status: 0 restored, 2 not (or not wholly) restored; messages on err.
int RunRestoreCommand(Machine& machine, const std::filesystem::path& workFolder, const RestoreOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brindle::cli
