// Files and folders of the machine, named by Windows paths in the ANSI code page.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace brindle {

namespace win {

// File attributes, as GetFileAttributesA and a folder search report them.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

}  // namespace win

// Which file or folder an entry is, whatever path reached it: the volume and file index
// that GetFileInformationByHandle reports. A walk that follows links keeps these to
// enter no folder twice.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    bool operator==(const FileIdentity&) const = default;
};

struct FileIdentityHash {
    std::size_t operator()(const FileIdentity& identity) const noexcept {
        return static_cast<std::size_t>(identity.index * 0x9E3779B97F4A7C15ull ^ identity.volume);
    }
};

// One entry of a folder search, as WIN32_FIND_DATAA carries it.
struct FindDataA {
    // FILE_ATTRIBUTE_DIRECTORY for folders. A search reports no other bit reliably:
    // read-only and the like cost a look at each entry, which a walk of a whole drive
    // would pay for nothing; GetFileAttributesA tells them.
    win::DWORD dwFileAttributes = 0;
    // The name as the file system spells it, in the ANSI code page; a character the
    // page lacks is '?', so such a name cannot be opened again by it, as on Windows.
    std::string cFileName;
    // Beyond Win32's record: for folders, which folder this is; empty for files, for
    // "." and "..", and for a folder that could not be looked at.
    std::optional<FileIdentity> identity;
    // Beyond Win32's record: a link to a folder whose real path lies outside the
    // machine's own folders (Wine links the user's Desktop and Documents to the host's
    // home). A walk does not follow it: nothing there belongs to the machine.
    bool leavesMachine = false;
};

// What a FindFirstFileA handle stands for: the rest of one folder's matching entries.
class FileSearch {
public:
    virtual ~FileSearch() = default;
    // Fills data with the next matching entry; false when none is left.
    virtual bool next(FindDataA& data) = 0;
};

// Closing is the handle's end (FindClose resets it early).
using FindHandle = std::unique_ptr<FileSearch>;

inline bool FindNextFileA(const FindHandle& handle, FindDataA& data) { return handle && handle->next(data); }
inline void FindClose(FindHandle& handle) { handle.reset(); }

// What looking a path up found out. Only "no such file or folder" is Missing; a look-up
// that failed for another reason (a folder that cannot be searched, an I/O error) says
// nothing about the file, and a cleaner must not take it for gone.
enum class PathProbe { Exists, Missing, Unknown };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The CRT's _access: 0 when the path names an existing file or folder and the
    // mode's rights are granted (0 existence, 2 write, 4 read, 6 both), else -1 with
    // errno ENOENT when it does not exist and EACCES when it could not be looked up.
    virtual int _access(const char* path, int mode) = 0;
    // Whether the path names an existing file or folder, as a program of the machine
    // would find it.
    virtual PathProbe ProbePath(const char* path) = 0;

    // The host path a Windows path resolves to, when it resolves to an existing entry.
    virtual std::optional<std::filesystem::path> resolve(std::string_view windowsPath) = 0;

    // Directory listings may be cached from beginScan to endScan, so that a scan that
    // tests thousands of paths in the same folders reads each folder once.
    virtual void beginScan() {}
    virtual void endScan() {}

    // --- Folder searches and file changes, with Win32's meaning ---

    // Starts a search of "folder\mask": the mask may hold '*' and '?', compared without
    // regard to letter case; "*.*" matches every name and "name.*" also matches "name".
    // Fills data with the first match; null when the folder cannot be read or nothing
    // matches.
    virtual FindHandle FindFirstFileA(const char* pattern, FindDataA& data) = 0;
    // "C:\", "D:\", ... each followed by a NUL, and one more NUL at the end. Returns the
    // length without that last NUL when it fits in size, else the size it needs.
    virtual win::DWORD GetLogicalDriveStringsA(win::DWORD size, char* buffer) = 0;
    // DRIVE_FIXED, DRIVE_REMOTE, ... for a root such as "C:\"; DRIVE_NO_ROOT_DIR when no
    // such drive exists.
    virtual unsigned GetDriveTypeA(const char* rootPath) = 0;
    virtual win::DWORD GetFileAttributesA(const char* path) = 0;
    // Only FILE_ATTRIBUTE_READONLY has an effect on the host; FILE_ATTRIBUTE_NORMAL (or
    // any value without it) makes the file writable again. False when the path does not
    // exist or the change is refused. A symbolic link is changed itself, never its
    // target, and nothing whose folder lies outside the machine is changed.
    virtual bool SetFileAttributesA(const char* path, win::DWORD attributes) = 0;
    // Deletes a file; refuses folders and read-only files, as Windows does. A symbolic
    // link to a file is removed itself, its target left alone; nothing whose folder lies
    // outside the machine is deleted.
    virtual bool DeleteFileA(const char* path) = 0;
    // Which file or folder the path names (following links), for telling a folder seen
    // before from a new one.
    virtual std::optional<FileIdentity> GetFileIdentity(const char* path) = 0;
};

// Keeps the file system's caches for one scan, whichever way the scan ends.
class FileSystemScanScope {
public:
    explicit FileSystemScanScope(FileSystem& files) : m_files(files) { m_files.beginScan(); }
    ~FileSystemScanScope() { m_files.endScan(); }
    FileSystemScanScope(const FileSystemScanScope&) = delete;
    FileSystemScanScope& operator=(const FileSystemScanScope&) = delete;

private:
    FileSystem& m_files;
};

}  // namespace brindle
