// The restore command's work once the user has picked a snapshot file: the file's keys
// and values are written back into the machine's registry. Choosing the file and showing
// the outcome belong to the windowed program or the command-line tool.
#pragma once

#include <string>

#include "platform/Machine.h"
#include "registry/RegistrySnapshot.h"

namespace brindle {

// Loads the snapshot with a fresh RegistrySnapshot. Every message of the import (a key that
// cannot be created, a value that cannot be set, a parse error, a file that cannot be
// read) goes to display. True only when the whole file was read and every key written;
// the registry changes are not saved here, which is the caller's business.
bool RestoreFromSnapshot(Machine& machine, const std::string& fileName, const RegistryAccess::MessageDisplay& display);

}  // namespace brindle
