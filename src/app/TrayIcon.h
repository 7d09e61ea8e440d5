#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

namespace app {

// The notification-area icon with its menu and mouse rules: a single click shows the menu
// after a delay unless a double click follows within it, a double click restores the
// window, a right click shows the menu at once (through the menu set as context menu).
class CTrayIcon final : public QObject {
    Q_OBJECT

public:
    static constexpr int kClickDelayMs = 800;

    // Starts the single click's delay and calls its argument when it has passed.
    using DelayStarter = std::function<void(std::function<void()>)>;

    // An empty starter waits kClickDelayMs on a timer of this object.
    explicit CTrayIcon(DelayStarter delayStarter = {}, QObject* parent = nullptr);

    QMenu& Menu() { return m_menu; }
    QSystemTrayIcon& Icon() { return m_icon; }

    // What the icon reports, as the platform's tray would report it.
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    bool ClickPending() const { return m_bTrayClickPending; }

signals:
    // Every report of the icon, before it is acted on.
    void activated();
    void doubleClicked();
    // The delayed single click's menu is about to be shown.
    void menuShown();

private:
    void OnDelayedClick();

    DelayStarter m_delayStarter;
    QMenu m_menu;
    QSystemTrayIcon m_icon;
    bool m_bTrayClickPending = false;
};

} // namespace app
