#include "app/MainTrayIcon.h"

#include <QAction>

namespace brindle {

namespace {

std::optional<bool> g_availableForTesting;

}  // namespace

MainTrayIcon::MainTrayIcon(const QIcon& icon, QObject* parent) : QObject(parent), m_trayIcon(icon, this) {
    m_trayIcon.setToolTip(QStringLiteral("Brindle"));
    connect(m_menu.addAction(QStringLiteral("Show")), &QAction::triggered, this, &MainTrayIcon::showRequested);
    m_menu.addSeparator();
    connect(m_menu.addAction(QStringLiteral("Close")), &QAction::triggered, this, &MainTrayIcon::closeRequested);
    m_trayIcon.setContextMenu(&m_menu);
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &MainTrayIcon::onActivated);
    if (available()) m_trayIcon.show();
}

bool MainTrayIcon::available() {
    if (g_availableForTesting) return *g_availableForTesting;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainTrayIcon::setAvailableForTesting(std::optional<bool> answer) { g_availableForTesting = answer; }

void MainTrayIcon::show() { m_trayIcon.show(); }

void MainTrayIcon::hide() { m_trayIcon.hide(); }

void MainTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // A notification area that speaks the D-Bus protocol reports a left click as Trigger
    // and never a double-click; an X11 one reports both, and showing twice is harmless.
    // The right button's menu is QSystemTrayIcon's own business.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) emit showRequested();
}

}  // namespace brindle
