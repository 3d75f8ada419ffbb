// Wine's file system redirection for 32-bit programs of a 64-bit prefix, as plain text
// rules: no file is consulted.
//
// Below the Windows folder of the system drive, "system32" is "syswow64" on disk, except
// for the folders Wine keeps shared between both kinds of program, and "sysnative" is the
// real "system32". Nothing else is redirected: another drive that leads to the same host
// folder is read as it is. The shared folders are Wine 8's list, which spells one of them
// "driversstore" (a "driverstore" folder is redirected like any other).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// The path a 32-bit program really opens for `path` (both UTF-8), or nothing when Wine
// does not redirect it. The path is read as Win32 reads it, against currentDirectory;
// windowsDirectory is the machine's, such as "C:\windows".
std::optional<std::string> Wow64RedirectedPath(std::string_view path, std::string_view windowsDirectory,
                                               std::string_view currentDirectory);

}  // namespace brindle
