// A FileSystem whose drive letters are host folders.
//
// Each segment of a Windows path is matched exactly first and, when no entry of that
// name exists, case-insensitively against the folder's entries (Windows paths in
// registry data come in any letter case). Names are converted from the ANSI code page
// to the host's UTF-8. Between beginScan and endScan the listings used for the
// case-insensitive match are cached.
//
// What belongs to the machine: each drive's own real folder, and the machine's own
// folder (a Wine prefix) when one is set. A folder search marks a link to a folder
// elsewhere (leavesMachine), and files are changed or deleted only in folders whose real
// path lies there. Reading is not confined: a shortcut's target or a registered file may
// lie anywhere a program of the machine can reach.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace brindle {

class DriveMapFileSystem final : public FileSystem {
public:
    explicit DriveMapFileSystem(CodePage codePage = CodePage(1252));
    ~DriveMapFileSystem() override;

    // Maps a drive letter (either case) to a host folder, with the type GetDriveTypeA
    // reports; replaces an earlier mapping.
    void mapDrive(char letter, std::filesystem::path hostFolder, unsigned driveType = win::DRIVE_FIXED);
    void unmapDrive(char letter);
    // The host folder the machine owns as a whole; links from any drive into it stay
    // within the machine. Empty: each drive keeps to its own folder.
    void setOwnFolder(const std::filesystem::path& hostFolder);
    // The drive letters mapped, upper case, in order, and the host folder of one.
    std::string driveLetters() const;
    std::optional<std::filesystem::path> driveFolder(char letter) const;

    // Where paths without a drive are read from; "C:\" unless set.
    void setCurrentDirectory(std::string windowsPath);
    const std::string& currentDirectory() const { return m_currentDirectory; }
    void setCodePage(CodePage codePage);

    int _access(const char* path, int mode) override;
    PathProbe ProbePath(const char* path) override;
    // Looks a bare file name up in a host folder outside the drives, with the same
    // matching as a path on a drive (letter case, Wine's short names).
    PathProbe probeInHostFolder(const std::filesystem::path& hostFolder, std::string_view name);
    std::optional<std::filesystem::path> resolve(std::string_view windowsPath) override;
    void beginScan() override;
    void endScan() override;

    FindHandle FindFirstFileA(const char* pattern, FindDataA& data) override;
    win::DWORD GetLogicalDriveStringsA(win::DWORD size, char* buffer) override;
    unsigned GetDriveTypeA(const char* rootPath) override;
    win::DWORD GetFileAttributesA(const char* path) override;
    bool SetFileAttributesA(const char* path, win::DWORD attributes) override;
    bool DeleteFileA(const char* path) override;
    std::optional<FileIdentity> GetFileIdentity(const char* path) override;

private:
    struct Cache;
    struct Drive {
        std::filesystem::path folder;
        unsigned type = win::DRIVE_FIXED;
        std::string realFolder;  // the folder with every link resolved; empty if it has none
    };
    // The host path of a Windows path already in UTF-8, when it exists; isRoot tells
    // whether it named a drive's root folder, probe what the look-up found out, drive
    // on which drive it lies.
    std::optional<std::string> locate(std::string_view utf8, bool* isRoot = nullptr, PathProbe* probe = nullptr,
                                      const Drive** drive = nullptr);
    // Whether a real host path lies within what belongs to the machine, seen from drive.
    bool belongsToMachine(const Drive& drive, std::string_view realPath) const;
    // The host path of an existing entry that may be changed or deleted: its folder, with
    // links resolved, belongs to the machine; the entry itself is named, not followed.
    std::optional<std::string> changeablePath(const char* path);

    CodePage m_codePage;
    std::map<char, Drive> m_drives;
    std::string m_ownFolder;  // real path; empty when unset
    std::string m_currentDirectory = "C:\\";
    std::unique_ptr<Cache> m_cache;  // present while a scan runs
};

}  // namespace brindle
