// The main window as the shipped skin builds it: its shape, its buttons and panels, the
// page shown and the mark of its button, a user skin folder's definition and pictures,
// and the failures it tells the user of.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CMainSkin.h"
#include "gui/support/SkinFiles.h"
#include "gui/support/SkinTestSupport.h"
#include "support/TemporaryFolder.h"

namespace brindle {

namespace {

// Records what the user would be told instead of showing a message box.
class RecordingMainSkin : public CMainSkin {
public:
    std::vector<std::pair<std::string, std::string>> told;

protected:
    void tell(const std::string& caption, const std::string& text) override { told.emplace_back(caption, text); }
};

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const char* const kPanelNames[] = {"SUBMAIN_MAIN",     "SUBMAIN_SCHEDULE", "SUBMAIN_IGNORED",
                                   "SUBMAIN_ADVANCED", "SUBMAIN_RESULT",   "SUBMAIN_SCHEDULE_DISABLED",
                                   "SUBMAIN_ABOUT"};

}  // namespace

class MainSkinTest : public QObject {
    Q_OBJECT

private slots:
    void buildsTheShippedSkinShapedWithEveryPanel() {
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(std::nullopt));
        QVERIFY(window.told.empty());
        QCOMPARE(window.size(), QSize(701, 503));
        QVERIFY(!window.mask().isEmpty());
        QVERIFY(!window.mask().contains(QPoint(0, 0)));
        QCOMPARE(window.Buttons().size(), std::size_t{11});
        QCOMPARE(window.panels().size(), std::size(kPanelNames));
        for (std::size_t i = 0; i < window.panels().size(); ++i) {
            QCOMPARE(QString::fromStdString(window.panels()[i]->name()), QString(kPanelNames[i]));
            QCOMPARE(window.panels()[i]->geometry(), QRect(223, 137, 349, 219));
        }
        QVERIFY(window.panel("SUBMAIN_RESULT")->checkList() != nullptr);
        QVERIFY(window.panel("SUBMAIN_IGNORED")->checkList() != nullptr);
        QVERIFY(window.panel("SUBMAIN_MAIN")->checkList() == nullptr);
        // The page shown at first is marked by its button's disabled look.
        QVERIFY(!window.FindButton("BUTTON_MAIN")->isEnabled());
        QVERIFY(window.FindButton("BUTTON_ABOUT")->isEnabled());
        // The definition is kept for the screens built later.
        QVERIFY(window.skinDefinition() != nullptr);
    }

    void showsOnePageAtATimeAndMarksItsButton() {
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(std::nullopt));
        window.show();
        window.ShowPage("SUBMAIN_ADVANCED", "BUTTON_ADVSETTINGS");
        QCOMPARE(QString::fromStdString(window.currentPanel()->name()), QString("SUBMAIN_ADVANCED"));
        for (CSubMainSkin* panel : window.panels())
            QCOMPARE(panel->isVisible(), panel->name() == "SUBMAIN_ADVANCED");
        QVERIFY(window.FindButton("BUTTON_MAIN")->isEnabled());
        QVERIFY(!window.FindButton("BUTTON_ADVSETTINGS")->isEnabled());

        // A name no panel has hides them all and keeps the current panel.
        window.ShowSubScreen("NO_SUCH_PANEL");
        for (CSubMainSkin* panel : window.panels()) QVERIFY(!panel->isVisible());
        QCOMPARE(QString::fromStdString(window.currentPanel()->name()), QString("SUBMAIN_ADVANCED"));
    }

    void aPanelButtonReportsItsName() {
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(std::nullopt));
        CSubMainSkin* main = window.panel("SUBMAIN_MAIN");
        std::vector<std::string> pressed;
        QObject::connect(main, &CSubMainSkin::panelButton, [&](const std::string& name) { pressed.push_back(name); });
        main->ButtonPressedByIndex(1);
        main->ButtonPressedByIndex(99);
        QCOMPARE(pressed, std::vector<std::string>{"BUTTON_COM"});
    }

    // A named folder's definition replaces the built-in one, its pictures come before the
    // built-in ones, and the built-in ones stand in for what it lacks.
    void aNamedSkinFolderGivesTheDefinitionAndFirstPick() {
        QTemporaryDir folder;
        const std::filesystem::path skinFolder = folder.path().toStdString();
        QCOMPARE(QString::fromStdString(skin::test::WriteUserSkin(skinFolder)), QString());
        const std::string magenta = skin::test::SolidBmpBytes(701, 503, 0xFF00FF);
        std::ofstream(skinFolder / "home_on.gif", std::ios::binary) << magenta;  // the main picture
        const std::string definition = ReadBytes(skinFolder / "Skin.ini");

        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(skinFolder));
        QVERIFY(window.told.empty());
        // The folder's mask, which only its definition names: a plain rectangle.
        QCOMPARE(window.size(), QSize(skin::test::kUserMaskWidth, skin::test::kUserMaskHeight));
        QVERIFY(window.mask().contains(QPoint(0, 0)));
        QCOMPARE(window.NormalImage().image().pixel(0, 0), QColor(Qt::magenta).rgb());
        // What the folder lacks is built in.
        QCOMPARE(window.panels().size(), std::size(kPanelNames));
        QVERIFY(!window.panel("SUBMAIN_MAIN")->NormalImage().isEmpty());
        QVERIFY(!window.OverImage().isEmpty());
        // Read, never written.
        QCOMPARE(ReadBytes(skinFolder / "Skin.ini"), definition);
        QCOMPARE(ReadBytes(skinFolder / "home_on.gif"), magenta);
    }

    // A named folder without a readable definition ends the dialog; the built-in
    // definition does not stand in, nor does a "Skin.ini" of the current folder.
    void aSkinFolderWithoutItsDefinitionIsToldAndCancels_data() {
        QTest::addColumn<QString>("folder");  // below the test's folder; "-" for an empty name
        QTest::addColumn<QString>("skinIni");  // what stands there as Skin.ini
        QTest::addColumn<QString>("reason");   // what the log says
        QTest::newRow("no such folder") << "gone" << "" << "gone/Skin.ini does not exist";
        QTest::newRow("no Skin.ini") << "skin" << "" << "skin/Skin.ini does not exist";
        QTest::newRow("Skin.ini is a folder") << "skin" << "folder" << "is a folder, not a regular file";
        QTest::newRow("Skin.ini leads nowhere") << "skin" << "dangling link" << "skin/Skin.ini does not exist";
        QTest::newRow("Skin.ini is far too large") << "skin" << "large" << "is larger than";
        QTest::newRow("an empty folder name") << "-" << "" << "the skin folder's name is empty";
    }
    void aSkinFolderWithoutItsDefinitionIsToldAndCancels() {
        QFETCH(QString, folder);
        QFETCH(QString, skinIni);
        QFETCH(QString, reason);
        QTemporaryDir root;
        const std::filesystem::path base = root.path().toStdString();
        // A whole skin in the current folder, which must not be read.
        std::filesystem::create_directory(base / "current");
        QCOMPARE(QString::fromStdString(skin::test::WriteUserSkin(base / "current")), QString());
        const brindle::test::CurrentDirectoryScope current(base / "current");

        const std::filesystem::path skinFolder = folder == "-" ? std::filesystem::path() : base / folder.toStdString();
        if (folder == "skin") std::filesystem::create_directory(skinFolder);
        if (skinIni == "folder") std::filesystem::create_directory(skinFolder / "Skin.ini");
        if (skinIni == "dangling link") std::filesystem::create_symlink(base / "nothing", skinFolder / "Skin.ini");
        if (skinIni == "large") {
            std::ofstream(skinFolder / "Skin.ini") << "[MAINSCREENINFO]\r\n";
            std::filesystem::resize_file(skinFolder / "Skin.ini", skin::kMaxSkinIniBytes + 1);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(reason)));
        RecordingMainSkin window;
        QVERIFY(!window.InitialiseFromSkin(skinFolder));
        QCOMPARE(window.told.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window.told[0].first), QString(kSkinNotFoundCaption));
        QCOMPARE(QString::fromStdString(window.told[0].second), QString(kSkinNotFoundMessage));
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(window.panels().empty());
        QVERIFY(window.skinDefinition() == nullptr);
    }

    void aMaskWithoutShapeLeavesTheWindowRectangularAndSaysSo() {
        QTemporaryDir work;
        const std::string folder = work.path().toStdString();
        {
            std::ofstream ini(folder + "/white.ini", std::ios::binary);
            ini << "[MAINSCREENINFO]\r\nMask=white.bmp\r\nMain=home_on.gif\r\n";
        }
        QImage white(8, 8, QImage::Format_RGB888);
        white.fill(Qt::white);
        QVERIFY(white.save(QString::fromStdString(folder + "/white.bmp"), "BMP"));
        RecordingMainSkin window;
        window.BuildFromSkin(skin::CSkinIni(folder + "/white.ini"), std::filesystem::path(folder));
        QCOMPARE(window.told.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window.told[0].second), QString(kRegionIsNullMessage));
        QVERIFY(window.mask().isEmpty());
        QCOMPARE(window.size(), QSize(8, 8));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainSkinTest)
#include "MainSkinTest.moc"
