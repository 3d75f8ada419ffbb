// The drives of a Wine prefix: one symbolic link per drive in <prefix>/dosdevices
// ("c:" -> "../drive_c", "z:" -> "/"), with types from HKLM\Software\Wine\Drives.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Result.h"

namespace brindle {

enum class WineDriveType { Fixed, Removable, Remote, CdRom, RamDisk, Unknown };

struct WineDrive {
    char letter = 0;               // upper case
    std::filesystem::path target;  // as the link says, made absolute against dosdevices/
    std::filesystem::path realPath;  // canonical; empty when the link dangles
    WineDriveType type = WineDriveType::Unknown;
    bool insidePrefix = false;  // the real path lies in the prefix folder
};

// Reads <prefix>/dosdevices. Only "x:" names are drives (Wine looks up lower-case names
// only); devices such as "com1" and raw devices such as "d::" are not. Sorted by letter;
// empty when the folder cannot be read.
//
// typeSettings maps a drive letter (either case) to its HKLM\Software\Wine\Drives value:
// "hd", "floppy", "cdrom", "network" or "ramdisk" in any letter case; other text gives
// Unknown. Without a setting:
//   - a: and b: are floppies (Removable), as in Wine;
//   - a drive whose real path lies inside the prefix is Fixed;
//   - a drive that leads out of the prefix (z: -> /) is Remote. Wine calls it a hard
//     disk, but a Fixed drive is one a scan may walk whole, and the host's entire file
//     system must never be walked unasked. Remote says what it is from the prefix's
//     side: files that exist and can be read, on a disk the installation does not own.
//     An explicit "hd" setting makes it Fixed.
// A dangling link is kept, but never Fixed, since there is nothing to walk: where the
// rules would make it Fixed, or there is no real path to judge by, it is Unknown.
std::vector<WineDrive> ReadWineDrives(const std::filesystem::path& prefix,
                                      const std::map<char, std::string>& typeSettings);

// Succeeds when <prefix>/dosdevices/c: leads to a folder; otherwise the message names
// the prefix and the link and says what is wrong with it. Without a working C: every
// path of the machine would look missing.
Status CheckSystemDrive(const std::filesystem::path& prefix);

// The GetDriveTypeA code: DRIVE_FIXED, DRIVE_REMOVABLE, ... DRIVE_UNKNOWN.
unsigned ToWin32DriveType(WineDriveType type);

}  // namespace brindle
