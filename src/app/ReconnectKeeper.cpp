#include "app/ReconnectKeeper.h"

#include <QDBusConnection>
#include <algorithm>
#include <chrono>

namespace app {
namespace {

// How soon an attempt that found the window busy is tried again.
constexpr std::chrono::milliseconds kBusyRetry{1000};

} // namespace

CReconnectKeeper::CReconnectKeeper(config::CVORNConfig& settings, platform::CMessageBox& messageBox,
                                   Host host, QObject* parent)
    : QObject(parent), m_settings(settings), m_messageBox(messageBox), m_host(std::move(host)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CReconnectKeeper::Step);
}

void CReconnectKeeper::AddMenuItem(QMenu& menu) {
    m_item = menu.addAction(QStringLiteral("断线自动重连"));
    m_item->setObjectName(QStringLiteral("reconnectItem"));
    m_item->setCheckable(true);
    connect(m_item, &QAction::triggered, this, [this](bool on) {
        SetEnabled(on);
        m_settings.SetReconnect(on);
        if (!m_settings.Save()) {
            m_messageBox.Inform("Error:Save settings");
        }
    });
}

void CReconnectKeeper::Load() {
    const bool on = m_settings.GetReconnect();
    if (m_item != nullptr) {
        m_item->setChecked(on);
    }
    SetEnabled(on);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        bus.connect(QStringLiteral("org.freedesktop.login1"),
                    QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"),
                    QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
    }
}

void CReconnectKeeper::SetEnabled(bool on) {
    m_enabled = on;
    if (!on) {
        m_timer.stop();
        m_policy.Disconnected();
        return;
    }
    if (m_connected) {
        m_policy.Connected();
    }
}

void CReconnectKeeper::Connected() {
    if (m_policy.GetPhase() == heartbeat::CReconnectPolicy::Phase::Attempting) {
        return;
    }
    m_connected = true;
    if (m_enabled) {
        m_policy.Connected();
    }
}

void CReconnectKeeper::Disconnected() {
    if (m_policy.GetPhase() == heartbeat::CReconnectPolicy::Phase::Attempting) {
        return;
    }
    m_connected = false;
    m_timer.stop();
    m_policy.Disconnected();
}

void CReconnectKeeper::ReachChanged(int state) {
    m_policy.ReachChanged(state, heartbeat::ReconnectClock::now());
    Step();
}

void CReconnectKeeper::OnPrepareForSleep(bool sleeping) {
    if (!sleeping) {
        m_policy.Resumed(heartbeat::ReconnectClock::now());
        Step();
    }
}

void CReconnectKeeper::Step() {
    if (m_policy.GetPhase() == heartbeat::CReconnectPolicy::Phase::Pending && m_host.busy()) {
        m_timer.start(kBusyRetry);
        return;
    }
    const heartbeat::ReconnectClock::time_point now = heartbeat::ReconnectClock::now();
    const heartbeat::ReconnectDecision decision = m_policy.Next(now);
    switch (decision.kind) {
    case heartbeat::ReconnectDecision::Kind::Rest:
        m_timer.stop();
        return;
    case heartbeat::ReconnectDecision::Kind::Wait:
        m_timer.start(std::max(std::chrono::ceil<std::chrono::milliseconds>(decision.at - now),
                               std::chrono::milliseconds(1)));
        return;
    default:
        break;
    }
    const int code = m_host.attempt(
        decision.kind == heartbeat::ReconnectDecision::Kind::ReconnectAfterDisconnectAll);
    m_policy.AttemptEnded(code, heartbeat::ReconnectClock::now());
    if (m_policy.GetPhase() == heartbeat::CReconnectPolicy::Phase::Stopped) {
        m_messageBox.Inform("Reconnecting stopped: " + m_policy.Reason() + "\n" +
                            m_host.clientMessage());
    }
    Step();
}

} // namespace app
