#include "registry/SettingsStore.h"

#include <array>
#include <cstring>

#include "registry/KeyHandle.h"

namespace brindle {

namespace {

constexpr char kFlagText[] = "1";  // with its NUL: 2 bytes

const win::BYTE* Bytes(const char* text) { return reinterpret_cast<const win::BYTE*>(text); }

// Reading needs no more than the right to read, so that a user without the right to
// write still sees the settings an administrator saved.
bool OpenForReading(Registry& registry, const char* keyPath, KeyHandle& key) {
    return registry.RegOpenKeyExA(win::HKEY_LOCAL_MACHINE, keyPath, 0, win::KEY_READ, key.out()) ==
           win::ERROR_SUCCESS;
}

}  // namespace

win::LONG SettingsStore::ReadStringValue(Registry& registry, win::HKEY key, const char* valueName,
                                         std::string& text) {
    std::array<win::BYTE, kSettingStringBytes> buffer{};
    win::DWORD type = win::REG_NONE;
    auto length = static_cast<win::DWORD>(buffer.size());
    const win::LONG status = registry.RegQueryValueExA(key, valueName, nullptr, &type, buffer.data(), &length);
    if (status != win::ERROR_SUCCESS) return status;
    if (length > buffer.size()) return win::ERROR_MORE_DATA;
    const bool terminated = (type == win::REG_SZ || type == win::REG_EXPAND_SZ)
                                ? length >= 1 && buffer[length - 1] == 0
                                : type == win::REG_MULTI_SZ && length >= 2 && buffer[length - 1] == 0 &&
                                      buffer[length - 2] == 0;
    if (!terminated) return win::ERROR_INVALID_DATA;
    const char* characters = reinterpret_cast<const char*>(buffer.data());
    text.assign(characters, ::strnlen(characters, length));
    return win::ERROR_SUCCESS;
}

bool SettingsStore::openForWriting(KeyHandle& key) {
    if (m_registry.RegOpenKeyExA(win::HKEY_LOCAL_MACHINE, kSettingsKey, 0, win::KEY_ALL_ACCESS, key.out()) ==
        win::ERROR_SUCCESS)
        return true;
    return m_registry.RegCreateKeyExA(win::HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                      win::KEY_READ | win::KEY_WRITE, nullptr, key.out(),
                                      nullptr) == win::ERROR_SUCCESS;
}

std::uint32_t SettingsStore::ReadDwordSetting(const char* valueName) {
    KeyHandle key(m_registry);
    if (!OpenForReading(m_registry, kSettingsKey, key)) return 0;
    std::array<win::BYTE, 4> data{};
    win::DWORD type = win::REG_NONE;
    auto length = static_cast<win::DWORD>(data.size());
    if (m_registry.RegQueryValueExA(key.get(), valueName, nullptr, &type, data.data(), &length) !=
        win::ERROR_SUCCESS)
        return 0;
    // A shorter value would leave part of the number unread.
    if (type != win::REG_DWORD || length != data.size()) return 0;
    return std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
           std::uint32_t{data[3]} << 24;
}

void SettingsStore::WriteDwordSetting(const char* valueName, std::uint32_t number) {
    KeyHandle key(m_registry);
    if (!openForWriting(key)) return;
    const std::array<win::BYTE, 4> data{static_cast<win::BYTE>(number), static_cast<win::BYTE>(number >> 8),
                                        static_cast<win::BYTE>(number >> 16), static_cast<win::BYTE>(number >> 24)};
    m_registry.RegSetValueExA(key.get(), valueName, 0, win::REG_DWORD, data.data(),
                              static_cast<win::DWORD>(data.size()));
}

void SettingsStore::WriteTextSetting(const char* valueName, std::string_view text) {
    if (text.empty()) return;
    KeyHandle key(m_registry);
    if (!openForWriting(key)) return;
    const std::string terminated = std::string(text) + '\0';
    m_registry.RegSetValueExA(key.get(), valueName, 0, win::REG_SZ, Bytes(terminated.c_str()),
                              static_cast<win::DWORD>(terminated.size()));
}

void SettingsStore::WriteFlagSetting(const char* valueName, bool checked) {
    KeyHandle key(m_registry);
    if (!openForWriting(key)) return;
    if (checked) {
        m_registry.RegSetValueExA(key.get(), valueName, 0, win::REG_SZ, Bytes(kFlagText), sizeof kFlagText);
    } else {
        m_registry.RegDeleteValueA(key.get(), valueName);
    }
}

std::optional<bool> SettingsStore::LoadFlagSetting(const char* keyPath, const char* valueName) {
    KeyHandle key(m_registry);
    if (!OpenForReading(m_registry, keyPath, key)) return std::nullopt;
    std::string text;
    if (ReadStringValue(m_registry, key.get(), valueName, text) != win::ERROR_SUCCESS) return std::nullopt;
    return true;
}

std::optional<std::string> SettingsStore::LoadTextSetting(const char* keyPath, const char* valueName) {
    KeyHandle key(m_registry);
    if (!OpenForReading(m_registry, keyPath, key)) return std::nullopt;
    std::string text;
    if (ReadStringValue(m_registry, key.get(), valueName, text) != win::ERROR_SUCCESS) return kUnreadableTextSetting;
    return text;
}

void SettingsStore::SetStartWithWindows(bool start, std::string_view currentDirectory) {
    if (!start) {
        SetStartupCommand(std::nullopt);
        return;
    }
    std::string command(currentDirectory);
    // The root of a drive ("C:\") already ends in a separator.
    if (command.empty() || (command.back() != '\\' && command.back() != '/')) command.push_back('\\');
    command.append(kStartupProgramName);
    SetStartupCommand(command);
}

void SettingsStore::SetStartupCommand(std::optional<std::string_view> command) {
    KeyHandle key(m_registry);
    if (!command) {
        if (m_registry.RegOpenKeyExA(win::HKEY_LOCAL_MACHINE, kRunKey, 0, win::KEY_ALL_ACCESS, key.out()) ==
            win::ERROR_SUCCESS)
            m_registry.RegDeleteValueA(key.get(), kStartupValueName);
        return;
    }
    // A fresh installation may have no Run key yet; ticking the box must still work.
    if (m_registry.RegCreateKeyExA(win::HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr,
                                   key.out(), nullptr) != win::ERROR_SUCCESS)
        return;
    const std::string text(*command);
    m_registry.RegSetValueExA(key.get(), kStartupValueName, 0, win::REG_SZ, Bytes(text.c_str()),
                              static_cast<win::DWORD>(text.size() + 1));
}

bool SettingsStore::StartsWithWindows() { return LoadFlagSetting(kRunKey, kStartupValueName).value_or(false); }

}  // namespace brindle
