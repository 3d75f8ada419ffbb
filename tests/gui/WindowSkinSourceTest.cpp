// Where the window takes its skin from, end to end on the demo machine. The built-in skin
// leaves the user's own files of the skin's names in the work folder and the current
// folder alone (none is read, changed, replaced or deleted) and the window keeps its
// shape; a skin folder named on purpose gives the window and its summary screens their
// definition, pictures and scan animation.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/CThreadSummary.h"
#include "gui/support/BuiltInSkins.h"
#include "gui/support/DemoWindow.h"
#include "gui/support/SkinFiles.h"
#include "gui/support/SkinTestSupport.h"
#include "skin/BuiltInSkin.h"
#include "skin/ImageToRegion.h"
#include "skin/SkinScreenLoader.h"
#include "skin/definition/SkinSections.h"
#include "support/TemporaryFolder.h"

namespace brindle {

using skin::test::PlantedSkinFiles;
using test::DemoWindow;

namespace {

namespace fs = std::filesystem;

// The built-in scan animation's frames fill the full skin's animation rectangle.
const QSize kBuiltInAnimationSize(117, 169);

// Opens the summary window from the main panel's scan command (the full skin's); null when
// the skin has no such button.
CThreadSummary* OpenSummaryWindow(DemoWindow& window) {
    CSubMainSkin& panel = window.panel("SUBMAIN_MAIN");
    if (panel.FindButton("BUTTON_SCAN") == nullptr) return nullptr;
    panel.ButtonPressed("BUTTON_SCAN");
    return window.dialog->summaryWindow();
}

QString Lines(const std::vector<std::string>& lines) {
    QString text;
    for (const std::string& line : lines) text += QString::fromStdString(line) + QLatin1Char('\n');
    return text;
}

}  // namespace

class WindowSkinSourceTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { skin::SetBuiltInSkinRoot(QString()); }

    void theBuiltInSkinLeavesTheUsersFilesAlone_data() {
        QTest::addColumn<QString>("root");
        for (const auto& skin : skin::test::kBuiltInSkins) QTest::newRow(skin.name) << QString::fromLatin1(skin.root);
    }
    void theBuiltInSkinLeavesTheUsersFilesAlone() {
        QFETCH(QString, root);
        skin::SetBuiltInSkinRoot(root);
        DemoWindow window;
        QVERIFY(window.dialog != nullptr);
        QTemporaryDir scratch;
        const fs::path current = fs::path(scratch.path().toStdString()) / "current";
        const fs::path elsewhere = fs::path(scratch.path().toStdString()) / "elsewhere";
        fs::create_directory(current);
        fs::create_directory(elsewhere);
        PlantedSkinFiles inWork(window.demo.workFolder().toStdString(), elsewhere, PlantedSkinFiles::Definition::Link);
        PlantedSkinFiles inCurrent(current, elsewhere, PlantedSkinFiles::Definition::File);
        QVERIFY2(inWork.ok(), inWork.problem().c_str());
        QVERIFY2(inCurrent.ok(), inCurrent.problem().c_str());
        const brindle::test::CurrentDirectoryScope here(current);

        QVERIFY(window.dialog->OnInitDialog());
        // The built-in shape, not the planted all-white mask's none.
        QVERIFY(!window.dialog->wasTold(kRegionIsNullMessage));
        QCOMPARE(window.dialog->size(), QSize(701, 503));
        const skin::SkinImage mask =
            skin::LoadNamedImage(std::nullopt, skin::ReadMainImages(*window.dialog->skinDefinition()).mask);
        const std::optional<QRegion> shape = skin::ImageToRegion(mask.image());
        QVERIFY(shape.has_value() && !shape->isEmpty());
        QCOMPARE(window.dialog->mask(), *shape);

        if (CThreadSummary* summary = OpenSummaryWindow(window)) {
            // The built-in animation, not the planted 4×2 "skin3.gif".
            const CAnimationHost* animation = summary->window().animation();
            QVERIFY(animation != nullptr && animation->isPlaying());
            QCOMPARE(animation->movieSize(), kBuiltInAnimationSize);
            QSignalSpy complete(summary, &CThreadSummary::scanCompleteShown);
            QVERIFY(complete.wait(test::kJobTimeout));
            summary->window().ButtonPressed("BUTTON_CANCEL");
        }
        window.dialog->done(QDialog::Accepted);

        std::vector<std::string> touched = inWork.touches();
        for (std::string& line : inCurrent.touches()) touched.push_back(std::move(line));
        QVERIFY2(touched.empty(), qPrintable(Lines(touched)));
    }

    void aNamedSkinFolderSkinsTheWindowAndItsSummaryScreens() {
        skin::SetBuiltInSkinRoot(skin::kFullSkinRoot);  // its main panel opens the summary window
        QTemporaryDir user;
        const fs::path skinFolder = user.path().toStdString();
        QCOMPARE(QString::fromStdString(skin::test::WriteUserSkin(skinFolder)), QString());
        std::ofstream(skinFolder / "skin3.gif", std::ios::binary) << skin::test::SmallGifBytes();
        // The scan screen's background, as a BMP under the name the definition gives.
        std::ofstream(skinFolder / "SubMainNormal.gif", std::ios::binary)
            << skin::test::SolidBmpBytes(300, 200, 0x00FF00);

        DemoWindow window(false, SystemScheduleClock, skinFolder);
        QVERIFY(window.dialog != nullptr);
        QVERIFY(window.dialog->OnInitDialog());
        QCOMPARE(window.dialog->size(), QSize(skin::test::kUserMaskWidth, skin::test::kUserMaskHeight));

        CThreadSummary* summary = OpenSummaryWindow(window);
        QVERIFY(summary != nullptr);
        Summary& screen = summary->window();
        QCOMPARE(screen.screenName(), std::string("SCREENERRORSCAN"));
        QCOMPARE(screen.size(), QSize(300, 200));
        QCOMPARE(screen.NormalImage().image().pixel(0, 0), QColor(Qt::green).rgb());
        QVERIFY(screen.animation() != nullptr && screen.animation()->isPlaying());
        QCOMPARE(screen.animation()->movieSize(), QSize(4, 2));
        screen.ButtonPressed("BUTTON_CANCEL");
    }
};

}  // namespace brindle

QTEST_MAIN(brindle::WindowSkinSourceTest)
#include "WindowSkinSourceTest.moc"
