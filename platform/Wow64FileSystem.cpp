#include "platform/Wow64FileSystem.h"

#include <algorithm>

#include "platform/SimpleMachine.h"
#include "platform/Unicode.h"
#include "platform/Wow64FileRedirect.h"

namespace brindle {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Converted as a whole before it is split: in the double-byte pages a second byte may be
// 0x5C, which is not a separator there.
std::string ToUtf8(std::string_view ansi, const CodePage& codePage) {
    return IsAscii(ansi) ? std::string(ansi) : Utf16ToUtf8(codePage.toUtf16(ansi));
}

std::string ToAnsi(std::string_view utf8, const CodePage& codePage) {
    return IsAscii(utf8) ? std::string(utf8) : codePage.toAnsi(Utf8ToUtf16(utf8));
}

}  // namespace

Wow64FileSystem::Wow64FileSystem(FileSystem& files, const SimpleMachine& machine) : m_files(files), m_machine(machine) {}

std::string Wow64FileSystem::redirect(std::string_view path) const {
    path = path.substr(0, path.find('\0'));
    const CodePage& codePage = m_machine.codePage();
    const auto redirected =
        Wow64RedirectedPath(ToUtf8(path, codePage), ToUtf8(m_machine.windowsDirectory(), codePage),
                            ToUtf8(m_machine.driveMap().currentDirectory(), codePage));
    return redirected ? ToAnsi(*redirected, codePage) : std::string(path);
}

int Wow64FileSystem::_access(const char* path, int mode) {
    if (path == nullptr) return m_files._access(path, mode);
    return m_files._access(redirect(path).c_str(), mode);
}

PathProbe Wow64FileSystem::ProbePath(const char* path) {
    if (path == nullptr) return m_files.ProbePath(path);
    return m_files.ProbePath(redirect(path).c_str());
}

std::optional<std::filesystem::path> Wow64FileSystem::resolve(std::string_view windowsPath) {
    return m_files.resolve(redirect(windowsPath));
}

FindHandle Wow64FileSystem::FindFirstFileA(const char* pattern, FindDataA& data) {
    if (pattern == nullptr) return m_files.FindFirstFileA(pattern, data);
    return m_files.FindFirstFileA(redirect(pattern).c_str(), data);
}

win::DWORD Wow64FileSystem::GetFileAttributesA(const char* path) {
    if (path == nullptr) return m_files.GetFileAttributesA(path);
    return m_files.GetFileAttributesA(redirect(path).c_str());
}

bool Wow64FileSystem::SetFileAttributesA(const char* path, win::DWORD attributes) {
    if (path == nullptr) return m_files.SetFileAttributesA(path, attributes);
    return m_files.SetFileAttributesA(redirect(path).c_str(), attributes);
}

bool Wow64FileSystem::DeleteFileA(const char* path) {
    if (path == nullptr) return m_files.DeleteFileA(path);
    return m_files.DeleteFileA(redirect(path).c_str());
}

std::optional<FileIdentity> Wow64FileSystem::GetFileIdentity(const char* path) {
    if (path == nullptr) return m_files.GetFileIdentity(path);
    return m_files.GetFileIdentity(redirect(path).c_str());
}

}  // namespace brindle
