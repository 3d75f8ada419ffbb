// The full built-in skin, which places what the shipped one leaves out: a scan started from
// a panel runs in a summary window of its own (scan complete with the counts brindle-cli
// reports, the repair with its whole-registry backup and the fix-complete counts; a stop
// closes the window, cancel lets a new scan start), the animation plays on its scan
// screen, and the schedule panel adds, lists and deletes scheduled scans. The summary
// window opens centred over the main window and answers clicks while the main window runs
// as the program runs it; Escape, its close and the main scan button end its road.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/CThreadSummary.h"
#include "app/MainTrayIcon.h"
#include "app/workflow/ScheduleCommands.h"
#include "skin/BuiltInSkin.h"
#include "app/workflow/SummaryTables.h"
#include "gui/support/DemoWindow.h"
#include "gui/support/WindowSteps.h"

namespace brindle {

using test::DemoWindow;
using test::kJobTimeout;
using test::ClickThroughWindow;
using test::RunSteps;

namespace {

QString Cell(const QTableWidget& list, int row, int column) {
    const QTableWidgetItem* item = list.item(row, column);
    return item != nullptr ? item->text() : QString();
}

QString Label(Summary& window, const char* name) {
    const skin::CSkinText* text = window.FindText(name);
    return text != nullptr ? text->Text() : QStringLiteral("<none>");
}

// Opens the summary window from the main panel's scan command and waits for its scan.
// The main panel's "Scan in a summary window": the summary window, its scan just begun.
CThreadSummary* OpenSummaryWindow(DemoWindow& window) {
    CSubMainSkin& panel = window.panel("SUBMAIN_MAIN");
    if (panel.FindButton("BUTTON_SCAN") == nullptr) return nullptr;
    panel.ButtonPressed("BUTTON_SCAN");
    return window.dialog->summaryWindow();
}

// The same, once its scan has ended on the scan-complete screen.
CThreadSummary* ScanInSummaryWindow(DemoWindow& window) {
    CThreadSummary* summary = OpenSummaryWindow(window);
    if (summary == nullptr) return nullptr;
    QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
    return complete.wait(kJobTimeout) ? summary : nullptr;
}

}  // namespace

class SummaryRoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { skin::SetBuiltInSkinRoot(skin::kFullSkinRoot); }
    void cleanupTestCase() { skin::SetBuiltInSkinRoot(QString()); }

    void scanCompleteThenFixCompleteWithTheCliCounts() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        const QJsonObject cli = window.demo.cliScan(window.demo.workFolder());
        const int found = test::DemoMachineCopy::ListedPaths(cli).size();
        QVERIFY(found > 0);

        CThreadSummary* summary = ScanInSummaryWindow(window);
        QVERIFY(summary != nullptr);
        QVERIFY(window.dialog->scanRunning());
        Summary& screen = summary->window();
        QCOMPARE(screen.screenName(), std::string("SCREENSCANCOMPLETE"));
        QVERIFY(screen.resultList() != nullptr);
        const QTableWidget& counts = *screen.resultList();
        // One row per registry category the CLI reports, then the shortcuts'.
        QCOMPARE(counts.rowCount(), static_cast<int>(cli["summaries"].toArray().size()) + 1);
        QCOMPARE(Cell(counts, counts.rowCount() - 1, 0), QStringLiteral("Missing ShortCuts"));
        QCOMPARE(Label(screen, "TEXT_SCANCOMPLETE_ERRORFOUND"), QString::number(found));
        QCOMPARE(Label(screen, "TEXT_SCREENSCANCOMPLETE_TITLE"), QString::fromStdString(ScanCompleteTitle(found)));

        QSignalSpy fixed(summary, &CThreadSummary::fixCompleteShown);
        screen.ButtonPressed("BUTTON_FIXERROR");
        QVERIFY(fixed.wait(kJobTimeout));
        QCOMPARE(screen.screenName(), std::string("SCREENFIXCOMPLETE"));
        const QTableWidget& result = *screen.resultList();
        QCOMPARE(Cell(result, result.rowCount() - 1, 0), QStringLiteral("Spywares"));
        QCOMPARE(Label(screen, "TEXT_FIXCOMPLETE_STATUS"), QStringLiteral("Fixed"));
        QCOMPARE(Label(screen, "TEXT_FIXCOMPLETE_FIXED"), QString::number(found));
        // The whole registry went into the backup folder before anything was removed.
        QCOMPARE(window.backupCount(), std::size_t{1});
        QTemporaryDir elsewhere;
        QVERIFY(test::DemoMachineCopy::ListedPaths(window.demo.cliScan(elsewhere.path())).isEmpty());

        QSignalSpy closed(summary, &CThreadSummary::closed);
        screen.ButtonPressed("BUTTON_OK");
        QCOMPARE(closed.size(), 1);
        QVERIFY(!window.dialog->scanRunning());
    }

    void stoppingTheScanClosesTheWindowWithoutScanComplete() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CThreadSummary* summary = OpenSummaryWindow(window);
        QVERIFY(summary != nullptr);
        QCOMPARE(summary->window().screenName(), std::string("SCREENERRORSCAN"));
        QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
        QSignalSpy closed(summary, &CThreadSummary::closed);
        summary->window().ButtonPressed("BUTTON_STOPSCAN");
        QVERIFY(closed.wait(kJobTimeout));
        QCOMPARE(complete.size(), 0);
        QVERIFY(!window.dialog->scanRunning());
    }

    void theScanScreenPlaysTheAnimation() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        Summary screen;
        screen.ShowErrorScanScreen(*window.dialog->skinDefinition(), std::nullopt);
        QVERIFY(screen.animation() != nullptr);
        QVERIFY(screen.animation()->isPlaying());
        QCOMPARE(screen.animation()->geometry(), QRect(107, 81, 117, 169));
        QVERIFY(screen.FindButton("BUTTON_STOPSCAN") != nullptr);
        screen.show();
        QTest::qWait(200);
        const QImage shown = screen.grab().toImage();
        if (const QByteArray folder = qgetenv("BRINDLE_SKIN_SNAPSHOTS"); !folder.isEmpty())
            shown.save(QString::fromLocal8Bit(folder) + "/summary-errorscan.png");
        QCOMPARE(screen.animation()->movieSize(), QSize(117, 169));
        // A movie that cannot be read (a user skin's broken one) is left out; the screen is
        // built all the same.
        QTemporaryDir userSkin;
        const std::filesystem::path userFolder = userSkin.path().toStdString();
        std::ofstream(userFolder / "skin3.gif", std::ios::binary) << "GIF89a";
        Summary without;
        without.ShowErrorScanScreen(*window.dialog->skinDefinition(), userFolder);
        QVERIFY(!without.animation()->isPlaying());
        QVERIFY(without.FindButton("BUTTON_STOPSCAN") != nullptr);
    }

    void theSchedulePanelAddsListsAndDeletesScheduledScans() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CSubMainSkin& schedule = window.panel("SUBMAIN_SCHEDULE");
        QVERIFY(schedule.scheduleList() != nullptr);
        QCOMPARE(schedule.scheduleList()->rowCount(), 0);
        int minute = 0;
        window.dialog->fillSchedule = [&](CAddScheduleDialog& dialog) {
            dialog.startDate().setDate(QDate(2026, 12, 31));
            dialog.startTime().setTime(QTime(8, minute));
            dialog.setFrequency(3);
            dialog.OnOK();
        };
        for (int i = 0; i < 3; ++i, minute += 10) window.dialog->OnPanelButton(schedule, "BUTTON_ADDSCHEDULE");
        minute = 0;
        window.dialog->OnPanelButton(schedule, "BUTTON_ADDSCHEDULE");
        QVERIFY(window.dialog->wasTold(kScheduleExists));
        QTableWidget& list = *schedule.scheduleList();
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.item(2, 0)->text(), QStringLiteral("3"));
        QCOMPARE(list.item(0, 2)->text(), QStringLiteral("Never"));
        QVERIFY(window.scheduler != nullptr);
        QCOMPARE(window.scheduler->tasks.begin()->second.task.program, std::string("/usr/bin/brindle"));

        list.setCurrentCell(1, 1);
        window.dialog->OnPanelButton(schedule, "BUTTON_DELETESCHEDULE");
        QVERIFY(window.dialog->wasTold(kDeleteScheduleQuestion));
        QCOMPARE(list.rowCount(), 2);
        const auto& triggers = window.scheduler->tasks.begin()->second.triggers;
        QCOMPARE(triggers.size(), std::size_t{2});
        QCOMPARE(triggers[1].start.minute, std::uint16_t{20});
    }

    void cancelLetsANewScanStart() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CThreadSummary* first = ScanInSummaryWindow(window);
        QVERIFY(first != nullptr);
        // While the window is open, no other scan starts.
        window.dialog->ButtonPressed("BUTTON_SCAN");
        QCOMPARE(window.dialog->summaryWindow(), first);
        first->window().ButtonPressed("BUTTON_CANCEL");
        QVERIFY(!window.dialog->scanRunning());
        QVERIFY(ScanInSummaryWindow(window) != nullptr);
        QCOMPARE(window.backupCount(), std::size_t{0});
    }

    // Run as the program runs the main window, the summary window opens centred over it,
    // a dialog of it (which the window manager keeps above it), and takes clicks; once it
    // is cancelled, the main window's tabs act again.
    void theSummaryWindowOpensOverTheMainWindowAndTakesClicks() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CMainDialog& dialog = *window.dialog;
        QRect mainPlace;
        QRect mainRectangle;
        QRect summaryPlace;
        bool shown = false;
        bool above = false;
        bool complete = false;
        int closes = 0;
        bool scanFlagAfter = true;
        std::string pageAfter;
        RunSteps(dialog, {
            [&] {
                ClickThroughWindow(*window.panel("SUBMAIN_MAIN").FindButton("BUTTON_SCAN"));
                CThreadSummary* summary = dialog.summaryWindow();
                if (summary == nullptr) return;
                // The scan's end comes through the loop, after the spy is in place.
                QSignalSpy completeShown(summary, &CThreadSummary::scanCompleteShown);
                complete = completeShown.wait(kJobTimeout);
                Summary& screen = summary->window();
                // The middle of the main window's shape, which its mask cuts from its rectangle.
                mainPlace = dialog.mask().boundingRect().translated(dialog.geometry().topLeft());
                mainRectangle = dialog.frameGeometry();
                summaryPlace = screen.frameGeometry();
                shown = screen.isVisible();
                above = screen.parentWidget() == &dialog && screen.windowHandle() != nullptr &&
                        screen.windowHandle()->transientParent() == dialog.windowHandle();
                QSignalSpy closed(summary, &CThreadSummary::closed);
                if (skin::CSkinButton* cancel = screen.FindButton("BUTTON_CANCEL")) ClickThroughWindow(*cancel);
                closes = static_cast<int>(closed.size());
            },
            [&] {
                scanFlagAfter = dialog.scanRunning();
                ClickThroughWindow(*dialog.FindButton("BUTTON_IGNORED"));
                pageAfter = dialog.currentPanel()->name();
            },
        });
        QVERIFY(complete);
        QVERIFY(shown);
        QVERIFY(above);
        // The skin's mask leaves a margin off the rectangle, so that the two middles differ.
        QVERIFY(mainPlace.center() != mainRectangle.center());
        QVERIFY2(std::abs(summaryPlace.center().x() - mainPlace.center().x()) <= 1 &&
                     std::abs(summaryPlace.center().y() - mainPlace.center().y()) <= 1,
                 qPrintable(QStringLiteral("summary at %1,%2 %3x%4 over main at %5,%6 %7x%8")
                                .arg(summaryPlace.x()).arg(summaryPlace.y()).arg(summaryPlace.width())
                                .arg(summaryPlace.height()).arg(mainPlace.x()).arg(mainPlace.y())
                                .arg(mainPlace.width()).arg(mainPlace.height())));
        QCOMPARE(closes, 1);
        QVERIFY(!scanFlagAfter);
        QCOMPARE(pageAfter, std::string("SUBMAIN_IGNORED"));
    }

    // Escape and the window manager's close end the road at any screen but the repair's,
    // which has no way out but its end: a running scan stops, the scan flag clears, the
    // window closes, and the main window's tabs act again.
    void escapeAndCloseEndTheRoad_data() {
        QTest::addColumn<QString>("screen");  // where the road is when the key comes
        QTest::addColumn<bool>("escape");     // else the window manager's close
        QTest::addColumn<bool>("ends");
        QTest::newRow("Escape while it scans") << "scanning" << true << true;
        QTest::newRow("Escape on scan complete") << "scan complete" << true << true;
        QTest::newRow("close on scan complete") << "scan complete" << false << true;
        QTest::newRow("Escape while it repairs") << "repairing" << true << false;
        QTest::newRow("Escape on fix complete") << "fix complete" << true << true;
    }
    void escapeAndCloseEndTheRoad() {
        QFETCH(QString, screen);
        QFETCH(bool, escape);
        QFETCH(bool, ends);
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CThreadSummary* summary = screen == "scanning" ? OpenSummaryWindow(window) : ScanInSummaryWindow(window);
        QVERIFY(summary != nullptr);
        QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
        QSignalSpy fixed(summary, &CThreadSummary::fixCompleteShown);
        QSignalSpy closed(summary, &CThreadSummary::closed);
        if (screen == "repairing") summary->window().ButtonPressed("BUTTON_FIXERROR");
        if (screen == "fix complete") {
            summary->window().ButtonPressed("BUTTON_FIXERROR");
            QVERIFY(fixed.wait(kJobTimeout));
        }
        if (escape) {
            QTest::keyClick(&summary->window(), Qt::Key_Escape);
        } else {
            QVERIFY(!summary->window().close());
        }
        QCOMPARE(closed.size(), ends ? 1 : 0);
        QCOMPARE(window.dialog->scanRunning(), !ends);
        QCOMPARE(summary->window().isVisible(), !ends);
        if (!ends) {
            // The repair ends by itself; the road then ends as ever.
            QVERIFY(fixed.wait(kJobTimeout));
            QCOMPARE(summary->window().screenName(), std::string("SCREENFIXCOMPLETE"));
            QTest::keyClick(&summary->window(), Qt::Key_Escape);
            QCOMPARE(closed.size(), 1);
        }
        if (screen == "scanning") {
            QTest::qWait(50);
            QCOMPARE(complete.size(), 0);
        }
        QVERIFY(!window.dialog->scanRunning());
        window.dialog->ButtonPressed("BUTTON_IGNORED");
        QCOMPARE(window.dialog->currentPanel()->name(), std::string("SUBMAIN_IGNORED"));
        // Its deletion waits for the loop; a new road may start after it.
        QTRY_VERIFY(window.dialog->summaryWindow() == nullptr);
        QVERIFY(ScanInSummaryWindow(window) != nullptr);
    }

    // One stop for both roads: the main window's scan button stops the summary window's
    // scan as it stops its own; once the scan is over it starts nothing while the road is open.
    void theMainScanButtonStopsTheSummaryScan() {
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CThreadSummary* summary = OpenSummaryWindow(window);
        QVERIFY(summary != nullptr);
        QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
        QSignalSpy closed(summary, &CThreadSummary::closed);
        window.dialog->ButtonPressed("BUTTON_SCAN");
        QVERIFY(closed.wait(kJobTimeout));
        QCOMPARE(complete.size(), 0);
        QVERIFY(!window.dialog->scanRunning());
        QVERIFY(!window.dialog->resultsAvailable());
    }

    // Minimised into the tray, the main window takes the summary window with it; shown
    // again, both come back, the summary window still over the main one.
    void theTrayHidesAndShowsTheSummaryWindowWithTheMainWindow() {
        MainTrayIcon::setAvailableForTesting(true);
        DemoWindow window;
        QVERIFY(window.dialog != nullptr && window.dialog->OnInitDialog());
        CMainDialog& dialog = *window.dialog;
        bool hiddenTogether = false;
        bool shownTogether = false;
        RunSteps(dialog, {
            [&] {
                if (ScanInSummaryWindow(window) != nullptr) dialog.ButtonPressed("BUTTON_MINIMIZE");
            },
            [&] {
                hiddenTogether = dialog.summaryWindow() != nullptr && !dialog.isVisible() &&
                                 !dialog.summaryWindow()->window().isVisible();
                emit dialog.trayIcon()->trayIcon().activated(QSystemTrayIcon::DoubleClick);
                shownTogether = dialog.isVisible() && dialog.summaryWindow()->window().isVisible();
            },
        });
        MainTrayIcon::setAvailableForTesting(std::nullopt);
        QVERIFY(hiddenTogether);
        QVERIFY(shownTogether);
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::SummaryRoadTest)
#include "SummaryRoadTest.moc"
