// Message boxes that open over the window they speak for. Qt centres a box on its parent
// from the parent's idea of where it stands, which a window manager that reparents a
// frameless, shaped window (openbox) leaves at the screen's corner: the boxes opened in
// the top-left corner, away from the window. Here the box is placed by the parent's
// on-screen rectangle, after the box has its size, and kept on the parent's screen.
#pragma once

#include <QMessageBox>

namespace brindle {

// Runs the box as QMessageBox::exec does, centred over `parent` when it is on screen,
// with the program's icon.
int ExecCentred(QMessageBox& box, QWidget* parent);

// The static QMessageBox calls, placed as above.
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

}  // namespace brindle
