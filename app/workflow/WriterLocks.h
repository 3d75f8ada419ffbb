// One writer at a time: the locks a job that writes holds for its length, on the prefix
// (beside its registry files) and on the work folder (ignore list, snapshot, backups).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ExclusiveLock.h"
#include "platform/Result.h"

namespace brindle {

using WriterLocks = std::vector<std::unique_ptr<ExclusiveLock>>;

// Takes the prefix's lock file (when there is one; a machine that lives only in memory has
// none) and the work folder's; a work folder that is the prefix itself shares its one lock
// file, which is taken once. The error names what is held, and by what.
Result<WriterLocks> TakeWriterLocks(const std::optional<std::filesystem::path>& prefixLockFile,
                                    const std::filesystem::path& workFolder);

}  // namespace brindle
