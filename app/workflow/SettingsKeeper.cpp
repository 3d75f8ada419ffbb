#include "app/workflow/SettingsKeeper.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/AsciiText.h"
#include "platform/ExclusiveLock.h"
#include "registry/KeyHandle.h"
#include "registry/SettingsStore.h"

namespace brindle {

namespace {

const std::string kSettingsKeyName = std::string("HKEY_LOCAL_MACHINE\\") + kSettingsKey;
const std::string kRunKeyName = std::string("HKEY_LOCAL_MACHINE\\") + kRunKey;

Error RegistryError(const std::string& what, const std::string& where, win::LONG status) {
    return Error::In(where, what + " failed (registry status " + std::to_string(status) + ")");
}

const win::BYTE* Bytes(const std::string& data) { return reinterpret_cast<const win::BYTE*>(data.data()); }

// Every value of an open key in the key's order.
Result<std::vector<SettingsKeeper::Value>> ReadValues(Registry& registry, win::HKEY key, const std::string& where) {
    win::DWORD count = 0;
    win::DWORD longestName = 0;
    win::DWORD longestData = 0;
    win::LONG status = registry.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                                 &longestName, &longestData, nullptr, nullptr);
    if (status != win::ERROR_SUCCESS) return RegistryError("listing the values", where, status);
    std::vector<SettingsKeeper::Value> values;
    std::string name(longestName + 1, '\0');
    std::string data(longestData, '\0');
    for (win::DWORD index = 0;; ++index) {
        auto nameLength = static_cast<win::DWORD>(name.size());
        auto dataLength = static_cast<win::DWORD>(data.size());
        win::DWORD type = win::REG_NONE;
        status = registry.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                        reinterpret_cast<win::BYTE*>(data.data()), &dataLength);
        if (status == win::ERROR_NO_MORE_ITEMS) break;
        // ERROR_MORE_DATA too: the key changed while it was read, so the capture would
        // not be one state of it.
        if (status != win::ERROR_SUCCESS) {
            return RegistryError("reading value " + std::to_string(index), where, status);
        }
        values.push_back({name.substr(0, nameLength), type, data.substr(0, dataLength)});
    }
    return values;
}

// One value of an open key; none when it does not exist.
Result<std::optional<SettingsKeeper::Value>> ReadValue(Registry& registry, win::HKEY key, const char* valueName,
                                                       const std::string& where) {
    const std::string reading = std::string("reading \"") + valueName + "\"";
    win::DWORD type = win::REG_NONE;
    win::DWORD length = 0;
    win::LONG status = registry.RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &length);
    if (status == win::ERROR_FILE_NOT_FOUND) return std::optional<SettingsKeeper::Value>();
    if (status != win::ERROR_SUCCESS) return RegistryError(reading, where, status);
    std::string data(length, '\0');
    status = registry.RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<win::BYTE*>(data.data()),
                                       &length);
    if (status != win::ERROR_SUCCESS) return RegistryError(reading, where, status);
    data.resize(length);
    return std::optional<SettingsKeeper::Value>(SettingsKeeper::Value{valueName, type, std::move(data)});
}

Status SetValue(Registry& registry, win::HKEY key, const SettingsKeeper::Value& value, const std::string& where) {
    const win::LONG status = registry.RegSetValueExA(key, value.name.c_str(), 0, value.type, Bytes(value.data),
                                                     static_cast<win::DWORD>(value.data.size()));
    if (status != win::ERROR_SUCCESS) return RegistryError("writing \"" + value.name + "\"", where, status);
    return {};
}

Status DeleteValue(Registry& registry, win::HKEY key, const std::string& valueName, const std::string& where) {
    const win::LONG status = registry.RegDeleteValueA(key, valueName.c_str());
    if (status != win::ERROR_SUCCESS && status != win::ERROR_FILE_NOT_FOUND) {
        return RegistryError("deleting \"" + valueName + "\"", where, status);
    }
    return {};
}

Status OpenOrCreate(Registry& registry, const char* keyPath, KeyHandle& key, const std::string& where) {
    const win::LONG status = registry.RegCreateKeyExA(win::HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0,
                                                      win::KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
    if (status != win::ERROR_SUCCESS) return RegistryError("opening or creating the key", where, status);
    return {};
}

// Opened when it exists; a missing key is no failure (the handle stays empty).
Status OpenExisting(Registry& registry, const char* keyPath, win::REGSAM access, KeyHandle& key,
                    const std::string& where) {
    const win::LONG status = registry.RegOpenKeyExA(win::HKEY_LOCAL_MACHINE, keyPath, 0, access, key.out());
    if (status == win::ERROR_FILE_NOT_FOUND) return {};
    if (status != win::ERROR_SUCCESS) return RegistryError("opening the key", where, status);
    return {};
}

}  // namespace

SettingsKeeper::SettingsKeeper(Machine& machine, std::optional<std::filesystem::path> lockFile)
    : m_machine(machine), m_lockFile(std::move(lockFile)) {
    if (Result<Capture> captured = capture()) m_seen = std::move(*captured);
}

Status SettingsKeeper::changed() {
    if (Status recorded = recordChange(); !recorded) return recorded;
    return flush();
}

Status SettingsKeeper::recordChange() {
    Result<Capture> captured = capture();
    if (!captured) return fail(Error("the settings could not be read to be saved: " + captured.error().message()));
    record(*captured);
    m_seen = std::move(*captured);
    m_pending = !m_settingChanges.empty() || m_startupChange.has_value();
    return {};
}

void SettingsKeeper::record(const Capture& now) {
    // Without a first view of the settings every value counts as changed, as it may be.
    static const Capture kNothingSeen;
    const Capture& seen = m_seen ? *m_seen : kNothingSeen;
    std::map<std::string, const Value*> before;
    for (const Value& value : seen.settings) before.emplace(ToUpperAscii(value.name), &value);
    for (const Value& value : now.settings) {
        const std::string key = ToUpperAscii(value.name);
        const auto old = before.find(key);
        // A new spelling of a name is a change too: the registry keeps the last one set.
        if (old == before.end() || *old->second != value) m_settingChanges[key] = value;
        if (old != before.end()) before.erase(old);
    }
    for (const auto& [key, gone] : before) m_settingChanges[key] = std::nullopt;
    if (!m_seen || now.startup != seen.startup) m_startupChange = now.startup;
}

Status SettingsKeeper::flush() {
    if (!m_pending) return {};
    if (Status written = attempt(); !written) return fail(written.error());
    m_settingChanges.clear();
    m_startupChange.reset();
    m_pending = false;
    m_lastError.reset();
    // What the disk holds now, with what others saved meanwhile, is what later changes are
    // told from.
    if (Result<Capture> captured = capture()) m_seen = std::move(*captured);
    return {};
}

Status SettingsKeeper::fail(Error error) {
    m_lastError = error;
    return error;
}

Result<SettingsKeeper::Capture> SettingsKeeper::capture() {
    const RegistryUseGate::Use use = m_machine.useRegistry();
    Registry& registry = m_machine.registry();
    Capture state;
    {
        KeyHandle settings(registry);
        if (Status opened = OpenExisting(registry, kSettingsKey, win::KEY_READ, settings, kSettingsKeyName); !opened) {
            return opened.error();
        }
        if (settings) {
            auto values = ReadValues(registry, settings.get(), kSettingsKeyName);
            if (!values) return values.error();
            state.settings = std::move(*values);
        }
    }
    KeyHandle run(registry);
    if (Status opened = OpenExisting(registry, kRunKey, win::KEY_READ, run, kRunKeyName); !opened) {
        return opened.error();
    }
    if (run) {
        auto startup = ReadValue(registry, run.get(), kStartupValueName, kRunKeyName);
        if (!startup) return startup.error();
        state.startup = std::move(*startup);
    }
    return state;
}

Status SettingsKeeper::apply() {
    Registry& registry = m_machine.registry();
    if (!m_settingChanges.empty()) {
        const bool setsAny = std::any_of(m_settingChanges.begin(), m_settingChanges.end(),
                                         [](const auto& change) { return change.second.has_value(); });
        KeyHandle settings(registry);
        const Status opened = setsAny ? OpenOrCreate(registry, kSettingsKey, settings, kSettingsKeyName)
                                      : OpenExisting(registry, kSettingsKey, win::KEY_ALL_ACCESS, settings,
                                                     kSettingsKeyName);
        if (!opened) return opened;
        // Deleted first and set again: a value keeps the spelling its name was first set in,
        // and the change may be a new spelling of the same name.
        for (const auto& [key, change] : m_settingChanges) {
            if (!settings) break;  // only deletions, and no key: nothing to delete
            if (Status deleted = DeleteValue(registry, settings.get(), key, kSettingsKeyName); !deleted) return deleted;
            if (!change) continue;
            if (Status set = SetValue(registry, settings.get(), *change, kSettingsKeyName); !set) return set;
        }
    }
    if (!m_startupChange) return {};
    const Change& wanted = *m_startupChange;
    KeyHandle run(registry);
    const Status opened = wanted ? OpenOrCreate(registry, kRunKey, run, kRunKeyName)
                                 : OpenExisting(registry, kRunKey, win::KEY_ALL_ACCESS, run, kRunKeyName);
    if (!opened) return opened;
    if (!run) return {};
    auto current = ReadValue(registry, run.get(), kStartupValueName, kRunKeyName);
    if (!current) return current.error();
    if (*current == wanted) return {};
    if (wanted) return SetValue(registry, run.get(), *wanted, kRunKeyName);
    return DeleteValue(registry, run.get(), kStartupValueName, kRunKeyName);
}

Status SettingsKeeper::attempt() {
    // Held over the reload as well, so that no other run writes the files between the
    // reading and the writing.
    std::unique_ptr<ExclusiveLock> lock;
    if (m_lockFile) {
        auto taken = ExclusiveLock::TryAcquire(*m_lockFile, "the prefix " + m_lockFile->parent_path().string());
        if (!taken) return taken.error();
        lock = std::move(*taken);
    }
    // While Wine holds the files, reading them again (Wine rewrites them every half
    // minute) would cost a whole parse for a save that is refused anyway.
    if (Status writable = m_machine.registryWritable(); !writable) return writable;
    // Reloading, applying and saving each stand alone: the reload and the save take the
    // registry exclusively and refuse while a key is open, so the gate and every handle of
    // the apply are let go in between.
    if (Status reloaded = m_machine.reloadRegistryIfChanged(); !reloaded) return reloaded;
    {
        const RegistryUseGate::Use use = m_machine.useRegistry();
        if (Status applied = apply(); !applied) return applied;
    }
    return m_machine.saveRegistry();
}

}  // namespace brindle
