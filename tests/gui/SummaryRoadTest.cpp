// A scan started from a panel runs in a summary window of its own: scan complete with the
// counts brindle-cli reports, the repair with its whole-registry backup and the fix-complete
// counts; a stop closes the window, cancel lets a new scan start.
#include <QSignalSpy>
#include <QtTest>

#include "app/CThreadSummary.h"
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
    window.dialog->OnPanelButton(window.panel("SUBMAIN_MAIN"), "BUTTON_SCAN");
    CThreadSummary* summary = window.dialog->summaryWindow();
    if (summary == nullptr) return nullptr;
    QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
    return complete.wait(kJobTimeout) ? summary : nullptr;
}

}  // namespace

class SummaryRoadTest : public QObject {
    Q_OBJECT

private slots:
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
