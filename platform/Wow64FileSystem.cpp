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
