#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

#include "resources/art/Logo.h"

namespace brindle {

namespace {

constexpr int kIconSizes[] = {16, 22, 32, 48, 64};

QPixmap PaintProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Inset by half a pixel so that the shield's edges land on whole pixels.
    art::paintLogo(painter, QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : kIconSizes) icon.addPixmap(PaintProgramIcon(size));
    return icon;
}

}  // namespace brindle
