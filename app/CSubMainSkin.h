// CSubMainSkin: one sub-screen panel of the main window, built from one line of
// [SUBMAINSCREENINFO]: its own four images, its buttons, labels and edit boxes, and the
// list of the result, ignored or schedule panel. A click on one of its buttons reaches
// whoever listens to panelButton, with the button's name.
#pragma once

#include <QTableWidget>
#include <QWidget>

#include <filesystem>
#include <string>

#include "skin/SkinElementSet.h"
#include "skin/SkinList.h"
#include "skin/SkinScreen.h"
#include "skin/definition/SkinIni.h"
#include "skin/definition/SkinLines.h"

namespace brindle {

class CSubMainSkin : public QWidget, public skin::SkinElementSet, public skin::SkinScreen {
    Q_OBJECT

public:
    explicit CSubMainSkin(QWidget* parent);

    // Builds the panel of `line` (its position in the section is `index`) with the images
    // found from `skinFolder`, at the line's rectangle.
    void Build(const skin::CSkinIni& ini, const std::filesystem::path& skinFolder, const skin::ScreenImageLine& line,
               int index);

    const std::string& name() const { return m_name; }
    // Whether this is the panel of the scan's category boxes, where BUTTON_STARTUP is the
    // startup category; on any other panel a box of that name is "Start with Windows".
    bool holdsCategories() const;
    int index() const { return m_index; }
    // The check-box list of the result or ignored panel; null on the others.
    skin::CSkinList* checkList() const { return m_checkList; }
    // The plain list of the schedule panel, when the skin gives it one; null otherwise.
    QTableWidget* scheduleList() const { return m_scheduleList; }

    void ButtonPressedByIndex(int index) override;
    void ButtonPressed(const std::string& name) override;
    void Clear() override;

signals:
    void panelButton(const std::string& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string m_name;
    int m_index = -1;
    skin::CSkinList* m_checkList = nullptr;
    QTableWidget* m_scheduleList = nullptr;
};

}  // namespace brindle
