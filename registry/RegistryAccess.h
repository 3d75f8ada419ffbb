// The registry as the rest of the program reads and changes it: keys named in text
// ("HKEY_LOCAL_MACHINE\Software\..."), opened, listed as value records and deleted, and
// the messages the user is shown about it.
//
// The first part of CRegistryLib (scan/RegistryLib.h); one object is used by one thread
// at a time and works on the machine it is given.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "registry/RegistryValue.h"

namespace brindle {

class RegistryAccess {
public:
    explicit RegistryAccess(Machine& machine);
    virtual ~RegistryAccess();
    RegistryAccess(const RegistryAccess&) = delete;
    RegistryAccess& operator=(const RegistryAccess&) = delete;

    // Returns the root name of `path` and leaves the remainder below the root in it.
    static std::string SeperateMainKey(std::string& path);
    // The predefined handle of one of the five full root names, any letter case.
    static std::optional<win::HKEY> RootKeyFromName(std::string_view rootName);

    win::LONG OpenKey(std::string_view rootName, std::string_view subKey, win::HKEY* result);
    win::LONG DeleteKey(std::string_view rootName, std::string_view subKey);
    win::LONG DeleteKeyTree(win::HKEY parent, std::string_view subKey);
    win::LONG DeleteValue(std::string_view rootName, std::string_view subKey, std::string_view valueName);
    // Appends one record per value of the key, always with exactly one "(Default)"
    // record when the key has at most one unnamed value.
    void GetKeyValues(win::HKEY key, std::vector<RegistryValue>& list);
    std::string FormatValueData(win::DWORD type, const win::BYTE* data, std::size_t length) const;
    static std::string GetTypeName(win::DWORD type);
    static win::DWORD GetTypeFromName(std::string_view name);

    // Shows a message to the user ("couldn't create key ..."); the windowed program installs
    // a message box, the command-line tool prints to standard error. Unset: not shown.
    using MessageDisplay = std::function<void(const std::string& message)>;
    MessageDisplay messageDisplay;

    bool legacyPlatform() const { return m_legacyPlatform; }
    Machine& machine() { return m_machine; }
    const Machine& machine() const { return m_machine; }

protected:
    Machine& m_machine;
    Registry& m_registry;
    bool m_legacyPlatform;
};

}  // namespace brindle
