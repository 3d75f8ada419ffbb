// Finding the live update program in the current directory and along a search path, and
// starting a program without waiting for it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include "app/ExternalPrograms.h"

namespace brindle {

namespace {

// Creates `relativePath` below `root`: 'x' an executable script, 'r' a plain file, 'd' a
// folder.
void Create(const QString& root, const QString& relativePath, char kind) {
    const QString path = root + '/' + relativePath;
    QVERIFY(QDir().mkpath(kind == 'd' ? path : QFileInfo(path).path()));
    if (kind == 'd') return;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    QVERIFY(file.setPermissions(kind == 'x' ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                            : QFile::ReadOwner | QFile::WriteOwner));
}

}  // namespace

class ExternalProgramsTest : public QObject {
    Q_OBJECT

private slots:
    // Paths in the rows are below a fresh folder, written "{root}"; the current directory
    // is {root}/cur. An empty `found` means none.
    void findsTheLiveUpdateProgram_data() {
        QTest::addColumn<QStringList>("layout");  // kind, then the path: "xcur/BrindleLiveUpdate"
        QTest::addColumn<QString>("searchPath");
        QTest::addColumn<QString>("found");
        QTest::newRow("current directory wins")
            << QStringList{"xcur/BrindleLiveUpdate", "xa/BrindleLiveUpdate"} << "{root}/a"
            << "{root}/cur/BrindleLiveUpdate";
        QTest::newRow("not executable in the current directory")
            << QStringList{"rcur/BrindleLiveUpdate", "xa/BrindleLiveUpdate"} << "{root}/a"
            << "{root}/a/BrindleLiveUpdate";
        QTest::newRow("not executable along the path")
            << QStringList{"ra/BrindleLiveUpdate", "xb/BrindleLiveUpdate"} << "{root}/a:{root}/b"
            << "{root}/b/BrindleLiveUpdate";
        QTest::newRow("folders of that name")
            << QStringList{"dcur/BrindleLiveUpdate", "da/BrindleLiveUpdate", "xb/BrindleLiveUpdate"}
            << "{root}/a:{root}/b" << "{root}/b/BrindleLiveUpdate";
        QTest::newRow("first along the path")
            << QStringList{"xa/BrindleLiveUpdate", "xb/BrindleLiveUpdate"} << "{root}/b:{root}/a"
            << "{root}/b/BrindleLiveUpdate";
        QTest::newRow("relative entry under the current directory")
            << QStringList{"dcur", "xcur/tools/BrindleLiveUpdate", "xtools/BrindleLiveUpdate"} << "::tools"
            << "{root}/cur/tools/BrindleLiveUpdate";
        QTest::newRow("other names and missing folders")
            << QStringList{"dcur", "xa/BrindleLiveUpdate.exe", "xa/brindleliveupdate"}
            << "{root}/missing:{root}/a:" << "";
        QTest::newRow("empty search path") << QStringList{"dcur", "xa/BrindleLiveUpdate"} << "" << "";
    }
    void findsTheLiveUpdateProgram() {
        QFETCH(QStringList, layout);
        QFETCH(QString, searchPath);
        QFETCH(QString, found);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const QString& entry : layout) {
            Create(root.path(), entry.mid(1), entry.at(0).toLatin1());
            if (QTest::currentTestFailed()) return;
        }
        const std::optional<QString> program =
            FindLiveUpdateProgram(root.filePath("cur"), searchPath.replace("{root}", root.path()));
        QCOMPARE(program.value_or(QString()), found.replace("{root}", root.path()));
    }

    // The script marks the folder it runs in; the program has long returned by then.
    void startsAProgramInItsFolder() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkdir("work"));
        QFile script(root.filePath("mark.sh"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho started > started-here\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(StartDetachedProgram(script.fileName(), root.filePath("work")));
        QTRY_VERIFY(QFile::exists(root.filePath("work/started-here")));
    }

    void refusesWhatCannotStart_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("workingDirectory");
        QTest::newRow("missing program") << "{root}/no-such-program" << "{root}";
        QTest::newRow("not executable") << "{root}/plain" << "{root}";
        QTest::newRow("missing working folder") << "/bin/true" << "{root}/no-such-folder";
    }
    void refusesWhatCannotStart() {
        QFETCH(QString, program);
        QFETCH(QString, workingDirectory);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        Create(root.path(), "plain", 'r');
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Could not start \".*\" in \".*\": "));
        QVERIFY(!StartDetachedProgram(program.replace("{root}", root.path()),
                                      workingDirectory.replace("{root}", root.path())));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::ExternalProgramsTest)
#include "ExternalProgramsTest.moc"
