// Reading and creating single files of the machine by their Windows path, for the
// shortcut backup and its restore. The platform's FileSystem has no calls for these
// yet; these stand in for them on top of its look-ups.
//
// Both keep to the machine: the file's folder must lie on a fixed drive and, by its real
// path, inside that drive's folder (Wine links the user's folders to the host's home,
// which is not the machine's to change), and the file itself is never reached through a
// symbolic link.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Machine.h"
#include "platform/ExclusiveFile.h"

namespace brindle {

struct MachineFileRead {
    // The file's bytes, when it was read whole; otherwise error says why.
    std::optional<std::string> bytes;
    win::DWORD attributes = 0;
    std::string error;
};

// A regular file of at most limit bytes.
MachineFileRead ReadMachineFile(Machine& machine, const std::string& windowsPath, std::uint64_t limit);

// Creates the file with content only when nothing (of any letter case, as Windows
// matches names) is at windowsPath now; its folder must exist. NameTaken when
// something is there.
ExclusiveCreateResult CreateMachineFile(Machine& machine, const std::string& windowsPath, std::string_view content);

}  // namespace brindle
