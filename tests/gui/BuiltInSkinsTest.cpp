// What the two built-in skins promise beyond building: every picture a definition names is
// embedded with it, the full skin places the controls the shipped one leaves out where they
// can be seen and reached, the scan animation is a looping GIF of its rectangle's size, and
// the built-in skin in use is the one SetBuiltInSkinRoot chose.
#include <QFile>
#include <QImageReader>
#include <QMovie>
#include <QtTest>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "skin/BuiltInSkin.h"
#include "skin/SkinImage.h"
#include "skin/SkinScreenLoader.h"
#include "skin/SkinSource.h"
#include "skin/definition/SkinSections.h"
#include "support/BuiltInSkins.h"

namespace brindle::skin {
namespace {

QRect ToQRect(const SkinRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

QString Resource(const char* root, const std::string& name) {
    return QString::fromLatin1(root) + QLatin1Char('/') + QString::fromStdString(name);
}

std::optional<ButtonLine> FindButton(const CSkinIni& ini, const std::string& section, const std::string& name) {
    for (const auto& entry : ReadButtonSection(ini, section))
        if (entry.line.name == name) return entry.line;
    return std::nullopt;
}

// The controls the full skin adds, by panel; the shipped skin has none of them on a panel.
struct AddedButton {
    const char* panel;
    const char* button;
};
constexpr AddedButton kAddedButtons[] = {
    {"SUBMAIN_MAIN", "BUTTON_SCAN"},
    {"SUBMAIN_SCHEDULE", "BUTTON_ADDSCHEDULE"},
    {"SUBMAIN_SCHEDULE", "BUTTON_DELETESCHEDULE"},
    {"SUBMAIN_SCHEDULE_DISABLED", "BUTTON_ADDSCHEDULE"},
    {"SUBMAIN_SCHEDULE_DISABLED", "BUTTON_DELETESCHEDULE"},
    {"SUBMAIN_ADVANCED", "BUTTON_RESTORE"},
    {"SUBMAIN_ADVANCED", "BUTTON_RUNUPDATE"},
};

}  // namespace

class BuiltInSkinsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetBuiltInSkinRoot(QString()); }

    void everyNamedPictureIsEmbeddedWithItsSkin_data() {
        QTest::addColumn<QString>("root");
        for (const auto& skin : test::kBuiltInSkins) QTest::newRow(skin.name) << QString::fromLatin1(skin.root);
    }
    void everyNamedPictureIsEmbeddedWithItsSkin() {
        QFETCH(QString, root);
        const test::BuiltInSkinFixture fixture(root);
        QVERIFY2(fixture.ok(), fixture.problem().c_str());
        const std::vector<std::string> names = test::NamedImages(fixture.ini());
        QVERIFY(names.size() > 40);
        for (const std::string& name : names) {
            QVERIFY2(!name.empty(), "a screen names no picture");
            const QString resource = root + QLatin1Char('/') + QString::fromStdString(EmbeddedImageName(name));
            QVERIFY2(QFile::exists(resource), qPrintable(resource + " for " + QString::fromStdString(name)));
        }
    }

    void onlyTheFullSkinPlacesTheAddedButtons() {
        const test::BuiltInSkinFixture shipped(QString::fromLatin1(kShippedSkinRoot));
        QVERIFY2(shipped.ok(), shipped.problem().c_str());
        const test::BuiltInSkinFixture full(QString::fromLatin1(kFullSkinRoot));
        QVERIFY2(full.ok(), full.problem().c_str());
        for (const auto& [panel, button] : kAddedButtons) {
            const std::string section = std::string(panel) + "_BUTTONINFO";
            const QByteArray what = QByteArray(panel) + " " + button;
            QVERIFY2(!FindButton(shipped.ini(), section, button), what.constData());
            const auto line = FindButton(full.ini(), section, button);
            QVERIFY2(line.has_value(), what.constData());
            QVERIFY2(!line->checkBox, what.constData());  // commands, not options
        }
        // The main window keeps its own scan button in both.
        QVERIFY(FindButton(full.ini(), "MAINSCREENBUTTONINFO", "BUTTON_SCAN"));
    }

    // Each panel of the full skin holds its buttons, edits and list inside it without one
    // covering another: a control under another cannot be clicked.
    void theFullSkinsPanelControlsFitWithoutOverlapping() {
        const test::BuiltInSkinFixture full(QString::fromLatin1(kFullSkinRoot));
        QVERIFY2(full.ok(), full.problem().c_str());
        for (const auto& entry : ReadScreenImageSection(full.ini(), "SUBMAINSCREENINFO")) {
            const std::string& panel = entry.line.name;
            const QRect area(0, 0, entry.line.rect.width(), entry.line.rect.height());
            std::vector<std::pair<std::string, QRect>> controls;
            for (const auto& button : ReadButtonSection(full.ini(), panel + "_BUTTONINFO"))
                controls.emplace_back(button.line.name, ToQRect(button.line.rect));
            if (panel != "SUBMAIN_ADVANCED") {  // the program reads no edit boxes there
                for (const auto& edit : ReadTextSection(full.ini(), panel + "_EDITBOXINFO", ItalicRule::OnWhenTrue))
                    controls.emplace_back(edit.line.name, ToQRect(edit.line.rect));
            }
            if (panel == "SUBMAIN_SCHEDULE") {
                const auto list = ReadListSection(full.ini(), panel + "_LISTINFO");
                QVERIFY(list.has_value());
                controls.emplace_back("list", ToQRect(list->rect));
            }
            if (panel == "SUBMAIN_ABOUT" || panel == "SUBMAIN_RESULT") continue;  // one control is the whole panel
            for (std::size_t i = 0; i < controls.size(); ++i) {
                const QByteArray name = QByteArray::fromStdString(panel + " " + controls[i].first);
                QVERIFY2(area.contains(controls[i].second), name.constData());
                for (std::size_t j = i + 1; j < controls.size(); ++j) {
                    QVERIFY2(!controls[i].second.intersects(controls[j].second),
                             (name + " and " + QByteArray::fromStdString(controls[j].first)).constData());
                }
            }
        }
    }

    // The shipped screen is 136 pixels tall with its stop button at 180: out of sight, as
    // shipped. The full skin's screen shows it, with no text over it.
    void stopIsOnTheFullSkinsScanScreenOnly() {
        for (const auto& skin : test::kBuiltInSkins) {
            const test::BuiltInSkinFixture fixture(QString::fromLatin1(skin.root));
            QVERIFY2(fixture.ok(), fixture.problem().c_str());
            const auto screens = ReadScreenImageSection(fixture.ini(), "SCREENERRORSCANINFO");
            QCOMPARE(screens.size(), std::size_t{1});
            const QRect screen(0, 0, screens[0].line.rect.width(), screens[0].line.rect.height());
            const auto stop = FindButton(fixture.ini(), "SCREENERRORSCAN_BUTTONINFO", "BUTTON_STOPSCAN");
            QVERIFY(stop.has_value());
            const bool full = std::string(skin.name) == "full";
            QCOMPARE(screen.contains(ToQRect(stop->rect)), full);
            if (!full) continue;
            for (const auto& text : ReadTextSection(fixture.ini(), "SCREENERRORSCAN_TEXTINFO", ItalicRule::OnWhenTrue))
                QVERIFY2(!ToQRect(text.line.rect).intersects(ToQRect(stop->rect)), text.line.name.c_str());
            const auto animation = ReadDimension(fixture.ini(), "SCANSCREENANIMATION");
            QVERIFY(animation.has_value());
            QVERIFY(screen.contains(ToQRect(*animation)));
            QVERIFY(!ToQRect(*animation).intersects(ToQRect(stop->rect)));
        }
    }

    void theAnimationIsALoopingGifOfItsRectangle_data() {
        QTest::addColumn<QString>("root");
        for (const auto& skin : test::kBuiltInSkins) QTest::newRow(skin.name) << QString::fromLatin1(skin.root);
    }
    void theAnimationIsALoopingGifOfItsRectangle() {
        QFETCH(QString, root);
        const test::BuiltInSkinFixture fixture(root);
        QVERIFY2(fixture.ok(), fixture.problem().c_str());
        const auto area = ReadDimension(fixture.ini(), "SCANSCREENANIMATION");
        QVERIFY(area.has_value());
        const QSize size(area->width(), area->height());

        QImageReader reader(Resource(root.toLatin1().constData(), "ANIMATION"));
        QCOMPARE(reader.format(), QByteArray("gif"));
        QVERIFY(reader.supportsAnimation());
        QVERIFY2(reader.imageCount() >= 24, qPrintable(QString::number(reader.imageCount())));
        QCOMPARE(reader.loopCount(), -1);  // for ever
        int frames = 0;
        QImage first, previous;
        int changes = 0;
        while (reader.canRead()) {
            const QImage frame = reader.read();
            QVERIFY2(!frame.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(frame.size(), size);
            QVERIFY(reader.nextImageDelay() > 0);
            if (frames == 0) first = frame;
            else if (frame != previous) ++changes;
            previous = frame;
            ++frames;
        }
        QCOMPARE(frames, reader.imageCount());
        QCOMPARE(changes, frames - 1);  // every frame moves

        QMovie movie(Resource(root.toLatin1().constData(), "ANIMATION"));
        QVERIFY(movie.isValid());
        QCOMPARE(movie.frameCount(), frames);
        QVERIFY(movie.jumpToFrame(0));
        QCOMPARE(movie.currentImage().convertToFormat(first.format()), first);
    }

    void theBuiltInSkinIsTheOneChosen() {
        const QString chosen = BuiltInSkinRoot();
        QVERIFY(chosen == QLatin1String(kShippedSkinRoot) || chosen == QLatin1String(kFullSkinRoot));
        for (const auto& skin : test::kBuiltInSkins) {
            SetBuiltInSkinRoot(QString::fromLatin1(skin.root));
            QCOMPARE(BuiltInSkinRoot(), QString::fromLatin1(skin.root));
            // The definition, the pictures and the animation all come from the chosen skin.
            QFile embedded(Resource(skin.root, kBuiltInDefinitionName));
            QVERIFY(embedded.open(QIODevice::ReadOnly));
            QCOMPARE(ReadBuiltInResource(kBuiltInDefinitionName).value_or(QByteArray()), embedded.readAll());
            const Result<CSkinIni> definition = LoadSkinDefinition(std::nullopt);
            QVERIFY2(definition.ok(), definition.message().c_str());
            QCOMPARE(FindButton(definition.value(), "SUBMAIN_MAIN_BUTTONINFO", "BUTTON_SCAN").has_value(),
                     std::string(skin.name) == "full");
            const SkinImage panel = LoadNamedImage(std::nullopt, "Autoscan_unchk.gif");
            QCOMPARE(panel.image(), SkinImage(QImageReader(Resource(skin.root, "AUTOSCAN_UNCHK")).read()).image()
                                        .convertToFormat(panel.image().format()));
            QFile animation(Resource(skin.root, kBuiltInAnimationName));
            QVERIFY(animation.open(QIODevice::ReadOnly));
            QCOMPARE(LoadScanAnimation(std::nullopt), animation.readAll());
        }
        // The two skins' schedule panels differ, so the comparison above tells them apart.
        QVERIFY(QImage(Resource(kShippedSkinRoot, "AUTOSCAN_UNCHK")) != QImage(Resource(kFullSkinRoot, "AUTOSCAN_UNCHK")));
        SetBuiltInSkinRoot(QString());
        QCOMPARE(BuiltInSkinRoot(), chosen);
    }
};

}  // namespace brindle::skin

QTEST_MAIN(brindle::skin::BuiltInSkinsTest)
#include "BuiltInSkinsTest.moc"
