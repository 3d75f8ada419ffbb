// CSkinButton: a button that is a piece of its screen's picture. It carries four pictures
// cut from the screen's four images at its own rectangle (normal, pointer over, pressed,
// disabled) and shows one by its state, so that it looks like part of the background.
// It never acts by itself: a click reports the button's index to its screen
// (SkinScreen::ButtonPressedByIndex), which runs the command of that name. A check box
// does not toggle when clicked either; its screen's handler sets the new state.
#pragma once

#include <QAbstractButton>

#include <string>

#include "skin/SkinImage.h"

namespace brindle::skin {

class SkinScreen;

enum class ButtonPicture { Normal, Over, Down, Disabled };

struct ButtonState {
    bool checkBox = false;  // a two-state check box rather than a push button
    bool checked = false;
    bool hovering = false;  // the pointer is over the button
    bool pressed = false;   // the left button is held down on it, pointer inside
    bool disabled = false;
};

// Which picture a button in this state shows:
//   a check box shows down when checked, else normal, whatever else is going on;
//   a checked push button shows down unless the pointer is over it;
//   a pressed button shows down;
//   with the pointer elsewhere a button shows disabled or normal;
//   with the pointer over it, over.
ButtonPicture SelectButtonPicture(const ButtonState& state);

class CSkinButton : public QAbstractButton {
    Q_OBJECT

public:
    // `screen` receives the clicks; when null, the parent widget is asked for its
    // SkinScreen at each click.
    CSkinButton(std::string name, int index, bool checkBox, QWidget* parent, SkinScreen* screen = nullptr);

    const std::string& Name() const { return m_name; }
    int Index() const { return m_index; }
    bool IsCheckBox() const { return m_checkBox; }
    bool IsHovering() const { return m_hovering; }

    // The check-box state, also usable as a latched state of a push button. (Qt's own
    // checked property is not used: the button is never checkable by a click.)
    bool IsChecked() const { return m_checked; }
    // Repaints only when the state changes; true when it did.
    bool SetChecked(bool on);

    void SetPictures(SkinImage normal, SkinImage over, SkinImage down, SkinImage disabled);
    const SkinImage& Picture(ButtonPicture which) const;
    ButtonState State() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetHovering(bool on);
    bool MayHover() const;
    void NotifyScreen();

    std::string m_name;
    int m_index = 0;
    bool m_checkBox = false;
    bool m_checked = false;
    bool m_hovering = false;
    SkinScreen* m_screen = nullptr;
    SkinImage m_normal;
    SkinImage m_over;
    SkinImage m_down;
    SkinImage m_disabled;
};

}  // namespace brindle::skin
