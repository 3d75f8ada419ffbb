// A machine assembled from parts: an in-memory registry, drives mapped to host folders,
// an environment table and fixed system facts. Tests build one by hand; the Wine-prefix
// machine fills one from a prefix.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/DriveMapFileSystem.h"
#include "platform/Environment.h"
#include "platform/Machine.h"
#include "platform/MemoryRegistry.h"
#include "platform/Wow64Machine.h"

namespace brindle {

class SimpleMachine : public Machine {
public:
    explicit SimpleMachine(CodePage codePage = CodePage(1252));

    Registry& registry() override { return m_registry; }
    FileSystem& files() override { return m_files; }
    NamedEvents& events() override { return m_events; }
    const CodePage& codePage() const override { return m_codePage; }

    win::DWORD ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) override;
    unsigned GetSystemDirectoryA(char* buffer, unsigned size) override;
    unsigned GetWindowsDirectoryA(char* buffer, unsigned size) override;
    win::DWORD GetVersion() override { return m_version; }
    std::string userName() override { return m_userName; }
    std::optional<std::string> ReadShortcutTarget(const char* windowsPath) override;
    PathProbe ProbeWineFont(std::string_view fileName) override;

    bool is64Bit() const override { return m_wow64 != nullptr; }
    Machine* wow64View() override { return m_wow64.get(); }

    MemoryRegistry& memoryRegistry() { return m_registry; }
    DriveMapFileSystem& driveMap() { return m_files; }
    const DriveMapFileSystem& driveMap() const { return m_files; }
    Environment& environment() { return m_environment; }

    void setCodePage(CodePage codePage);
    const std::string& systemDirectory() const { return m_systemDirectory; }
    const std::string& windowsDirectory() const { return m_windowsDirectory; }
    void setSystemDirectory(std::string path) { m_systemDirectory = std::move(path); }
    void setWindowsDirectory(std::string path) { m_windowsDirectory = std::move(path); }
    // Also switches the registry between the NT and legacy behaviour of RegDeleteKeyA.
    void setVersion(win::DWORD version);
    void setUserName(std::string name) { m_userName = std::move(name); }
    // Makes the machine 64-bit, from the environment as it stands: every program is told
    // the native program folders as %ProgramW6432% and %CommonProgramW6432%, and 32-bit
    // programs get the "(x86)" folders as %ProgramFiles% and %CommonProgramFiles%. Called
    // again after the environment was set up anew.
    void makeWow64(const std::string& programFiles32, const std::string& commonFiles32);
    void make32Bit() { m_wow64.reset(); }
    // The host folders Wine serves its own fonts from (none unless set).
    void setWineFontFolders(std::vector<std::filesystem::path> folders) { m_wineFontFolders = std::move(folders); }
    const std::vector<std::filesystem::path>& wineFontFolders() const { return m_wineFontFolders; }

private:
    CodePage m_codePage;
    MemoryRegistry m_registry;
    DriveMapFileSystem m_files;
    NamedEvents m_events;
    Environment m_environment;
    std::string m_systemDirectory = "C:\\windows\\system32";
    std::string m_windowsDirectory = "C:\\windows";
    win::DWORD m_version = kVersionWindows7;
    std::string m_userName = "user";
    std::vector<std::filesystem::path> m_wineFontFolders;
    std::unique_ptr<Wow64Machine> m_wow64;
};

}  // namespace brindle
