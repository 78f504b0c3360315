#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace orvane {

// One Orvane per desktop session: a second start hands over to the first (which brings its main
// window forward) and ends, so there is never a second icon or a second timed wake.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the session's lock. True when this process is the session's Orvane (it then answers
    // later starts), also when no lock can be made at all (better a second Orvane than none);
    // false while another one holds it.
    bool claim();
    // Asks the Orvane that holds the lock to come forward; waits a few seconds for it to answer,
    // since it may be just starting. False when none could be reached.
    bool handOverToRunning();

    // The socket's name: per user runtime folder and display, so separate sessions (and tests with
    // their own X servers) don't meet. The lock is this name with ".lock".
    static QString serverName();

signals:
    // A later start asked this instance to show itself.
    void activationRequested();

private:
    bool listen();

    QLocalServer *m_server = nullptr;
    int m_lockFd = -1;
};

} // namespace orvane
