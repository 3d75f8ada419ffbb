// Summary: a skinned dialog. It paints its normal image as its background, owns its
// elements (SkinElementSet) and turns a button's index into its name for ButtonPressed.
// The summary screens are Summary objects; the main window (CMainSkin) derives from it.
#pragma once

#include <QDialog>

#include <string>

#include "skin/SkinElementSet.h"
#include "skin/SkinScreen.h"

namespace brindle {

class Summary : public QDialog, public skin::SkinElementSet, public skin::SkinScreen {
    Q_OBJECT

public:
    explicit Summary(QWidget* parent = nullptr);

    // The index a button reported, turned into its name; an index no button carries does
    // nothing.
    void ButtonPressedByIndex(int index) override;
    // The screen's command handler; the base screen has no commands.
    void ButtonPressed(const std::string& name) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A left press on the background (a place no child covers) drags the window.
    void mousePressEvent(QMouseEvent* event) override;
};

// Starts moving `window` with the pointer, as a press on a caption would; for presses
// that reach a skinned screen's background.
void DragWindowByBackground(QWidget& window);

}  // namespace brindle
