// GIF89a encoding through giflib, with a palette of at most 256 colours chosen by median cut.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QString>

#include <vector>

namespace art {

// An image as palette indexes, row by row.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette;           // at most 256 entries
    std::vector<unsigned char> indexes;  // width * height, row-major
};

// Chooses at most 256 colours for the image (every colour exactly when it has no more) and maps
// each pixel to the nearest of them, without dithering, so flat areas stay flat. Colours that
// cover many pixels get an entry of their own first.
IndexedImage quantize(const QImage& image);

// Encodes the image as a GIF89a file. Returns false with a message in `error` when giflib fails.
bool encodeGif(const QImage& image, QByteArray& out, QString& error);

} // namespace art
