// The shortcut backup: the shortcut files a repair deletes, written and on disk before
// the first of them goes. It lies beside the registry backup of the same repair with the
// same name stem ("2026-03-09_14-05-59.reg" and "2026-03-09_14-05-59.lnk-backup"), so the
// registry backup keeps its own layout, and it goes and comes with that file.
//
// Every integer is an unsigned 32-bit little-endian number; paths are ANSI bytes of the
// machine's code page without a terminating NUL.
//
//   +0   8 bytes  magic          kShortcutBackupMagic, "BRNDLNK1"
//   +8   u32      entry count    at most kMaxShortcutBackupEntries
//   +12  entries, one after the other, nothing after the last:
//          u32   path length     1 to kMaxShortcutBackupPathBytes
//          path                  the shortcut's full Windows path ("C:\users\...\x.lnk")
//          u32   attributes      the Win32 attributes it had; FILE_ATTRIBUTE_READONLY
//                                is given back on restore, the rest is informative
//          u32   data length     at most kMaxShortcutBackupDataBytes
//          data                  the file's bytes, unchanged
//
// The count equals the number of entries that follow. The reader checks every length
// against the bytes left and the limits before it reads, and refuses the whole file at
// the first fault.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"
#include "platform/WinTypes.h"

namespace brindle {

inline constexpr std::string_view kShortcutBackupMagic{"BRNDLNK1", 8};
inline constexpr const char* kShortcutBackupExtension = ".lnk-backup";

// A shortcut is a few kilobytes; a file far beyond that is no shortcut worth keeping
// whole, and the limits stop a damaged file from asking for absurd amounts of memory.
inline constexpr std::uint32_t kMaxShortcutBackupEntries = 100000;
inline constexpr std::uint32_t kMaxShortcutBackupPathBytes = 32767;
inline constexpr std::uint32_t kMaxShortcutBackupDataBytes = 4u * 1024u * 1024u;
inline constexpr std::uint64_t kMaxShortcutBackupFileBytes = 256u * 1024u * 1024u;

struct ShortcutBackupEntry {
    std::string path;
    win::DWORD attributes = 0;
    std::string bytes;

    bool operator==(const ShortcutBackupEntry&) const = default;
};

// The companion of a registry backup: the same stem with kShortcutBackupExtension.
std::filesystem::path ShortcutBackupPathFor(const std::filesystem::path& registryBackup);

// Entries must keep within the limits above (the collector makes sure of that).
std::string EncodeShortcutBackup(const std::vector<ShortcutBackupEntry>& entries);

// The entries of an input read completely; otherwise the error names the file, the byte
// offset and what is wrong there, and no entry is given.
using DecodedShortcutBackup = Result<std::vector<ShortcutBackupEntry>>;

// fileName only names the input in error messages.
DecodedShortcutBackup DecodeShortcutBackup(std::string_view bytes, std::string_view fileName);
// Files larger than kMaxShortcutBackupFileBytes are refused before they are read.
DecodedShortcutBackup ReadShortcutBackupFile(const std::filesystem::path& path);

}  // namespace brindle
