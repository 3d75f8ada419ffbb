#include "Art.h"

#include "Layout.h"
#include "Style.h"

#include <QFontMetrics>
#include <QLinearGradient>

namespace art {

using namespace art::style;
namespace L = art::layout;

namespace {

constexpr int kBandHeight = 26;

// A summary screen: a dark title band over a light ground for the program's black texts.
void screenGround(QPainter& p, QImage& image, QSize size, const QString& title, Icon icon)
{
    image = blankImage(size, kCard);
    beginPainter(p, image);
    QLinearGradient band(0, 0, 0, kBandHeight);
    band.setColorAt(0, kHeaderTop);
    band.setColorAt(1, kHeaderBottom);
    p.fillRect(QRect(0, 0, size.width(), kBandHeight), band);
    p.fillRect(QRect(0, kBandHeight, size.width(), 1), kAccent);
    drawLogo(p, QRectF(8, 4, 16, 18));
    drawIcon(p, icon, QRectF(size.width() - 22, 6, 14, 14), kAccentLight, 1.5);
    drawText(p, QRectF(31, 0, size.width() - 60, kBandHeight), title, kLabelPx + 2, true, kOnFrame);
    // A hairline border so the borderless window has an edge on a light desktop.
    p.setPen(QPen(kFrameBottom, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
}

// Captions ending just before the counts the program writes, on the same text line.
void drawFigureCaptions(QPainter& p, std::span<const L::Figure> figures)
{
    for (const auto& [box, caption] : figures)
        drawText(p, QRectF(4, box.y, box.x - 8, 15), text(caption), kSummaryLabelPx, false, kInkMuted,
                 Qt::AlignRight | Qt::AlignTop);
}

QImage errorScanScreen(Look look, Variant variant)
{
    const bool full = variant == Variant::Full;
    QImage image;
    QPainter p;
    screenGround(p, image, full ? L::full::kErrorScanScreen : L::kErrorScanScreen, QStringLiteral("Scanning the registry"), Icon::Magnifier);
    drawText(p, QRectF(14, 34, 320, 16), QStringLiteral("Brindle is checking every entry."), kSummaryLabelPx + 0.5,
             true, kInk);
    drawText(p, QRectF(14, 52, 320, 15), QStringLiteral("This takes a minute or two."), kSmallPx + 0.5, false,
             kInkMuted);
    // The animation plays in its rectangle; a soft well gives it a place to sit.
    const QRect animation = L::kScanAnimation.rect().intersected(QRect(QPoint(0, 0), image.size()));
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(kCardAlt);
    p.drawRoundedRect(QRectF(animation).adjusted(-4.5, -4.5, 4.5, full ? 3.5 : 8), 8, 8);
    if (full) {
        // Where the program writes the item being checked.
        drawText(p, QRectF(14, 240, 84, 15), QStringLiteral("Checking:"), kSmallPx + 0.5, true, kInkMuted);
        const QRect item = L::full::kErrorScanCurrentItem.rect();
        p.setPen(QPen(kCardBorder, 1));
        p.setBrush(kField);
        p.drawRoundedRect(QRectF(item).adjusted(-2.5, -1.5, 2.5, 1.5), 5, 5);
    }
    // The shipped definition puts the stop button below that screen's 136 pixels, so there it
    // is clipped away; the full skin's taller screen shows it.
    drawCardButton(p, L::kStopScan.rect(), QStringLiteral("Stop"), look, Emphasis::Secondary);
    p.end();
    return image;
}

void drawTitleArea(QPainter& p, const L::Box& box)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(kCard);
    p.drawRect(box.rect());
    p.restore();
}

QImage scanCompleteScreen(Look look)
{
    QImage image;
    QPainter p;
    screenGround(p, image, L::kSummaryScreen, QStringLiteral("Scan complete"), Icon::Shield);
    drawTitleArea(p, L::kScanCompleteTitle);
    drawListGround(p, L::kScanCompleteList.rect(), L::kScanCompleteColumns);
    drawFigureCaptions(p, L::kScanCompleteFigures);
    drawCardButton(p, L::kFixError.rect(), QStringLiteral("Fix errors"), look, Emphasis::Primary);
    drawCardButton(p, L::kCancel.rect(), QStringLiteral("Cancel"), look, Emphasis::Secondary);
    p.end();
    return image;
}

QImage errorFixingScreen()
{
    QImage image;
    QPainter p;
    screenGround(p, image, L::kSummaryScreen, QStringLiteral("Repairing the registry"), Icon::Wrench);
    drawText(p, QRectF(14, 33, 320, 16), QStringLiteral("Working on:"), kSummaryLabelPx, true, kInkMuted);
    const QRect item = L::kFixingCurrentItem.rect();
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(kField);
    p.drawRoundedRect(QRectF(item).adjusted(-4.5, -3.5, 4.5, 3.5), 6, 6);
    drawFigureCaptions(p, L::kFixingFigures);
    p.end();
    return image;
}

QImage fixCompleteScreen(Look look)
{
    QImage image;
    QPainter p;
    screenGround(p, image, L::kSummaryScreen, QStringLiteral("Repair complete"), Icon::Shield);
    drawListGround(p, L::kFixCompleteList.rect(), L::kFixCompleteColumns);
    drawFigureCaptions(p, L::kFixCompleteFigures);
    drawCardButton(p, L::kOk.rect(), QStringLiteral("OK"), look, Emphasis::Primary);
    p.end();
    return image;
}

} // namespace

std::vector<NamedImage> summaryArt(Variant variant)
{
    const auto gif = FileKind::Gif;
    std::vector<NamedImage> images;
    // The scan screen's pictures differ only in its stop button (normal and pressed).
    images.push_back({QStringLiteral("SubMainNormal.gif"), errorScanScreen(Look::Normal, variant), gif, QStringLiteral("error scan")});
    images.push_back({QStringLiteral("SubMainChecked.gif"), errorScanScreen(Look::Down, variant), gif, QStringLiteral("error scan")});
    const std::pair<Look, const char*> suffixes[] = {
        {Look::Normal, "normal"}, {Look::Over, "roll_over"}, {Look::Down, "pressed"}, {Look::Disabled, "disable"}};
    for (const auto& [look, suffix] : suffixes)
        images.push_back({QStringLiteral("scan_complete-%1.gif").arg(QLatin1String(suffix)), scanCompleteScreen(look),
                          gif, QStringLiteral("scan complete")});
    images.push_back({QStringLiteral("home_main.gif"), errorFixingScreen(), gif, QStringLiteral("error fixing")});
    for (const auto& [look, suffix] : suffixes)
        images.push_back({QStringLiteral("fix_complete-%1.gif").arg(QLatin1String(suffix)), fixCompleteScreen(look),
                          gif, QStringLiteral("fix complete")});
    return images;
}

std::vector<NamedImage> allArt(Variant variant)
{
    std::vector<NamedImage> all = mainWindowArt();
    for (auto* part : {&panelArt, &summaryArt}) {
        auto images = (*part)(variant);
        all.insert(all.end(), std::make_move_iterator(images.begin()), std::make_move_iterator(images.end()));
    }
    std::vector<QImage> frames = scanAnimationFrames();
    QImage first = frames.front();
    all.push_back({QStringLiteral("animation.gif"), std::move(first), FileKind::AnimatedGif,
                   QStringLiteral("animation"), std::move(frames)});
    return all;
}

} // namespace art
