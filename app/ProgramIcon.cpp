#include "app/ProgramIcon.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace brindle {

namespace {

const QColor kTeal(0x0b, 0x5d, 0x63);
const QColor kTealEdge(0x07, 0x43, 0x48);
constexpr int kIconSizes[] = {16, 32, 48};

QPixmap PaintProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Inset by half a pixel so the one-pixel edge lands on whole pixels.
    const QRectF square(0.5, 0.5, size - 1.0, size - 1.0);
    const qreal radius = size * 0.2;
    painter.setPen(QPen(kTealEdge, 1.0));
    painter.setBrush(kTeal);
    painter.drawRoundedRect(square, radius, radius);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(qRound(size * 0.78));
    // The letter is drawn as a path centred on its own ink, not on the font's line box,
    // whose ascent and descent would push it off centre, worst at 16 pixels.
    QPainterPath letter;
    letter.addText(0, 0, font, QStringLiteral("B"));
    const QRectF ink = letter.boundingRect();
    letter.translate(QRectF(0, 0, size, size).center() - ink.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(letter);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : kIconSizes) icon.addPixmap(PaintProgramIcon(size));
    return icon;
}

}  // namespace brindle
