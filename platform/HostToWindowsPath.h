// A file of the host as programs inside the Wine prefix name it, through the prefix's
// drives: /usr/bin/brindle is "Z:\usr\bin\brindle" where z: leads to /. What the program
// writes into the prefix's registry about itself must be in that form.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/WineDrives.h"

namespace brindle {

// The Windows path of an existing host file, through the drive whose real path holds
// the file's canonical path most closely (the deepest real path); among drives reaching
// it equally, a drive of fixed media before a removable or CD-ROM one, which may be
// missing when the path is used, then the lowest letter. The path's text is the host's
// (UTF-8 on Linux), with backslashes between the segments.
//
// Fails, saying which and why, when the file cannot be resolved, when no drive reaches
// it, or when a segment below the drive is no name Windows can use: one holding a
// backslash or one of : * ? " < > | or a control character, one ending in a dot or a
// space (Windows drops those), or a device name such as CON or LPT1.
Result<std::string> WindowsPathOfHostFile(const std::vector<WineDrive>& drives,
                                          const std::filesystem::path& hostFile);

}  // namespace brindle
