#include "GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace art {

namespace {

constexpr int kMaxColours = 256;
// A colour covering at least this many pixels is taken into the palette as it is.
constexpr quint32 kFlatColourPixels = 48;
constexpr int kMaxFlatColours = 112;

struct ColourCount {
    QRgb rgb;
    quint32 count;
};

int channel(QRgb c, int which)
{
    return which == 0 ? qRed(c) : which == 1 ? qGreen(c) : qBlue(c);
}

// One median-cut box: a range of the colour list.
struct CutBox {
    std::size_t begin, end;
    double error;   // weighted squared distance to the box's mean
    int axis;       // channel with the largest weighted spread
};

CutBox measure(const std::vector<ColourCount>& colours, std::size_t begin, std::size_t end)
{
    double sum[3] = {}, sumSq[3] = {}, total = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const double n = colours[i].count;
        total += n;
        for (int c = 0; c < 3; ++c) {
            const double v = channel(colours[i].rgb, c);
            sum[c] += n * v;
            sumSq[c] += n * v * v;
        }
    }
    CutBox box{begin, end, 0, 0};
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double spread = sumSq[c] - sum[c] * sum[c] / total;
        box.error += spread;
        if (spread > widest) {
            widest = spread;
            box.axis = c;
        }
    }
    return box;
}

QRgb mean(const std::vector<ColourCount>& colours, const CutBox& box)
{
    double sum[3] = {}, total = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        total += colours[i].count;
        for (int c = 0; c < 3; ++c)
            sum[c] += double(colours[i].count) * channel(colours[i].rgb, c);
    }
    return qRgb(qRound(sum[0] / total), qRound(sum[1] / total), qRound(sum[2] / total));
}

std::vector<QRgb> medianCut(std::vector<ColourCount> colours, int entryCount)
{
    std::vector<QRgb> palette;
    if (colours.empty() || entryCount <= 0)
        return palette;
    std::vector<CutBox> boxes{measure(colours, 0, colours.size())};
    while (static_cast<int>(boxes.size()) < entryCount) {
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const CutBox& a, const CutBox& b) {
            const bool aSplittable = a.end - a.begin > 1, bSplittable = b.end - b.begin > 1;
            if (aSplittable != bSplittable)
                return !aSplittable;
            return a.error < b.error;
        });
        if (worst->end - worst->begin < 2)
            break;
        const CutBox box = *worst;
        const int axis = box.axis;
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [axis](const ColourCount& a, const ColourCount& b) {
                      return channel(a.rgb, axis) != channel(b.rgb, axis) ? channel(a.rgb, axis) < channel(b.rgb, axis)
                                                                          : a.rgb < b.rgb;
                  });
        double total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i)
            total += colours[i].count;
        double running = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            running += colours[i].count;
            split = i + 1;
            if (running >= total / 2)
                break;
        }
        *worst = measure(colours, box.begin, split);
        boxes.push_back(measure(colours, split, box.end));
    }
    for (const auto& box : boxes)
        palette.push_back(mean(colours, box));
    return palette;
}

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    // Green weighs most for the eye, blue least.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

} // namespace

std::vector<QRgb> choosePalette(std::span<const QImage> images)
{
    std::unordered_map<QRgb, quint32> histogram;
    for (const QImage& source : images) {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                ++histogram[line[x] | 0xff000000u];
        }
    }
    std::vector<ColourCount> colours;
    colours.reserve(histogram.size());
    for (const auto& [rgb, count] : histogram)
        colours.push_back({rgb, count});
    // Most-used colours first, ties by value, so the result does not depend on hashing order.
    std::sort(colours.begin(), colours.end(), [](const ColourCount& a, const ColourCount& b) {
        return a.count != b.count ? a.count > b.count : a.rgb < b.rgb;
    });

    std::vector<QRgb> palette;
    if (static_cast<int>(colours.size()) <= kMaxColours) {
        for (const auto& c : colours)
            palette.push_back(c.rgb);
        return palette;
    }
    std::size_t flat = 0;
    while (flat < colours.size() && static_cast<int>(flat) < kMaxFlatColours && colours[flat].count >= kFlatColourPixels)
        palette.push_back(colours[flat++].rgb);
    std::vector<ColourCount> rest(colours.begin() + static_cast<std::ptrdiff_t>(flat), colours.end());
    const auto cut = medianCut(std::move(rest), kMaxColours - static_cast<int>(palette.size()));
    palette.insert(palette.end(), cut.begin(), cut.end());
    return palette;
}

IndexedImage quantize(const QImage& source, const std::vector<QRgb>& palette)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    IndexedImage out;
    out.width = image.width();
    out.height = image.height();
    out.palette = palette;
    if (palette.empty())
        return out;
    std::unordered_map<QRgb, unsigned char> nearest;
    auto lookup = [&](QRgb rgb) {
        const auto known = nearest.find(rgb);
        if (known != nearest.end())
            return known->second;
        int best = 0, bestDistance = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < palette.size() && bestDistance > 0; ++i) {
            const int d = distance(rgb, palette[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        return nearest.emplace(rgb, static_cast<unsigned char>(best)).first->second;
    };
    out.indexes.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    auto index = out.indexes.begin();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            *index++ = lookup(line[x] | 0xff000000u);
    }
    return out;
}

namespace {

int appendToByteArray(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

QString gifError(const char* step, int code)
{
    const char* reason = GifErrorString(code);
    return QStringLiteral("GIF encoder failed at %1: %2 (giflib error %3)")
        .arg(QLatin1String(step), QLatin1String(reason ? reason : "unknown"))
        .arg(code);
}

QString paletteError(const std::vector<QRgb>& palette)
{
    if (!palette.empty() && palette.size() <= std::size_t{kMaxColours})
        return {};
    return QStringLiteral("GIF encoder: a palette of %1 colours cannot be written (1 to %2)")
        .arg(palette.size())
        .arg(kMaxColours);
}

// One GIF being written into memory: the screen with its colour table, then extensions
// and frames, then the close. The first step that fails is remembered; the later ones do
// nothing, and finish() reports it.
class GifStream {
public:
    GifStream(QSize size, const std::vector<QRgb>& palette)
    {
        m_gif = EGifOpen(&m_bytes, appendToByteArray, &m_code);
        if (!m_gif) {
            m_step = "open";
            return;
        }
        EGifSetGifVersion(m_gif, true);
        // A GIF colour table holds a power of two entries, at least two.
        int bits = 1;
        while ((1 << bits) < static_cast<int>(palette.size()))
            ++bits;
        std::array<GifColorType, kMaxColours> entries{};
        for (std::size_t i = 0; i < palette.size(); ++i)
            entries[i] = {static_cast<GifByteType>(qRed(palette[i])), static_cast<GifByteType>(qGreen(palette[i])),
                          static_cast<GifByteType>(qBlue(palette[i]))};
        m_map = GifMakeMapObject(1 << bits, entries.data());
        m_ok = m_map != nullptr;
        m_step = "colour table";
        step("screen descriptor",
             [&] { return EGifPutScreenDesc(m_gif, size.width(), size.height(), bits, 0, m_map) == GIF_OK; });
    }
    ~GifStream()
    {
        if (m_map)
            GifFreeMapObject(m_map);
        if (m_gif) {
            int ignored = 0;
            EGifCloseFile(m_gif, &ignored);
        }
    }
    GifStream(const GifStream&) = delete;
    GifStream& operator=(const GifStream&) = delete;

    void putLoopForever()
    {
        static const GifByteType kApplication[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        static const GifByteType kLoop[] = {1, 0, 0}; // loop count 0: for ever
        step("loop extension", [&] {
            return EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
                   EGifPutExtensionBlock(m_gif, sizeof kApplication, kApplication) == GIF_OK &&
                   EGifPutExtensionBlock(m_gif, sizeof kLoop, kLoop) == GIF_OK &&
                   EGifPutExtensionTrailer(m_gif) == GIF_OK;
        });
    }

    void putDelay(int delayCs)
    {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = delayCs;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType block[4];
        const std::size_t length = EGifGCBToExtension(&control, block);
        step("graphics control block", [&] {
            return EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) == GIF_OK;
        });
    }

    void putFrame(const IndexedImage& indexed)
    {
        step("image descriptor",
             [&] { return EGifPutImageDesc(m_gif, 0, 0, indexed.width, indexed.height, false, nullptr) == GIF_OK; });
        std::vector<GifPixelType> row(static_cast<std::size_t>(indexed.width));
        for (int y = 0; m_ok && y < indexed.height; ++y) {
            std::memcpy(row.data(), indexed.indexes.data() + static_cast<std::size_t>(y) * row.size(), row.size());
            step("pixel row", [&] { return EGifPutLine(m_gif, row.data(), indexed.width) == GIF_OK; });
        }
    }

    // Closes the file; the bytes when every step worked, else the first failure.
    bool finish(QByteArray& out, QString& error)
    {
        if (m_gif) {
            if (!m_ok)
                m_code = m_gif->Error;
            int closeCode = 0;
            const bool closed = EGifCloseFile(m_gif, &closeCode) == GIF_OK;
            m_gif = nullptr;
            if (!closed && m_ok) {
                m_ok = false;
                m_step = "close";
                m_code = closeCode;
            }
        } else {
            m_ok = false;
        }
        if (!m_ok) {
            error = gifError(m_step, m_code);
            return false;
        }
        out = m_bytes;
        return true;
    }

private:
    template <class Write>
    void step(const char* name, Write write)
    {
        if (!m_ok)
            return;
        m_step = name;
        m_ok = write();
    }

    QByteArray m_bytes;
    GifFileType* m_gif = nullptr;
    ColorMapObject* m_map = nullptr;
    bool m_ok = false;
    const char* m_step = "open";
    int m_code = 0;
};

} // namespace

bool encodeGif(const QImage& image, QByteArray& out, QString& error)
{
    return encodeGif(image, choosePalette(std::span<const QImage>(&image, 1)), out, error);
}

bool encodeGif(const QImage& image, const std::vector<QRgb>& palette, QByteArray& out, QString& error)
{
    if (image.isNull() || image.width() > 0xffff || image.height() > 0xffff) {
        error = QStringLiteral("GIF encoder: image size %1×%2 cannot be written").arg(image.width()).arg(image.height());
        return false;
    }
    if (error = paletteError(palette); !error.isEmpty())
        return false;
    const IndexedImage indexed = quantize(image, palette);
    GifStream gif(image.size(), indexed.palette);
    gif.putFrame(indexed);
    return gif.finish(out, error);
}

bool encodeAnimatedGif(std::span<const QImage> frames, const std::vector<QRgb>& palette, int delayCs,
                       QByteArray& out, QString& error)
{
    if (frames.empty()) {
        error = QStringLiteral("GIF encoder: an animation needs at least one frame");
        return false;
    }
    const QSize size = frames.front().size();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].isNull() || frames[i].size() != size || size.width() > 0xffff || size.height() > 0xffff) {
            error = QStringLiteral("GIF encoder: frame %1 is %2×%3, the animation %4×%5")
                        .arg(i)
                        .arg(frames[i].width())
                        .arg(frames[i].height())
                        .arg(size.width())
                        .arg(size.height());
            return false;
        }
    }
    if (delayCs < 0 || delayCs > 0xffff) {
        error = QStringLiteral("GIF encoder: a frame delay of %1 hundredths cannot be written").arg(delayCs);
        return false;
    }
    if (error = paletteError(palette); !error.isEmpty())
        return false;
    GifStream gif(size, palette);
    gif.putLoopForever();
    for (const QImage& frame : frames) {
        gif.putDelay(delayCs);
        gif.putFrame(quantize(frame, palette));
    }
    return gif.finish(out, error);
}

} // namespace art
