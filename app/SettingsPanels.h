// The panels' settings as the user sees them: the boxes kept as settings ("Start with
// Windows", the scan at start, the automatic scan's kinds), the automatic scan's switch
// and options, the backup count and the scan period. Every command goes through the
// settings service: a box changes only once its setting did, and a failure is shown.
#pragma once

#include <functional>
#include <string>

#include "app/CMainSkin.h"
#include "app/UserPrompts.h"
#include "app/workflow/SettingsService.h"
#include "platform/CodePage.h"
#include "platform/Result.h"

namespace brindle {

class SettingsPanels {
public:
    // programWindowsPath: the running program as the machine's Windows names it, for the
    // Run key.
    SettingsPanels(CMainSkin& window, SettingsService& settings, UserPrompts& prompts,
                   std::function<Result<std::string>()> programWindowsPath, const CodePage& codePage);

    // Shows on a panel being built what the settings hold.
    void load(CSubMainSkin& panel);
    // A panel's button: true when it was a setting's, and has been handled.
    bool press(CSubMainSkin& panel, const std::string& name);
    // Stores what the user typed into the panels' edit boxes, and only that: a box the
    // window filled shows what is stored already, and writing it back could undo what
    // another window saved meanwhile.
    void storeTypedValues();

private:
    void toggleStartWithWindows(CSubMainSkin& panel);
    void toggleFlag(CSubMainSkin& panel, const char* button, const char* setting);
    void pressScheduleOption(CSubMainSkin& panel, ScheduleOption option);
    void toggleAutomaticScan(CSubMainSkin& panel);
    // Shows why a setting could not be changed; true when it was.
    bool shown(const Status& status);

    CMainSkin& m_window;
    SettingsService& m_settings;
    UserPrompts& m_prompts;
    std::function<Result<std::string>()> m_programWindowsPath;
    const CodePage& m_codePage;
};

}  // namespace brindle
