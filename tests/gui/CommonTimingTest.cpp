#include "common/QzCmn14.h"

#include "support/FakeClock.h"
#include "support/FakeDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <time.h>

#include <functional>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Moves the fake clock forward by `step` seconds (exact in binary) on every tick of a real timer,
// as time passes while Wait sleeps; `onTick` runs after each step.
class ClockDriver {
public:
    ClockDriver(FakeClock &clock, double step, std::function<void()> onTick = {})
        : m_clock(clock), m_step(step), m_onTick(std::move(onTick))
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_clock.advance(m_step);
            ++ticks;
            if (m_onTick)
                m_onTick();
        });
        m_timer.start();
    }
    int ticks = 0;

private:
    FakeClock &m_clock;
    double m_step;
    std::function<void()> m_onTick;
    QTimer m_timer;
};

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

TEST(CommonTiming, GetTimeRoundsHalfwayToEven)
{
    FakeClock clock;
    QzCmn14 c;
    const double t = 9 * 3600 + 7 * 60 + 5;
    clock.set(t + 0.4);
    EXPECT_EQ(c.GetTime(), QStringLiteral("09:07:05"));
    clock.set(t + 0.6);
    EXPECT_EQ(c.GetTime(), QStringLiteral("09:07:06"));
    clock.set(t + 0.5);
    EXPECT_EQ(c.GetTime(), QStringLiteral("09:07:06")) << "5 is odd, 6 even";
    clock.set(86399.7);
    EXPECT_EQ(c.GetTime(), QStringLiteral("24:00:00"));
    clock.set(86399.4);
    EXPECT_EQ(c.GetTime(), QStringLiteral("23:59:59"));
    clock.set(0.2);
    EXPECT_EQ(c.GetTime(), QStringLiteral("00:00:00"));
}

TEST(CommonTiming, WaitEndsAtTheRoundedStartPlusItsSeconds)
{
    FakeClock clock(36000.25); // 10:00:00.25
    QzCmn14 c;
    ClockDriver driver(clock, 0.25);
    EXPECT_FALSE(c.Wait(2).isValid());
    EXPECT_EQ(clock.secondsSinceMidnight(), 36002.0);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("10:00:00"));
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("10:00:02"));
}

TEST(CommonTiming, WaitLastsHalfASecondMoreOrLess)
{
    {
        FakeClock clock(100.375);
        QzCmn14 c;
        ClockDriver driver(clock, 0.125);
        c.Wait(1);
        EXPECT_EQ(clock.secondsSinceMidnight(), 101.0);
    }
    {
        FakeClock clock(100.625);
        QzCmn14 c;
        ClockDriver driver(clock, 0.125);
        c.Wait(1);
        EXPECT_EQ(clock.secondsSinceMidnight(), 102.0);
        EXPECT_EQ(c.WaitStartTime, QStringLiteral("00:01:41"));
        EXPECT_EQ(c.WaitFinishTime, QStringLiteral("00:01:42"));
    }
}

TEST(CommonTiming, WaitOfNothingReturnsAtOnce)
{
    FakeClock clock(100.25);
    QzCmn14 c;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    c.Wait(0); // the start was rounded down: already over, no events run
    EXPECT_FALSE(ran);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("00:01:40"));
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("00:01:40"));

    clock.set(100.75); // rounds up to 101
    c.Wait(-0.5);
    c.Wait(-1000);
    EXPECT_FALSE(ran);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("00:01:41"));
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("00:01:40"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(CommonTiming, WaitOfZeroAfterRoundingUpWaitsForTheRoundedStart)
{
    FakeClock clock(100.75);
    QzCmn14 c;
    ClockDriver driver(clock, 0.125);
    c.Wait(0);
    EXPECT_EQ(clock.secondsSinceMidnight(), 101.0);
}

TEST(CommonTiming, WaitEndsAcrossMidnight)
{
    FakeClock clock(86399.25); // 23:59:59.25
    QzCmn14 c;
    ClockDriver driver(clock, 0.25);
    c.Wait(2);
    EXPECT_EQ(clock.secondsSinceMidnight(), 1.0);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("23:59:59"));
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("00:00:01"));
}

TEST(CommonTiming, WaitStartedInTheLastHalfSecondBeforeMidnight)
{
    FakeClock clock(86399.75); // rounds to 86,400
    QzCmn14 c;
    ClockDriver driver(clock, 0.25);
    c.Wait(0.5);
    EXPECT_EQ(clock.secondsSinceMidnight(), 0.5);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("24:00:00"));
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("00:00:00"));
}

TEST(CommonTiming, WaitLetsEventsRunAndEmptiesItsTimesMeanwhile)
{
    FakeClock clock(50000.25); // 13:53:20.25
    QzCmn14 c;
    c.Wait(-1);
    ASSERT_FALSE(c.WaitStartTime.isEmpty());

    QStringList seenDuringWait;
    QString innerStart;
    QString innerFinish;
    ClockDriver driver(clock, 0.25, [&] {
        seenDuringWait << c.WaitStartTime + c.WaitFinishTime;
        // A handler that waits too, once, on the same object (from a timer of its own, since a
        // timer's slot doesn't fire again while it is still running).
        if (driver.ticks == 3)
            QTimer::singleShot(0, [&] {
                c.Wait(0.5);
                innerStart = c.WaitStartTime;
                innerFinish = c.WaitFinishTime;
            });
    });
    c.Wait(3);
    EXPECT_EQ(clock.secondsSinceMidnight(), 50003.0);
    EXPECT_GE(driver.ticks, 11);
    ASSERT_GE(seenDuringWait.size(), 3);
    EXPECT_EQ(seenDuringWait[0], QString()) << "both empty while waiting";
    // Started on or just after the third tick (13:53:21.0), it lasts half a second from the rounded start.
    EXPECT_TRUE(innerStart == QStringLiteral("13:53:21") || innerStart == QStringLiteral("13:53:22"))
        << innerStart.toStdString();
    EXPECT_EQ(innerFinish, innerStart);
    EXPECT_EQ(c.WaitStartTime, QStringLiteral("13:53:20")) << "the outer wait's times overwrite the inner's";
    EXPECT_EQ(c.WaitFinishTime, QStringLiteral("13:53:23"));
}

TEST(CommonTiming, WaitSleepsRatherThanSpins)
{
    QzCmn14 c; // the real clocks
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(20);

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadCpuSeconds();
    c.Wait(1.0F);
    const double cpu = threadCpuSeconds() - cpuBefore;
    const qint64 wallMs = wall.elapsed();

    EXPECT_GE(wallMs, 450) << "a wait of 1 lasts at least half a second";
    EXPECT_GT(ticks, 0) << "timers run during the wait";
    EXPECT_LT(cpu, 0.25 * static_cast<double>(wallMs) / 1000.0) << "waiting must not keep the processor busy";
    EXPECT_EQ(c.WaitStartTime.size(), 8);
    EXPECT_EQ(c.WaitFinishTime.size(), 8);
}

TEST(CommonTiming, PlayWaveSoundHandsTheNameOnAndReturnsEmpty)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_FALSE(c.PlayWaveSound(c.MB_Info.toString()).isValid());
    c.PlayWaveSound(QString());
    EXPECT_EQ(fake.sounds, (QList<QString>{QStringLiteral("64"), QString()}));
    EXPECT_TRUE(fake.beeps.isEmpty());
}
