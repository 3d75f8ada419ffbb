#include "app/workflow/SettingsService.h"

#include "registry/SettingsStore.h"

namespace brindle {

namespace {

Error NotWritten(const std::string& what) {
    return Error(what + " could not be written into the registry (HKEY_LOCAL_MACHINE\\" + kSettingsKey + ")");
}

}  // namespace

SettingsService::SettingsService(Machine& machine, SettingsKeeper& keeper, InProgramSchedule& schedule)
    : m_machine(machine), m_keeper(keeper), m_schedule(schedule) {}

bool SettingsService::flag(const char* setting) {
    auto use = m_machine.useRegistry();
    return SettingsStore(m_machine.registry()).LoadFlagSetting(kSettingsKey, setting).value_or(false);
}

bool SettingsService::startsWithWindows() {
    auto use = m_machine.useRegistry();
    return SettingsStore(m_machine.registry()).StartsWithWindows();
}

std::string SettingsService::text(const char* setting) {
    auto use = m_machine.useRegistry();
    return SettingsStore(m_machine.registry()).LoadTextSetting(kSettingsKey, setting).value_or(kUnreadableTextSetting);
}

void SettingsService::loadSchedule() {
    auto use = m_machine.useRegistry();
    m_schedule.LoadSchedule(m_machine.registry());
}

void SettingsService::loadSchedulePanel(bool& enabled, ScheduleOptions& options) {
    auto use = m_machine.useRegistry();
    m_schedule.LoadPanelSettings(m_machine.registry(), enabled, options);
}

Status SettingsService::keep() {
    if (Status recorded = m_keeper.recordChange(); !recorded) return recorded;
    // Refused while Wine holds the files: the change stays kept, and the keeper tries again.
    (void)m_keeper.flush();
    return {};
}

Status SettingsService::setFlag(const char* setting, bool on) {
    {
        auto use = m_machine.useRegistry();
        SettingsStore store(m_machine.registry());
        store.WriteFlagSetting(setting, on);
        // The store says nothing when the key cannot be opened; what it left is the truth.
        if (store.LoadFlagSetting(kSettingsKey, setting).value_or(false) != on)
            return NotWritten(std::string("The setting \"") + setting + "\"");
    }
    return keep();
}

Status SettingsService::setStartup(const std::optional<std::string>& command) {
    {
        auto use = m_machine.useRegistry();
        SettingsStore store(m_machine.registry());
        if (command) {
            store.SetStartupCommand(std::string_view(*command));
        } else {
            store.SetStartupCommand(std::nullopt);
        }
        if (store.StartsWithWindows() != command.has_value())
            return Error(std::string("The program's entry in HKEY_LOCAL_MACHINE\\") + kRunKey + " could not be " +
                         (command ? "written" : "removed"));
    }
    return keep();
}

Status SettingsService::setBackupCount(const std::string& text) {
    if (text.empty()) return {};
    {
        auto use = m_machine.useRegistry();
        SettingsStore store(m_machine.registry());
        if (store.LoadTextSetting(kSettingsKey, setting::kSaveCountReg) == text) return {};
        store.WriteTextSetting(setting::kSaveCountReg, text);
        if (store.LoadTextSetting(kSettingsKey, setting::kSaveCountReg) != text)
            return NotWritten("The number of backups to keep");
    }
    return keep();
}

Result<bool> SettingsService::toggleAutomaticScan() {
    bool on = false;
    {
        auto use = m_machine.useRegistry();
        on = m_schedule.ToggleEnabled(m_machine.registry());
    }
    if (Status kept = keep(); !kept) return kept.error();
    return on;
}

Result<bool> SettingsService::pressScheduleOption(ScheduleOption pressed, ScheduleOptions& options) {
    {
        auto use = m_machine.useRegistry();
        if (!m_schedule.PressOption(m_machine.registry(), pressed, options)) return false;
    }
    if (Status kept = keep(); !kept) return kept.error();
    return true;
}

Status SettingsService::storeTypedPeriod(const ScheduleOptions& options) {
    {
        auto use = m_machine.useRegistry();
        if (!m_schedule.StoreTypedPeriod(m_machine.registry(), options)) return {};
    }
    return keep();
}

Status SettingsService::saveScheduleTimes() {
    {
        auto use = m_machine.useRegistry();
        m_schedule.SaveTimes(m_machine.registry());
    }
    return keep();
}

}  // namespace brindle
