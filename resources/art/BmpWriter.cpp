#include "BmpWriter.h"

#include <QtEndian>

namespace art {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr quint32 kBiRgb = 0;
constexpr qint32 kPixelsPerMetre = 2835; // 72 dpi

template <typename T>
void put(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

} // namespace

QByteArray encodeBmp24(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int rowSize = (image.width() * 3 + 3) & ~3;
    const quint32 pixelBytes = static_cast<quint32>(rowSize) * static_cast<quint32>(image.height());
    QByteArray out;
    out.reserve(kFileHeaderSize + kInfoHeaderSize + static_cast<qsizetype>(pixelBytes));
    // BITMAPFILEHEADER
    out.append("BM", 2);
    put<quint32>(out, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    put<quint16>(out, 0);
    put<quint16>(out, 0);
    put<quint32>(out, kFileHeaderSize + kInfoHeaderSize);
    // BITMAPINFOHEADER: positive height means the rows are stored bottom-up.
    put<quint32>(out, kInfoHeaderSize);
    put<qint32>(out, image.width());
    put<qint32>(out, image.height());
    put<quint16>(out, 1);
    put<quint16>(out, 24);
    put<quint32>(out, kBiRgb);
    put<quint32>(out, pixelBytes);
    put<qint32>(out, kPixelsPerMetre);
    put<qint32>(out, kPixelsPerMetre);
    put<quint32>(out, 0);
    put<quint32>(out, 0);
    QByteArray row(rowSize, '\0');
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            row[x * 3] = static_cast<char>(qBlue(line[x]));
            row[x * 3 + 1] = static_cast<char>(qGreen(line[x]));
            row[x * 3 + 2] = static_cast<char>(qRed(line[x]));
        }
        out.append(row);
    }
    return out;
}

} // namespace art
