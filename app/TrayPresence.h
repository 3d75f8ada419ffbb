// The window's life in the notification area: minimised, it hides there, and the summary
// window over it goes with it; the tray icon brings both back where they stood. Without a
// notification area the window is minimised as usual, since hidden it would have no way
// back.
#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

#include "app/MainTrayIcon.h"

namespace brindle {

class TrayPresence {
public:
    // companion: the window that stands over `window` while it is open (the summary
    // window), or null.
    TrayPresence(QWidget& window, std::function<QWidget*()> companion);

    MainTrayIcon& icon() { return *m_icon; }

    // The minimise command: into the tray when there is one.
    void minimise();
    void hide();
    void show();

private:
    QWidget& m_window;
    std::function<QWidget*()> m_companion;
    // A child of the window, which deletes it.
    MainTrayIcon* m_icon;
    // Where the window stood when it went into the tray; it comes back there.
    std::optional<QPoint> m_placeBeforeTray;
};

}  // namespace brindle
