// Finding a skin picture (a file of the user's skin folder, else built in; or built in
// alone), cutting and drawing pictures.
#include <sys/stat.h>

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <string>

#include "gui/support/SkinTestSupport.h"
#include "skin/BuiltInSkin.h"
#include "skin/SkinImage.h"
#include "support/TemporaryFolder.h"

using namespace brindle::skin;
namespace fs = std::filesystem;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kMagenta = 0xFFFF00FF;

// The built-in TEST_PATTERN picture (data/make-fixtures.py), row by row.
const QRgb kPattern[2][4] = {{kRed, kGreen, kBlue, kWhite}, {kWhite, kBlue, kGreen, kRed}};

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A 3×3 magenta BMP: what stands beside the definition in the tests where the file wins.
void WriteBesideFile(const fs::path& path) {
    QVERIFY(test::SolidImage(3, 3, QColor(kMagenta)).save(QString::fromStdString(path.string()), "BMP"));
}

SkinImage LoadBuiltIn(const char* name) {
    SkinImage image;
    LoadSkinImage(fs::path("/nonexistent-skin-folder") / name, image, nullptr);
    return image;
}

}  // namespace

class SkinImageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_scratch;
    int m_case = 0;
    // A new empty folder for each test case.
    fs::path Folder() {
        const fs::path folder = fs::path(m_scratch.path().toStdString()) / std::to_string(++m_case);
        fs::create_directories(folder);
        return folder;
    }

private slots:
    void initTestCase() { QVERIFY(m_scratch.isValid()); }

    void embeddedName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing space kept out by the cut") << "ADVANCED-SETTINGS_chk.gif " << "ADVANCED-SETTINGS_CHK";
        QTest::newRow("bitmap") << "Mask.bmp" << "MASK";
        QTest::newRow("folder with backslashes") << "C:\\skin\\home_on.gif" << "HOME_ON";
        QTest::newRow("host folder") << "/usr/share/skin/home_on.gif" << "HOME_ON";
        QTest::newRow("mixed, last separator wins") << "a/b\\c.d/e.gif" << "E";
        QTest::newRow("no extension") << "result" << "RESULT";
        QTest::newRow("cut before the last dot only") << "fix.complete.gif" << "FIX.COMPLETE";
        QTest::newRow("dot in the folder, none in the name") << "skin.d/result" << "RESULT";
        QTest::newRow("nothing after the separator") << "skin/" << "";
    }
    void embeddedName() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(EmbeddedImageName(path.toStdString())), expected);
    }

    void filePath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unchanged") << "/s/home_on.gif" << "/s/home_on.gif";
        QTest::newRow("trailing space") << "/s/result.gif " << "/s/result.gif";
        QTest::newRow("trailing dots and spaces") << "/s/result.gif. . " << "/s/result.gif";
        QTest::newRow("inner spaces stay") << "/s/a b.gif" << "/s/a b.gif";
        QTest::newRow("only the last component") << "/s. /result.gif" << "/s. /result.gif";
        QTest::newRow("nothing left") << "/s/ . " << "";
    }
    void filePath() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(SkinImageFilePath(path.toStdString()).string()), expected);
    }

    // The name as the definition gives it, the file (if any) beside it, and what loads.
    void load_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("beside");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRgb>("topLeft");
        QTest::addColumn<QString>("warning");
        QTest::newRow("file beside wins") << "test_pattern.gif" << "test_pattern.gif" << QSize(3, 3) << kMagenta << "";
        QTest::newRow("file found despite a trailing space")
            << "test_pattern.gif " << "test_pattern.gif" << QSize(3, 3) << kMagenta << "";
        QTest::newRow("built in") << "test_pattern.gif" << "" << QSize(4, 2) << kRed << "";
        QTest::newRow("built in, trailing space, mixed case") << "Test_Pattern.gif " << "" << QSize(4, 2) << kRed << "";
        QTest::newRow("built in, no extension") << "test_pattern" << "" << QSize(4, 2) << kRed << "";
        QTest::newRow("built in, through a backslash folder") << "art\\test_pattern.gif" << "" << QSize(4, 2) << kRed << "";
        QTest::newRow("built-in BMP") << "Test_Mask.bmp" << "" << QSize(3, 2) << kWhite << "";
        QTest::newRow("nowhere") << "no_such-picture.gif" << "" << QSize(0, 0) << QRgb(0)
                                 << "no_such-picture.gif: no such file and no built-in picture \"NO_SUCH-PICTURE\"";
        QTest::newRow("only the last dot cuts") << "old.test_pattern.gif" << "" << QSize(0, 0) << QRgb(0)
                                                << "no built-in picture \"OLD.TEST_PATTERN\"";
        QTest::newRow("empty name") << "" << "" << QSize(0, 0) << QRgb(0) << "no built-in picture \"\"";
        QTest::newRow("built in, undecodable") << "test_broken.gif" << "" << QSize(0, 0) << QRgb(0)
                                               << BuiltInSkinRoot() + "/TEST_BROKEN: the GIF picture cannot be decoded";
    }
    void load() {
        QFETCH(QString, name);
        QFETCH(QString, beside);
        QFETCH(QSize, size);
        QFETCH(QRgb, topLeft);
        QFETCH(QString, warning);
        const fs::path folder = Folder();
        if (!beside.isEmpty()) WriteBesideFile(folder / beside.toStdString());
        if (!warning.isEmpty()) QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));

        SkinImage image = test::SolidSkinImage(9, 9, Qt::black);  // replaced, whatever happens
        QSize reported(-1, -1);
        LoadSkinImage(folder / name.toStdString(), image, &reported);
        QCOMPARE(image.size(), size);
        QCOMPARE(reported, size);
        QCOMPARE(image.isEmpty(), size.isEmpty());
        if (!image.isEmpty()) QCOMPARE(image.image().pixel(0, 0), topLeft);
    }

    void decodesEveryPixelOfTheBuiltInGif() {
        const SkinImage image = LoadBuiltIn("test_pattern.gif");
        QCOMPARE(image.size(), QSize(4, 2));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) QCOMPARE(image.image().pixel(x, y), kPattern[y][x]);
        }
    }

    void decodesTheBuiltInBmpTopRowFirst() {
        const SkinImage image = LoadBuiltIn("test_mask.bmp");
        QCOMPARE(image.image().pixel(1, 0), kBlack);
        QCOMPARE(image.image().pixel(2, 0), kWhite);
        QCOMPARE(image.image().pixel(0, 1), kBlack);
    }

    void outSizeIsOptional() {
        SkinImage image;
        LoadSkinImage("/nonexistent-skin-folder/test_pattern.gif", image, nullptr);
        QCOMPARE(image.size(), QSize(4, 2));
    }

    // Something that is no readable picture file in the file's place is passed over for
    // the built-in picture, without blocking on it or reading it whole.
    void refusedFileFallsBackToBuiltIn_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        QTest::newRow("folder") << "folder" << "is a folder, not a regular file";
        QTest::newRow("named pipe") << "pipe" << "is a named pipe, not a regular file";
        QTest::newRow("larger than the limit") << "large" << "is larger than 33554432 bytes";
    }
    void refusedFileFallsBackToBuiltIn() {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        const fs::path file = Folder() / "test_pattern.gif";
        if (kind == "folder") {
            fs::create_directory(file);
        } else if (kind == "pipe") {
            QCOMPARE(::mkfifo(file.c_str(), 0600), 0);
        } else {
            WriteAll(file, "");
            fs::resize_file(file, kMaxSkinImageFileBytes + 1);  // sparse: costs no disk
        }
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QRegularExpression::escape(QString::fromStdString(file.string())) +
                                                ".*" + QRegularExpression::escape(warning) + ".*built-in picture"));
        SkinImage image;
        QSize size;
        LoadSkinImage(file, image, &size);
        QCOMPARE(size, QSize(4, 2));
    }

    // A file that is there is the picture, even when it does not decode: the built-in one
    // of the same name is not used instead.
    void undecodableFileGivesEmptyPicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty") << QByteArray() << "neither a GIF nor a BMP picture";
        QTest::newRow("text") << QByteArray("not a picture") << "neither a GIF nor a BMP picture";
        QTest::newRow("truncated GIF") << QByteArray("GIF89a\x04\x00\x02\x00\x00\x00\x00", 13)
                                       << "the GIF picture cannot be decoded";
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            test::SolidImage(2, 2, Qt::red).save(&buffer, "PNG");
        }
        QTest::newRow("PNG is not a skin format") << png << "neither a GIF nor a BMP picture";
    }
    void undecodableFileGivesEmptyPicture() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, warning);
        const fs::path file = Folder() / "test_pattern.gif";
        WriteAll(file, bytes.toStdString());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        SkinImage image;
        QSize size(-1, -1);
        LoadSkinImage(file, image, &size);
        QVERIFY(image.isEmpty());
        QCOMPARE(size, QSize(0, 0));
    }

    // The built-in skin's pictures are the program's own: a file of the very name in the
    // current folder is not read, and a name the skin lacks finds nothing.
    void builtInLookupReadsNoFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("warning");
        QTest::newRow("built in, a file of that name in the current folder") << "test_pattern.gif" << QSize(4, 2) << "";
        QTest::newRow("built in, mixed case and a folder") << "art\\Test_Pattern.gif " << QSize(4, 2) << "";
        QTest::newRow("only a file of that name") << "beside_only.gif" << QSize(0, 0)
                                                  << "beside_only.gif: no built-in picture \"BESIDE_ONLY\"";
    }
    void builtInLookupReadsNoFile() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(QString, warning);
        const fs::path folder = Folder();
        for (const char* file : {"test_pattern.gif", "beside_only.gif"}) WriteBesideFile(folder / file);
        const brindle::test::CurrentDirectoryScope current(folder);
        if (!warning.isEmpty()) QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        SkinImage image = test::SolidSkinImage(9, 9, Qt::black);  // replaced, whatever happens
        QSize reported(-1, -1);
        LoadBuiltInSkinImage(name.toStdString(), image, &reported);
        QCOMPARE(image.size(), size);
        QCOMPARE(reported, size);
        if (!image.isEmpty()) QCOMPARE(image.image().pixel(0, 0), kRed);
    }

    // Rectangles as (left, top, right, bottom) on the 4×2 pattern; expected pixels by
    // row, 0 standing for transparent.
    void cut_data() {
        QTest::addColumn<QRect>("edges");  // left, top, right, bottom in x, y, width, height
        QTest::addColumn<QList<QRgb>>("pixels");
        QTest::addColumn<QSize>("size");
        QTest::newRow("inside") << QRect(1, 0, 3, 2) << QList<QRgb>{kGreen, kBlue, kBlue, kGreen} << QSize(2, 2);
        QTest::newRow("whole") << QRect(0, 0, 4, 2) << QList<QRgb>{kRed, kGreen, kBlue, kWhite, kWhite, kBlue, kGreen, kRed}
                               << QSize(4, 2);
        QTest::newRow("over the right and bottom edges")
            << QRect(2, 1, 5, 3) << QList<QRgb>{kGreen, kRed, 0, 0, 0, 0} << QSize(3, 2);
        QTest::newRow("over the left edge") << QRect(-1, 0, 1, 1) << QList<QRgb>{0, kRed} << QSize(2, 1);
        QTest::newRow("wholly outside") << QRect(10, 10, 12, 11) << QList<QRgb>{0, 0} << QSize(2, 1);
        QTest::newRow("no width") << QRect(2, 0, 2, 2) << QList<QRgb>{} << QSize(0, 0);
        QTest::newRow("right before left") << QRect(3, 0, 1, 2) << QList<QRgb>{} << QSize(0, 0);
        QTest::newRow("larger than any element") << QRect(0, 0, kMaxCutImageSide + 1, 1) << QList<QRgb>{} << QSize(0, 0);
        QTest::newRow("edges far apart") << QRect(-2147483647, 0, 2147483647, 1) << QList<QRgb>{} << QSize(0, 0);
    }
    void cut() {
        QFETCH(QRect, edges);
        QFETCH(QList<QRgb>, pixels);
        QFETCH(QSize, size);
        const SkinImage source = LoadBuiltIn("test_pattern.gif");
        // QRect's x, y, width, height carry left, top, right, bottom here.
        const SkinImage piece = CutImage(source, edges.x(), edges.y(), edges.width(), edges.height());
        QCOMPARE(piece.size(), size);
        for (int i = 0; i < pixels.size(); ++i) {
            const QColor actual = piece.image().pixelColor(i % size.width(), i / size.width());
            if (pixels[i] == 0) {
                QCOMPARE(actual.alpha(), 0);
            } else {
                QCOMPARE(actual.rgba(), pixels[i]);
            }
        }
    }

    void cutOfAnEmptyPictureIsEmpty() {
        QVERIFY(CutImage(SkinImage(), 0, 0, 5, 5).isEmpty());
        QVERIFY(CutImage(SkinImage(), QRect(0, 0, 5, 5)).isEmpty());
    }

    void drawCopiesAtTheSameScaleWithinTheRectangle() {
        QImage target = test::SolidImage(7, 4, Qt::gray);
        const QRgb grey = target.pixel(0, 0);
        {
            QPainter painter(&target);
            // Narrower than the picture: its left part only; taller: nothing below it.
            DrawSkinImage(painter, LoadBuiltIn("test_pattern.gif"), 1, 1, 4, 4);
            DrawSkinImage(painter, SkinImage(), 0, 0, 7, 4);  // draws nothing
        }
        const QList<QList<QRgb>> expected = {
            {grey, grey, grey, grey, grey, grey, grey},
            {grey, kRed, kGreen, kBlue, grey, grey, grey},
            {grey, kWhite, kBlue, kGreen, grey, grey, grey},
            {grey, grey, grey, grey, grey, grey, grey},
        };
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 7; ++x) QCOMPARE(target.pixel(x, y), expected[y][x]);
        }
    }
};

QTEST_MAIN(SkinImageTest)
#include "SkinImageTest.moc"
