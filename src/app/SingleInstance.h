#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace app {

// Keeps one copy of the program running per user: the first copy listens on a local socket,
// a later copy asks it to show itself and ends.
class CSingleInstance final : public QObject {
    Q_OBJECT

public:
    explicit CSingleInstance(QString name, QObject* parent = nullptr);

    // The socket of this user: in the user's runtime folder, else named after the user id.
    static QString DefaultName();

    // True when a running copy answered and has been asked to show itself; this copy should
    // then end. False when no copy answers (none runs, or a stale socket is left).
    bool HandOver() const;

    // Listens for later copies, replacing a stale socket; false when the name cannot be taken.
    bool Listen();

signals:
    // Another copy was started; it waits for this to be handled.
    void otherCopyStarted();

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer m_server;
};

} // namespace app
