// Driving the window as the program runs it: steps inside its exec(), and clicks that go
// through the window system as the user's do (a window a modal one blocks never gets them).
#pragma once

#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <vector>

#include "app/CMainDialog.h"

namespace brindle::test {

// Steps run one after another inside the window's exec(), each a moment after the one
// before, as a user's would be; the window is ended (BUTTON_EXIT) after the last, unless a
// step ended it. Returns exec()'s result.
inline int RunSteps(CMainDialog& dialog, const std::vector<std::function<void()>>& steps) {
    QTimer timer;
    std::size_t next = 0;
    // A timer is never run again while its own call is running: a step may wait.
    QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
        if (next < steps.size()) {
            steps[next++]();
            return;
        }
        timer.stop();
        dialog.ButtonPressed("BUTTON_EXIT");
    });
    timer.start(50);
    return dialog.exec();
}

// A left click in the middle of `widget`, delivered to its top-level window as the window
// system delivers the user's.
inline void ClickThroughWindow(QWidget& widget) {
    QWindow* handle = widget.window()->windowHandle();
    QTEST_ASSERT(handle != nullptr);
    const QPoint at = widget.mapTo(widget.window(), widget.rect().center());
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace brindle::test
