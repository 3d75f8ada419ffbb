// The panels' settings and commands: check boxes stored as settings, the start with
// Windows, the automatic scan's options, the ignored list, the restore of a snapshot file
// and the live update. Every change of a setting goes through the settings keeper, which
// writes it where the registry is kept, now or as soon as that may be done.
#include <QDir>
#include <QFileDialog>

#include "app/CMainDialog.h"
#include "app/CThreadSummary.h"
#include "app/ControlNames.h"
#include "app/ExternalPrograms.h"
#include "app/workflow/IgnoreListEditing.h"
#include "app/workflow/RestoreSnapshotFile.h"
#include "app/workflow/UserMessages.h"
#include "app/workflow/UserTexts.h"
#include "registry/SettingsStore.h"

namespace brindle {

namespace {


// The category check boxes the "all" box sets; the startup category's box shares its
// name with the start-with-Windows box.
constexpr const char* kCategoryButtons[] = {
    control::kButtonRegistry,    control::kButtonCom,   control::kButtonComSubs,   control::kButtonDrv,
    control::kButtonHelp,        control::kButtonApppath, control::kButtonSharedTools, control::kButtonFonts,
    control::kButtonShortcuts,   control::kButtonUninstall, control::kButtonVxd,     control::kButtonMsdos,
};

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

// The panel of the scan's category boxes, where BUTTON_STARTUP is the startup category;
// on any other panel a box of that name is "Start with Windows".
bool HoldsCategories(const CSubMainSkin& panel) { return panel.FindButton(control::kButtonAll) != nullptr; }

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

// What a snapshot restore has to say while it runs, as message boxes of the window.
class WindowMessages : public UserMessages {
public:
    explicit WindowMessages(std::function<void(const std::string&, const std::string&)> show)
        : m_show(std::move(show)) {}
    void tell(const std::string& caption, const std::string& text) override { m_show(caption, text); }

private:
    std::function<void(const std::string&, const std::string&)> m_show;
};

}  // namespace

void CMainDialog::LoadPanelSettings(CSubMainSkin& panel) {
    // A setting that is there turns its box on; one that is not leaves the box as it is.
    const auto load = [&](const char* valueName, const char* button) {
        if (m_settingsService.flag(valueName)) panel.SetChecked(button, true);
    };
    // "Start with Windows" is what the Run key holds, ticked or not.
    if (!HoldsCategories(panel)) panel.SetChecked(control::kButtonStartup, m_settingsService.startsWithWindows());
    if (panel.name() == control::kPanelSchedule) {
        bool enabled = panel.IsChecked(control::kButtonAutoscanEnable);
        ScheduleOptions options = ReadOptions(panel);
        m_settingsService.loadSchedulePanel(enabled, options);
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
        ShowSwitch(panel, m_settingsService.automaticScanOn());
        if (const CSubMainSkin* schedule = this->panel(control::kPanelSchedule))
            ShowOptions(panel, ReadOptions(*schedule));
    }
    // The category boxes start all ticked.
    if (HoldsCategories(panel)) OnPanelButton(panel, control::kButtonAll);
    if (m_settingsService.flag(setting::kAutoScan)) m_scanAtStart = true;
}

void CMainDialog::FillPanelEdits(CSubMainSkin& panel) {
    const auto fill = [&](const char* edit, const char* valueName) {
        if (panel.FindEdit(edit) != nullptr) panel.SetEditText(edit, screenText(m_settingsService.text(valueName)));
    };
    fill(control::kEditBakupCount, setting::kSaveCountReg);
    fill(control::kEditScanPeriod, setting::kScanMinutes);
}

void CMainDialog::FillIgnoredList() {
    CSubMainSkin* ignored = panel(control::kPanelIgnored);
    if (ignored == nullptr || ignored->checkList() == nullptr) return;
    skin::CSkinList& list = *ignored->checkList();
    list.RemoveAllRows();
    IgnoreListEditing editing(m_setup.workFolder);
    // A list that cannot be read is never shown as empty.
    if (!editing.error().empty()) {
        list.AddRow({QString(), QString::fromStdString(editing.error())});
        list.setEnabled(false);
        return;
    }
    list.setEnabled(true);
    for (const std::string& path : editing.entries()) list.AddRow({QString(), screenText(path)});
}

void CMainDialog::OnPanelButton(CSubMainSkin& panel, const std::string& name) {
    if (m_scanRunning || m_fixRunning) return;
    StoreTypedValues();

    if (name == control::kButtonScan) {
        StartSummaryScan(panel);
        return;
    }
    if (name == control::kButtonStartup) {
        if (HoldsCategories(panel)) {
            panel.SetChecked(name, !panel.IsChecked(name));
        } else {
            ToggleStartWithWindows(panel);
        }
    }
    if (name == control::kButtonAboutexit) ShowPage(control::kPanelMain, control::kButtonMain);
    if (name == control::kButtonAutoscan) StoreFlag(panel, control::kButtonAutoscan, setting::kAutoScan);
    // BUTTON_BACKUP has no command: it stays ticked, as every repair is backed up.
    for (const char* category : kCategoryButtons) {
        if (name == category) panel.SetChecked(name, !panel.IsChecked(name));
    }
    if (name == control::kButtonAll) {
        const bool on = !panel.IsChecked(control::kButtonAll);
        for (const char* category : kCategoryButtons) panel.SetChecked(category, on);
        panel.SetChecked(control::kButtonStartup, on);
        panel.SetChecked(control::kButtonAll, on);
    }
    if (name == control::kButtonRestore) RestoreFromSnapshot();
    if (name == control::kButtonAddschedule) AddSchedule(panel);
    if (name == control::kButtonDeleteschedule) DeleteSchedule(panel);
    if (name == control::kButtonRunupdate) RunLiveUpdate();
    if (name == control::kButtonIgnoredDelete) DeleteCheckedIgnored();
    if (name == control::kButtonIgnoredSelAll) {
        const bool on = !panel.IsChecked(name);
        panel.SetChecked(name, on);
        if (panel.checkList() != nullptr) panel.checkList()->SetAllChecked(on);
    }
    if (name == control::kButtonAutoscanEnable) ToggleAutomaticScan(panel);
    for (const OptionButton& option : kOptionButtons) {
        if (name == option.name) PressScheduleOption(panel, option.option);
    }
}

void CMainDialog::StoreTypedValues() {
    // A job holds the registry; what was typed waits for the next command after it.
    if (m_scanRunning || m_fixRunning) return;
    for (CSubMainSkin* panel : panels()) {
        StoreBackupCount(panel);
        StoreScanPeriod(*panel);
    }
}

void CMainDialog::StoreScanPeriod(CSubMainSkin& panel) {
    skin::CSkinEdit* edit = panel.FindEdit(control::kEditScanPeriod);
    // Only what the user typed: a box the window filled shows what is stored already, and
    // writing it back could undo what another window saved meanwhile.
    if (edit == nullptr || !edit->isModified()) return;
    edit->setModified(false);
    showFailure(m_settingsService.storeTypedPeriod(ReadOptions(panel)));
}

void CMainDialog::StoreBackupCount(CSubMainSkin* panel) {
    if (panel == nullptr) return;
    // Only what the user typed, as for the scan period.
    skin::CSkinEdit* edit = panel->FindEdit(control::kEditBakupCount);
    if (edit == nullptr || !edit->isModified()) return;
    edit->setModified(false);
    showFailure(m_settingsService.setBackupCount(ansiText(edit->text())));
}

void CMainDialog::ToggleStartWithWindows(CSubMainSkin& panel) {
    const bool on = !panel.IsChecked(control::kButtonStartup);
    std::optional<std::string> command;
    if (on) {
        const Result<std::string> program = m_setup.programWindowsPath();
        if (!program) {
            warn(kProgramCaption, "Brindle cannot start with Windows: " + program.error().message());
            return;
        }
        command = StartupCommand(program.value());
    }
    // The box shows what the Run key holds: it changes only with the key.
    if (showFailure(m_settingsService.setStartup(command))) panel.SetChecked(control::kButtonStartup, on);
}

void CMainDialog::StoreFlag(CSubMainSkin& panel, const char* button, const char* setting) {
    const bool on = !panel.IsChecked(button);
    if (showFailure(m_settingsService.setFlag(setting, on))) panel.SetChecked(button, on);
}

void CMainDialog::PressScheduleOption(CSubMainSkin& panel, ScheduleOption option) {
    ScheduleOptions options = ReadOptions(panel);
    const Result<bool> changed = m_settingsService.pressScheduleOption(option, options);
    if (!changed) {
        warn(kProgramCaption, changed.error().message());
        return;
    }
    if (!changed.value()) return;
    ShowOptions(panel, options);
    if (CSubMainSkin* disabled = this->panel(control::kPanelScheduleDisabled)) ShowOptions(*disabled, options);
}

void CMainDialog::ToggleAutomaticScan(CSubMainSkin& panel) {
    const Result<bool> on = m_settingsService.toggleAutomaticScan();
    if (!on) {
        warn(kProgramCaption, on.error().message());
        return;
    }
    ShowSubScreen(on.value() ? control::kPanelSchedule : control::kPanelScheduleDisabled);
    // Both schedule panels show the switch; the one now shown must say the same.
    ShowSwitch(panel, on.value());
    if (CSubMainSkin* shown = currentPanel()) ShowSwitch(*shown, on.value());
}

bool CMainDialog::showFailure(const Status& status) {
    if (status) return true;
    warn(kProgramCaption, status.error().message());
    return false;
}

void CMainDialog::DeleteCheckedIgnored() {
    CSubMainSkin* ignored = panel(control::kPanelIgnored);
    if (ignored == nullptr || ignored->checkList() == nullptr) return;
    std::vector<bool> checked;
    for (int row = 0; row < ignored->checkList()->rowCount(); ++row)
        checked.push_back(ignored->checkList()->IsRowChecked(row));
    auto locks = lockForWriting();
    if (!locks) {
        warn(kProgramCaption, locks.error().message());
        return;
    }
    IgnoreListEditing editing(m_setup.workFolder);
    const IgnoreEdit edit = editing.removeChecked(checked);
    if (edit.outcome == IgnoreEdit::Outcome::Failed) warn(kProgramCaption, edit.error);
    FillIgnoredList();
}

void CMainDialog::RestoreFromSnapshot() {
    const std::optional<std::string> file = chooseSnapshotFile();
    if (!file) return;
    auto locks = lockForWriting();
    if (!locks) {
        warn(kSnapshotRestoreCaption, locks.error().message());
        return;
    }
    WindowMessages messages([this](const std::string& caption, const std::string& text) { tell(caption, text); });
    const bool restored = RestoreSnapshotFile(m_machine, *file, messages);
    tell(kSnapshotRestoreCaption, restored ? kSnapshotRestoreSucceeded : kSnapshotRestoreFailed);
    saveSettings();
}

void CMainDialog::RunLiveUpdate() {
    if (!ask(kLiveUpdateCaption, kLiveUpdateQuestion)) return;
    const std::optional<QString> program =
        FindLiveUpdateProgram(QDir::currentPath(), qEnvironmentVariable("PATH"));
    // Without the updater there is nothing to make room for: the program stays.
    if (!program || !StartDetachedProgram(*program, QDir::currentPath())) return;
    m_exitCode = kLiveUpdateExitCode;
    done(QDialog::Accepted);
}

void CMainDialog::StartSummaryScan(CSubMainSkin& panel) {
    if (skinDefinition() == nullptr) return;
    SummarySetup setup;
    setup.machine = &m_machine;
    // Over this window, centred on it and kept above it.
    setup.owner = this;
    setup.workFolder = m_setup.workFolder;
    setup.skin = skinDefinition();
    setup.skinFolder = m_setup.skinFolder;
    // The panel's category boxes choose, as the main scan's do.
    for (const ScanCategoryInfo& info : ScanCategories()) {
        if (panel.IsChecked(control::kButtonPrefix + std::string(info.name))) setup.categories.push_back(info.category);
    }
    setup.lockForWriting = [this] { return lockForWriting(); };
    setup.tell = [this](const std::string& caption, const std::string& text) { tell(caption, text); };
    m_scanRunning = true;
    m_summary = std::make_unique<CThreadSummary>(std::move(setup));
    connect(m_summary.get(), &CThreadSummary::closed, this, [this] {
        m_scanRunning = false;
        // Deleted once the signal has returned into the summary's own code; a summary
        // opened meanwhile is the new one and stays.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_summary && !m_scanRunning) m_summary.reset();
                saveSettings();
            },
            Qt::QueuedConnection);
    });
    m_summary->InitInstance();
}

void CMainDialog::CloseSummaryScan() {
    if (m_summary) m_summary->Close();
    m_summary.reset();
}

std::optional<std::string> CMainDialog::chooseSnapshotFile() {
    const QString file = QFileDialog::getOpenFileName(this, QString::fromLatin1(kSnapshotRestoreCaption),
                                                      QString::fromStdString(m_setup.workFolder.string()),
                                                      QStringLiteral("Snapshot files (*.xml);;All files (*)"));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

}  // namespace brindle
