#include "gui/support/SkinTestSupport.h"

#include <QApplication>
#include <QTest>

namespace brindle::skin::test {

QImage SolidImage(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

SkinImage SolidSkinImage(int width, int height, const QColor& colour) {
    return SkinImage(SolidImage(width, height, colour));
}

RecordingScreen::RecordingScreen(QWidget* parent) : QWidget(parent) {
    resize(200, 100);
}

void RecordingScreen::ButtonPressedByIndex(int index) {
    indexes.push_back(index);
    if (const std::optional<std::string> name = ButtonNameByIndex(index)) ButtonPressed(*name);
}

void RecordingScreen::ButtonPressed(const std::string& name) {
    commands.push_back(name);
    if (onCommand) onCommand(name);
}

PaintCounter::PaintCounter(QWidget* watched) : QObject(watched) {
    watched->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint) ++m_count;
    return false;
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowExposed(&window) && QTest::qWaitForWindowActive(&window);
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
        }
    }
    return count;
}

QRect PaintedArea(const QImage& image, QRgb background) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

}  // namespace brindle::skin::test
