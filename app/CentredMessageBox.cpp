#include "app/CentredMessageBox.h"

#include <QScreen>

#include <algorithm>

namespace brindle {

int ExecCentred(QMessageBox& box, QWidget* parent) {
    if (parent != nullptr && parent->isVisible()) {
        box.adjustSize();
        // A top-level window's geometry is where the window manager put it; mapToGlobal
        // can lag behind such a move (X11, a frameless window). A shaped window's middle is
        // the middle of what its mask shows.
        const QWidget& window = *parent->window();
        const QRect shown = window.mask().isEmpty() ? window.rect() : window.mask().boundingRect();
        const QPoint centre = window.geometry().topLeft() + shown.center();
        QRect place(QPoint(0, 0), box.sizeHint().expandedTo(box.size()));
        place.moveCenter(centre);
        if (const QScreen* screen = parent->screen()) {
            const QRect room = screen->availableGeometry();
            place.moveLeft(std::clamp(place.left(), room.left(), std::max(room.left(), room.right() - place.width())));
            place.moveTop(std::clamp(place.top(), room.top(), std::max(room.top(), room.bottom() - place.height())));
        }
        box.move(place.topLeft());
    }
    return box.exec();
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    ExecCentred(box, parent);
    return box.standardButton(box.clickedButton());
}

}  // namespace brindle
