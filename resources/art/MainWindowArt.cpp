#include "Art.h"

#include "Layout.h"
#include "Style.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace art {

using namespace art::style;
namespace L = art::layout;

namespace {

const QRect kWindowRect{QPoint(0, 0), L::kMainWindow};

// The body is rounded at all four corners. The scan button's rectangle runs past the
// bottom-right one, but the button is round and drawn well inside it, so the rounding
// takes nothing of it away.
QPainterPath bodyPath()
{
    const qreal r = kWindowRadius;
    const qreal left = kBodyLeft, top = kBodyTop;
    const qreal right = kWindowRect.width(), bottom = kWindowRect.height();
    QPainterPath path;
    path.moveTo(left + r, top);
    path.lineTo(right - r, top);
    path.arcTo(QRectF(right - 2 * r, top, 2 * r, 2 * r), 90, -90);
    path.lineTo(right, bottom - r);
    path.arcTo(QRectF(right - 2 * r, bottom - 2 * r, 2 * r, 2 * r), 0, -90);
    path.lineTo(left + r, bottom);
    path.arcTo(QRectF(left, bottom - 2 * r, 2 * r, 2 * r), 270, -90);
    path.lineTo(left, top + r);
    path.arcTo(QRectF(left, top, 2 * r, 2 * r), 180, -90);
    path.closeSubpath();
    return path;
}

// The raised tab above the body that carries the product name, joined by a concave fillet.
QPainterPath titleTabPath()
{
    const qreal r = kWindowRadius;
    QPainterPath tab;
    tab.addRoundedRect(QRectF(kBodyLeft, kTitleTabTop, kTitleTabRight - kBodyLeft, 2 * r + 4), r, r);
    QPainterPath fillet;
    const qreal f = kTitleTabFillet;
    fillet.addRect(QRectF(kTitleTabRight - 1, kBodyTop - f, f + 1, f + 1));
    QPainterPath hollow;
    hollow.addEllipse(QPointF(kTitleTabRight + f, kBodyTop - f), f, f);
    return tab.united(fillet.subtracted(hollow));
}

void paintFrame(QPainter& p, const QPainterPath& outline)
{
    QLinearGradient frame(0, kBodyTop, 0, kWindowRect.height());
    frame.setColorAt(0, kFrameTop);
    frame.setColorAt(1, kFrameBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawPath(outline);

    // Header band and the title tab share one gradient.
    QPainterPath header;
    header.addRect(QRectF(0, 0, kWindowRect.width(), kHeaderBandBottom));
    header = header.intersected(outline);
    QLinearGradient band(0, kTitleTabTop, 0, kHeaderBandBottom);
    band.setColorAt(0, kHeaderTop);
    band.setColorAt(1, kHeaderBottom);
    p.setBrush(band);
    p.drawPath(header);
    p.setPen(QPen(kHeaderLine, 1));
    p.drawLine(QPointF(kBodyLeft + 1, kHeaderBandBottom + 0.5), QPointF(kWindowRect.width(), kHeaderBandBottom + 0.5));

    // A thin light rim along the top edge, the rest of the outline a dark line.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFrameEdge, 1.5));
    p.drawPath(outline);
}

void paintTitle(QPainter& p)
{
    drawLogo(p, QRectF(66, 60, 40, 44));
    drawText(p, QRectF(118, 58, 220, 34), QStringLiteral("Brindle"), kTitlePx, true, kOnFrame);
    drawText(p, QRectF(120, 92, 220, 16), QStringLiteral("Registry cleaner for Wine"), kSubtitlePx, false,
             kOnFrameMuted);
}

// The window's own buttons, drawn on the header.
void paintCaptionButton(QPainter& p, const L::Box& box, Icon icon, bool isClose, Look look)
{
    const QRectF r = QRectF(box.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = Qt::transparent, glyph = kOnFrameMuted;
    switch (look) {
    case Look::Normal: fill = QColor(255, 255, 255, 18); break;
    case Look::Over: fill = isClose ? kDanger : kRaisedBorder; glyph = Qt::white; break;
    case Look::Down: fill = isClose ? kDangerDark : kSunken; glyph = Qt::white; break;
    case Look::Disabled: glyph = kOnFrameDisabled; break;
    }
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, 6, 6);
    drawIcon(p, icon, QRectF(box.rect()).adjusted(2, 2, -2, -2), glyph, 1.7);
    p.restore();
}

Icon tabIcon(L::TabIcon icon)
{
    switch (icon) {
    case L::TabIcon::Scan: return Icon::Magnifier;
    case L::TabIcon::Ignored: return Icon::Ban;
    case L::TabIcon::Settings: return Icon::Sliders;
    case L::TabIcon::Schedule: return Icon::Clock;
    }
    return Icon::Info;
}

// A page button. The current page is marked by its disabled picture, the pressed one by its
// down picture: both read as "selected" (light pill, amber bar / amber pill).
void paintTab(QPainter& p, const QRect& box, const QString& label, Icon icon, Look look)
{
    const QRectF r = QRectF(box).adjusted(0.5, 1.5, -0.5, -1.5);
    QColor fill = Qt::transparent, ink = kOnFrame, glyph = kOnFrameMuted, border = Qt::transparent;
    switch (look) {
    case Look::Normal: break;
    case Look::Over: fill = kRaised; border = kRaisedBorder; glyph = kAccentLight; break;
    case Look::Down: fill = kAccentDark; ink = kOnAccent; glyph = kOnAccent; break;
    case Look::Disabled: fill = kCard; ink = kInk; glyph = kAccentDark; break;
    }
    p.save();
    p.setPen(border == Qt::transparent ? QPen(Qt::NoPen) : QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, kTabRadius, kTabRadius);
    if (look == Look::Disabled || look == Look::Down) {
        // The marker bar on the pill's left edge.
        p.setPen(Qt::NoPen);
        p.setBrush(look == Look::Down ? kOnAccent : kAccent);
        p.drawRoundedRect(QRectF(r.left() + 4, r.top() + 6, 3, r.height() - 12), 1.5, 1.5);
    }
    drawIcon(p, icon, QRectF(box.x() + 14, box.center().y() - 6.5, 14, 14), glyph, 1.6);
    drawText(p, QRectF(box.x() + 38, box.y(), box.width() - 42, box.height()), label, kTabPx, true, ink);
    p.restore();
}

// Restore is an action, not a page: an outlined button under the page buttons.
void paintRestore(QPainter& p, const L::Box& box, Look look)
{
    const QRectF r = QRectF(box.rect()).adjusted(0.5, 2.5, -0.5, -1.5);
    QColor fill = Qt::transparent, border = kRaisedBorder, ink = kOnFrame, glyph = kAccent;
    switch (look) {
    case Look::Normal: break;
    case Look::Over: fill = kRaised; border = kAccent; break;
    case Look::Down: fill = kSunken; border = kAccentDark; break;
    case Look::Disabled: border = kGreyFill; ink = kOnFrameDisabled; glyph = kOnFrameDisabled; break;
    }
    p.save();
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, kTabRadius, kTabRadius);
    drawIcon(p, Icon::Restore, QRectF(box.x + 14, r.center().y() - 7, 14, 14), glyph, 1.6);
    drawText(p, QRectF(box.x + 38, r.top(), box.w - 42, r.height()), QStringLiteral("Restore"), kTabPx, true, ink);
    p.restore();
}

// The large call to action under the panel: repair what the last scan found.
void paintRemove(QPainter& p, const L::Box& box, Look look)
{
    // Drawn clear of the bottom 9 pixels, where the rectangles of Support and About overlap it.
    const QRectF r(box.x + 4.5, box.y + 9.5, box.w - 9, box.h - 20);
    QColor top = kHeaderTop, bottom = kHeaderBottom, border = kRaisedBorder, ink = kOnFrame, sub = kOnFrameMuted,
           glyph = kAccent;
    switch (look) {
    case Look::Normal: break;
    case Look::Over: top = kHeaderTop.lighter(118); bottom = kHeaderTop; border = kAccent; break;
    case Look::Down: top = kSunken; bottom = kFrameBottom; border = kAccentDark; break;
    case Look::Disabled:
        top = bottom = kGreyFill;
        border = kGreyFillLight;
        ink = sub = glyph = kOnFrameDisabled;
        break;
    }
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawRoundedRect(r, kButtonRadius + 3, kButtonRadius + 3);
    const qreal shift = look == Look::Down ? 1 : 0;
    // Round badge with the wrench.
    const QRectF badge(r.left() + 16, r.center().y() - 19 + shift, 38, 38);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Disabled ? kGreyFillLight : QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 40));
    p.drawEllipse(badge);
    drawIcon(p, Icon::Wrench, badge.adjusted(8, 8, -8, -8), glyph, 2.2);
    drawText(p, QRectF(r.left() + 68, r.top() + 12 + shift, r.width() - 80, 24), QStringLiteral("Fix selected"), 19,
             true, ink);
    drawText(p, QRectF(r.left() + 69, r.top() + 36 + shift, r.width() - 80, 16),
             QStringLiteral("Remove the problems the scan found"), kSmallPx + 1, false, sub);
    p.restore();
}

// Support and About are quiet text links on the frame. About is a page: its disabled picture
// (the current page mark) is amber and underlined.
void paintLink(QPainter& p, const L::Box& box, const QString& label, Icon icon, bool isPage, Look look)
{
    QColor ink = kOnFrameMuted;
    bool underline = false;
    switch (look) {
    case Look::Normal: break;
    case Look::Over: ink = kOnFrame; underline = true; break;
    case Look::Down: ink = kAccentLight; underline = true; break;
    case Look::Disabled:
        ink = isPage ? kAccent : kOnFrameDisabled;
        underline = isPage;
        break;
    }
    // Both links on one text line, just below the Remove button's rectangle (which ends at
    // 443) and with the underline still inside the Support rectangle (which ends at 460).
    const QRectF line(box.x, 443, box.w, 14);
    p.save();
    p.setFont(font(kLabelPx + 1, true));
    const qreal textWidth = p.fontMetrics().horizontalAdvance(label);
    const qreal total = 14 + 6 + textWidth;
    const qreal x0 = line.center().x() - total / 2;
    drawIcon(p, icon, QRectF(x0, line.top(), 14, 14), ink, 1.4);
    drawText(p, QRectF(x0 + 20, line.top(), textWidth + 2, 14), label, kLabelPx + 1, true, ink);
    if (underline) {
        p.setPen(QPen(look == Look::Disabled ? kAccent : ink, 1));
        p.drawLine(QPointF(x0 + 20, line.top() + 15.5), QPointF(x0 + 20 + textWidth, line.top() + 15.5));
    }
    p.restore();
}

// The round scan button, drawn inside the window's visible part of its rectangle.
void paintScan(QPainter& p, Look look)
{
    const QPointF centre = L::kScanFaceCentre;
    const qreal radius = L::kScanFaceRadius;
    QColor light = kAccentLight, mid = kAccent, dark = kAccentDark, ink = kOnAccent;
    qreal inset = 0;
    switch (look) {
    case Look::Normal: break;
    case Look::Over: light = kAccentLight.lighter(110); mid = kAccentLight; dark = kAccent; break;
    case Look::Down: light = kAccent; mid = kAccentDark; dark = kAccentDeep; inset = 2; break;
    case Look::Disabled:
        light = kGreyFillLight.lighter(120);
        mid = kGreyFillLight;
        dark = kGreyFill;
        ink = kOnFrameDisabled.lighter(130);
        break;
    }
    p.save();
    // Outer ring, a dark groove the button sits in.
    p.setPen(Qt::NoPen);
    p.setBrush(kSunken);
    p.drawEllipse(centre, radius + L::kScanGroove, radius + L::kScanGroove);
    QRadialGradient g(centre - QPointF(18, 24), radius * 1.5);
    g.setColorAt(0, light);
    g.setColorAt(0.55, mid);
    g.setColorAt(1, dark);
    p.setBrush(g);
    p.setPen(QPen(dark.darker(115), 1.2));
    p.drawEllipse(centre, radius - inset, radius - inset);
    // An inner ring for depth.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, look == Look::Disabled ? 25 : 70), 1.5));
    p.drawEllipse(centre, radius - 8 - inset, radius - 8 - inset);
    const qreal shift = look == Look::Down ? 1 : 0;
    drawIcon(p, Icon::Magnifier, QRectF(centre.x() - 11, centre.y() - 36 + shift, 22, 22), ink, 2.4);
    drawText(p, QRectF(centre.x() - 50, centre.y() - 10 + shift, 100, 28), QStringLiteral("Scan"), 22, true, ink,
             Qt::AlignCenter);
    drawText(p, QRectF(centre.x() - 50, centre.y() + 16 + shift, 100, 14), QStringLiteral("now"), kSmallPx + 1, true,
             ink, Qt::AlignCenter);
    p.restore();
}

// The frame around the panel area; the panel itself covers the inside.
void paintPanelFrame(QPainter& p)
{
    const QRect area = L::kPanelArea.rect();
    drawCard(p, QRectF(area).adjusted(-5, -5, 5, 2), kCardRadius);
}

// A note in the free space under the page buttons.
void paintHint(QPainter& p)
{
    const QRectF card(62, 314, 152, 104);
    p.save();
    p.setPen(QPen(kRaisedBorder, 1));
    p.setBrush(QColor(255, 255, 255, 10));
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius, kCardRadius);
    drawIcon(p, Icon::Shield, QRectF(card.left() + 12, card.top() + 12, 18, 18), kAccent, 1.6);
    drawText(p, QRectF(card.left() + 36, card.top() + 12, 110, 18), QStringLiteral("How it works"), kLabelPx + 1,
             true, kOnFrame);
    p.setFont(font(kSmallPx + 0.5, false));
    p.setPen(kOnFrameMuted);
    p.drawText(card.adjusted(12, 38, -10, -8), Qt::TextWordWrap,
               QStringLiteral("Tick what to check, press Scan, then fix the problems you choose."));
    p.restore();
}

} // namespace

QPainterPath windowOutline()
{
    return bodyPath().united(titleTabPath()).simplified();
}

QImage mainWindowImage(Look look)
{
    QImage image = blankImage(L::kMainWindow, kFrameEdge);
    QPainter p;
    beginPainter(p, image);
    paintFrame(p, windowOutline());
    paintTitle(p);
    paintHint(p);
    paintPanelFrame(p);
    paintCaptionButton(p, L::kMinimize, Icon::Minimize, false, look);
    paintCaptionButton(p, L::kExit, Icon::Close, true, look);
    for (const auto& tab : L::kTabs)
        paintTab(p, tab.box.rect(), text(tab.label), tabIcon(tab.icon), look);
    paintRestore(p, L::kRestore, look);
    paintRemove(p, L::kRemove, look);
    paintLink(p, L::kSupport, QStringLiteral("Support"), Icon::Question, false, look);
    paintLink(p, L::kAbout, QStringLiteral("About"), Icon::Info, true, look);
    paintScan(p, look);
    p.end();
    return image;
}

QImage mainWindowMask()
{
    // Drawn without antialiasing: a pixel is either window (black) or cut away (pure white).
    QImage mask = blankImage(L::kMainWindow, Qt::white);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(windowOutline());
    // No button is filled in on top: each lies within the outline, but for the corner of the
    // scan button's rectangle that the rounded corner cuts, where the round button has
    // nothing to show (the art test holds both to that).
    p.end();
    return mask;
}

std::vector<NamedImage> mainWindowArt()
{
    return {
        {QStringLiteral("home_on.gif"), mainWindowImage(Look::Normal), FileKind::Gif, QStringLiteral("main")},
        {QStringLiteral("home_hover.gif"), mainWindowImage(Look::Over), FileKind::Gif, QStringLiteral("main")},
        {QStringLiteral("home_click.gif"), mainWindowImage(Look::Down), FileKind::Gif, QStringLiteral("main")},
        {QStringLiteral("home_off.gif"), mainWindowImage(Look::Disabled), FileKind::Gif, QStringLiteral("main")},
        {QStringLiteral("Mask.bmp"), mainWindowMask(), FileKind::Bmp, QStringLiteral("mask")},
    };
}

} // namespace art
