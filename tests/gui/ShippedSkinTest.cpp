// The shipped skin as the program builds it: the definition written out from the program
// and read back from that file, then every screen it describes built with its images and
// elements. Set BRINDLE_SKIN_SNAPSHOTS to a folder to get each screen as a PNG there.
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "skin/ImageToRegion.h"
#include "skin/SkinImage.h"
#include "skin/SkinScreenLoader.h"
#include "support/SkinTestSupport.h"

namespace brindle::skin {
namespace {

// What each panel of the shipped definition holds.
struct PanelContents {
    const char* name;
    int buttons;
    int texts;
    int edits;
    int listColumns;  // 0: no list
};
constexpr PanelContents kPanels[] = {
    {"SUBMAIN_MAIN", 11, 23, 0, 0},  // key 25 of its texts lies beyond the walk
    {"SUBMAIN_SCHEDULE", 6, 0, 1, 0},
    {"SUBMAIN_IGNORED", 2, 0, 0, 2},
    {"SUBMAIN_ADVANCED", 3, 1, 0, 0},  // its edit section is never read
    {"SUBMAIN_RESULT", 0, 0, 0, 3},
    {"SUBMAIN_SCHEDULE_DISABLED", 6, 0, 0, 0},
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

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        const Status written = ExtractResourceToFile(skinFile(), "SKININI");
        QVERIFY2(written.ok(), written.message().c_str());
        m_ini = std::make_unique<CSkinIni>(skinFile());
    }

    void mainScreenIsBuiltOnItsArtAndShapedByItsMask() {
        test::RecordingScreen screen;
        const MainImages names = ReadMainImages(*m_ini);
        const SkinImage mask = LoadMainImages(screen, folder(), names);
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
        QCOMPARE(lines.size(), std::size(kPanels));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const ScreenImageLine& line = lines[i].line;
            const PanelContents& expected = kPanels[i];
            QCOMPARE(QString::fromStdString(line.name), QString(expected.name));
            test::RecordingScreen panel;
            LoadScreenImages(panel, folder(), line);
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
            LoadScreenImages(screen, folder(), lines[0].line);
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
            snapshot(screen, screenName);
        }
    }

    void theAnimationRectanglesAreRead() {
        const auto main = ReadDimension(*m_ini, "MAINSCREENANIMATION");
        const auto scan = ReadDimension(*m_ini, "SCANSCREENANIMATION");
        QVERIFY(main.has_value() && scan.has_value());
        QCOMPARE(*main, (SkinRect{107, 81, 224, 250}));
        QCOMPARE(*scan, *main);
    }

private:
    std::filesystem::path folder() const { return m_folder.path().toStdString(); }
    std::filesystem::path skinFile() const { return folder() / "Skin.ini"; }

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
    static void snapshot(test::RecordingScreen& screen, const std::string& name) {
        const QByteArray target = qgetenv("BRINDLE_SKIN_SNAPSHOTS");
        if (target.isEmpty()) return;
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
        QDir().mkpath(QString::fromLocal8Bit(target));
        picture.save(QString::fromLocal8Bit(target) + "/" + QString::fromStdString(name) + ".png");
    }

    QTemporaryDir m_folder;
    std::unique_ptr<CSkinIni> m_ini;
};

}  // namespace brindle::skin

QTEST_MAIN(brindle::skin::ShippedSkinTest)
#include "ShippedSkinTest.moc"
