#include "Painting.h"

#include "Logo.h"
#include "Style.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <cmath>

namespace art {

using namespace art::style;

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QImage blankImage(QSize size, const QColor& fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void beginPainter(QPainter& p, QImage& image)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void drawCheckBox(QPainter& p, const QRect& r, Tick tick, Usable usable)
{
    // Box edges sit on pixel centres so a 9×9 box stays crisp.
    const QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool greyed = usable == Usable::Greyed;
    p.save();
    if (tick == Tick::On) {
        p.setPen(QPen(greyed ? kControlDisabled.darker(115) : kAccentDark, 1));
        p.setBrush(greyed ? kControlDisabled : kAccent);
        p.drawRoundedRect(box, kCheckRadius, kCheckRadius);
        QPainterPath mark;
        const qreal w = r.width(), h = r.height();
        mark.moveTo(r.x() + w * 0.22, r.y() + h * 0.52);
        mark.lineTo(r.x() + w * 0.42, r.y() + h * 0.74);
        mark.lineTo(r.x() + w * 0.80, r.y() + h * 0.28);
        p.setPen(QPen(greyed ? QColor(Qt::white) : kOnAccent, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(mark);
    } else {
        p.setPen(QPen(greyed ? kControlDisabled : kControlBorder, 1));
        p.setBrush(greyed ? kCardAlt : kField);
        p.drawRoundedRect(box, kCheckRadius, kCheckRadius);
    }
    p.restore();
}

void drawOption(QPainter& p, const QRect& r, Tick tick, Usable usable)
{
    const QRectF ring = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool greyed = usable == Usable::Greyed;
    p.save();
    p.setPen(QPen(greyed ? kControlDisabled : (tick == Tick::On ? kAccentDark : kControlBorder), 1));
    p.setBrush(greyed ? kCardAlt : kField);
    p.drawEllipse(ring);
    if (tick == Tick::On) {
        p.setPen(Qt::NoPen);
        p.setBrush(greyed ? kInkDisabled : kAccent);
        const qreal inset = r.width() * 0.27;
        p.drawEllipse(ring.adjusted(inset, inset, -inset, -inset));
    }
    p.restore();
}

void drawSwitch(QPainter& p, const QRectF& track, Tick tick, Usable usable)
{
    const bool greyed = usable == Usable::Greyed;
    const bool on = tick == Tick::On;
    p.save();
    const qreal radius = track.height() / 2;
    QColor fill = on ? kAccent : QColor(0xbd, 0xc5, 0xd1);
    if (greyed)
        fill = kControlDisabled;
    p.setPen(QPen(on && !greyed ? kAccentDark : kControlBorder.lighter(115), 1));
    p.setBrush(fill);
    p.drawRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    const qreal knob = track.height() - 4;
    const qreal knobX = on ? track.right() - 2 - knob : track.left() + 2;
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(knobX, track.top() + 2, knob, knob));
    p.restore();
}

void drawFieldFrame(QPainter& p, const QRect& field, Usable usable)
{
    p.save();
    p.setPen(QPen(usable == Usable::Greyed ? kControlDisabled : kFieldBorder, 1));
    p.setBrush(usable == Usable::Greyed ? kCardAlt : kField);
    p.drawRoundedRect(QRectF(field).adjusted(-1.5, -1.5, 1.5, 1.5), 2, 2);
    p.restore();
}

void drawCard(QPainter& p, const QRectF& r, qreal radius)
{
    p.save();
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(kCard);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

void drawListGround(QPainter& p, const QRect& r, std::span<const layout::Column> columns)
{
    constexpr int kHeader = 17;
    constexpr int kRow = 17;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, kField);
    p.fillRect(QRect(r.x(), r.y(), r.width(), kHeader), kCardAlt);
    p.setPen(kCardBorder);
    p.drawLine(r.left(), r.y() + kHeader - 1, r.right(), r.y() + kHeader - 1);
    // Faint row rules, as the list's grid lines will draw them.
    p.setPen(QColor(0xee, 0xf1, 0xf5));
    for (int y = r.y() + kHeader - 1 + kRow; y < r.bottom(); y += kRow)
        p.drawLine(r.left(), y, r.right(), y);
    int x = r.x();
    for (const auto& column : columns) {
        p.setRenderHint(QPainter::Antialiasing, true);
        drawText(p, QRectF(x + 5, r.y(), column.width - 8, kHeader - 1), text(column.title), kSmallPx, true, kInkMuted);
        p.setRenderHint(QPainter::Antialiasing, false);
        x += column.width;
        if (x < r.right()) {
            p.setPen(kCardBorder);
            p.drawLine(x - 1, r.y() + 3, x - 1, r.y() + kHeader - 4);
        }
    }
    p.setPen(kCardBorder);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}

void drawCardButton(QPainter& p, const QRect& r, const QString& caption, Look look, Emphasis emphasis)
{
    const QRectF body = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min<qreal>(kButtonRadius * 0.7, r.height() / 2.0);
    QColor top, bottom, border, ink;
    if (emphasis == Emphasis::Primary) {
        switch (look) {
        case Look::Normal: top = kAccentLight; bottom = kAccent; border = kAccentDark; ink = kOnAccent; break;
        case Look::Over: top = kAccentLight.lighter(108); bottom = kAccentLight; border = kAccent; ink = kOnAccent; break;
        case Look::Down: top = kAccentDark; bottom = kAccent; border = kAccentDeep; ink = kOnAccent; break;
        case Look::Disabled: top = bottom = kControlDisabled; border = kControlDisabled.darker(110); ink = QColor(Qt::white); break;
        }
    } else {
        switch (look) {
        case Look::Normal: top = kField; bottom = kCardAlt; border = kControlBorder; ink = kInk; break;
        case Look::Over: top = kField; bottom = kField; border = kAccent; ink = kInk; break;
        case Look::Down: top = kCardBorder; bottom = kCardAlt; border = kAccentDark; ink = kInk; break;
        case Look::Disabled: top = bottom = kCardAlt; border = kControlDisabled; ink = kInkDisabled; break;
        }
    }
    p.save();
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawRoundedRect(body, radius, radius);
    const qreal shift = look == Look::Down ? 1 : 0;
    drawText(p, QRectF(r).translated(0, shift), caption, kLabelPx, true, ink, Qt::AlignCenter);
    p.restore();
}

void drawText(QPainter& p, const QRectF& r, const QString& s, qreal px, bool bold, const QColor& colour,
              Qt::Alignment align)
{
    p.save();
    p.setFont(font(px, bold));
    p.setPen(colour);
    p.drawText(r, static_cast<int>(align) | Qt::TextSingleLine, s);
    p.restore();
}

void drawIcon(QPainter& p, Icon icon, const QRectF& sq, const QColor& colour, qreal width)
{
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal s = sq.width();
    const QPointF c = sq.center();
    auto at = [&](qreal fx, qreal fy) { return QPointF(sq.x() + fx * s, sq.y() + fy * s); };
    switch (icon) {
    case Icon::Magnifier:
        p.drawEllipse(QRectF(at(0.08, 0.08), QSizeF(s * 0.6, s * 0.6)));
        p.drawLine(at(0.62, 0.62), at(0.92, 0.92));
        break;
    case Icon::Ban:
        p.drawEllipse(sq.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08));
        p.drawLine(at(0.24, 0.24), at(0.76, 0.76));
        break;
    case Icon::Sliders:
        for (int i = 0; i < 3; ++i) {
            const qreal y = 0.2 + 0.3 * i;
            p.drawLine(at(0.06, y), at(0.94, y));
            const qreal knob = i == 1 ? 0.66 : 0.32;
            p.setBrush(colour);
            p.drawEllipse(at(knob, y), s * 0.09, s * 0.09);
            p.setBrush(Qt::NoBrush);
        }
        break;
    case Icon::Clock:
        p.drawEllipse(sq.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06));
        p.drawLine(c, at(0.5, 0.24));
        p.drawLine(c, at(0.7, 0.6));
        break;
    case Icon::Restore: {
        QPainterPath arc;
        const QRectF ring = sq.adjusted(s * 0.12, s * 0.12, -s * 0.12, -s * 0.12);
        arc.arcMoveTo(ring, 140);
        arc.arcTo(ring, 140, -300);
        p.drawPath(arc);
        const QPointF tip = arc.pointAtPercent(0);
        p.drawLine(tip, tip + QPointF(s * 0.02, s * 0.3));
        p.drawLine(tip, tip + QPointF(s * 0.3, s * 0.04));
        p.drawLine(c, at(0.5, 0.32));
        p.drawLine(c, at(0.64, 0.6));
        break;
    }
    case Icon::Info:
        p.drawEllipse(sq.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06));
        p.drawLine(at(0.5, 0.45), at(0.5, 0.72));
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawEllipse(at(0.5, 0.3), s * 0.07, s * 0.07);
        break;
    case Icon::Question: {
        p.drawEllipse(sq.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06));
        QPainterPath hook;
        hook.moveTo(at(0.36, 0.38));
        hook.cubicTo(at(0.36, 0.18), at(0.66, 0.18), at(0.65, 0.36));
        hook.cubicTo(at(0.64, 0.48), at(0.5, 0.48), at(0.5, 0.6));
        p.drawPath(hook);
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawEllipse(at(0.5, 0.76), s * 0.06, s * 0.06);
        break;
    }
    case Icon::Wrench: {
        // A filled open-ended wrench, head to the top right.
        p.translate(c);
        p.rotate(45);
        QPainterPath head;
        head.addEllipse(QPointF(0, -s * 0.26), s * 0.23, s * 0.23);
        QPainterPath handle;
        handle.addRoundedRect(QRectF(-s * 0.09, -s * 0.16, s * 0.18, s * 0.62), s * 0.09, s * 0.09);
        QPainterPath jaw;
        jaw.addRect(QRectF(-s * 0.085, -s * 0.52, s * 0.17, s * 0.26));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(head.united(handle).subtracted(jaw));
        break;
    }
    case Icon::Shield: {
        QPainterPath sh;
        sh.moveTo(at(0.5, 0.06));
        sh.lineTo(at(0.88, 0.2));
        sh.cubicTo(at(0.88, 0.6), at(0.7, 0.82), at(0.5, 0.94));
        sh.cubicTo(at(0.3, 0.82), at(0.12, 0.6), at(0.12, 0.2));
        sh.closeSubpath();
        p.drawPath(sh);
        p.drawLine(at(0.34, 0.5), at(0.46, 0.62));
        p.drawLine(at(0.46, 0.62), at(0.68, 0.38));
        break;
    }
    case Icon::Close:
        p.drawLine(at(0.28, 0.28), at(0.72, 0.72));
        p.drawLine(at(0.72, 0.28), at(0.28, 0.72));
        break;
    case Icon::Minimize:
        p.drawLine(at(0.28, 0.62), at(0.72, 0.62));
        break;
    }
    p.restore();
}

void drawLogo(QPainter& p, const QRectF& sq, Usable usable)
{
    if (usable == Usable::Greyed)
        paintLogo(p, sq, kControlDisabled, kInkDisabled, QColor(0x3a, 0x25, 0x0c, 60));
    else
        paintLogo(p, sq);
}

} // namespace art
