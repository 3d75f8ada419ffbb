// How Win32 reads a path, as plain functions: separators, drive letters, "." and "..",
// trailing blanks and dots. No file system is consulted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// The drive a path that starts with a single separator is read on.
inline constexpr char kRootRelativeDrive = 'C';

struct WindowsPath {
    char drive = 0;                     // upper-case drive letter
    std::vector<std::string> segments;  // below the drive's root; ".", ".." and empties resolved away
    bool wantsFolder = false;           // the text ended in a separator
};

// Normalises a path the way Win32 does before it touches the file system:
//   - '\' and '/' both separate; repeated separators count once;
//   - "." segments vanish and ".." removes the previous segment (never above the root);
//   - trailing blanks and dots of the last segment are dropped unless the text ends in
//     a separator (so "C:\App\app.exe " names "app.exe");
//   - "X:\rest" is absolute; "X:rest" is read from the drive's root; "\rest" is on drive
//     C:, the system drive (the programs that read such registry data run from their
//     own folders, which have nothing to do with ours); a path without a drive is
//     relative to currentDirectory;
//   - UNC paths ("\\server\share") and device paths ("\\?\", "\\.\") give nothing.
// currentDirectory must be absolute ("C:\" or "C:\some\folder").
std::optional<WindowsPath> ParseWindowsPath(std::string_view path, std::string_view currentDirectory = "C:\\");

// "C:\a\b", or "C:\" for the root.
std::string FormatWindowsPath(const WindowsPath& path);

}  // namespace brindle
