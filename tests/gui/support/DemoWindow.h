// The window program's dialog on a fresh copy of the demo machine, with the user's side
// recorded: what they would be told, and answers to the questions.
#pragma once

#include <QDir>
#include <QSignalSpy>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CMainDialog.h"
#include "app/CAddScheduleDialog.h"
#include "gui/support/DemoMachineCopy.h"
#include "support/MemoryTaskScheduler.h"
#include "platform/ExclusiveLock.h"
#include "platform/WinePrefixMachine.h"
#include "registry/SettingsStore.h"

namespace brindle::test {

inline constexpr int kJobTimeout = 120000;

// Records what the user would be told and answers the questions.
class TestDialog : public CMainDialog {
public:
    using CMainDialog::CMainDialog;
    std::vector<std::pair<std::string, std::string>> told;
    int warnings = 0;  // how many of the told were failures
    int cautions = 0;  // how many were warnings that are no failure
    // Called for a Retry question; answers whether to try again.
    std::function<bool()> retry = [] { return false; };
    std::function<void(CAddScheduleDialog&)> fillSchedule;

    bool wasTold(const std::string& text) const {
        for (const auto& [caption, message] : told) {
            if (message.find(text) != std::string::npos) return true;
        }
        return false;
    }

protected:
    void tell(const std::string& caption, const std::string& text) override { told.emplace_back(caption, text); }
    // Failures are recorded as told, with the sentence as the user would read it.
    void warn(const std::string& caption, const std::string& text) override {
        told.emplace_back(caption, Sentence(text));
        ++warnings;
    }
    void caution(const std::string& caption, const std::string& text) override {
        told.emplace_back(caption, Sentence(text));
        ++cautions;
    }
    bool ask(const std::string&, const std::string&) override { return false; }
    bool confirm(const std::string& caption, const std::string& text) override {
        told.emplace_back(caption, text);
        return true;
    }
    // The add-schedule dialog is filled in by fillSchedule, when set; other dialogs are
    // closed at once.
    void runDialog(QDialog& dialog) override {
        if (auto* schedule = dynamic_cast<CAddScheduleDialog*>(&dialog); schedule != nullptr && fillSchedule)
            fillSchedule(*schedule);
    }
    bool askRetry(const std::string& caption, const std::string& text) override {
        told.emplace_back(caption, text);
        return retry();
    }
};

// The demo machine opened as the program opens it, with the window's setup.
struct DemoWindow {
    DemoMachineCopy demo;
    std::unique_ptr<WinePrefixMachine> machine;
    std::unique_ptr<TestDialog> dialog;
    QString previousFolder = QDir::currentPath();
    // The window's scheduler, once it has opened it; false gives the stand-in of a system
    // without a scheduler.
    MemoryTaskScheduler* scheduler = nullptr;
    bool schedulerInstalled = true;

    // `skinFolder` is the user skin folder the window is pointed at, as --skin does.
    explicit DemoWindow(bool scanAtStart = false, ScheduleClock clock = SystemScheduleClock,
                        std::optional<std::filesystem::path> skinFolder = std::nullopt) {
        if (!demo.valid()) return;
        auto opened = WinePrefixMachine::Open(demo.prefix().toStdString());
        if (!opened) return;
        machine = std::move(opened).value();
        // The snapshot file of a repair is written in the current directory.
        QDir::setCurrent(demo.workFolder());
        MainDialogSetup setup;
        setup.machine = machine.get();
        setup.workFolder = demo.workFolder().toStdString();
        setup.skinFolder = std::move(skinFolder);
        setup.scanAtStart = scanAtStart;
        setup.prefixLockFile = demo.prefix().toStdString() + "/" + kPrefixLockFile;
        setup.programWindowsPath = [] { return Result<std::string>(std::string("Z:\\opt\\brindle\\bin\\brindle")); };
        setup.clock = std::move(clock);
        setup.programPath = "/usr/bin/brindle";
        setup.openScheduler = [this] {
            auto memory = std::make_unique<MemoryTaskScheduler>();
            memory->refuseEverything = !schedulerInstalled;
            scheduler = memory.get();
            return std::unique_ptr<TaskScheduler>(std::move(memory));
        };
        dialog = std::make_unique<TestDialog>(std::move(setup));
    }
    ~DemoWindow() {
        dialog.reset();
        QDir::setCurrent(previousFolder);
    }

    CSubMainSkin& panel(const char* name) { return *dialog->panel(name); }
    QString label(const char* panelName, const std::string& text) {
        const skin::CSkinText* item = panel(panelName).FindText(text);
        return item != nullptr ? item->Text() : QStringLiteral("<none>");
    }
    QStringList resultPaths() {
        QStringList paths;
        const skin::CSkinList& list = *panel("SUBMAIN_RESULT").checkList();
        for (int row = 0; row < list.rowCount(); ++row) paths << list.item(row, 2)->text();
        return paths;
    }
    bool scan() {
        QSignalSpy ended(dialog.get(), &CMainDialog::scanEnded);
        dialog->ButtonPressed("BUTTON_SCAN");
        return ended.wait(kJobTimeout);
    }
    // A setting as the prefix's files hold it now.
    bool storedFlag(const char* key, const char* value) {
        auto reopened = WinePrefixMachine::Open(demo.prefix().toStdString());
        return reopened && SettingsStore(reopened.value()->registry()).LoadFlagSetting(key, value).value_or(false);
    }
    std::optional<std::string> storedText(const char* key, const char* value) {
        auto reopened = WinePrefixMachine::Open(demo.prefix().toStdString());
        if (!reopened) return std::nullopt;
        return SettingsStore(reopened.value()->registry()).LoadTextSetting(key, value);
    }
    std::size_t backupCount() {
        std::size_t count = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 demo.workFolder().toStdString() + "/Registry Backups", error)) {
            if (entry.path().extension() == ".reg") ++count;
        }
        return count;
    }
};


}  // namespace brindle::test
