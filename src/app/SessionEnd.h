#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace app {

// Tells the window that the session or the machine is ending, so that it can send its
// disconnect request first: on SIGTERM (through a self-pipe, never Qt inside the handler),
// on the session manager's commit request, and on systemd-logind's PrepareForShutdown, for
// which it holds a delay inhibitor while the system bus is there.
class CSessionEnd final : public QObject {
    Q_OBJECT

public:
    enum class Reason {
        Terminated, // SIGTERM: the program should end once disconnected
        Session,    // the session manager asks to save state: the program goes on
        Shutdown,   // the machine shuts down: logind waits for ReleaseDelay
    };
    Q_ENUM(Reason)

    explicit CSessionEnd(QObject* parent = nullptr);

    // Starts watching; the logind inhibitor is taken when the system bus answers. False only
    // when SIGTERM cannot be watched.
    bool Start();

    // Whether a delay inhibitor is held now.
    bool HoldsDelayLock() const { return m_lock.isValid(); }

    // Lets a shutdown that waits on this program go on.
    void ReleaseDelay();

signals:
    void sessionEnding(app::CSessionEnd::Reason reason);

private:
    void TakeDelayLock();

    std::unique_ptr<QSocketNotifier> m_signalNotifier;
    QDBusUnixFileDescriptor m_lock;
    bool m_busConnected = false;

    // logind's signal, connected by name over the bus.
    Q_SLOT void OnPrepareForShutdown(bool starting);
};

} // namespace app
