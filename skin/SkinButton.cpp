#include "skin/SkinButton.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

#include "skin/SkinScreen.h"

namespace brindle::skin {

ButtonPicture SelectButtonPicture(const ButtonState& state) {
    if (state.checkBox) return state.checked ? ButtonPicture::Down : ButtonPicture::Normal;
    if (state.checked && !state.hovering) return ButtonPicture::Down;
    if (state.pressed) return ButtonPicture::Down;
    if (!state.hovering) return state.disabled ? ButtonPicture::Disabled : ButtonPicture::Normal;
    return ButtonPicture::Over;
}

CSkinButton::CSkinButton(std::string name, int index, bool checkBox, QWidget* parent, SkinScreen* screen)
    : QAbstractButton(parent), m_name(std::move(name)), m_index(index), m_checkBox(checkBox), m_screen(screen) {
    setObjectName(QString::fromStdString(m_name));
    // Not a tab stop, but a click takes the focus as a button does, and losing it again
    // ends the hover.
    setFocusPolicy(Qt::ClickFocus);
    // Moves without a pressed button are needed to light the button up again after a
    // click, with the pointer still on it.
    setMouseTracking(true);
}

bool CSkinButton::SetChecked(bool on) {
    if (m_checked == on) return false;
    m_checked = on;
    update();
    return true;
}

void CSkinButton::SetPictures(SkinImage normal, SkinImage over, SkinImage down, SkinImage disabled) {
    m_normal = std::move(normal);
    m_over = std::move(over);
    m_down = std::move(down);
    m_disabled = std::move(disabled);
    update();
}

const SkinImage& CSkinButton::Picture(ButtonPicture which) const {
    switch (which) {
        case ButtonPicture::Over: return m_over;
        case ButtonPicture::Down: return m_down;
        case ButtonPicture::Disabled: return m_disabled;
        case ButtonPicture::Normal: break;
    }
    return m_normal;
}

ButtonState CSkinButton::State() const {
    return ButtonState{m_checkBox, m_checked, m_hovering, isDown(), !isEnabled()};
}

void CSkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawSkinImage(painter, Picture(SelectButtonPicture(State())), 0, 0, width(), height());
}

// A button lights up only while the program is the one the user works with, and not
// while the left button is held (a drag that started elsewhere passes over it).
bool CSkinButton::MayHover() const {
    return QApplication::activeWindow() != nullptr && !(QApplication::mouseButtons() & Qt::LeftButton);
}

void CSkinButton::SetHovering(bool on) {
    if (m_hovering == on) return;
    m_hovering = on;
    update();
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (MayHover()) SetHovering(true);
}

void CSkinButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    SetHovering(false);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    if (event->buttons() & Qt::LeftButton) {
        // Dragged off while pressed: the button no longer has the pointer, though it
        // keeps the mouse until the release.
        if (!inside) SetHovering(false);
    } else if (inside && MayHover()) {
        SetHovering(true);
    }
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    QAbstractButton::mouseReleaseEvent(event);
    if (!click) return;
    SetHovering(false);
    // Last: the screen's command may rebuild the screen, and this button with it.
    NotifyScreen();
}

void CSkinButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    SetHovering(false);
}

void CSkinButton::NotifyScreen() {
    SkinScreen* screen = m_screen != nullptr ? m_screen : dynamic_cast<SkinScreen*>(parentWidget());
    if (screen != nullptr) screen->ButtonPressedByIndex(m_index);
}

}  // namespace brindle::skin
