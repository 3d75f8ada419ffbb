#include "platform/Wow64FileSystem.h"

#include "platform/AnsiText.h"
#include "platform/SimpleMachine.h"
#include "platform/Wow64FileRedirect.h"

namespace brindle {

Wow64FileSystem::Wow64FileSystem(FileSystem& files, const SimpleMachine& machine) : m_files(files), m_machine(machine) {}

std::string Wow64FileSystem::redirect(std::string_view path) const {
    path = path.substr(0, path.find('\0'));
    const CodePage& codePage = m_machine.codePage();
    const auto redirected =
        Wow64RedirectedPath(AnsiToUtf8(path, codePage), AnsiToUtf8(m_machine.windowsDirectory(), codePage),
                            AnsiToUtf8(m_machine.driveMap().currentDirectory(), codePage));
    return redirected ? Utf8ToAnsi(*redirected, codePage) : std::string(path);
}

// Hands a null path on as it is, for the machine's files to refuse.
template <typename Call>
auto Wow64FileSystem::withRedirect(const char* path, Call call) const {
    if (path == nullptr) return call(path);
    const std::string redirected = redirect(path);
    return call(redirected.c_str());
}

int Wow64FileSystem::_access(const char* path, int mode) {
    return withRedirect(path, [&](const char* real) { return m_files._access(real, mode); });
}

PathProbe Wow64FileSystem::ProbePath(const char* path) {
    return withRedirect(path, [&](const char* real) { return m_files.ProbePath(real); });
}

std::optional<std::filesystem::path> Wow64FileSystem::resolve(std::string_view windowsPath) {
    return m_files.resolve(redirect(windowsPath));
}

FindHandle Wow64FileSystem::FindFirstFileA(const char* pattern, FindDataA& data) {
    return withRedirect(pattern, [&](const char* real) { return m_files.FindFirstFileA(real, data); });
}

win::DWORD Wow64FileSystem::GetFileAttributesA(const char* path) {
    return withRedirect(path, [&](const char* real) { return m_files.GetFileAttributesA(real); });
}

bool Wow64FileSystem::SetFileAttributesA(const char* path, win::DWORD attributes) {
    return withRedirect(path, [&](const char* real) { return m_files.SetFileAttributesA(real, attributes); });
}

bool Wow64FileSystem::DeleteFileA(const char* path) {
    return withRedirect(path, [&](const char* real) { return m_files.DeleteFileA(real); });
}

std::optional<FileIdentity> Wow64FileSystem::GetFileIdentity(const char* path) {
    return withRedirect(path, [&](const char* real) { return m_files.GetFileIdentity(real); });
}

}  // namespace brindle
