// Writes backup records back into the registry: each record's key is created or opened,
// its values set and its sub-keys written the same way, recursively.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "registry/BackupFile.h"
#include "registry/JobReport.h"

namespace brindle {

enum class RestoreOutcome {
    Restored,    // every key and value of the records was written
    Refused,     // the file is not a sound backup (error says why); the registry was not touched
    Incomplete,  // some keys or values could not be written (leftUndone); the rest was
};

// leftUndone: one line per key or value that could not be written, naming it and the
// status. A key that cannot be created is passed over with everything below it; the
// restore goes on with the rest. An incomplete restore has no error of its own: the
// lines are all there is to say, and the caller words the summary for its user.
struct RestoreReport : JobReport<RestoreOutcome> {
    using Outcome = RestoreOutcome;

    std::size_t keysWritten = 0;
    std::size_t valuesWritten = 0;

    bool complete() const { return outcome == Outcome::Restored; }
};

RestoreReport RestoreBackup(Registry& registry, const std::vector<BackupRecord>& records);

// Reads and checks the whole file first; only a file that is sound throughout is written.
RestoreReport RestoreBackupFile(Registry& registry, const std::filesystem::path& path);

}  // namespace brindle
