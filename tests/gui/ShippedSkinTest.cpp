// Both built-in skins as the program builds them: the definition read from the program's
// resources, then every screen it describes built with its built-in images and elements.
// The program runs the same test once per skin, the shipped one first. Set
// BRINDLE_SKIN_SNAPSHOTS to a folder to get each screen of the shipped skin as a PNG there,
// and those of the full skin, with a few frames of the scan animation, in its "full" folder.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QtTest>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "skin/ImageToRegion.h"
#include "skin/SkinImage.h"
#include "skin/SkinScreenLoader.h"
#include "support/BuiltInSkins.h"
#include "support/SkinTestSupport.h"

namespace brindle::skin {
namespace {

// What each panel of a definition holds.
struct PanelContents {
    const char* name;
    int buttons;
    int texts;
    int edits;
    int listColumns;  // 0: no list
};
constexpr PanelContents kShippedPanels[] = {
    {"SUBMAIN_MAIN", 11, 23, 0, 0},  // key 25 of its texts lies beyond the walk
    {"SUBMAIN_SCHEDULE", 6, 0, 1, 0},
    {"SUBMAIN_IGNORED", 2, 0, 0, 2},
    {"SUBMAIN_ADVANCED", 3, 1, 0, 0},  // its edit section is never read
    {"SUBMAIN_RESULT", 0, 0, 0, 3},
    {"SUBMAIN_SCHEDULE_DISABLED", 6, 0, 0, 0},
    {"SUBMAIN_ABOUT", 1, 0, 0, 0},
};
// The full skin adds the panel scan button, the schedule list with its two buttons, and
// restore and live update.
constexpr PanelContents kFullPanels[] = {
    {"SUBMAIN_MAIN", 12, 23, 0, 0},
    {"SUBMAIN_SCHEDULE", 8, 0, 1, 3},
    {"SUBMAIN_IGNORED", 2, 0, 0, 2},
    {"SUBMAIN_ADVANCED", 5, 1, 0, 0},
    {"SUBMAIN_RESULT", 0, 0, 0, 3},
    {"SUBMAIN_SCHEDULE_DISABLED", 8, 0, 0, 0},  // only SUBMAIN_SCHEDULE gets the list
    {"SUBMAIN_ABOUT", 1, 0, 0, 0},
};

struct SummaryContents {
    const char* screen;
    int buttons;
    int texts;
    int listColumns;
};
constexpr SummaryContents kSummaries[] = {
    {"SCREENERRORSCAN", 1, 1, 0},
    {"SCREENSCANCOMPLETE", 2, 4, 3},
    {"SCREENERRORFIXING", 0, 5, 0},
    {"SCREENFIXCOMPLETE", 1, 4, 4},
};

struct SkinUnderTest {
    test::BuiltInSkinInfo skin;
    std::span<const PanelContents> panels;
    const char* snapshotFolder;  // below BRINDLE_SKIN_SNAPSHOTS
};
const SkinUnderTest kSkinsUnderTest[] = {
    {test::kBuiltInSkins[0], kShippedPanels, ""},
    {test::kBuiltInSkins[1], kFullPanels, "full"},
};

bool IsOnlyTransparent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) return false;
        }
    }
    return true;
}

}  // namespace

class ShippedSkinTest : public QObject {
    Q_OBJECT

public:
    explicit ShippedSkinTest(const SkinUnderTest& skin) : m_skin(skin) {}

private slots:
    void initTestCase() {
        qInfo("skin: %s", m_skin.skin.name);
        m_fixture = std::make_unique<test::BuiltInSkinFixture>(QString::fromLatin1(m_skin.skin.root));
        QVERIFY2(m_fixture->ok(), m_fixture->problem().c_str());
        m_ini = &m_fixture->ini();
    }

    void cleanupTestCase() {
        m_ini = nullptr;
        m_fixture.reset();
    }

    void mainScreenIsBuiltOnItsArtAndShapedByItsMask() {
        test::RecordingScreen screen;
        const MainImages names = ReadMainImages(*m_ini);
        const SkinImage mask = LoadMainImages(screen, std::nullopt, names);
        for (const SkinImage* image : std::initializer_list<const SkinImage*>{
                 &screen.NormalImage(), &screen.OverImage(), &screen.DownImage(), &screen.DisabledImage(), &mask}) {
            QCOMPARE(image->size(), QSize(701, 503));
        }
        screen.resize(screen.NormalImage().size());
        LoadScreenElements(screen, &screen, *m_ini, MainScreenSections());
        QCOMPARE(screen.Buttons().size(), std::size_t{11});
        checkButtonsSitOnArt(screen);

        const auto region = ImageToRegion(mask.image());
        QVERIFY(region.has_value());
        QVERIFY(!region->isEmpty());
        // Shaped, not a rectangle: the corners are cut away.
        QVERIFY(!region->contains(QPoint(0, 0)));
        QVERIFY(region->contains(QPoint(350, 250)));
        screen.setMask(*region);
        snapshot(screen, "main");
    }

    void everyPanelIsBuiltWithItsElements() {
        const auto lines = ReadScreenImageSection(*m_ini, "SUBMAINSCREENINFO");
        QCOMPARE(lines.size(), m_skin.panels.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const ScreenImageLine& line = lines[i].line;
            const PanelContents& expected = m_skin.panels[i];
            QCOMPARE(QString::fromStdString(line.name), QString(expected.name));
            test::RecordingScreen panel;
            LoadScreenImages(panel, std::nullopt, line);
            QVERIFY2(!panel.NormalImage().isEmpty(), expected.name);
            QVERIFY2(!panel.OverImage().isEmpty(), expected.name);
            panel.resize(line.rect.width(), line.rect.height());
            LoadScreenElements(panel, &panel, *m_ini, PanelSections(line.name));
            QCOMPARE(int(panel.Buttons().size()), expected.buttons);
            QCOMPARE(int(panel.Texts().size()), expected.texts);
            QCOMPARE(int(panel.Edits().size()), expected.edits);
            checkButtonsSitOnArt(panel);
            std::unique_ptr<CSkinList> list;
            if (const auto listLine = ReadListSection(*m_ini, line.name + "_LISTINFO")) {
                list = std::make_unique<CSkinList>(*listLine, &panel);
                QCOMPARE(list->columnCount(), expected.listColumns);
            } else {
                QCOMPARE(0, expected.listColumns);
            }
            snapshot(panel, line.name);
        }
    }

    void everySummaryScreenIsBuiltWithItsElements() {
        for (const SummaryContents& expected : kSummaries) {
            const std::string screenName = expected.screen;
            const auto lines = ReadScreenImageSection(*m_ini, screenName + "INFO");
            QCOMPARE(lines.size(), std::size_t{1});
            test::RecordingScreen screen;
            LoadScreenImages(screen, std::nullopt, lines[0].line);
            QVERIFY2(!screen.NormalImage().isEmpty(), expected.screen);
            screen.resize(lines[0].line.rect.width(), lines[0].line.rect.height());
            LoadScreenElements(screen, &screen, *m_ini, SummaryScreenSections(screenName));
            QCOMPARE(int(screen.Buttons().size()), expected.buttons);
            QCOMPARE(int(screen.Texts().size()), expected.texts);
            std::unique_ptr<QTableWidget> list;
            if (const auto listLine = ReadListSection(*m_ini, screenName + "_LISTINFO")) {
                list = std::make_unique<QTableWidget>(&screen);
                ApplyListLine(*list, *listLine);
                QCOMPARE(list->columnCount(), expected.listColumns);
            } else {
                QCOMPARE(0, expected.listColumns);
            }
            // The scan screen plays its animation in its rectangle: shown here as the first frame.
            std::unique_ptr<QLabel> animation;
            if (screenName == "SCREENERRORSCAN" && snapshotsWanted()) {
                const auto area = ReadDimension(*m_ini, "SCANSCREENANIMATION");
                QVERIFY(area.has_value());
                animation = std::make_unique<QLabel>(&screen);
                animation->setGeometry(area->left, area->top, area->width(), area->height());
                animation->setPixmap(QPixmap::fromImage(QImageReader(QString::fromLatin1(m_skin.skin.root) + QStringLiteral("/ANIMATION")).read()));
            }
            snapshot(screen, screenName);
        }
    }

    // Every frame of the animation decodes, and it moves; with BRINDLE_SKIN_SNAPSHOTS set,
    // every eighth frame is saved to be looked at.
    void theAnimationCanBeLookedAt() {
        QImageReader reader(QString::fromLatin1(m_skin.skin.root) + QStringLiteral("/ANIMATION"));
        int frames = 0;
        QImage first;
        bool moves = false;
        for (; reader.canRead(); ++frames) {
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            if (frames == 0) first = image;
            moves = moves || image != first;
            if (snapshotsWanted() && frames % 8 == 0)
                saveSnapshot(image, QStringLiteral("animation-frame%1").arg(frames, 2, 10, QLatin1Char('0')));
        }
        QVERIFY2(frames > 1, qPrintable(QStringLiteral("%1 frames").arg(frames)));
        QVERIFY(moves);
    }

    void theAnimationRectanglesAreRead() {
        const auto main = ReadDimension(*m_ini, "MAINSCREENANIMATION");
        const auto scan = ReadDimension(*m_ini, "SCANSCREENANIMATION");
        QVERIFY(main.has_value() && scan.has_value());
        QCOMPARE(*main, (SkinRect{107, 81, 224, 250}));
        QCOMPARE(*scan, *main);
    }

private:
    static bool snapshotsWanted() { return !qEnvironmentVariableIsEmpty("BRINDLE_SKIN_SNAPSHOTS"); }

    // Each button carries a picture for every look, cut from its screen's art, and the
    // normal one shows something: a button never floats over an empty spot.
    static void checkButtonsSitOnArt(const SkinElementSet& set) {
        for (const CSkinButton* button : set.Buttons()) {
            const QByteArray name = QByteArray::fromStdString(button->Name());
            for (const auto which : {ButtonPicture::Normal, ButtonPicture::Over, ButtonPicture::Down,
                                     ButtonPicture::Disabled}) {
                QVERIFY2(button->Picture(which).size() == button->size(), name.constData());
            }
            QVERIFY2(!IsOnlyTransparent(button->Picture(ButtonPicture::Normal).image()), name.constData());
        }
    }

    // The screen as the program shows it: its normal image as the background (the test
    // screen does not paint one), the elements over it, and outside the window's shape
    // nothing.
    void snapshot(test::RecordingScreen& screen, const std::string& name) const {
        if (!snapshotsWanted()) return;
        // Rendered whole and clipped afterwards: render() places a masked widget's shape, not
        // its rectangle, at the target point.
        const QRegion shape = screen.mask();
        screen.clearMask();
        QImage picture(screen.size(), QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        DrawSkinImage(painter, screen.NormalImage(), 0, 0, screen.width(), screen.height());
        screen.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        if (!shape.isEmpty()) {
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.setClipRegion(QRegion(screen.rect()).subtracted(shape));
            painter.fillRect(screen.rect(), Qt::transparent);
            screen.setMask(shape);
        }
        painter.end();
        saveSnapshot(picture, QString::fromStdString(name));
    }

    void saveSnapshot(const QImage& picture, const QString& name) const {
        QString target = qEnvironmentVariable("BRINDLE_SKIN_SNAPSHOTS");
        if (*m_skin.snapshotFolder != '\0') target = QDir(target).filePath(QString::fromLatin1(m_skin.snapshotFolder));
        QDir().mkpath(target);
        QVERIFY2(picture.save(target + "/" + name + ".png"), qPrintable(target + "/" + name + ".png"));
    }

    const SkinUnderTest& m_skin;
    std::unique_ptr<test::BuiltInSkinFixture> m_fixture;
    const CSkinIni* m_ini = nullptr;
};

}  // namespace brindle::skin

int main(int argc, char** argv) {
    // As QTEST_MAIN sets it up, once for both runs.
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QTEST_SET_MAIN_SOURCE_PATH
    int failed = 0;
    for (const auto& skin : brindle::skin::kSkinsUnderTest) {
        brindle::skin::ShippedSkinTest test(skin);
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed;
}

#include "ShippedSkinTest.moc"
