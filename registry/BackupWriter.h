// Gathers from the registry exactly the keys and values a repair of the given problems
// will touch, as backup records (see registry/BackupFormat.h).
//
// A problem of kind "KEY" is backed up with its whole tree, one of kind "VAL" with the one
// value it names. Whatever cannot be backed up is listed, so that the caller can tell a
// complete backup from a partial one before it lets the repair run.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "registry/BackupFile.h"
#include "registry/ProblemRecord.h"

namespace brindle {

struct CollectedBackup {
    std::vector<BackupRecord> records;
    // One line for each problem, value or sub-key the records do not hold: which, and why.
    std::vector<std::string> leftOut;
    // Indexes into the problem list of the problems whose backup misses something; a
    // repair must leave those alone.
    std::vector<std::size_t> incomplete;
};

// Whether a backup of these problems has anything to hold: a problem list that is empty,
// or in which every key path is empty (the user unticked them all), has not.
bool NeedsBackup(const std::vector<std::unique_ptr<ProblemRecord>>& problems);

// Problems are taken in list order; null slots and empty key paths are passed over. A key
// path must begin with one of the four root names a backup holds, spelled exactly
// (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS).
CollectedBackup CollectBackup(Registry& registry, const std::vector<std::unique_ptr<ProblemRecord>>& problems);

}  // namespace brindle
