#pragma once

#include "core/time/WakeSchedule.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace orvane {

class QzCmn14;

// The main window's one-second timer: shows the time and wakes every PC whose wake time has come.
class TimedWake : public QObject {
    Q_OBJECT
public:
    using WakeCommand = std::function<void(qint16)>;

    explicit TimedWake(QzCmn14 &common, QObject *parent = nullptr);

    // Starts ticking, each tick near the start of a second.
    void start();
    // The tick.
    void Timer1_Timer();

    // What a due PC gets; PC_start_Click with the same common services object unless replaced.
    void setWakeCommand(WakeCommand command);

signals:
    void timeShown(const QString &t);

private:
    void armNextTick();

    QzCmn14 &m_common;
    QTimer *m_Timer1;
    WakeSchedule m_schedule;
    WakeCommand m_wake;
};

} // namespace orvane
