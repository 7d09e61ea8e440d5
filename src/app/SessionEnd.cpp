#include "app/SessionEnd.h"

#include "platform/TerminationSignal.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QGuiApplication>
#include <QSessionManager>

namespace app {
namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

CSessionEnd::CSessionEnd(QObject* parent) : QObject(parent) {}

bool CSessionEnd::Start() {
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { emit sessionEnding(Reason::Session); });
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        m_busConnected = bus.connect(kLogindService, kLogindPath, kLogindManager,
                                     QStringLiteral("PrepareForShutdown"), this,
                                     SLOT(OnPrepareForShutdown(bool)));
        TakeDelayLock();
    }
    const int fd = platform::WatchTerminationSignal();
    if (fd < 0) {
        return false;
    }
    m_signalNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_signalNotifier.get(), &QSocketNotifier::activated, this, [this, fd] {
        if (platform::DrainTerminationSignal(fd)) {
            emit sessionEnding(Reason::Terminated);
        }
    });
    return true;
}

void CSessionEnd::TakeDelayLock() {
    if (!m_busConnected) {
        return;
    }
    QDBusInterface manager(kLogindService, kLogindPath, kLogindManager,
                           QDBusConnection::systemBus());
    const QDBusReply<QDBusUnixFileDescriptor> reply = manager.call(
        QStringLiteral("Inhibit"), QStringLiteral("shutdown"), QStringLiteral("VORNClient"),
        QStringLiteral("Disconnecting from the campus network gateway"), QStringLiteral("delay"));
    // Without the lock the disconnect still runs when the signal comes, only unwaited for.
    m_lock = reply.isValid() ? reply.value() : QDBusUnixFileDescriptor();
}

void CSessionEnd::ReleaseDelay() {
    m_lock = QDBusUnixFileDescriptor();
}

void CSessionEnd::OnPrepareForShutdown(bool starting) {
    if (starting) {
        emit sessionEnding(Reason::Shutdown);
        return;
    }
    // The shutdown was called off: hold a lock for the next one.
    TakeDelayLock();
}

} // namespace app
