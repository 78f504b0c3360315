#include "platform/QzCmn14.h"

#include "core/time/Clock.h"
#include "core/time/TimeText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace orvane {

namespace {

// Longest sleep between two looks at the time-of-day clock, so a clock set forward still ends the wait.
constexpr double LongestNapMs = 1000.0;

} // namespace

QString QzCmn14::GetTime()
{
    return roundedTimeText(clock().secondsSinceMidnight());
}

// Waits from the rounded start as always, but sleeps until an event or the end arrives instead of
// polling, and measures the time on the monotonic clock as well: the time of day starts again at 0
// at midnight, where it would never reach an end of 86,400 or more.
QVariant QzCmn14::Wait(float second)
{
    WaitStartTime.clear();
    WaitFinishTime.clear();

    Clock &c = clock();
    const double begun = c.secondsSinceMidnight();
    const float start = static_cast<float>(roundHalfEven(begun));
    const float end = start + second;
    const double budgetMs = (static_cast<double>(end) - begun) * 1000.0;
    const qint64 begunMs = c.monotonicMs();

    auto remainingMs = [&]() -> double {
        if (!(static_cast<double>(end) > c.secondsSinceMidnight()))
            return 0;
        const double left = budgetMs - static_cast<double>(c.monotonicMs() - begunMs);
        return left > 0 ? left : 0;
    };

    const bool eventLoop = QCoreApplication::instance() != nullptr;
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    for (double left = remainingMs(); left > 0; left = remainingMs()) {
        const int napMs = static_cast<int>(std::ceil(std::min(left, LongestNapMs)));
        if (eventLoop) {
            // Sleeps until the nap is over or any event arrives, runs the pending events, looks again.
            wakeUp.start(napMs);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(napMs));
        }
    }

    const double finish = c.secondsSinceMidnight();
    WaitStartTime = timeText(start);
    WaitFinishTime = timeText(finish);
    return QVariant();
}

QVariant QzCmn14::PlayWaveSound(const QString &WavFileName)
{
    desktop().playSound(WavFileName);
    return QVariant();
}

} // namespace orvane
