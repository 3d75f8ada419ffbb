#include "app/Summary.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace brindle {

Summary::Summary(QWidget* parent) : QDialog(parent) {}

void Summary::ButtonPressedByIndex(int index) {
    if (const std::optional<std::string> name = ButtonNameByIndex(index)) ButtonPressed(*name);
}

void Summary::ButtonPressed(const std::string& name) { emit summaryButton(name); }

void Summary::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    skin::DrawSkinImage(painter, NormalImage(), 0, 0, width(), height());
}

void Summary::mousePressEvent(QMouseEvent* event) {
    // Children (buttons, lists) take their own presses; what arrives here is background.
    if (event->button() == Qt::LeftButton) {
        DragWindowByBackground(*this);
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void DragWindowByBackground(QWidget& window) {
    // The window system moves the window; where it cannot (the offscreen platform), the
    // press does nothing.
    if (QWindow* handle = window.window()->windowHandle()) handle->startSystemMove();
}

}  // namespace brindle
