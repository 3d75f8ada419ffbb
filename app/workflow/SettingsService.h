// The settings the window changes, one typed call each: the call writes the change into
// the registry in memory, checks that it is there, and has the settings keeper keep it
// until it reaches the disk. A call that fails says why, and then nothing was changed:
// the window shows the reason and leaves its control as it was.
//
// A change that is kept but not yet on disk (Wine holds the registry files) is no
// failure: the keeper writes it at its next chance, and the window's end asks the user
// about what is still pending.
#pragma once

#include <optional>
#include <string>

#include "app/workflow/InProgramSchedule.h"
#include "app/workflow/SettingsKeeper.h"
#include "platform/Machine.h"
#include "platform/Result.h"

namespace brindle {

class SettingsService {
public:
    // The machine's settings are kept by `keeper`; the automatic scan's by `schedule`.
    SettingsService(Machine& machine, SettingsKeeper& keeper, InProgramSchedule& schedule);

    // What the settings hold now, as the panels show it when they are built.
    // A check box's setting: whether it is there.
    bool flag(const char* setting);
    // Whether the Run key holds the program's entry.
    bool startsWithWindows();
    // A text setting; kUnreadableTextSetting when it is there but not text.
    std::string text(const char* setting);
    // The automatic scan's times, then its panel's switch and options (see InProgramSchedule).
    void loadSchedule();
    void loadSchedulePanel(bool& enabled, ScheduleOptions& options);
    bool automaticScanOn() const { return m_schedule.enabled(); }

    // A check box kept as a setting (setting::kAutoScan, ...): on, or the value deleted.
    Status setFlag(const char* setting, bool on);
    // The program's entry in the Run key: the command line, or none to remove it.
    Status setStartup(const std::optional<std::string>& command);
    // What the backup-count box holds, in the machine's code page. Empty or the text
    // already stored: nothing changes.
    Status setBackupCount(const std::string& text);

    // The automatic scan's switch: answers the state it is in now.
    Result<bool> toggleAutomaticScan();
    // An option button of the automatic scan: answers whether the options changed
    // (nothing changes while the automatic scan is off).
    Result<bool> pressScheduleOption(ScheduleOption pressed, ScheduleOptions& options);
    // The period box as typed; nothing changes when it is empty or holds what is stored.
    Status storeTypedPeriod(const ScheduleOptions& options);
    // The next scan time and the period, as the window's end leaves them.
    Status saveScheduleTimes();

    // After the window itself wrote settings (loading the schedule panel may move the next
    // scan on): keeps what changed.
    Status keepChanges() { return keep(); }
    // Writes what is kept but not yet on disk; the reason when it still cannot be.
    Status flush() { return m_keeper.flush(); }
    bool pending() const { return m_keeper.pending(); }
    // Why the last write failed; none after a success.
    std::string lastError() const { return m_keeper.lastError() ? m_keeper.lastError()->message() : std::string(); }

private:
    // Has the keeper record what changed, and tries to write it.
    Status keep();

    Machine& m_machine;
    SettingsKeeper& m_keeper;
    InProgramSchedule& m_schedule;
};

}  // namespace brindle
