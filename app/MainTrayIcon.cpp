#include "app/MainTrayIcon.h"

#include <QAction>

namespace brindle {

MainTrayIcon::MainTrayIcon(const QIcon& icon, QObject* parent) : QObject(parent), m_trayIcon(icon, this) {
    m_trayIcon.setToolTip(QStringLiteral("Brindle"));
    connect(m_menu.addAction(QStringLiteral("Show")), &QAction::triggered, this, &MainTrayIcon::showRequested);
    m_menu.addSeparator();
    connect(m_menu.addAction(QStringLiteral("Close")), &QAction::triggered, this, &MainTrayIcon::closeRequested);
    m_trayIcon.setContextMenu(&m_menu);
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &MainTrayIcon::onActivated);
    if (available()) m_trayIcon.show();
}

bool MainTrayIcon::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void MainTrayIcon::show() { m_trayIcon.show(); }

void MainTrayIcon::hide() { m_trayIcon.hide(); }

void MainTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // A single click does nothing: every double-click starts with one, and it must not act
    // on its own. The right button's menu is QSystemTrayIcon's own business.
    if (reason == QSystemTrayIcon::DoubleClick) emit showRequested();
}

}  // namespace brindle
