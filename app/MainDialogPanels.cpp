// The panels' commands: the scan's category boxes, the ignored list, the restore of a
// snapshot file, the live update and the summary window's scan. The settings' own boxes
// are SettingsPanels', the scheduled scans ScheduledScans'.
#include <QDir>
#include <QFileDialog>

#include "app/CMainDialog.h"
#include "app/CThreadSummary.h"
#include "app/ControlNames.h"
#include "app/ExternalPrograms.h"
#include "app/IgnoredList.h"
#include "app/workflow/RestoreSnapshotFile.h"
#include "app/workflow/UserMessages.h"
#include "app/workflow/UserTexts.h"

namespace brindle {

namespace {

// The category check boxes the "all" box sets; the startup category's box shares its
// name with the start-with-Windows box.
constexpr const char* kCategoryButtons[] = {
    control::kButtonRegistry,  control::kButtonCom,       control::kButtonComSubs,     control::kButtonDrv,
    control::kButtonHelp,      control::kButtonApppath,   control::kButtonSharedTools, control::kButtonFonts,
    control::kButtonShortcuts, control::kButtonUninstall, control::kButtonVxd,         control::kButtonMsdos,
};

// What a snapshot restore has to say while it runs, as message boxes of the window.
class WindowMessages : public UserMessages {
public:
    explicit WindowMessages(UserPrompts& prompts) : m_prompts(prompts) {}
    void tell(const std::string& caption, const std::string& text) override { m_prompts.tell(caption, text); }

private:
    UserPrompts& m_prompts;
};

}  // namespace

void CMainDialog::OnPanelButton(CSubMainSkin& panel, const std::string& name) {
    if (m_scanRunning || m_fixRunning) return;
    StoreTypedValues();
    if (m_settingsPanels.press(panel, name)) return;

    if (name == control::kButtonScan) StartSummaryScan(panel);
    if (name == control::kButtonAboutexit) ShowPage(control::kPanelMain, control::kButtonMain);
    for (const char* category : kCategoryButtons) {
        if (name == category) panel.SetChecked(name, !panel.IsChecked(name));
    }
    // The startup category's box, on the panel of the categories.
    if (name == control::kButtonStartup) panel.SetChecked(name, !panel.IsChecked(name));
    if (name == control::kButtonAll) {
        const bool on = !panel.IsChecked(control::kButtonAll);
        for (const char* category : kCategoryButtons) panel.SetChecked(category, on);
        panel.SetChecked(control::kButtonStartup, on);
        panel.SetChecked(control::kButtonAll, on);
    }
    if (name == control::kButtonRestore) RestoreFromSnapshot();
    if (name == control::kButtonAddschedule) m_scheduledScans.add(panel);
    if (name == control::kButtonDeleteschedule) m_scheduledScans.remove(panel);
    if (name == control::kButtonRunupdate) RunLiveUpdate();
    if (name == control::kButtonIgnoredDelete) RemoveTickedIgnored();
    if (name == control::kButtonIgnoredSelAll) {
        const bool on = !panel.IsChecked(name);
        panel.SetChecked(name, on);
        if (panel.checkList() != nullptr) panel.checkList()->SetAllChecked(on);
    }
}

void CMainDialog::StoreTypedValues() {
    // A job holds the registry; what was typed waits for the next command after it.
    if (m_scanRunning || m_fixRunning) return;
    m_settingsPanels.storeTypedValues();
}

bool CMainDialog::showFailure(const Status& status) { return Succeeded(*this, status); }

void CMainDialog::FillIgnoredList() {
    if (CSubMainSkin* ignored = panel(control::kPanelIgnored); ignored != nullptr && ignored->checkList() != nullptr)
        brindle::FillIgnoredList(*ignored->checkList(), m_setup.workFolder, m_machine.codePage());
}

void CMainDialog::RemoveTickedIgnored() {
    CSubMainSkin* ignored = panel(control::kPanelIgnored);
    if (ignored == nullptr || ignored->checkList() == nullptr) return;
    (void)showFailure(brindle::RemoveTickedIgnored(*ignored->checkList(), m_setup.workFolder,
                                                   [this] { return lockForWriting(); }, m_machine.codePage()));
}

void CMainDialog::RestoreFromSnapshot() {
    const std::optional<std::string> file = chooseSnapshotFile();
    if (!file) return;
    auto locks = lockForWriting();
    if (!locks) {
        caution(kSnapshotRestoreCaption, locks.error().message());
        return;
    }
    WindowMessages messages(*this);
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
