// Where each part of the skin is found: without a named folder the built-in definition,
// pictures and animation alone, whatever files of their names the current folder holds
// (an empty folder name is no folder); with one, the folder's definition, and its pictures
// and animation before the built-in ones.
#include <sys/stat.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "gui/support/SkinFiles.h"
#include "gui/support/SkinTestSupport.h"
#include "skin/BuiltInSkin.h"
#include "skin/SkinScreenLoader.h"
#include "skin/SkinSource.h"
#include "skin/definition/SkinSections.h"
#include "support/TemporaryFolder.h"

namespace brindle::skin {

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

QByteArray BuiltInAnimation() { return ReadBuiltInResource(kBuiltInAnimationName).value_or(QByteArray()); }

}  // namespace

class SkinSourceTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_scratch;
    int m_case = 0;

    // For each case: "current", the current folder while it runs, holding a whole user
    // skin and an animation of its own; "skin", an empty folder for the case to fill.
    fs::path m_current;
    fs::path m_skin;
    std::optional<brindle::test::CurrentDirectoryScope> m_here;

    // The folder a row names: "none" (unset), "empty" (an empty name), "skin".
    std::optional<fs::path> Folder(const QString& which) const {
        if (which == "none") return std::nullopt;
        if (which == "empty") return fs::path();
        return m_skin;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_scratch.isValid());
        QVERIFY(!BuiltInAnimation().isEmpty());
    }

    void init() {
        const fs::path root = fs::path(m_scratch.path().toStdString()) / std::to_string(++m_case);
        m_current = root / "current";
        m_skin = root / "skin";
        fs::create_directories(m_current);
        fs::create_directories(m_skin);
        QCOMPARE(QString::fromStdString(test::WriteUserSkin(m_current)), QString());
        Write(m_current / kScanAnimationFileName, test::SmallGifBytes());
        Write(m_current / "home_on.gif", test::SolidBmpBytes(5, 5, 0xFF00FF));
        m_here.emplace(m_current);
    }
    void cleanup() { m_here.reset(); }

    void theDefinitionIsTheFoldersOrTheBuiltInOne() {
        const Result<CSkinIni> builtIn = LoadSkinDefinition(std::nullopt);
        QVERIFY2(builtIn.ok(), builtIn.message().c_str());
        QCOMPARE(QString::fromStdString(ReadMainImages(builtIn.value()).mask), QStringLiteral("Mask.bmp"));

        QCOMPARE(QString::fromStdString(test::WriteUserSkin(m_skin)), QString());
        const Result<CSkinIni> user = LoadSkinDefinition(m_skin);
        QVERIFY2(user.ok(), user.message().c_str());
        QCOMPARE(QString::fromStdString(ReadMainImages(user.value()).mask), QStringLiteral("UserMask.bmp"));
        // Read once: the screens built later read what the window was built from, even
        // when the file has changed since.
        Write(m_skin / kSkinFileName, "[MAINSCREENINFO]\r\nMask=Other.bmp\r\n");
        QCOMPARE(QString::fromStdString(ReadMainImages(user.value()).mask), QStringLiteral("UserMask.bmp"));

        // An empty name is not the current folder's definition.
        QVERIFY(!LoadSkinDefinition(fs::path()).ok());
    }

    // The picture "home_on.gif" (the main window's), with a file of that name in the
    // current folder always and in the skin folder when the row says so.
    void picturesComeFromTheNamedFolderFirst_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("fileInFolder");
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("no folder") << "none" << false << true;
        QTest::newRow("an empty folder name") << "empty" << false << true;
        QTest::newRow("a folder without the file") << "skin" << false << true;
        QTest::newRow("a folder with the file") << "skin" << true << false;
    }
    void picturesComeFromTheNamedFolderFirst() {
        QFETCH(QString, folder);
        QFETCH(bool, fileInFolder);
        QFETCH(bool, builtIn);
        if (fileInFolder) Write(m_skin / "home_on.gif", test::SolidBmpBytes(3, 3, 0x00FF00));
        const SkinImage image = LoadNamedImage(Folder(folder), "home_on.gif");
        if (builtIn) {
            SkinImage expected;
            LoadBuiltInSkinImage("home_on.gif", expected, nullptr);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(image.image(), expected.image());
        } else {
            QCOMPARE(image.size(), QSize(3, 3));
            QCOMPARE(image.image().pixel(0, 0), QColor(Qt::green).rgb());
        }
    }

    // The animation, with a "skin3.gif" in the current folder always, and in the skin
    // folder what the row puts there.
    void theAnimationComesFromTheNamedFolderFirst_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("inFolder");  // "", "movie", "not a movie", "folder", "pipe"
        QTest::addColumn<bool>("builtIn");
        QTest::addColumn<QString>("warning");
        QTest::newRow("no folder") << "none" << "" << true << "";
        QTest::newRow("an empty folder name") << "empty" << "" << true << "";
        QTest::newRow("a folder without one") << "skin" << "" << true << "";
        QTest::newRow("a folder with one") << "skin" << "movie" << false << "";
        // What is there is the animation, as a picture file is, even when it will not play.
        QTest::newRow("a folder with a broken one") << "skin" << "not a movie" << false << "";
        QTest::newRow("a folder in its place") << "skin" << "folder" << true << "is a folder, not a regular file";
        QTest::newRow("a named pipe in its place") << "skin" << "pipe" << true << "is a named pipe, not a regular file";
    }
    void theAnimationComesFromTheNamedFolderFirst() {
        QFETCH(QString, folder);
        QFETCH(QString, inFolder);
        QFETCH(bool, builtIn);
        QFETCH(QString, warning);
        const fs::path file = m_skin / kScanAnimationFileName;
        std::string bytes;
        if (inFolder == "movie") bytes = test::SmallGifBytes();
        if (inFolder == "not a movie") bytes = "GIF89a";
        if (!bytes.empty()) Write(file, bytes);
        if (inFolder == "folder") fs::create_directory(file);
        if (inFolder == "pipe") QCOMPARE(::mkfifo(file.c_str(), 0600), 0);
        if (!warning.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning) +
                                                                  ".*built-in animation is used instead"));
        }
        const QByteArray animation = LoadScanAnimation(Folder(folder));
        QCOMPARE(animation, builtIn ? BuiltInAnimation() : QByteArray::fromStdString(bytes));
    }
};

}  // namespace brindle::skin

QTEST_MAIN(brindle::skin::SkinSourceTest)
#include "SkinSourceTest.moc"
