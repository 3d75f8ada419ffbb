// The window program on a copy of the demo machine: a scan lists what brindle-cli finds,
// a repair removes the ticked rows after a backup and keeps the unticked ones on the
// ignore list, the restore brings everything back; the buttons that must not act while
// a job runs or after a tab command do not; settings survive a refused save.
#include <QDir>
#include <QSignalSpy>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CMainApp.h"
#include "app/CMainDialog.h"
#include "app/workflow/UserTexts.h"
#include "platform/ExclusiveLock.h"
#include "platform/WinePrefixMachine.h"
#include "registry/SettingsStore.h"
#include "gui/support/DemoWindow.h"

namespace brindle {

using test::DemoWindow;
using test::kJobTimeout;

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Nothing ticked: no empty "Scan Complete", but what to do. A real scan's message
    // counts what it found, as the CLI does.
    void aScanSaysWhatItNeedsAndWhatItFound() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CSubMainSkin& main = window.panel("SUBMAIN_MAIN");
        window.dialog->OnPanelButton(main, "BUTTON_ALL");  // all on, as at start: now all off
        QVERIFY(!main.IsChecked("BUTTON_ALL"));
        window.dialog->ButtonPressed("BUTTON_SCAN");
        QVERIFY(!window.dialog->scanRunning());
        QVERIFY(window.dialog->wasTold(kNoCategoryTickedMessage));
        QCOMPARE(window.dialog->cautions, 1);  // something to do first, not a failure
        QVERIFY(!window.dialog->wasTold(kScanCompleteMessage));

        window.dialog->OnPanelButton(main, "BUTTON_ALL");
        const int listed = static_cast<int>(test::DemoMachineCopy::ListedPaths(
                                                window.demo.cliScan(window.demo.workFolder()))
                                                .size());
        QVERIFY(window.scan());
        QVERIFY(window.dialog->wasTold(std::string(kScanCompleteMessage) + "\n\n" + std::to_string(listed) +
                                       " problems found in "));
        // The tooltip of a registry row names its key as well as its whole path.
        const skin::CSkinList& list = *window.panel("SUBMAIN_RESULT").checkList();
        QVERIFY(list.item(0, 2)->toolTip().contains(QStringLiteral("\nHKEY_")));
    }

    void scanUntickRemoveAndRestoreAsTheCliSeesIt() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr);
        const QStringList cliPaths = test::DemoMachineCopy::ListedPaths(window.demo.cliScan(window.demo.workFolder()));
        QVERIFY(cliPaths.size() >= 3);
        QVERIFY(window.dialog->OnInitDialog());
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_MAIN"));

        QVERIFY(window.scan());
        QVERIFY(window.dialog->wasTold(kScanCompleteMessage));
        QCOMPARE(window.label("SUBMAIN_MAIN", "PROGRESS_TEXT_COM"), QStringLiteral("Done"));
        QCOMPARE(window.label("SUBMAIN_MAIN", "PROGRESS_TEXT_SHORTCUTS"), QStringLiteral("Done"));
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_RESULT"));
        QCOMPARE(window.resultPaths(), cliPaths);

        // Untick the first row: it goes to the ignore list and stays in the registry.
        const QString kept = cliPaths.front();
        window.panel("SUBMAIN_RESULT").checkList()->SetRowChecked(0, false);
        QSignalSpy fixed(window.dialog.get(), &CMainDialog::fixEnded);
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(fixed.wait(kJobTimeout));
        QVERIFY2(window.dialog->wasTold(kItemsRemovedMessage), window.dialog->told.back().second.c_str());
        QCOMPARE(window.backupCount(), std::size_t{1});
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_MAIN"));
        const skin::CSkinList& ignored = *window.panel("SUBMAIN_IGNORED").checkList();
        QCOMPARE(ignored.rowCount(), 1);
        QCOMPARE(ignored.item(0, 1)->text(), kept);

        // Without the ignore list only the kept problem is left; in the work folder, nothing.
        QTemporaryDir elsewhere;
        QCOMPARE(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(elsewhere.path())), QStringList{kept});
        QVERIFY(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(window.demo.workFolder())).isEmpty());

        window.dialog->ButtonPressed("BUTTON_RESTORE");
        QVERIFY(window.dialog->wasTold(kRestoreCompleteMessage));
        QVERIFY(window.dialog->wasTold("Restore the backup of "));  // asked first
        QVERIFY(window.dialog->wasTold("Restored from "));
        QCOMPARE(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(elsewhere.path())), cliPaths);
    }

    // The user may sort the results by a column; the row unticked is still the entry kept.
    void aSortedListKeepsWhatWasUnticked() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.scan());
        skin::CSkinList& list = *window.panel("SUBMAIN_RESULT").checkList();
        QVERIFY(list.isSortingEnabled());
        const QString first = list.item(0, 2)->text();
        list.sortItems(2, Qt::DescendingOrder);
        QVERIFY(list.item(0, 2)->text() != first);  // the order changed
        const QString kept = list.item(0, 2)->text();
        list.SetRowChecked(0, false);
        QSignalSpy fixed(window.dialog.get(), &CMainDialog::fixEnded);
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(fixed.wait(kJobTimeout));
        const skin::CSkinList& ignored = *window.panel("SUBMAIN_IGNORED").checkList();
        QCOMPARE(ignored.rowCount(), 1);
        QCOMPARE(ignored.item(0, 1)->text(), kept);
        QTemporaryDir elsewhere;
        QCOMPARE(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(elsewhere.path())), QStringList{kept});
    }

    void aStoppedScanListsWhatItFoundWithoutScanComplete() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QSignalSpy ended(window.dialog.get(), &CMainDialog::scanEnded);
        window.dialog->ButtonPressed("BUTTON_SCAN");
        QVERIFY(window.dialog->scanRunning());
        QVERIFY(window.dialog->FindButton("BUTTON_SCAN")->IsChecked());
        window.dialog->ButtonPressed("BUTTON_SCAN");
        // The button looks normal at once; the scan ends at its next look at the stop.
        QVERIFY(!window.dialog->FindButton("BUTTON_SCAN")->IsChecked());
        QVERIFY(ended.wait(kJobTimeout));
        QVERIFY(!window.dialog->wasTold(kScanCompleteMessage));
        QVERIFY(!window.dialog->scanRunning());
        QVERIFY(window.dialog->resultsAvailable());
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_RESULT"));
        QVERIFY(window.resultPaths().size() < 3);
    }

    void whileAJobRunsOnlyTheAllowedButtonsAct() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        // The job's end reaches the window through its event loop, so these presses all
        // come while it runs.
        window.dialog->ButtonPressed("BUTTON_SCAN");
        window.dialog->ButtonPressed("BUTTON_ADVSETTINGS");
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_MAIN"));
        QVERIFY(!window.dialog->fixRunning());
        QSignalSpy scanned(window.dialog.get(), &CMainDialog::scanEnded);
        QVERIFY(scanned.wait(kJobTimeout));

        QSignalSpy fixed(window.dialog.get(), &CMainDialog::fixEnded);
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(window.dialog->fixRunning());
        for (const char* name : {"BUTTON_SCAN", "BUTTON_MAIN", "BUTTON_IGNORED", "BUTTON_RESTORE", "BUTTON_REMOVE"})
            window.dialog->ButtonPressed(name);
        window.dialog->OnPanelButton(window.panel("SUBMAIN_MAIN"), "BUTTON_COM");
        QVERIFY(!window.dialog->scanRunning());
        QVERIFY(window.panel("SUBMAIN_MAIN").IsChecked("BUTTON_COM"));
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_MAIN"));
        QVERIFY(fixed.wait(kJobTimeout));
        QCOMPARE(fixed.size(), 1);
        QCOMPARE(window.backupCount(), std::size_t{1});
    }

    void exitDuringAScanStopsItAndShowsNothingAfter() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        window.dialog->ButtonPressed("BUTTON_SCAN");
        window.dialog->ButtonPressed("BUTTON_EXIT");
        QVERIFY(!window.dialog->scanRunning());
        QTest::qWait(50);
        QVERIFY(!window.dialog->wasTold(kScanCompleteMessage));
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_MAIN"));
    }

    void aTabCommandAfterTheScanForgetsItsResults() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.scan());
        QVERIFY(window.dialog->resultsAvailable());
        window.dialog->ButtonPressed("BUTTON_IGNORED");
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_IGNORED"));
        QVERIFY(!window.dialog->FindButton("BUTTON_IGNORED")->isEnabled());
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(!window.dialog->fixRunning());
        QCOMPARE(window.backupCount(), std::size_t{0});
    }

    void enterEscapeAndTheCloseCommandLeaveTheWindowOpen() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        window.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.dialog.get()));
        QTest::keyClick(window.dialog.get(), Qt::Key_Escape);
        QTest::keyClick(window.dialog.get(), Qt::Key_Return);
        QVERIFY(!window.dialog->close());
        QVERIFY(window.dialog->isVisible());
        window.dialog->ButtonPressed("BUTTON_EXIT");
        QVERIFY(!window.dialog->isVisible());
    }

    void onlyTheExactArgumentScanStartsAScan_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("scans");
        QTest::newRow("scan") << QStringList{"scan"} << true;
        QTest::newRow("leading blank") << QStringList{" scan"} << false;
        QTest::newRow("trailing blank") << QStringList{"scan "} << false;
        QTest::newRow("capital") << QStringList{"Scan"} << false;
        QTest::newRow("slash") << QStringList{"/scan"} << false;
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("two") << QStringList{"scan", "scan"} << false;
    }
    void onlyTheExactArgumentScanStartsAScan() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, scans);
        QCOMPARE(IsScanCommandLine(arguments), scans);
    }

    void aScanAskedForAtStartRunsOnceTheWindowIsBuilt() {
        DemoWindow window(true);
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.dialog->scanRunning());
        QSignalSpy ended(window.dialog.get(), &CMainDialog::scanEnded);
        QVERIFY(ended.wait(kJobTimeout));
    }

    void theTimerPressesScanOnlyOnceTheTimeHasPassed() {
        std::int64_t now = 2'000'000'000;
        DemoWindow window(false, [&now] { return now; });
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        // A fresh installation has the automatic scan off: a due time is skipped.
        const std::int64_t first = window.dialog->schedule().nextScanTime();
        now = first + 1;
        window.dialog->CheckScheduledScan();
        QVERIFY(!window.dialog->scanRunning());
        window.dialog->OnPanelButton(window.panel("SUBMAIN_SCHEDULE_DISABLED"), "BUTTON_AUTOSCAN_ENABLE");
        QVERIFY(window.dialog->schedule().enabled());
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_SCHEDULE"));
        const std::int64_t next = window.dialog->schedule().nextScanTime();
        now = next;
        window.dialog->CheckScheduledScan();
        QVERIFY(!window.dialog->scanRunning());
        now = next + 1;
        window.dialog->CheckScheduledScan();
        QVERIFY(window.dialog->scanRunning());
        QCOMPARE(window.dialog->schedule().nextScanTime(), now + window.dialog->schedule().period());
        QSignalSpy ended(window.dialog.get(), &CMainDialog::scanEnded);
        QVERIFY(ended.wait(kJobTimeout));
    }

    void startWithWindowsNamesTheProgramAsThePrefixSeesIt() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CSubMainSkin& advanced = window.panel("SUBMAIN_ADVANCED");
        // A fresh installation has no Run entry, and the box says so.
        QVERIFY(!advanced.IsChecked("BUTTON_STARTUP"));
        window.dialog->OnPanelButton(advanced, "BUTTON_STARTUP");
        QVERIFY(advanced.IsChecked("BUTTON_STARTUP"));
        QCOMPARE(window.storedText(kRunKey, kStartupValueName), std::optional<std::string>("Z:\\opt\\brindle\\bin\\brindle"));
        window.dialog->OnPanelButton(advanced, "BUTTON_STARTUP");
        QVERIFY(!window.storedFlag(kRunKey, kStartupValueName));
    }

    // The settings page's boxes show what is so: the Run key's entry, and the backup that
    // every repair makes. The startup category's box, of the same name, is only a category.
    void theSettingsBoxesShowTheTruth() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr);
        {
            auto use = window.machine->useRegistry();
            SettingsStore(window.machine->registry()).SetStartupCommand("C:\\brindle.exe");
        }
        QVERIFY(window.dialog->OnInitDialog());
        CSubMainSkin& advanced = window.panel("SUBMAIN_ADVANCED");
        QVERIFY(advanced.IsChecked("BUTTON_STARTUP"));

        CSubMainSkin& main = window.panel("SUBMAIN_MAIN");
        QVERIFY(main.IsChecked("BUTTON_STARTUP"));
        window.dialog->OnPanelButton(main, "BUTTON_STARTUP");
        QVERIFY(!main.IsChecked("BUTTON_STARTUP"));
        QVERIFY(advanced.IsChecked("BUTTON_STARTUP"));
        QVERIFY(window.storedFlag(kRunKey, kStartupValueName));

        const skin::CSkinButton* backup = advanced.FindButton("BUTTON_BACKUP");
        QVERIFY(backup != nullptr);
        QVERIFY(backup->IsChecked());
        QVERIFY(!backup->isEnabled());
        QVERIFY(backup->toolTip().contains(QStringLiteral("backed up")));
        window.dialog->OnPanelButton(advanced, "BUTTON_BACKUP");
        QVERIFY(backup->IsChecked());
        QVERIFY(!window.storedFlag(kSettingsKey, setting::kSaveReg));
    }

    // What the message box says after "Fix selected": never "removed" when nothing was.
    void fixSelectedTellsWhatWasRemovedAndKept() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.scan());
        const int rows = window.panel("SUBMAIN_RESULT").checkList()->rowCount();
        QVERIFY(rows >= 3);
        window.panel("SUBMAIN_RESULT").checkList()->SetAllChecked(false);
        QSignalSpy fixed(window.dialog.get(), &CMainDialog::fixEnded);
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(fixed.wait(kJobTimeout));
        const std::string nothing = window.dialog->told.back().second;
        QVERIFY2(nothing.rfind(kNothingTickedMessage, 0) == 0, nothing.c_str());
        QVERIFY2(nothing.find(kItemsRemovedMessage) == std::string::npos, nothing.c_str());
        QVERIFY2(nothing.find("Kept: " + std::to_string(rows) + " unticked rows") != std::string::npos, nothing.c_str());
        QCOMPARE(window.backupCount(), std::size_t{0});
        // Every row was kept: all of them are on the ignore list, none was removed.
        QCOMPARE(window.panel("SUBMAIN_IGNORED").checkList()->rowCount(), rows);
        QTemporaryDir elsewhere;
        QCOMPARE(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(elsewhere.path())).size(), rows);
    }

    void fixSelectedCountsTheRemovedAndKeptRowsAndNamesTheBackup() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.scan());
        const int rows = window.panel("SUBMAIN_RESULT").checkList()->rowCount();
        window.panel("SUBMAIN_RESULT").checkList()->SetRowChecked(0, false);
        QSignalSpy fixed(window.dialog.get(), &CMainDialog::fixEnded);
        window.dialog->ButtonPressed("BUTTON_REMOVE");
        QVERIFY(fixed.wait(kJobTimeout));
        const std::string text = window.dialog->told.back().second;
        QVERIFY2(text.rfind(kItemsRemovedMessage, 0) == 0, text.c_str());
        QVERIFY2(text.find("Kept: 1 unticked row, added to the ignore list.") != std::string::npos, text.c_str());
        QVERIFY2(text.find("Backup: " + window.demo.workFolder().toStdString() + "/Registry Backups/") !=
                     std::string::npos,
                 text.c_str());
        // Every ticked row is gone: the counts add up to what was listed.
        const QRegularExpression removed(QStringLiteral("Removed: (\\d+) registry entr(?:y|ies) and (\\d+) shortcut file"));
        const QRegularExpressionMatch match = removed.match(QString::fromStdString(text));
        QVERIFY2(match.hasMatch(), text.c_str());
        QCOMPARE(match.captured(1).toInt() + match.captured(2).toInt(), rows - 1);
    }

    // Results a command forgot leave the screen; minimising forgets nothing.
    void forgottenResultsLeaveTheScreen() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        QVERIFY(window.scan());
        const int rows = window.panel("SUBMAIN_RESULT").checkList()->rowCount();
        QVERIFY(rows > 0);
        QVERIFY(!window.label("SUBMAIN_MAIN", "PROGRESS_COUNT_COM").isEmpty());
        window.dialog->ButtonPressed("BUTTON_MINIMIZE");
        QVERIFY(window.dialog->resultsAvailable());
        QCOMPARE(window.panel("SUBMAIN_RESULT").checkList()->rowCount(), rows);

        // The restore leaves the results panel shown: its list must not outlive the results.
        window.dialog->ButtonPressed("BUTTON_RESTORE");
        QVERIFY(!window.dialog->resultsAvailable());
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_RESULT"));
        QCOMPARE(window.panel("SUBMAIN_RESULT").checkList()->rowCount(), 0);
        QCOMPARE(window.label("SUBMAIN_MAIN", "PROGRESS_COUNT_COM"), QString());
        QCOMPARE(window.label("SUBMAIN_MAIN", "PROGRESS_TEXT_COM"), QString());
    }

    // A period typed into the schedule panel is kept whichever button is clicked next.
    void aTypedScanPeriodIsStoredByTheNextMainButton() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        window.dialog->ButtonPressed("BUTTON_AUTOSCAN");
        window.dialog->OnPanelButton(window.panel("SUBMAIN_SCHEDULE_DISABLED"), "BUTTON_AUTOSCAN_ENABLE");
        CSubMainSkin& schedule = window.panel("SUBMAIN_SCHEDULE");
        window.dialog->OnPanelButton(schedule, "BUTTON_START_EVERY");
        skin::CSkinEdit* period = schedule.FindEdit("EDIT_SCAN_PERIOD");
        QVERIFY(period != nullptr);
        period->selectAll();
        QTest::keyClicks(period, QStringLiteral("15"));
        window.dialog->ButtonPressed("BUTTON_ADVSETTINGS");
        QCOMPARE(window.storedText(kSettingsKey, setting::kScanMinutes), std::optional<std::string>("15"));
        QCOMPARE(window.dialog->schedule().period(), std::int64_t{15 * 60});

        // Typed and then straight out (the tray's Close ends the dialog without a click).
        window.dialog->ButtonPressed("BUTTON_AUTOSCAN");
        period->selectAll();
        QTest::keyClicks(period, QStringLiteral("25"));
        window.dialog->done(QDialog::Accepted);
        QCOMPARE(window.storedText(kSettingsKey, setting::kScanMinutes), std::optional<std::string>("25"));
    }

    // Switched off, the schedule panel shown draws its switch off, the pointer on it or not.
    void theAutomaticScanSwitchShowsItsState() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        window.dialog->ButtonPressed("BUTTON_AUTOSCAN");
        window.dialog->OnPanelButton(window.panel("SUBMAIN_SCHEDULE_DISABLED"), "BUTTON_AUTOSCAN_ENABLE");
        window.dialog->OnPanelButton(window.panel("SUBMAIN_SCHEDULE"), "BUTTON_AUTOSCAN_ENABLE");
        QVERIFY(!window.dialog->schedule().enabled());
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_SCHEDULE_DISABLED"));
        for (const char* name : {"SUBMAIN_SCHEDULE_DISABLED", "SUBMAIN_SCHEDULE"}) {
            const skin::CSkinButton* button = window.panel(name).FindButton("BUTTON_AUTOSCAN_ENABLE");
            QVERIFY(button != nullptr && !button->IsChecked());
            for (const bool hovering : {false, true}) {
                skin::ButtonState state = button->State();
                state.hovering = hovering;
                const QImage drawn = button->Picture(skin::SelectButtonPicture(state)).image();
                QVERIFY2(drawn == button->Picture(skin::ButtonPicture::Normal).image(), name);
            }
        }
    }

    void aSettingStillRefusedAtTheEndIsToldAndRetried() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        auto held = ExclusiveLock::TryAcquire(window.demo.prefix().toStdString() + "/" + kPrefixLockFile, "test");
        QVERIFY(held);
        window.dialog->OnPanelButton(window.panel("SUBMAIN_ADVANCED"), "BUTTON_AUTOSCAN");
        QVERIFY(!window.storedFlag(kSettingsKey, setting::kAutoScan));
        // The first answer is Retry with the lock still held, the second after it was let go.
        int asked = 0;
        window.dialog->retry = [&] {
            if (++asked == 2) held.value().reset();
            return true;
        };
        window.dialog->done(QDialog::Accepted);
        QCOMPARE(asked, 2);
        QVERIFY(window.dialog->wasTold(kSettingsNotSavedMessage));
        QVERIFY(window.storedFlag(kSettingsKey, setting::kAutoScan));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainDialogTest)
#include "MainDialogTest.moc"
