#include "app/TrayIcon.h"

#include <QCursor>
#include <QTimer>

namespace app {

CTrayIcon::CTrayIcon(DelayStarter delayStarter, QObject* parent)
    : QObject(parent), m_delayStarter(std::move(delayStarter)) {
    if (!m_delayStarter) {
        m_delayStarter = [this](std::function<void()> elapsed) {
            QTimer::singleShot(kClickDelayMs, this, std::move(elapsed));
        };
    }
    m_icon.setContextMenu(&m_menu);
    // The click stays pending until its menu has closed.
    connect(&m_menu, &QMenu::aboutToHide, this, [this] { m_bTrayClickPending = false; });
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    emit activated();
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        m_bTrayClickPending = false;
        emit doubleClicked();
        break;
    case QSystemTrayIcon::Trigger:
        m_bTrayClickPending = true;
        m_delayStarter([this] { OnDelayedClick(); });
        break;
    default:
        // The context menu opens by itself on a right click.
        break;
    }
}

void CTrayIcon::OnDelayedClick() {
    emit activated();
    if (!m_bTrayClickPending) {
        return;
    }
    emit menuShown();
    m_menu.popup(QCursor::pos());
}

} // namespace app
