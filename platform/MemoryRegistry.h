// An in-memory registry with the semantics of Windows NT's (or, when asked, of the
// Windows 95 family's RegDeleteKeyA).
//
// Layout, as on NT and in Wine: one tree under "\Registry" with the branches "Machine"
// and "User". The predefined roots map onto it:
//   HKEY_LOCAL_MACHINE  \Registry\Machine
//   HKEY_USERS          \Registry\User
//   HKEY_CLASSES_ROOT   \Registry\Machine\Software\Classes
//   HKEY_CURRENT_USER   \Registry\User\S-1-5-21-0-0-0-1000
//   HKEY_CURRENT_CONFIG \Registry\Machine\System\CurrentControlSet\Hardware Profiles\Current
// (the keys behind them are created with the registry). HKEY_PERFORMANCE_DATA and
// HKEY_DYN_DATA are not supported (ERROR_INVALID_HANDLE).
//
// Symbolic-link keys are followed when a path is opened through them; keys reached
// through a link cannot be deleted, nor can their values (ERROR_ACCESS_DENIED), so a
// cleaner never deletes through a link. The link key itself is protected too.
//
// Thread-safe: one lock around every call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryTree.h"

namespace brindle {

enum class RegistryFamily {
    WindowsNT,  // RegDeleteKeyA refuses a key with sub-keys (ERROR_ACCESS_DENIED)
    Legacy,     // Windows 95/98/Me: RegDeleteKeyA removes the key with everything below
};

class MemoryRegistry final : public Registry {
public:
    using Clock = std::function<std::uint64_t()>;  // current time as a FILETIME

    explicit MemoryRegistry(CodePage codePage = CodePage(1252), RegistryFamily family = RegistryFamily::WindowsNT);
    ~MemoryRegistry() override;

    win::LONG RegOpenKeyA(win::HKEY key, const char* subKey, win::HKEY* result) override;
    win::LONG RegOpenKeyExA(win::HKEY key, const char* subKey, win::DWORD options, win::REGSAM access,
                            win::HKEY* result) override;
    win::LONG RegCreateKeyA(win::HKEY key, const char* subKey, win::HKEY* result) override;
    win::LONG RegCreateKeyExA(win::HKEY key, const char* subKey, win::DWORD reserved, char* keyClass,
                              win::DWORD options, win::REGSAM access, void* securityAttributes, win::HKEY* result,
                              win::DWORD* disposition) override;
    win::LONG QueryKeyName(win::HKEY key, std::string& name) override;
    win::LONG QueryKeyPath(win::HKEY key, std::string& path) override;
    win::LONG RegQueryInfoKeyA(win::HKEY key, char* keyClass, win::DWORD* classLength, win::DWORD* reserved,
                               win::DWORD* subKeys, win::DWORD* maxSubKeyLength, win::DWORD* maxClassLength,
                               win::DWORD* values, win::DWORD* maxValueNameLength, win::DWORD* maxValueLength,
                               win::DWORD* securityDescriptorLength, win::FILETIME* lastWriteTime) override;
    win::LONG RegEnumKeyExA(win::HKEY key, win::DWORD index, char* name, win::DWORD* nameLength,
                            win::DWORD* reserved, char* keyClass, win::DWORD* classLength,
                            win::FILETIME* lastWriteTime) override;
    win::LONG RegEnumValueA(win::HKEY key, win::DWORD index, char* valueName, win::DWORD* valueNameLength,
                            win::DWORD* reserved, win::DWORD* type, win::BYTE* data,
                            win::DWORD* dataLength) override;
    win::LONG RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* reserved, win::DWORD* type,
                               win::BYTE* data, win::DWORD* dataLength) override;
    win::LONG RegSetValueExA(win::HKEY key, const char* valueName, win::DWORD reserved, win::DWORD type,
                             const win::BYTE* data, win::DWORD dataLength) override;
    win::LONG RegDeleteKeyA(win::HKEY key, const char* subKey) override;
    win::LONG RegDeleteValueA(win::HKEY key, const char* valueName) override;
    win::LONG RegCloseKey(win::HKEY key) override;

    // --- Beyond Win32: for loaders, savers and tests. ---

    const CodePage& codePage() const { return m_codePage; }
    void setCodePage(CodePage codePage);
    RegistryFamily family() const { return m_family; }
    void setFamily(RegistryFamily family) { m_family = family; }
    // Stamps lastWriteTime of keys that change. Defaults to the system clock.
    void setClock(Clock clock);

    // The "\Registry" node. Callers that edit the tree directly must not hold it across
    // calls from other threads; loaders use it before the registry is shared, and never
    // remove a key while a handle to it (or below it) is open.
    RegistryKeyNode& root();
    // The node at an NT path such as "\Registry\Machine\Software" (case-insensitive,
    // links not followed); null when absent.
    RegistryKeyNode* findNode(std::u16string_view ntPath);
    // Marks a key (by predefined root and ANSI sub-key path) protected: deleting it,
    // anything below it, or a value in it answers ERROR_ACCESS_DENIED. False when the
    // key does not exist.
    bool setProtected(win::HKEY root, std::string_view subKey, bool isProtected = true);
    // Counts every change made through the Registry interface; savers compare it.
    std::uint64_t changeCount() const;
    // Open handles, for tests that check nothing leaks.
    std::size_t openHandleCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    CodePage m_codePage;
    RegistryFamily m_family;
};

}  // namespace brindle
