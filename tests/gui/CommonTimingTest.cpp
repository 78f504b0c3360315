#include "platform/QzCmn14.h"

#include "support/FakeClock.h"
#include "support/FakeDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

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

} // namespace

TEST(CommonTiming, GetTimeRoundsHalfwayToEven)
{
    FakeClock clock;
    QzCmn14 c;
    const double t = 9 * 3600 + 7 * 60 + 5;
    // 5 is odd, 6 even; 86,400 is even and the time before midnight.
    const QList<std::pair<double, const char *>> cases{
        {t + 0.4, "09:07:05"}, {t + 0.6, "09:07:06"}, {t + 0.5, "09:07:06"}, {86399.7, "24:00:00"},
        {86399.5, "24:00:00"}, {86399.4, "23:59:59"}, {86398.5, "23:59:58"}, {0.2, "00:00:00"},
        {0.5, "00:00:00"},     {1.5, "00:00:02"}};
    for (const auto &[seconds, text] : cases) {
        clock.set(seconds);
        EXPECT_EQ(c.GetTime(), QLatin1String(text)) << seconds;
    }
}

// The wait ends when the clock reaches the rounded start plus its seconds, midnight or not.
TEST(CommonTiming, WaitEndsAtTheRoundedStartPlusItsSeconds)
{
    struct Case {
        double start, step;
        float seconds;
        double end;
        const char *startText, *finishText;
    };
    const QList<Case> cases{{36000.25, 0.25, 2, 36002.0, "10:00:00", "10:00:02"},
                            // Half a second more or less.
                            {100.375, 0.125, 1, 101.0, "00:01:40", "00:01:41"},
                            {100.625, 0.125, 1, 102.0, "00:01:41", "00:01:42"},
                            // Nothing after rounding up waits for the rounded start.
                            {100.75, 0.125, 0, 101.0, "00:01:41", "00:01:41"},
                            {86399.25, 0.25, 2, 1.0, "23:59:59", "00:00:01"},
                            // Started in the last half second before midnight.
                            {86399.75, 0.25, 0.5, 0.5, "24:00:00", "00:00:00"}};
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << "from " << k.start << " for " << k.seconds);
        FakeClock clock(k.start);
        QzCmn14 c;
        ClockDriver driver(clock, k.step);
        EXPECT_FALSE(c.Wait(k.seconds).isValid());
        EXPECT_EQ(clock.secondsSinceMidnight(), k.end);
        EXPECT_EQ(c.WaitStartTime, QLatin1String(k.startText));
        EXPECT_EQ(c.WaitFinishTime, QLatin1String(k.finishText));
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

// How little processor time a wait takes is measured in bench/bench_wait.cpp.
TEST(CommonTiming, WaitLetsTimersRunOnTheRealClock)
{
    QzCmn14 c; // the real clocks
    int ticks = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    other.start(20);

    QElapsedTimer wall;
    wall.start();
    c.Wait(1.0F);

    EXPECT_GE(wall.elapsed(), 450) << "a wait of 1 lasts at least half a second";
    EXPECT_GT(ticks, 0) << "timers run during the wait";
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
