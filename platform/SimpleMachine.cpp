#include "platform/SimpleMachine.h"

#include <cstring>

#include "platform/ShortcutReader.h"

namespace brindle {

namespace {

// GetSystemDirectoryA's contract: when the text and its NUL fit, copy them and return
// the length without the NUL; otherwise return the size needed with the NUL.
unsigned CopyDirectory(const std::string& text, char* buffer, unsigned size) {
    const auto needed = static_cast<unsigned>(text.size() + 1);
    if (buffer == nullptr || size < needed) return needed;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return needed - 1;
}

}  // namespace

SimpleMachine::SimpleMachine(CodePage codePage)
    : m_codePage(codePage), m_registry(codePage), m_files(codePage) {}

win::DWORD SimpleMachine::ExpandEnvironmentStringsA(const char* source, char* destination, win::DWORD size) {
    return m_environment.ExpandEnvironmentStringsA(source, destination, size);
}

unsigned SimpleMachine::GetSystemDirectoryA(char* buffer, unsigned size) {
    return CopyDirectory(m_systemDirectory, buffer, size);
}

unsigned SimpleMachine::GetWindowsDirectoryA(char* buffer, unsigned size) {
    return CopyDirectory(m_windowsDirectory, buffer, size);
}

std::optional<std::string> SimpleMachine::ReadShortcutTarget(const char* windowsPath) {
    if (windowsPath == nullptr) return std::nullopt;
    const auto hostPath = m_files.resolve(windowsPath);
    if (!hostPath) return std::nullopt;
    ShortcutTarget target = ReadShortcutFile(*hostPath, m_codePage);
    if (target.status != ShortcutTarget::Status::Found) return std::nullopt;
    return std::move(target.path);
}

PathProbe SimpleMachine::ProbeWineFont(std::string_view fileName) {
    PathProbe verdict = PathProbe::Missing;
    for (const auto& folder : m_wineFontFolders) {
        const PathProbe probe = m_files.probeInHostFolder(folder, fileName);
        if (probe == PathProbe::Exists) return probe;
        if (probe == PathProbe::Unknown) verdict = probe;
    }
    return verdict;
}

void SimpleMachine::setCodePage(CodePage codePage) {
    m_codePage = codePage;
    m_registry.setCodePage(codePage);
    m_files.setCodePage(codePage);
}

void SimpleMachine::setVersion(win::DWORD version) {
    m_version = version;
    m_registry.setFamily(IsLegacyVersion(version) ? RegistryFamily::Legacy : RegistryFamily::WindowsNT);
}

void SimpleMachine::makeWow64(const std::string& programFiles32, const std::string& commonFiles32) {
    // Copied first: setting a variable may move the others.
    if (const std::string* folder = m_environment.find("ProgramFiles")) {
        m_environment.set("ProgramW6432", std::string(*folder));
    }
    if (const std::string* folder = m_environment.find("CommonProgramFiles")) {
        m_environment.set("CommonProgramW6432", std::string(*folder));
    }
    Environment wow64 = m_environment;
    wow64.set("ProgramFiles", programFiles32);
    wow64.set("CommonProgramFiles", commonFiles32);
    if (m_wow64) {
        // Kept in place: a reload of the registry must not pull the view from under whoever holds it.
        m_wow64->setEnvironment(std::move(wow64));
    } else {
        m_wow64 = std::make_unique<Wow64Machine>(*this, std::move(wow64));
    }
}

}  // namespace brindle
