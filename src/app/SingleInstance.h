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

    // True when another instance runs and was asked to come forward; this process should end.
    bool handOverToRunning();
    // Starts answering later starts; false when the socket can't be made (Orvane runs anyway).
    bool listen();

    // The socket name: per user runtime folder and display, so separate sessions (and tests with
    // their own X servers) don't meet.
    static QString serverName();

signals:
    // A later start asked this instance to show itself.
    void activationRequested();

private:
    QLocalServer *m_server = nullptr;
};

} // namespace orvane
