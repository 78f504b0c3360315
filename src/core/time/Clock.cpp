#include "core/time/Clock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace orvane {

namespace {

class SystemClock : public Clock {
public:
    SystemClock() { m_elapsed.start(); }
    double secondsSinceMidnight() const override
    {
        const QTime now = QTime::currentTime();
        return now.msecsSinceStartOfDay() / 1000.0;
    }
    qint64 monotonicMs() const override { return m_elapsed.elapsed(); }
    QDate today() const override { return QDate::currentDate(); }
    int utcOffsetSeconds() const override { return QDateTime::currentDateTime().offsetFromUtc(); }

private:
    QElapsedTimer m_elapsed;
};

Clock *g_clock = nullptr;

} // namespace

Clock &clock()
{
    if (!g_clock) {
        static SystemClock system;
        g_clock = &system;
    }
    return *g_clock;
}

void setClock(Clock *c)
{
    g_clock = c;
}

} // namespace orvane
