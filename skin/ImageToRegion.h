// The main window's outline: the mask image turned into the rectangles of its
// non-transparent pixels, one rectangle per run of such pixels in a row.
//
// The scan itself works on plain pixel bytes and knows nothing of Qt, so the exact rule
// (which bytes are compared with which part of the key colour, where the batches of
// rectangles end) is visible and testable on its own; ImageToRegion puts the result into
// a QRegion for the window.
#pragma once

#include <QImage>
#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace brindle::skin {

// The key colour and tolerance the main window's mask is read with: exactly the pure-white
// pixels are transparent.
inline constexpr std::uint32_t kMaskKeyColour = 0xFFFFFFFF;
inline constexpr std::uint32_t kMaskTolerance = 0x101010;
// Rectangles are handed over in batches of this many, so that no single region request
// becomes very large.
inline constexpr std::size_t kRegionBatchRectangles = 2000;

// Pixels as a Windows device-independent bitmap holds them: for each pixel its bytes in
// the order blue, green, red (and one unused byte when bytesPerPixel is 4). Rows are
// given top row first.
struct MaskPixels {
    const std::uint8_t* bits = nullptr;  // the first byte of the top row
    int width = 0;
    int height = 0;
    std::ptrdiff_t bytesPerRow = 0;
    int bytesPerPixel = 4;  // 3 or 4
};

// A rectangle of the region: right and bottom exclusive.
struct RegionRectangle {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const RegionRectangle&, const RegionRectangle&) = default;
};

// Whether a pixel with these three bytes (in memory order) lies inside the key colour's
// ranges: byte i against component i of the key (0x00BBGGRR: red first), from that
// component up to it plus the tolerance's component, held at 255.
bool IsMaskPixelTransparent(const std::uint8_t bytes[3], std::uint32_t key, std::uint32_t tolerance);

// The non-transparent runs of every row, top row first and left to right, in batches of
// kRegionBatchRectangles. Every batch but the last is full; the last holds what is left
// and may be empty (an all-transparent mask gives one empty batch, exactly 2000 runs a
// full batch and an empty one).
std::vector<std::vector<RegionRectangle>> MaskToRectangleBatches(const MaskPixels& pixels, std::uint32_t key,
                                                                 std::uint32_t tolerance);

// The region of the non-transparent pixels of `mask`, the union of the batches above;
// nothing when there is no image. A mask with no opaque pixel gives an empty region.
std::optional<QRegion> ImageToRegion(const QImage& mask, std::uint32_t key = kMaskKeyColour,
                                     std::uint32_t tolerance = kMaskTolerance);

}  // namespace brindle::skin
