#include "registry/RegistryAccess.h"

#include <algorithm>
#include <array>
#include <new>

#include "platform/AsciiText.h"
#include "registry/KeyHandle.h"
#include "registry/RegistryKeyPath.h"
#include "registry/ValueFormat.h"

namespace brindle {

using namespace win;

namespace {

constexpr REGSAM kDeleteTreeAccess = DELETE | KEY_ENUMERATE_SUB_KEYS;  // 0x00010008
constexpr DWORD kDeleteTreeNameCapacity = 256;

// Win32 takes NUL-terminated names; a name that holds a NUL is cut there, as it would
// be on Windows.
std::string ToCString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace

RegistryAccess::RegistryAccess(Machine& machine)
    : m_machine(machine), m_registry(machine.registry()), m_legacyPlatform(IsLegacyVersion(machine.GetVersion())) {}

RegistryAccess::~RegistryAccess() = default;

std::string RegistryAccess::SeperateMainKey(std::string& path) {
    RegistryKeyPath split = RegistryKeyPath::Split(path);
    path = std::move(split.subKey);
    return std::move(split.root);
}

std::optional<HKEY> RegistryAccess::RootKeyFromName(std::string_view rootName) {
    return RegistryRootFromName(rootName, RootSpelling::AnyCase);
}

LONG RegistryAccess::OpenKey(std::string_view rootName, std::string_view subKey, HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_FUNCTION;
    *result = 0;
    const auto root = RootKeyFromName(rootName);
    if (!root) return ERROR_INVALID_FUNCTION;
    return m_registry.RegOpenKeyA(*root, ToCString(subKey).c_str(), result);
}

LONG RegistryAccess::DeleteKey(std::string_view rootName, std::string_view subKey) {
    const auto root = RootKeyFromName(rootName);
    if (!root) return ERROR_INVALID_FUNCTION;
    if (m_legacyPlatform) return m_registry.RegDeleteKeyA(*root, ToCString(subKey).c_str());
    return DeleteKeyTree(*root, subKey);
}

LONG RegistryAccess::DeleteKeyTree(HKEY parent, std::string_view subKey) {
    const std::string name = ToCString(subKey);
    if (name.empty()) return ERROR_BADKEY;  // never delete a root through here

    KeyHandle key(m_registry);
    LONG status = m_registry.RegOpenKeyExA(parent, name.c_str(), 0, kDeleteTreeAccess, key.out());
    if (status != ERROR_SUCCESS) return status;

    // Each deletion moves the next child to index 0, so index 0 is read every time.
    std::array<char, kDeleteTreeNameCapacity> child{};
    for (;;) {
        DWORD length = kDeleteTreeNameCapacity;
        status = m_registry.RegEnumKeyExA(key.get(), 0, child.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return status;
        status = DeleteKeyTree(key.get(), std::string_view(child.data(), length));
        if (status != ERROR_SUCCESS) return status;
    }
    status = m_registry.RegDeleteKeyA(parent, name.c_str());
    return status;
}

LONG RegistryAccess::DeleteValue(std::string_view rootName, std::string_view subKey, std::string_view valueName) {
    const auto root = RootKeyFromName(rootName);
    if (!root) return ERROR_INVALID_FUNCTION;
    KeyHandle key(m_registry);
    LONG status = m_registry.RegOpenKeyExA(*root, ToCString(subKey).c_str(), 0, KEY_SET_VALUE, key.out());
    if (status != ERROR_SUCCESS) return status;
    return m_registry.RegDeleteValueA(key.get(), ToCString(valueName).c_str());
}

void RegistryAccess::GetKeyValues(HKEY key, std::vector<RegistryValue>& list) {
    DWORD valueCount = 0;
    DWORD maxNameLength = 0;
    DWORD maxDataLength = 0;
    const LONG status = m_registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    &valueCount, &maxNameLength, &maxDataLength, nullptr, nullptr);
    if (status == ERROR_SUCCESS && valueCount != 0 && valueCount != 0xFFFFFFFFu) {
        std::vector<char> name;
        std::vector<BYTE> data;
        try {
            name.resize(static_cast<std::size_t>(maxNameLength) + 1);
            data.resize(static_cast<std::size_t>(maxDataLength) + 1);
        } catch (const std::bad_alloc&) {
            return;
        }
        for (DWORD index = 0; index < valueCount; ++index) {
            DWORD nameLength = maxNameLength + 1;
            DWORD dataLength = maxDataLength + 1;
            DWORD type = REG_NONE;
            name[0] = '\0';
            data[0] = 0;
            if (m_registry.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                                         &dataLength) != ERROR_SUCCESS) {
                continue;
            }
            nameLength = std::min<DWORD>(nameLength, maxNameLength + 1);
            dataLength = std::min<DWORD>(dataLength, maxDataLength + 1);
            RegistryValue value;
            value.type = type;
            if (nameLength != 0 || name[0] != '\0') {
                value.name.assign(name.data(), nameLength);
                value.data = FormatValueData(type, data.data(), dataLength);
            } else if (dataLength != 0 || data[0] != 0) {
                // The unnamed value is shown as text whatever its type.
                value.name = kDefaultValueName;
                value.data = brindle::FormatValueData(REG_SZ, data.data(), dataLength, m_machine.codePage());
            } else {
                value.name = kDefaultValueName;
                value.data = kValueNotSet;
            }
            list.push_back(std::move(value));
        }
    }
    const bool hasDefault = std::any_of(list.begin(), list.end(),
                                        [](const RegistryValue& value) { return value.name == kDefaultValueName; });
    if (!hasDefault) list.insert(list.begin(), RegistryValue{kDefaultValueName, kValueNotSet, REG_SZ});
}

std::string RegistryAccess::FormatValueData(DWORD type, const BYTE* data, std::size_t length) const {
    return brindle::FormatValueData(type, data, length, m_machine.codePage());
}

std::string RegistryAccess::GetTypeName(DWORD type) { return brindle::GetTypeName(type); }

DWORD RegistryAccess::GetTypeFromName(std::string_view name) { return brindle::GetTypeFromName(name); }

}  // namespace brindle
