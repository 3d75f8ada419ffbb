// The window's command line: the folders it is told to use, the one word that starts a
// scan, what it refuses, and the options a scheduled scan repeats.
#include <QTest>

#include "app/CMainApp.h"
#include "app/WindowCommandLine.h"
#include "platform/TaskJobCommand.h"

namespace brindle {

class WindowCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void optionsAreTakenAndTheRestJudgedForScan_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("workDir");
        QTest::addColumn<QString>("skin");
        QTest::addColumn<bool>("scans");
        QTest::newRow("nothing") << QStringList{} << "" << "" << false;
        QTest::newRow("scan") << QStringList{"scan"} << "" << "" << true;
        QTest::newRow("work dir then scan") << QStringList{"--work-dir", "/d", "scan"} << "/d" << "" << true;
        QTest::newRow("scan then both") << QStringList{"scan", "--skin=/s", "--work-dir", "/d"} << "/d" << "/s" << true;
        QTest::newRow("folder named scan") << QStringList{"--work-dir", "scan"} << "scan" << "" << false;
        QTest::newRow("other word") << QStringList{"--skin", "/s", "Scan"} << "" << "/s" << false;
    }
    void optionsAreTakenAndTheRestJudgedForScan() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, workDir);
        QFETCH(QString, skin);
        QFETCH(bool, scans);
        const auto parsed = ParseWindowCommandLine(arguments);
        QVERIFY2(parsed, parsed ? "" : parsed.error().message().c_str());
        QCOMPARE(QString::fromStdString(parsed.value().workDir.value_or("")), workDir);
        QCOMPARE(QString::fromStdString(parsed.value().skinFolder.value_or("").string()), skin);
        QCOMPARE(IsScanCommandLine(parsed.value().words), scans);
    }

    // A mistyped option would put the user's data somewhere else unnoticed.
    void whatItCannotUseIsRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown") << QStringList{"--workdir", "/d"} << "unknown option --workdir";
        QTest::newRow("no folder") << QStringList{"scan", "--work-dir"} << "--work-dir needs a folder";
        QTest::newRow("empty folder") << QStringList{"--skin="} << "--skin names no folder";
    }
    void whatItCannotUseIsRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, says);
        const auto parsed = ParseWindowCommandLine(arguments);
        QVERIFY(!parsed);
        QVERIFY2(parsed.error().message().find(says.toStdString()) != std::string::npos,
                 parsed.error().message().c_str());
    }

    // The scheduler splits the job's command line into words again: each folder must come
    // back whole, blanks and quotes included.
    void aScheduledScanGetsTheSameFoldersBack() {
        const auto parsed =
            ParseWindowCommandLine({"--work-dir", "/home/u/My \"Data\"", "--skin", "/home/u/skins/dark one"});
        QVERIFY(parsed);
        const std::vector<std::string> words = SplitCommandLine(ScheduledScanOptions(parsed.value()) + "scan");
        QStringList again;
        for (const std::string& word : words) again << QString::fromStdString(word);
        QCOMPARE(again, (QStringList{"--work-dir", "/home/u/My \"Data\"", "--skin", "/home/u/skins/dark one", "scan"}));
        const auto reparsed = ParseWindowCommandLine(again);
        QVERIFY(reparsed);
        QVERIFY(IsScanCommandLine(reparsed.value().words));
        QVERIFY(ScheduledScanOptions(WindowOptions{}).empty());
    }
};

}  // namespace brindle

QTEST_GUILESS_MAIN(brindle::WindowCommandLineTest)
#include "WindowCommandLineTest.moc"
