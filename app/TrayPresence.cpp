#include "app/TrayPresence.h"

#include "app/ProgramIcon.h"

namespace brindle {

TrayPresence::TrayPresence(QWidget& window, std::function<QWidget*()> companion)
    : m_window(window), m_companion(std::move(companion)), m_icon(new MainTrayIcon(ProgramIcon(), &window)) {}

void TrayPresence::minimise() {
    if (MainTrayIcon::available()) {
        hide();
    } else {
        m_window.showMinimized();
    }
}

void TrayPresence::hide() {
    // A notification area that came after the window was built has no icon yet.
    m_icon->show();
    // The summary window stands over this one; left alone on the screen it would have
    // nothing to stand over.
    if (QWidget* companion = m_companion()) companion->hide();
    m_placeBeforeTray = m_window.pos();
    m_window.hide();
}

void TrayPresence::show() {
    // A double-click reports its first click as well: the second call finds the window
    // shown and only raises it. Shown a second time while the window manager was still
    // mapping it, the window landed in the screen's corner (seen on X11 with openbox).
    if (!m_window.isVisible() || m_window.isMinimized()) {
        // Mapped again, a window the window manager had reparented came back in the
        // screen's corner unless told where it stood (X11, openbox).
        if (!m_window.isVisible() && m_placeBeforeTray) m_window.move(*m_placeBeforeTray);
        m_window.showNormal();
    }
    m_window.raise();
    m_window.activateWindow();
    if (QWidget* companion = m_companion()) {
        companion->show();
        companion->raise();
        companion->activateWindow();
    }
}

}  // namespace brindle
