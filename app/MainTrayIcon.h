// MainTrayIcon: the main window's notification-area icon, the way back to a window that
// hides itself when minimised. Its menu offers "Show" and "Close"; a click or a
// double-click shows too. The window decides what showing and closing mean, so the icon
// only asks.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <optional>

namespace brindle {

class MainTrayIcon : public QObject {
    Q_OBJECT

public:
    // Shown at once when the desktop has a notification area; otherwise it stays hidden
    // and the window must not hide itself with no way back.
    MainTrayIcon(const QIcon& icon, QObject* parent);

    // Whether the desktop has a notification area.
    static bool available();
    // Answers available() in place of the desktop until reset with nullopt: the offscreen
    // platform the window's tests run on never has a notification area.
    static void setAvailableForTesting(std::optional<bool> answer);

    void show();
    void hide();

    QMenu& menu() { return m_menu; }
    // The icon itself, so that tests can deliver activations the desktop would.
    QSystemTrayIcon& trayIcon() { return m_trayIcon; }

signals:
    void showRequested();
    void closeRequested();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    // Declared before the icon so that the icon, which points at it, goes first.
    QMenu m_menu;
    QSystemTrayIcon m_trayIcon;
};

}  // namespace brindle
