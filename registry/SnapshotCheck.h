// The look a restore takes at a whole snapshot file before it writes anything: a file
// that is cut short, cannot be parsed, names a root the registry does not have, or nests
// keys deeper than the prefix's registry files can hold back would leave a restore half
// done, or write keys that the next load refuses.
#pragma once

#include <string>

#include "platform/Result.h"

namespace brindle {

class RegistrySnapshot;

// Succeeds when a restore can write back everything the file holds; otherwise says what
// is wrong and where (the file's name and line).
Status CheckSnapshotFile(const RegistrySnapshot& lib, const std::string& fileName);

}  // namespace brindle
