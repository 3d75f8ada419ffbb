// What the window tests share: solid pictures, a screen that records its commands, a
// counter of paint events, pixel questions about a grabbed image, and a current folder of
// the test's choosing.
#pragma once

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "skin/SkinElementSet.h"
#include "skin/SkinImage.h"
#include "skin/SkinScreen.h"

namespace brindle::skin::test {

QImage SolidImage(int width, int height, const QColor& colour);
SkinImage SolidSkinImage(int width, int height, const QColor& colour);

// A screen as the program's screens are: a widget holding its elements, turning a
// button's index into its name. Records both steps; `onCommand` runs for each name.
// The element set is destroyed before the widget's children, as in the program.
class RecordingScreen : public QWidget, public SkinElementSet, public SkinScreen {
public:
    explicit RecordingScreen(QWidget* parent = nullptr);

    void ButtonPressedByIndex(int index) override;
    void ButtonPressed(const std::string& name) override;

    std::vector<int> indexes;
    std::vector<std::string> commands;
    std::function<void(const std::string&)> onCommand;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* watched);
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_count = 0;
};

// Shows the window, makes it the active one and waits until it is on screen.
bool ShowActive(QWidget& window);

// How many pixels of the image have exactly this colour (alpha ignored).
int CountPixels(const QImage& image, QRgb colour);
// The smallest rectangle holding every pixel that differs from `background`; empty
// when there is none.
QRect PaintedArea(const QImage& image, QRgb background);

}  // namespace brindle::skin::test
