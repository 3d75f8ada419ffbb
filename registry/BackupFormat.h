// The binary registry backup file: what a repair is about to change, written before it
// changes anything, and read back by the restore.
//
// Every integer is an unsigned 32-bit little-endian number; every text is ANSI bytes
// without a terminating NUL. The file is a sequence of key records, one per backed-up
// problem, with nothing before, between or after them (an empty file holds no records):
//
//   key record
//     +0   u32   root          predefined handle, one of kBackupRoots
//     +4   u32   path length   bytes of the path, at most kMaxBackupKeyPathBytes
//     +8   path                sub-key path below the root, '\'-separated
//     ...  key content
//
//   key content
//     +0   u32   value count
//          value count times:
//            u32   name length   at most kMaxBackupValueNameBytes; 0 is the unnamed value
//            name
//            u32   type          any REG_* code
//            u32   data length   at most kMaxBackupValueDataBytes
//            data
//     ...  u32   sub-key count
//          sub-key count times:
//            u32   name length   1 to kMaxBackupSubKeyNameBytes
//            name                never contains '\'
//            key content         of that sub-key, nested at most kMaxBackupKeyDepth deep
//
// A whole-key record holds the key's values and its sub-keys, recursively; a
// single-value record holds the one value the repair removes and no sub-keys.
//
// Every count in the file equals the number of entries that follow it: the writer counts
// what it wrote, not what the registry reported, so a value or sub-key it had to leave
// out never leaves the reader out of step.
//
// The registry editor's text export can sit in the backup folder under the same name
// pattern. It starts with one of kTextExportSignatures; a binary file starts with a root
// handle (00 00 00 80 .. 03 00 00 80), so the two never look alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/WinTypes.h"
#include "platform/WineRegistryFile.h"

namespace brindle {

// The writer's limits, which the reader enforces in turn. A value name or a value's data
// longer than these is what the registry cannot deliver into the writer's buffers.
inline constexpr std::uint32_t kMaxBackupValueNameBytes = 16383;
inline constexpr std::uint32_t kMaxBackupValueDataBytes = 16383;
inline constexpr std::uint32_t kMaxBackupSubKeyNameBytes = 255;
// Limits of our own, to stop a damaged or hostile file from asking for absurd amounts of
// memory or stack: a key path no longer than the registry's own limit, keys no deeper
// than the prefix's registry files can hold (counted as their loader counts, see
// BackupKeyLevels), and a file far larger than any repair's backup.
inline constexpr std::uint32_t kMaxBackupKeyPathBytes = 32767;
inline constexpr std::uint32_t kMaxBackupKeyDepth = kMaxWineKeyDepth;
inline constexpr std::uint64_t kMaxBackupFileBytes = 64u * 1024u * 1024u;

inline constexpr std::array<win::HKEY, 4> kBackupRoots{
    win::HKEY_CLASSES_ROOT,
    win::HKEY_CURRENT_USER,
    win::HKEY_LOCAL_MACHINE,
    win::HKEY_USERS,
};

// How deep a record's key lies in the registry file that holds it: the names of its path,
// plus the two that HKEY_CLASSES_ROOT stands for there (Software\Classes of system.reg).
// A key below that depth plus its nesting must stay within kMaxBackupKeyDepth, or the next
// load of the file would refuse it.
inline std::size_t BackupKeyLevels(win::HKEY root, std::string_view path) {
    std::size_t levels = root == win::HKEY_CLASSES_ROOT ? 2 : 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) ++levels;
        start = end + 1;
    }
    return levels;
}

inline constexpr std::array<std::string_view, 2> kTextExportSignatures{
    "REGEDIT4",
    "Windows Registry Editor",
};

}  // namespace brindle
