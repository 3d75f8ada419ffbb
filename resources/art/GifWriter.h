// GIF89a encoding through giflib, with a palette of at most 256 colours chosen by median cut.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QString>

#include <span>
#include <vector>

namespace art {

// An image as palette indexes, row by row.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette;           // at most 256 entries
    std::vector<unsigned char> indexes;  // width * height, row-major
};

// Chooses at most 256 colours for a set of images together (every colour exactly when they have
// no more). Colours that cover many pixels get an entry of their own first, the rest share
// entries chosen by median cut. Pictures that are cut into one another (the looks of one
// screen) share a palette, so a pixel that is the same in both stays the same after encoding.
std::vector<QRgb> choosePalette(std::span<const QImage> images);

// Maps each pixel to the nearest palette colour, without dithering, so flat areas stay flat.
// The palette must hold 1 to 256 colours.
IndexedImage quantize(const QImage& image, const std::vector<QRgb>& palette);

// Encodes the image as a GIF89a file, with its own palette or with the one given. Returns
// false with a message in `error` when the palette or giflib fails; `out` is then unchanged.
bool encodeGif(const QImage& image, QByteArray& out, QString& error);
bool encodeGif(const QImage& image, const std::vector<QRgb>& palette, QByteArray& out, QString& error);

// Encodes the frames, all of one size, as an animated GIF89a that loops for ever (the
// NETSCAPE2.0 extension), each frame shown for `delayCs` hundredths of a second and replacing
// the one before whole. One palette serves every frame (choosePalette over all of them).
// Returns false with a message in `error` when the frames, the palette or giflib fail; `out`
// is then unchanged.
bool encodeAnimatedGif(std::span<const QImage> frames, const std::vector<QRgb>& palette, int delayCs,
                       QByteArray& out, QString& error);

} // namespace art
