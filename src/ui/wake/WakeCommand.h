#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace orvane {

class QzCmn14;

// The packet of the latest command that got past the checks; 102 bytes.
extern QByteArray MagicPacket;
// The name of the PC of the latest command that reached the notice.
extern QString StartedPcName;

// What the wake command tells the rest of the program.
class WakeEvents : public QObject {
    Q_OBJECT
signals:
    // PC Index got its datagrams and StartedPcName names it: time for the notice.
    void started(qint16 Index);
    // PC Index's datagrams went to its own address, so whether it comes up can be watched.
    void answerAwaited(qint16 Index);
};

WakeEvents &wakeEvents();

// The wake command for PC Index (1 to 5): checks, datagrams, sound, notice. Refusals and failures
// are shown with `common`'s error box and end the command with nothing sent.
void PC_start_Click(QzCmn14 &common, qint16 Index);

} // namespace orvane
