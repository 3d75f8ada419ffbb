// The product mark, a rounded shield with dark brindle stripes, in one place for the skin's
// pictures and the program's icon (app/ProgramIcon), so that the window's title, its About
// page, the tray and every dialog show the same mark.
#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>

#include "Style.h"

namespace art {

// The stripes: the dark of the coat, let through so that the amber shows beneath.
inline const QColor kLogoStripes{0x3a, 0x25, 0x0c, 110};

// The shield's outline in `square` (its width sets the scale).
inline QPainterPath logoShield(const QRectF& square)
{
    const qreal s = square.width();
    auto at = [&](qreal fx, qreal fy) { return QPointF(square.x() + fx * s, square.y() + fy * s); };
    QPainterPath shield;
    shield.moveTo(at(0.5, 0.02));
    shield.cubicTo(at(0.7, 0.12), at(0.86, 0.14), at(0.96, 0.14));
    shield.cubicTo(at(0.96, 0.62), at(0.78, 0.86), at(0.5, 0.98));
    shield.cubicTo(at(0.22, 0.86), at(0.04, 0.62), at(0.04, 0.14));
    shield.cubicTo(at(0.14, 0.14), at(0.3, 0.12), at(0.5, 0.02));
    shield.closeSubpath();
    return shield;
}

// The shield filled from `light` (top left) to `dark` (bottom right), crossed by four
// diagonal stripes of `stripes`. Leaves the painter as it found it.
inline void paintLogo(QPainter& p, const QRectF& square, const QColor& light, const QColor& dark,
                      const QColor& stripes)
{
    const qreal s = square.width();
    auto at = [&](qreal fx, qreal fy) { return QPointF(square.x() + fx * s, square.y() + fy * s); };
    const QPainterPath shield = logoShield(square);
    p.save();
    QLinearGradient g(square.topLeft(), square.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(shield);
    p.setClipPath(shield);
    p.setPen(QPen(stripes, s * 0.08, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const qreal o = 0.18 + 0.22 * i;
        p.drawLine(at(o - 0.3, 1.0), at(o + 0.25, 0.0));
    }
    p.restore();
}

// The mark in its own colours.
inline void paintLogo(QPainter& p, const QRectF& square)
{
    paintLogo(p, square, style::kAccentLight, style::kAccentDark, kLogoStripes);
}

} // namespace art
