// Keeps the user's settings until they reach the disk.
//
// The window writes a setting into the machine's registry in memory, but only a save makes
// it last, and a save of a Wine prefix is refused while its wineserver runs or after Wine
// changed the registry files. Meanwhile a scan's reload or a failed repair's discard
// replaces the tree in memory and would take the change with it. So each change is
// captured whole (every value of HKLM\Software\Brindle and the program's entry in the Run
// key) and written again at every save attempt until one succeeds: a change is never lost
// without the user being told why.
#pragma once

#include <filesystem>
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

    // Called right after the settings were changed in the registry in memory: captures them
    // whole, marks them pending and tries to write them (flush()). When they cannot be
    // read, nothing is captured and what was pending before stays so.
    Status changed();
    // Writes what is pending: reads the registry again when its files changed on disk (what
    // Wine wrote is kept), sets the captured settings in it and saves. On success nothing is
    // pending; on failure the capture stays pending, set in memory, and the error is kept.
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

    Result<Capture> capture();
    Status apply(const Capture& wanted);
    Status attempt();
    Status fail(Error error);

    Machine& m_machine;
    std::optional<std::filesystem::path> m_lockFile;
    Capture m_capture;
    bool m_pending = false;
    std::optional<Error> m_lastError;
};

}  // namespace brindle
