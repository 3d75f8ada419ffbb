#include "app/SettingsPanels.h"

#include "app/ControlNames.h"
#include "app/ScreenText.h"
#include "app/workflow/UserTexts.h"
#include "registry/SettingsStore.h"

namespace brindle {

namespace {

struct OptionButton {
    const char* name;
    ScheduleOption option;
};
constexpr OptionButton kOptionButtons[] = {
    {control::kButtonStartEvery, ScheduleOption::Every},
    {control::kButtonStartAfterEvery, ScheduleOption::AfterEvery},
    {control::kButtonStartAfterEveryMonth, ScheduleOption::Month},
    {control::kButtonStartAfterEveryWeek, ScheduleOption::Week},
    {control::kButtonStartAfterEveryDay, ScheduleOption::Day},
};

ScheduleOptions ReadOptions(const CSubMainSkin& panel) {
    ScheduleOptions options;
    options.every = panel.IsChecked(control::kButtonStartEvery);
    options.afterEvery = panel.IsChecked(control::kButtonStartAfterEvery);
    options.month = panel.IsChecked(control::kButtonStartAfterEveryMonth);
    options.week = panel.IsChecked(control::kButtonStartAfterEveryWeek);
    options.day = panel.IsChecked(control::kButtonStartAfterEveryDay);
    options.periodText = panel.GetEditText(control::kEditScanPeriod).toStdString();
    return options;
}

void ShowOptions(CSubMainSkin& panel, const ScheduleOptions& options) {
    panel.SetChecked(control::kButtonStartEvery, options.every);
    panel.SetChecked(control::kButtonStartAfterEvery, options.afterEvery);
    panel.SetChecked(control::kButtonStartAfterEveryMonth, options.month);
    panel.SetChecked(control::kButtonStartAfterEveryWeek, options.week);
    panel.SetChecked(control::kButtonStartAfterEveryDay, options.day);
}

// The automatic scan's switch is a push button whose "over" picture, in the skin, is the
// switch turned on: with the pointer on it (as it is right after a click) a switch that is
// off would be drawn on. Its pictures are made to follow its state instead.
void ShowSwitch(CSubMainSkin& panel, bool on) {
    skin::CSkinButton* button = panel.FindButton(control::kButtonAutoscanEnable);
    if (button == nullptr) return;
    using skin::ButtonPicture;
    button->SetPictures(button->Picture(ButtonPicture::Normal),
                        button->Picture(on ? ButtonPicture::Down : ButtonPicture::Normal),
                        button->Picture(ButtonPicture::Down), button->Picture(ButtonPicture::Disabled));
    button->SetChecked(on);
}

// Every repair writes its backup before it removes anything, so the box is ticked for
// good, and says why it cannot be unticked.
void ShowBackupAlwaysMade(CSubMainSkin& panel) {
    skin::CSkinButton* button = panel.FindButton(control::kButtonBackup);
    if (button == nullptr) return;
    button->SetChecked(true);
    button->setEnabled(false);
    button->setToolTip(QString::fromLatin1(kBackupAlwaysMadeTip));
}

// A Run entry is a command line: a path with a blank in it must be quoted to be one.
std::string StartupCommand(const std::string& program) {
    if (program.find(' ') == std::string::npos) return program;
    return "\"" + program + "\"";
}

}  // namespace

SettingsPanels::SettingsPanels(CMainSkin& window, SettingsService& settings, UserPrompts& prompts,
                               std::function<Result<std::string>()> programWindowsPath, const CodePage& codePage)
    : m_window(window),
      m_settings(settings),
      m_prompts(prompts),
      m_programWindowsPath(std::move(programWindowsPath)),
      m_codePage(codePage) {}

void SettingsPanels::load(CSubMainSkin& panel) {
    // A setting that is there turns its box on; one that is not leaves the box as it is.
    const auto load = [&](const char* valueName, const char* button) {
        if (m_settings.flag(valueName)) panel.SetChecked(button, true);
    };
    // "Start with Windows" is what the Run key holds, ticked or not.
    if (!panel.holdsCategories()) panel.SetChecked(control::kButtonStartup, m_settings.startsWithWindows());
    if (panel.name() == control::kPanelSchedule) {
        bool enabled = panel.IsChecked(control::kButtonAutoscanEnable);
        ScheduleOptions options = ReadOptions(panel);
        m_settings.loadSchedulePanel(enabled, options);
        ShowSwitch(panel, enabled);
        ShowOptions(panel, options);
        panel.SetEditText(control::kEditScanPeriod, QString::fromStdString(options.periodText));
    }
    load(setting::kAutoScan, control::kButtonAutoscan);
    ShowBackupAlwaysMade(panel);
    load(setting::kScanEvery, control::kButtonStartEvery);
    load(setting::kScanAfterEvery, control::kButtonStartAfterEvery);
    if (panel.name() == control::kPanelScheduleDisabled) {
        // The switched-off panel shows the options that will hold once it is switched on.
        ShowSwitch(panel, m_settings.automaticScanOn());
        if (const CSubMainSkin* schedule = m_window.panel(control::kPanelSchedule))
            ShowOptions(panel, ReadOptions(*schedule));
    }
    const auto fill = [&](const char* edit, const char* valueName) {
        if (panel.FindEdit(edit) != nullptr)
            panel.SetEditText(edit, ScreenText(m_codePage, m_settings.text(valueName)));
    };
    fill(control::kEditBakupCount, setting::kSaveCountReg);
    fill(control::kEditScanPeriod, setting::kScanMinutes);
}

bool SettingsPanels::press(CSubMainSkin& panel, const std::string& name) {
    if (name == control::kButtonStartup && !panel.holdsCategories()) {
        toggleStartWithWindows(panel);
        return true;
    }
    if (name == control::kButtonAutoscan) {
        toggleFlag(panel, control::kButtonAutoscan, setting::kAutoScan);
        return true;
    }
    if (name == control::kButtonAutoscanEnable) {
        toggleAutomaticScan(panel);
        return true;
    }
    for (const OptionButton& option : kOptionButtons) {
        if (name == option.name) {
            pressScheduleOption(panel, option.option);
            return true;
        }
    }
    // BUTTON_BACKUP has no command: it stays ticked, as every repair is backed up.
    return name == control::kButtonBackup;
}

void SettingsPanels::storeTypedValues() {
    for (CSubMainSkin* panel : m_window.panels()) {
        if (skin::CSkinEdit* edit = panel->FindEdit(control::kEditBakupCount); edit != nullptr && edit->isModified()) {
            edit->setModified(false);
            (void)shown(m_settings.setBackupCount(AnsiText(m_codePage, edit->text())));
        }
        if (skin::CSkinEdit* edit = panel->FindEdit(control::kEditScanPeriod); edit != nullptr && edit->isModified()) {
            edit->setModified(false);
            (void)shown(m_settings.storeTypedPeriod(ReadOptions(*panel)));
        }
    }
}

void SettingsPanels::toggleStartWithWindows(CSubMainSkin& panel) {
    const bool on = !panel.IsChecked(control::kButtonStartup);
    std::optional<std::string> command;
    if (on) {
        const Result<std::string> program = m_programWindowsPath();
        if (!program) {
            m_prompts.warn(kProgramCaption, "Brindle cannot start with Windows: " + program.error().message());
            return;
        }
        command = StartupCommand(program.value());
    }
    // The box shows what the Run key holds: it changes only with the key.
    if (shown(m_settings.setStartup(command))) panel.SetChecked(control::kButtonStartup, on);
}

void SettingsPanels::toggleFlag(CSubMainSkin& panel, const char* button, const char* setting) {
    const bool on = !panel.IsChecked(button);
    if (shown(m_settings.setFlag(setting, on))) panel.SetChecked(button, on);
}

void SettingsPanels::pressScheduleOption(CSubMainSkin& panel, ScheduleOption option) {
    ScheduleOptions options = ReadOptions(panel);
    const Result<bool> changed = m_settings.pressScheduleOption(option, options);
    if (!changed) {
        (void)shown(changed.error());
        return;
    }
    if (!changed.value()) return;
    ShowOptions(panel, options);
    if (CSubMainSkin* disabled = m_window.panel(control::kPanelScheduleDisabled)) ShowOptions(*disabled, options);
}

void SettingsPanels::toggleAutomaticScan(CSubMainSkin& panel) {
    const Result<bool> on = m_settings.toggleAutomaticScan();
    if (!on) {
        (void)shown(on.error());
        return;
    }
    m_window.ShowSubScreen(on.value() ? control::kPanelSchedule : control::kPanelScheduleDisabled);
    // Both schedule panels show the switch; the one now shown must say the same.
    ShowSwitch(panel, on.value());
    if (CSubMainSkin* shownPanel = m_window.currentPanel()) ShowSwitch(*shownPanel, on.value());
}

bool SettingsPanels::shown(const Status& status) { return Succeeded(m_prompts, status); }

}  // namespace brindle
