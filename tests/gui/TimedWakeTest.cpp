// The timed wake over a simulated day: ticks that come late or twice, midnight, long gaps.

#include "ui/wake/TimedWake.h"
#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "core/TimeText.h"
#include "core/WakeSchedule.h"
#include "platform/QzCmn14.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/WakeLoopback.h"
#include "ui/wake/PcStart.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

#include <cmath>
#include <random>

using namespace orvane;
using namespace orvane::test;

namespace {

struct Woken {
    int pc;
    double at; // clock when the command ran
    int tick;
};

class TimedWakeTest : public testing::Test {
protected:
    void SetUp() override
    {
        settingsStore().SettingsTable = grid();
        timer.setWakeCommand([this](qint16 pc) { woken.append({pc, clock.secondsSinceMidnight(), tick}); });
        QObject::connect(&timer, &TimedWake::timeShown, [this](const QString &t) { shown.append(t); });
    }

    void setTimer(int pc, const QString &flag, const QString &time)
    {
        settingsStore().SettingsTable.set(pc, 8, flag);
        settingsStore().SettingsTable.set(pc, 9, time);
    }

    // One tick at the clock's present time.
    void tickNow()
    {
        ++tick;
        timer.Timer1_Timer();
    }

    FakeDesktop desktop;
    FakeClock clock{0};
    QzCmn14 common;
    TimedWake timer{common};
    QList<Woken> woken;
    QStringList shown;
    int tick = 0;
};

double secondsOf(const char *text)
{
    int h, m, s;
    std::sscanf(text, "%d:%d:%d", &h, &m, &s);
    return (h * 60 + m) * 60 + s;
}

} // namespace

TEST_F(TimedWakeTest, WholeDayWithJitteredTicks)
{
    // 07:30:00 falls on a tick that comes 1.4 s late; PC1 and PC3 share 12:00:00; PC4 wakes at
    // midnight's first half second; the others never.
    setTimer(1, "1", "12:00:00");
    setTimer(2, "1", "07:30:00");
    setTimer(3, "1", "12:00:00");
    setTimer(4, "1", "00:00:00");
    setTimer(5, "x", "12:00:00");
    const QList<std::pair<int, double>> expected = {
        {4, 0}, {2, secondsOf("07:30:00")}, {1, secondsOf("12:00:00")}, {3, secondsOf("12:00:00")}, {4, 86400}};

    std::mt19937 random(2024);
    std::uniform_real_distribution<double> small(-0.08, 0.08);
    // Start just before midnight so both midnights of the day are crossed.
    double t = 86400 - 3.0 + 0.01;
    clock.set(t);
    tickNow();
    const double end = t + 86400 + 6;
    double nominal = std::round(t) + 1;
    double elapsed = t;
    while (elapsed < end) {
        double lateness = small(random);
        const int second = static_cast<int>(nominal) % 86400;
        if (second == secondsOf("07:30:00") || random() % 97 == 0)
            lateness = 1.4; // a busy moment: the tick comes 1.4 s after its second
        else if (random() % 89 == 0)
            lateness = 0.45;
        const double at = nominal + lateness;
        clock.advance(at - elapsed);
        elapsed = at;
        tickNow();
        if (random() % 83 == 0) {
            // A second tick inside the same second.
            clock.advance(0.3);
            elapsed += 0.3;
            tickNow();
        }
        // The timer aims at the next whole second after the one its tick rounded to.
        nominal = std::nearbyint(elapsed) + 1;
    }

    ASSERT_EQ(woken.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(woken[i].pc, expected[i].first) << i;
        // Woken at the tick that saw its time or at the first tick after it, never early.
        const double wake = expected[i].second;
        double at = woken[i].at;
        if (wake >= 86400 && at < 100)
            at += 86400;
        if (wake == 0 && at > 80000)
            at -= 86400;
        EXPECT_GE(at, wake - 0.5) << i;
        EXPECT_LE(at, wake + 1.5 + 0.5) << i;
    }
    // PC1 and PC3 in the same tick, PC1 first.
    EXPECT_EQ(woken[2].tick, woken[3].tick);
    // The time label followed every tick.
    EXPECT_EQ(shown.size(), tick);
}

TEST_F(TimedWakeTest, LabelShowsTheTickTime)
{
    setTimer(2, "1", "07:30:00");
    clock.set(secondsOf("07:29:59") + 0.6);
    tickNow();
    EXPECT_EQ(shown.last(), "07:30:00");
    ASSERT_EQ(woken.size(), 1);
    EXPECT_EQ(woken[0].pc, 2);
    clock.advance(0.3);
    tickNow();
    EXPECT_EQ(shown.last(), "07:30:00");
    EXPECT_EQ(woken.size(), 1); // the same text never wakes twice in a row
}

TEST_F(TimedWakeTest, LongGapsDontCatchUp)
{
    setTimer(1, "1", "08:00:30");
    setTimer(2, "1", "09:00:00");
    clock.set(secondsOf("08:00:00"));
    tickNow();
    // Suspended for an hour: the wall clock moves, the monotonic one doesn't.
    clock.set(secondsOf("09:00:10"));
    tickNow();
    clock.advance(1);
    tickNow();
    // Ninety seconds without a tick.
    clock.advance(90);
    tickNow();
    EXPECT_TRUE(woken.isEmpty());
}

TEST_F(TimedWakeTest, FlagsThatArentOneAreOff)
{
    setTimer(1, "0", "10:00:00");
    setTimer(2, "2", "10:00:00");
    setTimer(3, "", "10:00:00");
    setTimer(4, "1", "10:00:00 ");
    settingsStore().SettingsTable.at(5, 8) = QString(20, QChar(u'\0'));
    settingsStore().SettingsTable.set(5, 9, "10:00:00");
    clock.set(secondsOf("10:00:00"));
    tickNow();
    ASSERT_EQ(woken.size(), 1);
    EXPECT_EQ(woken[0].pc, 4);
}

TEST_F(TimedWakeTest, DueRefusedPcShowsItsMessageAndTheNextStillWakes)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    Forms forms;
    TimedWake real(common);
    settingsStore().SettingsTable = grid({{0, 0, QString::number(target.port())}, {0, 1, "1"}});
    setPc(settingsStore().SettingsTable, 1, "", "", {}, "1", "06:00:00"); // no host
    setPc(settingsStore().SettingsTable, 3, "NAS", "127.0.0.1", {"30", "31", "32", "33", "34", "35"}, "1", "06:00:00");
    clock.set(secondsOf("06:00:00") + 0.2);
    real.Timer1_Timer();
    expectErrorBox(desktop, "Host or IPアドレスが設定されていません！");
    const auto got = target.rx().receive(1);
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].data, expectedPacket(QByteArray::fromHex("303132333435")));
    EXPECT_EQ(StartedPcName, "NAS");
}

TEST(TimedWakeTimer, TicksOnTheRealClock)
{
    FakeDesktop desktop;
    QzCmn14 common;
    TimedWake timer(common);
    int wakes = 0;
    timer.setWakeCommand([&](qint16) { ++wakes; });
    QSignalSpy spy(&timer, &TimedWake::timeShown);
    timer.start();
    ASSERT_TRUE(timer.timer()->isActive());
    // Aimed at the next whole second: never more than a second and a half away.
    EXPECT_LE(timer.timer()->remainingTime(), 1500);
    ASSERT_TRUE(spy.wait(10000));
    const QString t = spy.last().at(0).toString();
    EXPECT_GE(timeTextPosition(t), 0) << t.toStdString();
    // It keeps going by itself.
    EXPECT_TRUE(timer.timer()->isActive());
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_EQ(wakes, 0);
}
