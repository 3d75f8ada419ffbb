// SkinElementSet: the elements of one skinned screen (buttons, text labels, edit boxes in
// the order they were built) and the screen's four images, with the operations screens
// use on their elements by name. Every screen class (the main window, a sub-screen panel,
// a summary screen) is a widget and a SkinElementSet at once.
//
// Names are compared exactly, case included. Where a name appears twice the first element
// answers, except for SetText, which sets every label of that name. A name that is not
// there does nothing, and reads as off or empty.
//
// The elements are child widgets of the screen; the set deletes them when it is cleared
// or destroyed, and forgets any that the screen's widget tree deleted first.
#pragma once

#include <QPointer>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinButton.h"
#include "skin/SkinEdit.h"
#include "skin/SkinImage.h"
#include "skin/SkinText.h"
#include "skin/definition/SkinLines.h"

class QWidget;

namespace brindle::skin {

class SkinElementSet {
public:
    SkinElementSet() = default;
    virtual ~SkinElementSet();
    SkinElementSet(const SkinElementSet&) = delete;
    SkinElementSet& operator=(const SkinElementSet&) = delete;

    // The screen's images: normal (its background), over, down and disabled. Buttons take
    // their four pictures from these, labels their background from the normal one.
    SkinImage& NormalImage() { return m_normal; }
    SkinImage& OverImage() { return m_over; }
    SkinImage& DownImage() { return m_down; }
    SkinImage& DisabledImage() { return m_disabled; }
    const SkinImage& NormalImage() const { return m_normal; }

    // Builders, one element per skin line; `index` is the line's position in its section
    // and `parent` the screen widget. Each element is shown at the line's rectangle and
    // appended to its list.
    CSkinButton* AddButton(const ButtonLine& line, int index, QWidget* parent);
    CSkinText* AddText(const TextLine& line, int index, QWidget* parent);
    CSkinEdit* AddEdit(const TextLine& line, int index, QWidget* parent);

    // Sets the button's checked flag; it repaints only when the flag changes.
    void SetChecked(std::string_view name, bool on);
    // Off when there is no such button.
    bool IsChecked(std::string_view name) const;
    void Enable(std::string_view name, bool on);
    void Hide(std::string_view name, bool hide);
    void EnableAll(bool on);
    // Every label of that name gets the text and repaints.
    void SetText(std::string_view name, const QString& text);
    // The edit box's current text; empty when there is no such edit box.
    QString GetEditText(std::string_view name) const;
    // Gives the edit box of that name the text.
    void SetEditText(std::string_view name, const QString& text);

    // The name of the button a click reported by index: the button that was built with
    // that index. Nothing for an index that no button carries (negative, past the end).
    std::optional<std::string> ButtonNameByIndex(int index) const;

    CSkinButton* FindButton(std::string_view name) const;
    CSkinText* FindText(std::string_view name) const;
    CSkinEdit* FindEdit(std::string_view name) const;
    // In creation order; elements deleted by their parent are left out.
    std::vector<CSkinButton*> Buttons() const;
    std::vector<CSkinText*> Texts() const;
    std::vector<CSkinEdit*> Edits() const;

    // Deletes every element and empties the four images. Safe to call from a command
    // handler that one of the buttons started: the widgets are hidden at once and
    // deleted when control returns to the event loop.
    virtual void Clear();

private:
    template <class Element>
    static std::vector<Element*> Alive(const std::vector<QPointer<Element>>& elements);

    std::vector<QPointer<CSkinButton>> m_buttons;
    std::vector<QPointer<CSkinText>> m_texts;
    std::vector<QPointer<CSkinEdit>> m_edits;
    SkinImage m_normal;
    SkinImage m_over;
    SkinImage m_down;
    SkinImage m_disabled;
};

}  // namespace brindle::skin
