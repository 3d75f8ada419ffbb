// The main window as the shipped skin builds it: its shape, its buttons and panels, the
// page shown and the mark of its button, and the failures it tells the user of.
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/CMainSkin.h"

namespace brindle {

namespace {

// Records what the user would be told instead of showing a message box.
class RecordingMainSkin : public CMainSkin {
public:
    std::vector<std::pair<std::string, std::string>> told;

protected:
    void tell(const std::string& caption, const std::string& text) override { told.emplace_back(caption, text); }
};

const char* const kPanelNames[] = {"SUBMAIN_MAIN",     "SUBMAIN_SCHEDULE", "SUBMAIN_IGNORED",
                                   "SUBMAIN_ADVANCED", "SUBMAIN_RESULT",   "SUBMAIN_SCHEDULE_DISABLED",
                                   "SUBMAIN_ABOUT"};

}  // namespace

class MainSkinTest : public QObject {
    Q_OBJECT

private slots:
    void buildsTheShippedSkinShapedWithEveryPanel() {
        QTemporaryDir work;
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(work.path().toStdString()));
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
        // The written definition is kept in memory, not left in the work folder.
        QVERIFY(window.skinDefinition() != nullptr);
        QVERIFY(!std::filesystem::exists(work.path().toStdString() + "/Skin.ini"));
    }

    void showsOnePageAtATimeAndMarksItsButton() {
        QTemporaryDir work;
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(work.path().toStdString()));
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
        QTemporaryDir work;
        RecordingMainSkin window;
        QVERIFY(window.InitialiseFromSkin(work.path().toStdString()));
        CSubMainSkin* main = window.panel("SUBMAIN_MAIN");
        std::vector<std::string> pressed;
        QObject::connect(main, &CSubMainSkin::panelButton, [&](const std::string& name) { pressed.push_back(name); });
        main->ButtonPressedByIndex(1);
        main->ButtonPressedByIndex(99);
        QCOMPARE(pressed, std::vector<std::string>{"BUTTON_COM"});
    }

    void aWorkFolderThatCannotHoldTheSkinFileIsToldAndCancels() {
        QTemporaryDir work;
        const std::filesystem::path missing = work.path().toStdString() + "/gone";
        RecordingMainSkin window;
        QVERIFY(!window.InitialiseFromSkin(missing));
        QCOMPARE(window.told.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window.told[0].first), QString(kSkinNotFoundCaption));
        QCOMPARE(QString::fromStdString(window.told[0].second), QString(kSkinNotFoundMessage));
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(window.panels().empty());
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
        window.BuildFromSkin(skin::CSkinIni(folder + "/white.ini"), folder);
        QCOMPARE(window.told.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window.told[0].second), QString(kRegionIsNullMessage));
        QVERIFY(window.mask().isEmpty());
        QCOMPARE(window.size(), QSize(8, 8));
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::MainSkinTest)
#include "MainSkinTest.moc"
