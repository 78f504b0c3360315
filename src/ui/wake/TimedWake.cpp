#include "ui/wake/TimedWake.h"

#include "core/settings/SettingsStore.h"
#include "core/time/Clock.h"
#include "core/time/TimeText.h"
#include "core/wake/WakeRequest.h"
#include "platform/QzCmn14.h"
#include "ui/wake/WakeCommand.h"

#include <QTimer>

#include <cmath>

namespace orvane {

TimedWake::TimedWake(QzCmn14 &common, QObject *parent)
    : QObject(parent), m_common(common), m_Timer1(new QTimer(this)),
      m_wake([&common](qint16 pc) { PC_start_Click(common, pc); })
{
    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setSingleShot(true);
    m_Timer1->setTimerType(Qt::PreciseTimer);
    connect(m_Timer1, &QTimer::timeout, this, [this] {
        // Armed first: a message box inside a wake command must not stop the clock.
        armNextTick();
        Timer1_Timer();
    });
}

void TimedWake::start()
{
    armNextTick();
}

void TimedWake::setWakeCommand(WakeCommand command)
{
    m_wake = std::move(command);
}

void TimedWake::armNextTick()
{
    // Aim at the next whole second: the time text rounds to the nearest second, so a tick there
    // shows the right text even when it comes up to half a second early or late.
    const double now = clock().secondsSinceMidnight();
    const double next = roundHalfEven(now) + 1.0;
    m_Timer1->start(static_cast<int>(std::ceil((next - now) * 1000.0)));
}

void TimedWake::Timer1_Timer()
{
    const QString t = m_common.GetTime();
    emit timeShown(t);
    for (const QString &time : m_schedule.timesToCheck(t, clock().monotonicMs(), clock().utcOffsetSeconds())) {
        // Each PC is read when its turn comes: settings may be reloaded while an earlier PC's
        // message box is open.
        for (int pc = FirstPc; pc <= LastPc; ++pc)
            if (timerFlagOn(settingsStore().SettingsTable.value(pc, TimerCell)) &&
                wakeTimeOf(settingsStore().SettingsTable.value(pc, WakeTimeCell)) == time &&
                wakesToday(settingsStore().ExtrasTable, pc))
                m_wake(static_cast<qint16>(pc));
    }
}

} // namespace orvane
