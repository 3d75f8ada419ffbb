// The full built-in skin, which places what the shipped one leaves out: a scan started from
// a panel runs in a summary window of its own (scan complete with the counts brindle-cli
// reports, the repair with its whole-registry backup and the fix-complete counts; a stop
// closes the window, cancel lets a new scan start), the animation plays on its scan
// screen, and the schedule panel adds, lists and deletes scheduled scans.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/CThreadSummary.h"
#include "app/workflow/ScheduleCommands.h"
#include "skin/BuiltInSkin.h"
#include "app/workflow/SummaryTables.h"
#include "gui/support/DemoWindow.h"

namespace brindle {

using test::DemoWindow;
using test::kJobTimeout;

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
CThreadSummary* ScanInSummaryWindow(DemoWindow& window) {
    CSubMainSkin& panel = window.panel("SUBMAIN_MAIN");
    if (panel.FindButton("BUTTON_SCAN") == nullptr) return nullptr;
    panel.ButtonPressed("BUTTON_SCAN");
    CThreadSummary* summary = window.dialog->summaryWindow();
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
        window.dialog->OnPanelButton(window.panel("SUBMAIN_MAIN"), "BUTTON_SCAN");
        CThreadSummary* summary = window.dialog->summaryWindow();
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
};

}  // namespace brindle

QTEST_MAIN(brindle::SummaryRoadTest)
#include "SummaryRoadTest.moc"
