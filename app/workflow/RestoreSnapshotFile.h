// Writes a snapshot file chosen by the user back into the registry and then to where
// the registry is kept: the panel's restore.
#pragma once

#include <string>
#include <vector>

#include "platform/Machine.h"

namespace brindle {

struct SnapshotRestoreReport {
    bool restored = false;
    // What the import showed along the way ("couldn't set value ...", parse errors) and,
    // when the result could not be written back, why; in the order they happened.
    std::vector<std::string> messages;
};

// Restored only when the whole import succeeded without a message and reached the disk; a registry that cannot be written back is read again, so nothing is half done.
SnapshotRestoreReport RestoreSnapshotFile(Machine& machine, const std::string& fileName);

}  // namespace brindle
