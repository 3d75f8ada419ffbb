// The mask scan: which pixels are transparent, the runs it finds and their batches, and
// the window region made of them.
#include <QTest>

#include <array>
#include <cstdint>
#include <vector>

#include "skin/ImageToRegion.h"
#include "skin/SkinImage.h"

using namespace brindle::skin;

namespace {

// A mask in the memory layout the scan reads: four bytes per pixel (blue, green, red,
// unused), rows padded, top row first.
class Mask {
public:
    Mask(int width, int height) : m_width(width), m_height(height), m_bytes(static_cast<std::size_t>(Row() * height), 0xFF) {}

    void Set(int x, int y, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
        std::uint8_t* pixel = &m_bytes[static_cast<std::size_t>(y * Row() + x * 4)];
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
    }
    void Black(int x, int y) { Set(x, y, 0, 0, 0); }

    MaskPixels Pixels() const { return MaskPixels{m_bytes.data(), m_width, m_height, Row(), 4}; }

private:
    int Row() const { return m_width * 4 + 8; }  // padding the scan must step over
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_bytes;
};

enum class Pattern { AllWhite, AllBlack, Alternating, Checkerboard };

Mask Make(Pattern pattern, int width, int height) {
    Mask mask(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool black = pattern == Pattern::AllBlack || (pattern == Pattern::Alternating && x % 2 == 0) ||
                               (pattern == Pattern::Checkerboard && (x + y) % 2 == 0);
            if (black) mask.Black(x, y);
        }
    }
    return mask;
}

QList<int> BatchSizes(const std::vector<std::vector<RegionRectangle>>& batches) {
    QList<int> sizes;
    for (const auto& batch : batches) sizes << static_cast<int>(batch.size());
    return sizes;
}

bool SameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

}  // namespace

Q_DECLARE_METATYPE(Pattern)

class ImageToRegionTest : public QObject {
    Q_OBJECT

private slots:
    // Bytes in memory order (blue, green, red); the key as a colour value 0x00BBGGRR.
    void transparency_data() {
        QTest::addColumn<uint>("bytes");  // 0x00 b0 b1 b2: byte 0 in bits 16-23
        QTest::addColumn<uint>("key");
        QTest::addColumn<uint>("tolerance");
        QTest::addColumn<bool>("transparent");
        QTest::newRow("pure white, window's key") << 0xFFFFFFu << kMaskKeyColour << kMaskTolerance << true;
        QTest::newRow("white less one in byte 0") << 0xFEFFFFu << kMaskKeyColour << kMaskTolerance << false;
        QTest::newRow("white less one in byte 1") << 0xFFFEFFu << kMaskKeyColour << kMaskTolerance << false;
        QTest::newRow("white less one in byte 2") << 0xFFFFFEu << kMaskKeyColour << kMaskTolerance << false;
        QTest::newRow("black, window's key") << 0x000000u << kMaskKeyColour << kMaskTolerance << false;
        QTest::newRow("range held at 255: lowest") << 0xF0F0F0u << 0xF0F0F0u << 0x202020u << true;
        QTest::newRow("range held at 255: highest") << 0xFFFFFFu << 0xF0F0F0u << 0x202020u << true;
        QTest::newRow("range held at 255: below") << 0xEFF0F0u << 0xF0F0F0u << 0x202020u << false;
        QTest::newRow("key plus tolerance, inside") << 0x101010u << 0x000000u << 0x101010u << true;
        QTest::newRow("key plus tolerance, one past") << 0x101011u << 0x000000u << 0x101010u << false;
        QTest::newRow("tolerance per component") << 0x100000u << 0x000000u << 0x000010u << true;
        QTest::newRow("tolerance per component, other byte") << 0x000010u << 0x000000u << 0x000010u << false;
        // The key's first component (red, its low byte) is matched against byte 0 of the
        // pixel, which is blue in memory: a "red" key takes out the blue pixels.
        QTest::newRow("red key, blue pixel") << 0xFF0000u << 0x0000FFu << 0u << true;
        QTest::newRow("red key, red pixel") << 0x0000FFu << 0x0000FFu << 0u << false;
        QTest::newRow("high byte of the key ignored") << 0x000000u << 0xFF000000u << 0u << true;
    }
    void transparency() {
        QFETCH(uint, bytes);
        QFETCH(uint, key);
        QFETCH(uint, tolerance);
        QFETCH(bool, transparent);
        const std::uint8_t pixel[3] = {static_cast<std::uint8_t>(bytes >> 16), static_cast<std::uint8_t>(bytes >> 8),
                                       static_cast<std::uint8_t>(bytes)};
        QCOMPARE(IsMaskPixelTransparent(pixel, key, tolerance), transparent);
    }

    void batches_data() {
        QTest::addColumn<Pattern>("pattern");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("all white: one empty batch") << Pattern::AllWhite << 5 << 3 << QList<int>{0};
        QTest::newRow("all black: one run per row") << Pattern::AllBlack << 5 << 3 << QList<int>{3};
        QTest::newRow("alternating: one run per black pixel") << Pattern::Alternating << 7 << 1 << QList<int>{4};
        QTest::newRow("1999 runs") << Pattern::Alternating << 3997 << 1 << QList<int>{1999};
        QTest::newRow("exactly 2000 runs: a full batch and an empty one") << Pattern::Alternating << 4000 << 1
                                                                          << QList<int>{2000, 0};
        QTest::newRow("2001 runs") << Pattern::Alternating << 4001 << 1 << QList<int>{2000, 1};
        QTest::newRow("2000 runs over two rows") << Pattern::Alternating << 2000 << 2 << QList<int>{2000, 0};
        QTest::newRow("5000 runs") << Pattern::Checkerboard << 100 << 100 << QList<int>{2000, 2000, 1000};
    }
    void batches() {
        QFETCH(Pattern, pattern);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<int>, sizes);
        const Mask mask = Make(pattern, width, height);
        QCOMPARE(BatchSizes(MaskToRectangleBatches(mask.Pixels(), kMaskKeyColour, kMaskTolerance)), sizes);
    }

    void runsAreFoundRowByRowFromTheTop() {
        Mask mask(6, 3);
        mask.Black(0, 0);  // a run at the start of a row
        mask.Black(1, 0);
        mask.Black(4, 0);  // and one at its end
        mask.Black(5, 0);
        mask.Set(2, 2, 0xFF, 0xFF, 0xFE);  // nearly white is opaque
        const auto batches = MaskToRectangleBatches(mask.Pixels(), kMaskKeyColour, kMaskTolerance);
        const std::vector<RegionRectangle> expected = {{0, 0, 2, 1}, {4, 0, 6, 1}, {2, 2, 3, 3}};
        QCOMPARE(batches.size(), std::size_t{1});
        QVERIFY(batches[0] == expected);
    }

    void nothingToScanGivesOneEmptyBatch() {
        QCOMPARE(BatchSizes(MaskToRectangleBatches(MaskPixels{}, kMaskKeyColour, kMaskTolerance)), QList<int>{0});
    }

    void noImageGivesNoRegion() {
        QVERIFY(!ImageToRegion(QImage()).has_value());
    }

    void whiteMaskGivesAnEmptyRegion() {
        QImage white(8, 4, QImage::Format_RGB32);
        white.fill(Qt::white);
        const std::optional<QRegion> region = ImageToRegion(white);
        QVERIFY(region.has_value());
        QVERIFY(region->isEmpty());
    }

    void regionIsTheOpaquePixels() {
        // An outline: a ring of black around white, with a near-white pixel in the hole.
        QImage mask(12, 9, QImage::Format_RGB32);
        mask.fill(Qt::white);
        QRegion expected;
        for (int y = 1; y < 8; ++y) {
            for (int x = 2; x < 11; ++x) {
                if (y == 1 || y == 7 || x == 2 || x == 10) {
                    mask.setPixel(x, y, qRgb(0, 0, 0));
                    expected += QRect(x, y, 1, 1);
                }
            }
        }
        mask.setPixel(5, 4, qRgb(254, 255, 255));
        expected += QRect(5, 4, 1, 1);
        const std::optional<QRegion> region = ImageToRegion(mask);
        QVERIFY(region.has_value());
        QVERIFY(SameArea(*region, expected));
    }

    void batchesAreUnitedIntoOneRegion() {
        QImage mask(100, 100, QImage::Format_RGB32);
        mask.fill(Qt::white);
        QRegion expected;
        for (int y = 0; y < 100; ++y) {
            for (int x = (y % 2); x < 100; x += 2) {
                mask.setPixel(x, y, qRgb(0, 0, 0));
                expected += QRect(x, y, 1, 1);
            }
        }
        const std::optional<QRegion> region = ImageToRegion(mask);
        QVERIFY(region.has_value());
        QVERIFY(SameArea(*region, expected));
    }

    // The key is read against the picture's colours in the scan's own byte order,
    // whatever format the picture came in.
    void keyIsReadInTheScansByteOrder() {
        QImage mask(2, 1, QImage::Format_ARGB32);
        mask.setPixel(0, 0, qRgb(0, 0, 255));  // blue
        mask.setPixel(1, 0, qRgb(255, 0, 0));  // red
        const std::optional<QRegion> region = ImageToRegion(mask, 0x000000FF, 0);
        QVERIFY(region.has_value());
        QVERIFY(SameArea(*region, QRegion(1, 0, 1, 1)));
    }

    void builtInBmpMaskGivesItsShape() {
        SkinImage mask;
        LoadSkinImage("/nonexistent-skin-folder/Test_Mask.bmp", mask, nullptr);
        const std::optional<QRegion> region = ImageToRegion(mask.image());
        QVERIFY(region.has_value());
        QVERIFY(SameArea(*region, QRegion(1, 0, 1, 1) + QRegion(0, 1, 2, 1)));
    }
};

QTEST_MAIN(ImageToRegionTest)
#include "ImageToRegionTest.moc"
