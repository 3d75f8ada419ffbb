// The checked-in skin pictures (resources/skin and resources/skin-full) and the encoders
// that wrote them.

#include "BmpWriter.h"
#include "GifWriter.h"
#include "Layout.h"
#include "Style.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QBuffer>
#include <QImageReader>
#include <QLineF>
#include <numbers>
#include <QSet>
#include <QtEndian>
#include <QtTest>

#ifndef BRINDLE_SKIN_DIR
#error "BRINDLE_SKIN_DIR must name the folder of the checked-in skin pictures"
#endif
#ifndef BRINDLE_FULL_SKIN_DIR
#error "BRINDLE_FULL_SKIN_DIR must name the folder of the checked-in full skin"
#endif

#include "skin/definition/SkinSections.h"

namespace L = art::layout;

namespace {

QString skinPath(const QString& name)
{
    return QStringLiteral(BRINDLE_SKIN_DIR "/") + name;
}

QString fullSkinPath(const QString& name)
{
    return QStringLiteral(BRINDLE_FULL_SKIN_DIR "/") + name;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray readSkinFile(const QString& name)
{
    QFile file(skinPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage loadSkinImage(const QString& name)
{
    return QImage(skinPath(name)).convertToFormat(QImage::Format_RGB32);
}

// Every picture the shipped skin definition names, with its size.
struct Expected {
    const char* name;
    QSize size;
};
const Expected kPictures[] = {
    {"home_on.gif", L::kMainWindow}, {"home_hover.gif", L::kMainWindow}, {"home_click.gif", L::kMainWindow},
    {"home_off.gif", L::kMainWindow}, {"Mask.bmp", L::kMainWindow},
    {"home_unchk.gif", L::kPanel}, {"home_chk.gif", L::kPanel},
    {"Autoscan_unchk.gif", L::kPanel}, {"Autoscan_chk.gif", L::kPanel},
    {"Autoscan_disabled.gif", L::kPanel}, {"Autoscan_disabled_chked.gif", L::kPanel},
    {"IGNORRED-ERRORS_unchk.gif", L::kPanel}, {"IGNORRED-ERRORS_chk.gif", L::kPanel},
    {"IGNORRED-ERRORS_main.gif", L::kPanel},
    {"ADVANCED-SETTINGS_unchk.gif", L::kPanel}, {"ADVANCED-SETTINGS_chk.gif", L::kPanel},
    {"result.gif", L::kPanel}, {"ABOUT_unchk.gif", L::kPanel}, {"ABOUT_chk.gif", L::kPanel},
    {"SubMainNormal.gif", L::kErrorScanScreen}, {"SubMainChecked.gif", L::kErrorScanScreen},
    {"scan_complete-normal.gif", L::kSummaryScreen}, {"scan_complete-roll_over.gif", L::kSummaryScreen},
    {"scan_complete-pressed.gif", L::kSummaryScreen}, {"scan_complete-disable.gif", L::kSummaryScreen},
    {"home_main.gif", L::kSummaryScreen},
    {"fix_complete-normal.gif", L::kSummaryScreen}, {"fix_complete-roll_over.gif", L::kSummaryScreen},
    {"fix_complete-pressed.gif", L::kSummaryScreen}, {"fix_complete-disable.gif", L::kSummaryScreen},
};

const QRect kWindow(QPoint(0, 0), L::kMainWindow);

// The pixels in which two same-sized pictures differ.
QRegion differences(const QImage& a, const QImage& b)
{
    QRegion region;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                region += QRect(x, y, 1, 1);
    return region;
}

QImage sampleImage(int width, int height, const QList<QRgb>& colours)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x * 7 + y * 3) % colours.size()]);
    return image;
}

} // namespace

class SkinArtTest : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeAtTheirSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const auto& picture : kPictures)
            QTest::newRow(picture.name) << QString::fromLatin1(picture.name) << picture.size;
    }
    void picturesDecodeAtTheirSize()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage image(skinPath(name));
        QVERIFY2(!image.isNull(), qPrintable(skinPath(name) + QStringLiteral(" does not decode")));
        QCOMPARE(image.size(), size);
        if (name.endsWith(QLatin1String(".gif")))
            QCOMPARE(readSkinFile(name).left(6), QByteArray("GIF89a"));
    }

    void maskIsAnUncompressedBottomUp24BitBitmap()
    {
        const QByteArray bmp = readSkinFile(QStringLiteral("Mask.bmp"));
        QVERIFY(bmp.size() >= 54);
        const auto* d = reinterpret_cast<const uchar*>(bmp.constData());
        const int rowSize = (L::kMainWindow.width() * 3 + 3) & ~3;
        QCOMPARE(bmp.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint32>(d + 2), quint32(bmp.size()));
        QCOMPARE(qFromLittleEndian<quint32>(d + 10), quint32(54));
        QCOMPARE(qFromLittleEndian<quint32>(d + 14), quint32(40));                   // BITMAPINFOHEADER
        QCOMPARE(qFromLittleEndian<qint32>(d + 18), qint32(L::kMainWindow.width()));
        QCOMPARE(qFromLittleEndian<qint32>(d + 22), qint32(L::kMainWindow.height())); // positive: bottom-up
        QCOMPARE(qFromLittleEndian<quint16>(d + 26), quint16(1));
        QCOMPARE(qFromLittleEndian<quint16>(d + 28), quint16(24));
        QCOMPARE(qFromLittleEndian<quint32>(d + 30), quint32(0));                    // BI_RGB
        QCOMPARE(bmp.size(), 54 + rowSize * L::kMainWindow.height());
    }

    void maskIsStrictlyBlackAndWhite()
    {
        const QByteArray bmp = readSkinFile(QStringLiteral("Mask.bmp"));
        const int rowSize = (L::kMainWindow.width() * 3 + 3) & ~3;
        QCOMPARE(bmp.size(), 54 + rowSize * L::kMainWindow.height());
        for (int row = 0; row < L::kMainWindow.height(); ++row)
            for (int x = 0; x < L::kMainWindow.width(); ++x) {
                const char* px = bmp.constData() + 54 + row * rowSize + x * 3;
                const bool black = px[0] == 0 && px[1] == 0 && px[2] == 0;
                const bool white = px[0] == '\xff' && px[1] == '\xff' && px[2] == '\xff';
                if (!black && !white)
                    QFAIL(qPrintable(QStringLiteral("Mask.bmp pixel %1,%2 is neither black nor white")
                                         .arg(x)
                                         .arg(L::kMainWindow.height() - 1 - row)));
            }
    }

    // Every button is inside the window's shape, and the shape is rounded alike at all
    // four corners: none is left square by a button that reaches it (the scan button's
    // rectangle runs past the bottom-right corner; its round face stays whole).
    void maskKeepsEveryButtonAndRoundsEveryCorner()
    {
        const QImage mask = loadSkinImage(QStringLiteral("Mask.bmp"));
        QCOMPARE(mask.size(), L::kMainWindow);
        const int r = static_cast<int>(art::style::kWindowRadius);
        const QRect body(QPoint(art::style::kBodyLeft, art::style::kBodyTop), kWindow.bottomRight());
        const QRect corner(kWindow.right() - r + 1, kWindow.bottom() - r + 1, r, r);
        for (const auto& button : L::kMainButtons) {
            const QRect rect = button.rect().intersected(kWindow);
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    if (!corner.contains(x, y) && mask.pixel(x, y) != qRgb(0, 0, 0))
                        QFAIL(qPrintable(QStringLiteral("the mask cuts %1,%2 out of %3")
                                             .arg(x)
                                             .arg(y)
                                             .arg(QLatin1String(button.name.data(), button.name.size()))));
        }
        const qreal face = L::kScanFaceRadius + L::kScanGroove;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (QLineF(L::kScanFaceCentre, QPointF(x + 0.5, y + 0.5)).length() <= face)
                    QVERIFY2(mask.pixel(x, y) == qRgb(0, 0, 0), "the mask cuts into the scan button's face");

        // The four corners of the shape: the title tab's top left, the body's other three.
        const QRect corners[] = {
            QRect(art::style::kBodyLeft, art::style::kTitleTabTop, r, r),
            QRect(body.right() - r + 1, body.top(), r, r),
            QRect(body.left(), body.bottom() - r + 1, r, r),
            corner,
        };
        QList<int> cutAway;
        for (const QRect& square : corners) {
            int white = 0;
            for (int y = square.top(); y <= square.bottom(); ++y)
                for (int x = square.left(); x <= square.right(); ++x)
                    white += mask.pixel(x, y) == qRgb(255, 255, 255);
            cutAway << white;
        }
        // A quarter circle cut from an r-by-r square leaves r*r*(1 - pi/4) pixels outside.
        const int rounded = qRound(r * r * (1 - std::numbers::pi / 4));
        for (const int white : cutAway)
            QVERIFY2(qAbs(white - rounded) <= r, qPrintable(QStringLiteral("corners cut by %1, %2, %3 and %4 pixels")
                                                                .arg(cutAway[0])
                                                                .arg(cutAway[1])
                                                                .arg(cutAway[2])
                                                                .arg(cutAway[3])));
    }

    void maskOutlineIsNotARectangle()
    {
        const QImage mask = loadSkinImage(QStringLiteral("Mask.bmp"));
        QRect bounds;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (mask.pixel(x, y) == qRgb(0, 0, 0))
                    bounds |= QRect(x, y, 1, 1);
        QVERIFY(!bounds.isEmpty());
        int whiteInside = 0;
        for (int y = bounds.top(); y <= bounds.bottom(); ++y)
            for (int x = bounds.left(); x <= bounds.right(); ++x)
                whiteInside += mask.pixel(x, y) == qRgb(255, 255, 255);
        QVERIFY2(whiteInside > 100, "the window outline is a plain rectangle");
    }

    // Each main-window button is drawn in all four looks where the definition puts it, and
    // the looks differ there.
    void mainButtonsDifferBetweenLooks_data()
    {
        QTest::addColumn<QRect>("rect");
        for (const auto& button : L::kMainButtons)
            QTest::newRow(button.name.data()) << button.rect().intersected(kWindow);
    }
    void mainButtonsDifferBetweenLooks()
    {
        QFETCH(QRect, rect);
        const QStringList looks = {QStringLiteral("home_on.gif"), QStringLiteral("home_hover.gif"),
                                   QStringLiteral("home_click.gif"), QStringLiteral("home_off.gif")};
        QList<QImage> cuts;
        for (const auto& look : looks)
            cuts << loadSkinImage(look).copy(rect);
        for (int i = 0; i < cuts.size(); ++i)
            for (int j = i + 1; j < cuts.size(); ++j)
                QVERIFY2(cuts[i] != cuts[j], qPrintable(looks[i] + QStringLiteral(" and ") + looks[j] +
                                                        QStringLiteral(" look the same there")));
    }

    // The four main pictures differ only inside button rectangles, so a button's picture is
    // never cut across a neighbour's changing look.
    void mainLooksDifferOnlyInsideButtons()
    {
        QRegion buttons;
        for (const auto& button : L::kMainButtons)
            buttons += button.rect();
        const QImage normal = loadSkinImage(QStringLiteral("home_on.gif"));
        for (const char* other : {"home_hover.gif", "home_click.gif", "home_off.gif"}) {
            const QRegion outside = differences(normal, loadSkinImage(QString::fromLatin1(other))).subtracted(buttons);
            QVERIFY2(outside.isEmpty(), qPrintable(QStringLiteral("%1 differs outside the buttons at %2,%3")
                                                       .arg(QLatin1String(other))
                                                       .arg(outside.boundingRect().x())
                                                       .arg(outside.boundingRect().y())));
        }
    }

    // A panel's ticked picture differs from its plain one exactly at its controls: inside
    // their rectangles only, and at every one of them.
    void panelPicturesDifferAtTheirControls_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QList<QRect>>("controls");
        QList<QRect> categories, schedule, settings;
        for (const auto& c : L::kCategories)
            categories << c.box.rect();
        schedule << L::kAutoscanEnable.rect() << L::kStartEvery.rect() << L::kStartAfterEvery.rect();
        for (const auto& c : L::kCalendar)
            schedule << c.box.rect();
        for (const auto& s : L::kSettings)
            settings << s.box.rect();
        const QList<QRect> ignored = {L::kIgnoredSelectAll.rect(), L::kIgnoredDelete.rect()};
        QTest::newRow("categories") << "home_unchk.gif" << "home_chk.gif" << categories;
        QTest::newRow("schedule") << "Autoscan_unchk.gif" << "Autoscan_chk.gif" << schedule;
        QTest::newRow("schedule off") << "Autoscan_disabled.gif" << "Autoscan_disabled_chked.gif" << schedule;
        QTest::newRow("ignored") << "IGNORRED-ERRORS_unchk.gif" << "IGNORRED-ERRORS_chk.gif" << ignored;
        QTest::newRow("settings") << "ADVANCED-SETTINGS_unchk.gif" << "ADVANCED-SETTINGS_chk.gif" << settings;
        QTest::newRow("about") << "ABOUT_unchk.gif" << "ABOUT_chk.gif" << QList<QRect>{L::kAboutExit.rect()};
        QTest::newRow("scan complete") << "scan_complete-normal.gif" << "scan_complete-roll_over.gif"
                                       << QList<QRect>{L::kFixError.rect(), L::kCancel.rect()};
        QTest::newRow("fix complete") << "fix_complete-normal.gif" << "fix_complete-pressed.gif"
                                      << QList<QRect>{L::kOk.rect()};
    }
    void panelPicturesDifferAtTheirControls()
    {
        QFETCH(QString, plain);
        QFETCH(QString, ticked);
        QFETCH(QList<QRect>, controls);
        const QImage a = loadSkinImage(plain), b = loadSkinImage(ticked);
        QCOMPARE(a.size(), b.size());
        const QRegion changed = differences(a, b);
        QRegion allowed;
        for (const QRect& r : controls) {
            allowed += r;
            QVERIFY2(changed.intersects(r), qPrintable(QStringLiteral("nothing changes at %1,%2 %3×%4")
                                                           .arg(r.x())
                                                           .arg(r.y())
                                                           .arg(r.width())
                                                           .arg(r.height())));
        }
        const QRegion stray = changed.subtracted(allowed);
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("pictures differ outside the controls at %1,%2")
                                                 .arg(stray.boundingRect().x())
                                                 .arg(stray.boundingRect().y())));
    }

    void gifRoundTripsAnImageExactly_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::newRow("one colour") << sampleImage(1, 1, {qRgb(12, 34, 56)});
        QTest::newRow("odd size, five colours")
            << sampleImage(7, 5, {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(1, 2, 3), qRgb(0xf2, 0xa3, 0x3a)});
        QList<QRgb> many;
        for (int i = 0; i < 256; ++i)
            many << qRgb(i, 255 - i, (i * 37) & 0xff);
        QTest::newRow("exactly 256 colours") << sampleImage(64, 16, many);
    }
    void gifRoundTripsAnImageExactly()
    {
        QFETCH(QImage, image);
        QByteArray gif;
        QString error;
        QVERIFY2(art::encodeGif(image, gif, error), qPrintable(error));
        QCOMPARE(gif.left(6), QByteArray("GIF89a"));
        const QImage back = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(back.size(), image.size());
        QCOMPARE(back, image);
    }

    // More than 256 colours: the palette is cut down, yet large flat areas keep their colour
    // exactly and no pixel strays far.
    void gifKeepsFlatAreasExactWhenItMustReduceColours()
    {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(qRgb(0x22, 0x30, 0x48));
        for (int y = 50; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                image.setPixel(x, y, qRgb(x, (x * 3 + y) & 0xff, y * 2));
        QVERIFY(art::choosePalette(std::span<const QImage>(&image, 1)).size() <= 256);
        QByteArray gif;
        QString error;
        QVERIFY2(art::encodeGif(image, gif, error), qPrintable(error));
        const QImage back = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(back.copy(0, 0, 200, 50), image.copy(0, 0, 200, 50));
        QSet<QRgb> colours;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x) {
                colours.insert(back.pixel(x, y));
                const QRgb a = image.pixel(x, y), b = back.pixel(x, y);
                const int far = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                          std::abs(qBlue(a) - qBlue(b))});
                if (far > 48)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is off by %3").arg(x).arg(y).arg(far)));
            }
        QVERIFY(colours.size() <= 256);
    }

    void gifRefusesWhatItCannotWrite_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("paletteSize");
        const QImage small = sampleImage(2, 2, {qRgb(1, 1, 1)});
        QTest::newRow("no image") << QImage() << 2;
        QTest::newRow("empty palette") << small << 0;
        QTest::newRow("257 colours") << small << 257;
    }
    void gifRefusesWhatItCannotWrite()
    {
        QFETCH(QImage, image);
        QFETCH(int, paletteSize);
        std::vector<QRgb> palette;
        for (int i = 0; i < paletteSize; ++i)
            palette.push_back(qRgb(i & 0xff, i >> 8, 0));
        QByteArray gif = "untouched";
        QString error;
        QVERIFY(!art::encodeGif(image, palette, gif, error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(gif, QByteArray("untouched"));
    }

    // The full skin repaints only what it changes: every other picture is the shipped one,
    // byte for byte, and both carry the same animation.
    void fullSkinSharesTheShippedPicturesItDoesNotChange()
    {
        const QSet<QString> changed{QStringLiteral("home_unchk.gif"), QStringLiteral("home_chk.gif"),
                                    QStringLiteral("Autoscan_unchk.gif"), QStringLiteral("Autoscan_chk.gif"),
                                    QStringLiteral("Autoscan_disabled.gif"), QStringLiteral("Autoscan_disabled_chked.gif"),
                                    QStringLiteral("ADVANCED-SETTINGS_unchk.gif"), QStringLiteral("ADVANCED-SETTINGS_chk.gif"),
                                    QStringLiteral("SubMainNormal.gif"), QStringLiteral("SubMainChecked.gif")};
        const QStringList shipped = QDir(QStringLiteral(BRINDLE_SKIN_DIR)).entryList({"*.gif", "*.bmp"}, QDir::Files);
        QCOMPARE(QDir(QStringLiteral(BRINDLE_FULL_SKIN_DIR)).entryList({"*.gif", "*.bmp"}, QDir::Files), shipped);
        QVERIFY(shipped.contains(QStringLiteral("animation.gif")));
        for (const QString& name : shipped) {
            const QByteArray a = readFile(skinPath(name)), b = readFile(fullSkinPath(name));
            QVERIFY2(!a.isEmpty(), qPrintable(name));
            QVERIFY2((a == b) != changed.contains(name), qPrintable(name));
            QCOMPARE(QImage(fullSkinPath(name)).size(), QImage(skinPath(name)).size() == L::kErrorScanScreen
                                                              ? L::full::kErrorScanScreen
                                                              : QImage(skinPath(name)).size());
        }
    }

    // The full definition puts its controls where the art draws them.
    void fullSkinDefinitionMatchesItsArt()
    {
        const brindle::skin::CSkinIni ini(std::filesystem::path(BRINDLE_FULL_SKIN_DIR) / "Skin.ini");
        auto rectOf = [&](const std::string& section, std::string_view name) {
            if (section.ends_with("_BUTTONINFO")) {
                for (const auto& entry : brindle::skin::ReadButtonSection(ini, section))
                    if (entry.line.name == name)
                        return QRect(entry.line.rect.left, entry.line.rect.top, entry.line.rect.width(),
                                     entry.line.rect.height());
                return QRect();
            }
            for (const auto& entry : brindle::skin::ReadTextSection(ini, section, brindle::skin::ItalicRule::OnWhenTrue))
                if (entry.line.name == name)
                    return QRect(entry.line.rect.left, entry.line.rect.top, entry.line.rect.width(), entry.line.rect.height());
            return QRect();
        };
        namespace F = L::full;
        std::vector<std::pair<std::string, L::Box>> boxes{
            {"SUBMAIN_MAIN_BUTTONINFO", F::kPanelScan},
            {"SUBMAIN_ADVANCED_BUTTONINFO", F::kRestore},
            {"SUBMAIN_ADVANCED_BUTTONINFO", F::kRunUpdate},
            {"SUBMAIN_SCHEDULE_EDITBOXINFO", F::kScanPeriod},
            {"SCREENERRORSCAN_TEXTINFO", F::kErrorScanCurrentItem},
        };
        for (const char* panel : {"SUBMAIN_SCHEDULE_BUTTONINFO", "SUBMAIN_SCHEDULE_DISABLED_BUTTONINFO"}) {
            for (const L::Box& box : {F::kAutoscanEnable, F::kStartEvery, F::kStartAfterEvery, F::kAddSchedule,
                                      F::kDeleteSchedule, F::kCalendar[0].box, F::kCalendar[1].box, F::kCalendar[2].box})
                boxes.emplace_back(panel, box);
        }
        for (const auto& [section, box] : boxes)
            QVERIFY2(rectOf(section, box.name) == box.rect(), (section + " " + std::string(box.name)).c_str());
        const auto list = brindle::skin::ReadListSection(ini, "SUBMAIN_SCHEDULE_LISTINFO");
        QVERIFY(list.has_value());
        QCOMPARE(QRect(list->rect.left, list->rect.top, list->rect.width(), list->rect.height()), F::kScheduleList.rect());
        QCOMPARE(list->columns.size(), std::size(F::kScheduleColumns));
        const auto screens = brindle::skin::ReadScreenImageSection(ini, "SCREENERRORSCANINFO");
        QCOMPARE(screens.size(), std::size_t{1});
        QCOMPARE(QSize(screens[0].line.rect.width(), screens[0].line.rect.height()), F::kErrorScanScreen);
    }

    void animatedGifRoundTripsEveryFrameAndLoops()
    {
        const QList<QRgb> colours{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0xf2, 0xa3, 0x3a)};
        std::vector<QImage> frames;
        for (int i = 0; i < 5; ++i) {
            QImage frame = sampleImage(9, 4, colours);
            frame.setPixel(i, 1, qRgb(255, 0, 0));
            frames.push_back(frame);
        }
        QByteArray gif;
        QString error;
        QVERIFY2(art::encodeAnimatedGif(frames, art::choosePalette(frames), 7, gif, error), qPrintable(error));
        QCOMPARE(gif.left(6), QByteArray("GIF89a"));
        QBuffer buffer(&gif);
        QImageReader reader(&buffer, "gif");
        QCOMPARE(reader.imageCount(), 5);
        QCOMPARE(reader.loopCount(), -1);
        for (const QImage& frame : frames) {
            QCOMPARE(reader.read().convertToFormat(QImage::Format_RGB32), frame);
            QCOMPARE(reader.nextImageDelay(), 70);
        }
    }

    void animatedGifRefusesWhatItCannotWrite()
    {
        const QImage a = sampleImage(4, 4, {qRgb(1, 1, 1)}), b = sampleImage(4, 5, {qRgb(1, 1, 1)});
        const std::vector<QRgb> palette{qRgb(1, 1, 1)};
        struct Case {
            const char* what;
            std::vector<QImage> frames;
            std::vector<QRgb> palette;
            int delay;
        };
        const Case cases[] = {
            {"no frames", {}, palette, 5},
            {"frames of two sizes", {a, b}, palette, 5},
            {"a null frame", {a, QImage()}, palette, 5},
            {"negative delay", {a}, palette, -1},
            {"no palette", {a}, {}, 5},
        };
        for (const Case& c : cases) {
            QByteArray gif = "untouched";
            QString error;
            QVERIFY2(!art::encodeAnimatedGif(c.frames, c.palette, c.delay, gif, error), c.what);
            QVERIFY2(!error.isEmpty(), c.what);
            QCOMPARE(gif, QByteArray("untouched"));
        }
    }

    void bmpRoundTripsWithPaddedRows()
    {
        // Width 3: 9 bytes of pixels, padded to 12 per row.
        const QImage image = sampleImage(3, 2, {qRgb(1, 2, 3), qRgb(250, 128, 7), qRgb(0, 0, 0), qRgb(255, 255, 255)});
        const QByteArray bmp = art::encodeBmp24(image);
        QCOMPARE(bmp.size(), 54 + 12 * 2);
        // Bottom-up: the file's first row is the picture's last, in B, G, R order.
        const QRgb firstStored = image.pixel(0, 1);
        QCOMPARE(uchar(bmp[54]), uchar(qBlue(firstStored)));
        QCOMPARE(uchar(bmp[55]), uchar(qGreen(firstStored)));
        QCOMPARE(uchar(bmp[56]), uchar(qRed(firstStored)));
        QCOMPARE(QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32), image);
    }
};

QTEST_MAIN(SkinArtTest)
#include "SkinArtTest.moc"
