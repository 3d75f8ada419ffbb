#include "app/CentredMessageBox.h"

#include "app/ProgramIcon.h"

#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace brindle {

namespace {

// Moves the box so that its middle is `centre`, kept inside `room`.
void PlaceAt(QMessageBox& box, QPoint centre, const QRect& room, QSize size) {
    QRect place(QPoint(0, 0), size);
    place.moveCenter(centre);
    if (!room.isEmpty()) {
        place.moveLeft(std::clamp(place.left(), room.left(), std::max(room.left(), room.right() - place.width())));
        place.moveTop(std::clamp(place.top(), room.top(), std::max(room.top(), room.bottom() - place.height())));
    }
    box.move(place.topLeft());
}

}  // namespace

int ExecCentred(QMessageBox& box, QWidget* parent) {
    // The program's mark on the box's title bar and task-bar entry, whoever its parent is.
    box.setWindowIcon(ProgramIcon());
    if (parent != nullptr && parent->isVisible()) {
        // A top-level window's geometry is where the window manager put it; mapToGlobal
        // can lag behind such a move (X11, a frameless window). A shaped window's middle is
        // the middle of what its mask shows.
        const QWidget& window = *parent->window();
        const QRect shown = window.mask().isEmpty() ? window.rect() : window.mask().boundingRect();
        const QPoint centre = window.geometry().topLeft() + shown.center();
        const QRect room = parent->screen() != nullptr ? parent->screen()->availableGeometry() : QRect();
        PlaceAt(box, centre, room, box.sizeHint());
        // The box settles its size (wrapping a long text) only as it is shown: placed
        // again once it stands there with that size.
        QTimer::singleShot(0, &box, [&box, centre, room] { PlaceAt(box, centre, room, box.size()); });
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
