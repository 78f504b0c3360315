#pragma once

#include "core/io/Fd.h"

#include <QObject>
#include <QString>

class QLocalServer;

namespace orvane {

// One Orvane per settings folder and display: a second start there hands over to the first (which
// brings its main window forward) and ends, so there is never a second icon or a second timed wake
// for the same "System.ini". A start in another folder runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock of this folder and display. True when this process is the Orvane there (it then
    // answers later starts), also when no lock can be made at all (better a second Orvane than none);
    // false while another one holds it.
    bool claim();
    // Asks the Orvane that holds the lock to come forward; waits a few seconds for it to answer,
    // since it may be just starting. False when none could be reached.
    bool handOverToRunning();

    // The socket's path, in a folder only this user can enter (made if need be), named for the
    // current folder and the display; empty when there is no such folder. The lock is this path
    // with ".lock".
    static QString serverName();

signals:
    // A later start asked this instance to show itself.
    void activationRequested();

private:
    bool listen();

    QString m_name;
    QLocalServer *m_server = nullptr;
    Fd m_lockFd;
};

} // namespace orvane
