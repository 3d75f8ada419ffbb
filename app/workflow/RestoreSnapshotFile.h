// Writes a snapshot file chosen by the user back into the registry and then to where
// the registry is kept: the panel's restore.
#pragma once

#include <string>

#include "app/workflow/UserMessages.h"
#include "platform/Machine.h"

namespace brindle {

// True only when the whole import succeeded without a message and reached the disk. What
// the import has to say along the way ("couldn't set value ...", parse errors) and, when
// the result could not be written back, why, is told to the user as it happens. A
// registry that cannot be written back is read again, so nothing is half done.
bool RestoreSnapshotFile(Machine& machine, const std::string& fileName, UserMessages& messages);

}  // namespace brindle
