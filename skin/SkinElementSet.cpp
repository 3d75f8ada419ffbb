#include "skin/SkinElementSet.h"

#include <QWidget>

#include <algorithm>

namespace brindle::skin {

namespace {

void PlaceAt(QWidget& widget, const SkinRect& rect) {
    widget.setGeometry(rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height()));
}

template <class Element>
Element* FindByName(const std::vector<QPointer<Element>>& elements, std::string_view name) {
    for (const QPointer<Element>& element : elements) {
        if (!element.isNull() && element->Name() == name) return element.data();
    }
    return nullptr;
}

}  // namespace

template <class Element>
std::vector<Element*> SkinElementSet::Alive(const std::vector<QPointer<Element>>& elements) {
    std::vector<Element*> alive;
    alive.reserve(elements.size());
    for (const QPointer<Element>& element : elements) {
        if (!element.isNull()) alive.push_back(element.data());
    }
    return alive;
}

SkinElementSet::~SkinElementSet() {
    // Deleted now: nothing of this screen may outlive it. Elements the screen's widget
    // tree deleted already are null here.
    for (const QPointer<CSkinButton>& button : m_buttons) delete button.data();
    for (const QPointer<CSkinText>& text : m_texts) delete text.data();
    for (const QPointer<CSkinEdit>& edit : m_edits) delete edit.data();
}

CSkinButton* SkinElementSet::AddButton(const ButtonLine& line, int index, QWidget* parent) {
    auto* button = new CSkinButton(line.name, index, line.checkBox, parent);
    const SkinRect& r = line.rect;
    button->SetPictures(CutImage(m_normal, r.left, r.top, r.right, r.bottom),
                        CutImage(m_over, r.left, r.top, r.right, r.bottom),
                        CutImage(m_down, r.left, r.top, r.right, r.bottom),
                        CutImage(m_disabled, r.left, r.top, r.right, r.bottom));
    PlaceAt(*button, r);
    button->show();
    m_buttons.emplace_back(button);
    return button;
}

CSkinText* SkinElementSet::AddText(const TextLine& line, int index, QWidget* parent) {
    auto* text = new CSkinText(line.name, index, parent);
    const SkinRect& r = line.rect;
    text->SetBackground(CutImage(m_normal, r.left, r.top, r.right, r.bottom));
    text->SetText(QString::fromStdString(line.initialText));
    text->SetColour(line.colour);
    text->setFont(SkinFont(line, text->font()));
    PlaceAt(*text, r);
    text->show();
    m_texts.emplace_back(text);
    return text;
}

CSkinEdit* SkinElementSet::AddEdit(const TextLine& line, int index, QWidget* parent) {
    auto* edit = new CSkinEdit(line.name, index, parent);
    edit->setText(QString::fromStdString(line.initialText));
    PlaceAt(*edit, line.rect);
    edit->show();
    m_edits.emplace_back(edit);
    return edit;
}

void SkinElementSet::SetChecked(std::string_view name, bool on) {
    if (CSkinButton* button = FindButton(name)) button->SetChecked(on);
}

bool SkinElementSet::IsChecked(std::string_view name) const {
    const CSkinButton* button = FindButton(name);
    return button != nullptr && button->IsChecked();
}

void SkinElementSet::Enable(std::string_view name, bool on) {
    if (CSkinButton* button = FindButton(name)) button->setEnabled(on);
}

void SkinElementSet::Hide(std::string_view name, bool hide) {
    if (CSkinButton* button = FindButton(name)) button->setVisible(!hide);
}

void SkinElementSet::EnableAll(bool on) {
    for (CSkinButton* button : Buttons()) button->setEnabled(on);
}

void SkinElementSet::SetText(std::string_view name, const QString& text) {
    for (CSkinText* label : Texts()) {
        if (label->Name() == name) label->SetText(text);
    }
}

QString SkinElementSet::GetEditText(std::string_view name) const {
    const CSkinEdit* edit = FindEdit(name);
    return edit != nullptr ? edit->text() : QString();
}

void SkinElementSet::SetEditText(std::string_view name, const QString& text) {
    if (CSkinEdit* edit = FindEdit(name)) edit->setText(text);
}

std::optional<std::string> SkinElementSet::ButtonNameByIndex(int index) const {
    // Indexes are positions in the skin section's walk. They equal the positions in the
    // button list unless an empty line inside the section left a number out; the button
    // that carries the index is the one that reported it either way.
    if (index < 0) return std::nullopt;
    for (const CSkinButton* button : Buttons()) {
        if (button->Index() == index) return button->Name();
    }
    return std::nullopt;
}

CSkinButton* SkinElementSet::FindButton(std::string_view name) const {
    return FindByName(m_buttons, name);
}

CSkinText* SkinElementSet::FindText(std::string_view name) const {
    return FindByName(m_texts, name);
}

CSkinEdit* SkinElementSet::FindEdit(std::string_view name) const {
    return FindByName(m_edits, name);
}

std::vector<CSkinButton*> SkinElementSet::Buttons() const {
    return Alive(m_buttons);
}

std::vector<CSkinText*> SkinElementSet::Texts() const {
    return Alive(m_texts);
}

std::vector<CSkinEdit*> SkinElementSet::Edits() const {
    return Alive(m_edits);
}

void SkinElementSet::Clear() {
    auto retire = [](QWidget* widget) {
        widget->hide();
        widget->deleteLater();
    };
    for (CSkinButton* button : Buttons()) retire(button);
    for (CSkinText* text : Texts()) retire(text);
    for (CSkinEdit* edit : Edits()) retire(edit);
    m_buttons.clear();
    m_texts.clear();
    m_edits.clear();
    m_normal = SkinImage();
    m_over = SkinImage();
    m_down = SkinImage();
    m_disabled = SkinImage();
}

}  // namespace brindle::skin
