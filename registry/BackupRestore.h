// Writes backup records back into the registry: each record's key is created or opened,
// its values set and its sub-keys written the same way, recursively.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "registry/BackupFile.h"

namespace brindle {

struct RestoreReport {
    // Empty when the file was read and checked; otherwise why it was refused, and the
    // registry was not touched.
    std::string error;
    std::size_t keysWritten = 0;
    std::size_t valuesWritten = 0;
    // One line per key or value that could not be written, naming it and the status. A
    // key that cannot be created is passed over with everything below it; the restore
    // goes on with the rest.
    std::vector<std::string> failures;

    bool complete() const { return error.empty() && failures.empty(); }
};

RestoreReport RestoreBackup(Registry& registry, const std::vector<BackupRecord>& records);

// Reads and checks the whole file first; only a file that is sound throughout is written.
RestoreReport RestoreBackupFile(Registry& registry, const std::filesystem::path& path);

}  // namespace brindle
