// Uncompressed 24-bit BMP: the format the window shape is read from.
#pragma once

#include <QByteArray>
#include <QImage>

namespace art {

// BITMAPFILEHEADER + BITMAPINFOHEADER (BI_RGB), rows bottom-up in B, G, R order, each row padded
// to a multiple of four bytes.
QByteArray encodeBmp24(const QImage& image);

} // namespace art
