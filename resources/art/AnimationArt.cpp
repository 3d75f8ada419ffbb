#include "Art.h"

#include "Layout.h"
#include "Style.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

using namespace art::style;
namespace L = art::layout;

namespace {

constexpr int kFrames = 40;
constexpr int kRows = 8;
constexpr qreal kFirstRowY = 33;
constexpr qreal kRowPitch = 15;
constexpr std::array<int, kRows> kBarWidths{62, 48, 70, 55, 66, 40, 58, 50};
// Rows the magnifier finds broken; the others pass.
constexpr std::array<bool, kRows> kBroken{false, false, true, false, false, false, true, false};
constexpr qreal kLensRadius = 12;

enum class Mark { None, Passed, Broken };

qreal rowY(int row) { return kFirstRowY + row * kRowPitch; }

// The registry rows: a key folder, the entry's name as a grey bar and, once checked, a mark.
void drawRows(QPainter& p, const std::array<Mark, kRows>& marks)
{
    for (int row = 0; row < kRows; ++row) {
        const qreal cy = rowY(row);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(12, cy - 3, 9, 7), 1.2, 1.2);
        p.drawRect(QRectF(12, cy - 4.5, 4, 2));
        p.setBrush(marks[row] == Mark::Broken ? QColor(0xe8, 0xb4, 0xb4) : kCardBorder);
        p.drawRoundedRect(QRectF(25, cy - 2, kBarWidths[row], 4.5), 2, 2);
        if (marks[row] == Mark::Passed) {
            p.setPen(QPen(kInkMuted, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            const QPointF tick[] = {{96, cy}, {99, cy + 3}, {104, cy - 3}};
            p.drawPolyline(tick, 3);
        } else if (marks[row] == Mark::Broken) {
            p.setPen(QPen(kDanger, 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(96, cy - 3), QPointF(102, cy + 3));
            p.drawLine(QPointF(102, cy - 3), QPointF(96, cy + 3));
        }
    }
}

QImage frame(int index)
{
    const QSize size(L::kScanAnimation.w, L::kScanAnimation.h);
    QImage image = blankImage(size, kCardAlt);
    QPainter p;
    beginPainter(p, image);

    // The registry as a small card with a title band.
    const QRectF card(4, 4, size.width() - 8, 146);
    drawCard(p, card, 7);
    QPainterPath band;
    band.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, 0), 7, 7);
    QPainterPath top;
    top.addRect(QRectF(card.x(), card.y(), card.width(), 18));
    QLinearGradient header(0, card.y(), 0, card.y() + 18);
    header.setColorAt(0, kHeaderTop);
    header.setColorAt(1, kHeaderBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(header);
    p.drawPath(band.intersected(top));
    p.fillRect(QRectF(card.x() + 0.5, card.y() + 18, card.width() - 1, 1), kAccent);
    drawText(p, QRectF(card.x() + 8, card.y(), card.width() - 16, 18), QStringLiteral("Registry"), kSmallPx, true,
             kOnFrame);

    // Where the sweep is: down the rows once per loop, across each row and back.
    const qreal progress = kRows * qreal(index) / kFrames;
    const int current = std::min(kRows - 1, int(progress));
    std::array<Mark, kRows> marks{};
    for (int row = 0; row < current; ++row)
        marks[row] = kBroken[row] ? Mark::Broken : Mark::Passed;
    drawRows(p, marks);

    const qreal phase = progress - current;
    // The lens stays on its row while it sweeps right and drops to the next one on the way
    // back, so the path runs on without a jump until the loop starts over at the top.
    const qreal drop = current + 1 < kRows && phase > 0.6 ? (1 - std::cos(std::numbers::pi * (phase - 0.6) / 0.4)) / 2 : 0;
    const QPointF lens(60 - 30 * std::cos(2 * std::numbers::pi * phase), rowY(current) + kRowPitch * drop);

    // Under the lens the rows are drawn larger, tinted amber.
    p.save();
    QPainterPath glass;
    glass.addEllipse(lens, kLensRadius, kLensRadius);
    p.setClipPath(glass);
    p.fillPath(glass, kField);
    p.translate(lens);
    p.scale(1.6, 1.6);
    p.translate(-lens);
    drawRows(p, marks);
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kAccentLight.red(), kAccentLight.green(), kAccentLight.blue(), 50));
    p.drawEllipse(lens, kLensRadius, kLensRadius);

    // Handle first, then the ring over its end.
    const QPointF direction(std::numbers::sqrt2 / 2, std::numbers::sqrt2 / 2);
    p.setPen(QPen(kAccentDeep, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens + direction * (kLensRadius + 1), lens + direction * (kLensRadius + 10));
    p.setPen(QPen(kFrameTop, 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(lens, kLensRadius, kLensRadius);

    // Progress under the card, filling once per loop.
    const QRectF track(8, 157, size.width() - 16, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(kCardBorder);
    p.drawRoundedRect(track, 3, 3);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(track.x(), track.y(), track.width() * (index + 1) / kFrames, track.height()), 3, 3);
    p.end();
    return image;
}

} // namespace

std::vector<QImage> scanAnimationFrames()
{
    std::vector<QImage> frames;
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(frame(i));
    return frames;
}

} // namespace art
