#include "skin/ImageToRegion.h"

#include <QRect>

#include <algorithm>

namespace brindle::skin {

namespace {

std::uint8_t Component(std::uint32_t colour, int index) {
    return static_cast<std::uint8_t>((colour >> (8 * index)) & 0xFF);
}

}  // namespace

// The key is a colour value 0x00BBGGRR, so its component 0 is red, while byte 0 of a
// pixel in a bitmap's memory is blue. The comparison pairs them as they stand, byte i with
// component i: a red key therefore makes the pure-blue pixels transparent, and only keys
// whose red and blue are equal behave as their colour says. The window's key is white,
// where the pairing makes no difference; it is kept as it stands so that a mask keyed on
// any other colour keeps the outline it has always had.
bool IsMaskPixelTransparent(const std::uint8_t bytes[3], std::uint32_t key, std::uint32_t tolerance) {
    for (int i = 0; i < 3; ++i) {
        const int low = Component(key, i);
        const int high = std::min(255, low + Component(tolerance, i));
        if (bytes[i] < low || bytes[i] > high) return false;
    }
    return true;
}

std::vector<std::vector<RegionRectangle>> MaskToRectangleBatches(const MaskPixels& pixels, std::uint32_t key,
                                                                 std::uint32_t tolerance) {
    // A batch is what one region request receives. The growth of the rectangle buffer in
    // steps of 100 is a memory detail of a fixed-size buffer API; a vector grows by itself.
    std::vector<std::vector<RegionRectangle>> batches(1);
    batches.back().reserve(kRegionBatchRectangles);
    if (pixels.bits == nullptr || pixels.width <= 0 || pixels.height <= 0) return batches;

    for (int y = 0; y < pixels.height; ++y) {
        const std::uint8_t* row = pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.bytesPerRow;
        auto transparent = [&](int x) {
            return IsMaskPixelTransparent(row + static_cast<std::ptrdiff_t>(x) * pixels.bytesPerPixel, key, tolerance);
        };
        for (int x = 0; x < pixels.width; ++x) {
            const int start = x;
            while (x < pixels.width && !transparent(x)) ++x;
            if (x > start) {
                batches.back().push_back({start, y, x, y + 1});
                if (batches.back().size() == kRegionBatchRectangles) {
                    batches.emplace_back();
                    batches.back().reserve(kRegionBatchRectangles);
                }
            }
            // x is now on a transparent pixel (or past the row), which the loop steps over.
        }
    }
    return batches;
}

std::optional<QRegion> ImageToRegion(const QImage& mask, std::uint32_t key, std::uint32_t tolerance) {
    if (mask.isNull()) return std::nullopt;
    // Three bytes per pixel in the memory order blue, green, red whatever the machine's
    // byte order, which is the order the scan compares.
    const QImage bgr = mask.convertToFormat(QImage::Format_BGR888);
    if (bgr.isNull()) return std::nullopt;  // the conversion could not allocate
    const MaskPixels pixels{bgr.constBits(), bgr.width(), bgr.height(), bgr.bytesPerLine(), 3};

    QRegion region;
    std::vector<QRect> rects;
    for (const std::vector<RegionRectangle>& batch : MaskToRectangleBatches(pixels, key, tolerance)) {
        rects.clear();
        for (const RegionRectangle& r : batch) rects.emplace_back(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        // The runs come sorted by row, then by column, and never touch within a row: the
        // form setRects expects.
        QRegion piece;
        piece.setRects(rects.data(), static_cast<int>(rects.size()));
        region = region.united(piece);
    }
    return region;
}

}  // namespace brindle::skin
