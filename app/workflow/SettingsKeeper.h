// Keeps the user's settings until they reach the disk.
//
// The window writes a setting into the machine's registry in memory, but only a save makes
// it last, and a save of a Wine prefix is refused while its wineserver runs or after Wine
// changed the registry files. Meanwhile a scan's reload or a failed repair's discard
// replaces the tree in memory and would take the change with it. So each change is
// recorded (which values of HKLM\Software\Brindle, and whether the program's entry in the
// Run key, this window changed, and to what) and written again at every save attempt until
// one succeeds: a change is never lost without the user being told why. Only those values
// are written: what another window or run saved meanwhile is read first and kept.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "platform/Result.h"

namespace brindle {

class SettingsKeeper {
public:
    // One value as the registry holds it; the name in the machine's ANSI code page.
    struct Value {
        std::string name;
        win::DWORD type = win::REG_NONE;
        std::string data;

        bool operator==(const Value&) const = default;
    };

    // lockFile: when set, the prefix's one-writer lock, taken for each attempt; a lock held
    // by another run makes that attempt fail like a refused save.
    explicit SettingsKeeper(Machine& machine, std::optional<std::filesystem::path> lockFile = std::nullopt);

    // Called right after the settings were changed in the registry in memory: records the
    // values that differ from what this keeper saw last, marks them pending and tries to
    // write them (flush()). When the settings cannot be read, nothing is recorded and what
    // was pending before stays so; when nothing differs, nothing more is pending.
    Status changed();
    // The first half of changed(): records and marks pending, writes nothing. Fails only
    // when the settings cannot be read, and then the change is not kept.
    Status recordChange();
    // Writes what is pending: reads the registry again when its files changed on disk (what
    // Wine or another run wrote is kept), sets or deletes the recorded values in it and
    // saves. On success nothing is pending; on failure the changes stay pending, set in
    // memory, and the error is kept.
    // With nothing pending it does nothing. It reloads, so it is called only while no other
    // job uses the registry.
    Status flush();

    bool pending() const { return m_pending; }
    // Why the last attempt failed, for the message at exit; none after a success.
    const std::optional<Error>& lastError() const { return m_lastError; }

private:
    struct Capture {
        std::vector<Value> settings;    // in the key's order
        std::optional<Value> startup;   // the Run key's "Brindle" value
    };
    // A value to set, or none to delete it.
    using Change = std::optional<Value>;

    Result<Capture> capture();
    // Records what differs between m_seen and now as pending changes.
    void record(const Capture& now);
    Status apply();
    Status attempt();
    Status fail(Error error);

    Machine& m_machine;
    std::optional<std::filesystem::path> m_lockFile;
    // The settings as this keeper last saw them: at its start, then after each change and
    // each save; none while no capture has succeeded.
    std::optional<Capture> m_seen;
    // By the value's name upper-cased, as the registry compares names.
    std::map<std::string, Change> m_settingChanges;
    std::optional<Change> m_startupChange;
    bool m_pending = false;
    std::optional<Error> m_lastError;
};

}  // namespace brindle
