// The files of a 64-bit machine as its 32-bit programs see them: every path goes through
// Wine's redirection (platform/Wow64FileRedirect.h) and then to the machine's own files.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace brindle {

class SimpleMachine;

class Wow64FileSystem final : public FileSystem {
public:
    // The code page, the Windows folder and the current folder are read from the machine
    // at each call: reading the registry again may change them.
    Wow64FileSystem(FileSystem& files, const SimpleMachine& machine);

    int _access(const char* path, int mode) override;
    PathProbe ProbePath(const char* path) override;
    std::optional<std::filesystem::path> resolve(std::string_view windowsPath) override;
    void beginScan() override { m_files.beginScan(); }
    void endScan() override { m_files.endScan(); }
    FindHandle FindFirstFileA(const char* pattern, FindDataA& data) override;
    win::DWORD GetLogicalDriveStringsA(win::DWORD size, char* buffer) override {
        return m_files.GetLogicalDriveStringsA(size, buffer);
    }
    unsigned GetDriveTypeA(const char* rootPath) override { return m_files.GetDriveTypeA(rootPath); }
    win::DWORD GetFileAttributesA(const char* path) override;
    bool SetFileAttributesA(const char* path, win::DWORD attributes) override;
    bool DeleteFileA(const char* path) override;
    std::optional<FileIdentity> GetFileIdentity(const char* path) override;

    // The ANSI path the 32-bit program opens for path: redirected, or path itself.
    std::string redirect(std::string_view path) const;

private:
    template <typename Call>
    auto withRedirect(const char* path, Call call) const;

    FileSystem& m_files;
    const SimpleMachine& m_machine;
};

}  // namespace brindle
