#include "core/WakeSchedule.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(WakeSchedule, TimeTextPositions)
{
    EXPECT_EQ(timeTextPosition("00:00:00"), 0);
    EXPECT_EQ(timeTextPosition("07:30:05"), 27005);
    EXPECT_EQ(timeTextPosition("23:59:59"), 86399);
    EXPECT_EQ(timeTextPosition("24:00:00"), 86400);
    for (const char *bad : {"24:00:01", "7:30:00", "07:30", "07:60:00", "07:30:0x", "07-30-00", ""})
        EXPECT_EQ(timeTextPosition(bad), -1) << bad;
}

TEST(WakeSchedule, LateTickChecksTheSkippedTextsInOrder)
{
    WakeSchedule s;
    EXPECT_EQ(s.timesToCheck("07:29:58", 0), QStringList{"07:29:58"});
    EXPECT_EQ(s.timesToCheck("07:29:59", 1000), QStringList{"07:29:59"});
    EXPECT_EQ(s.timesToCheck("07:30:01", 2400), (QStringList{"07:30:00", "07:30:01"}));
    // Twice in one second: nothing new.
    EXPECT_EQ(s.timesToCheck("07:30:01", 2600), QStringList{});
    EXPECT_EQ(s.timesToCheck("07:30:02", 3000), QStringList{"07:30:02"});
}

TEST(WakeSchedule, MidnightHasBothTexts)
{
    WakeSchedule s;
    s.timesToCheck("23:59:59", 0);
    EXPECT_EQ(s.timesToCheck("00:00:01", 2000), (QStringList{"24:00:00", "00:00:00", "00:00:01"}));
}

TEST(WakeSchedule, LongGapsDontCatchUp)
{
    WakeSchedule s;
    s.timesToCheck("07:00:00", 0);
    // Suspended for an hour: the monotonic clock barely moved, the time of day jumped.
    EXPECT_EQ(s.timesToCheck("08:00:00", 1000), QStringList{"08:00:00"});
    // A minute and a bit without a tick.
    EXPECT_EQ(s.timesToCheck("08:01:05", 66000), QStringList{"08:01:05"});
    // A minute is caught up.
    EXPECT_EQ(s.timesToCheck("08:02:05", 126000).size(), 60);
    // The clock set back an hour: the current text only, and it wakes again.
    EXPECT_EQ(s.timesToCheck("07:02:06", 127000), QStringList{"07:02:06"});
}

TEST(WakeSchedule, SmallStepBackDoesNotRepeatTexts)
{
    WakeSchedule s;
    s.timesToCheck("12:00:00", 0);
    s.timesToCheck("12:00:01", 1000);
    EXPECT_EQ(s.timesToCheck("11:59:58", 2000), QStringList{});
    EXPECT_EQ(s.timesToCheck("11:59:59", 3000), QStringList{});
    EXPECT_EQ(s.timesToCheck("12:00:00", 4000), QStringList{});
    EXPECT_EQ(s.timesToCheck("12:00:02", 5000), QStringList{"12:00:02"});
}

TEST(WakeSchedule, TimerFlag)
{
    EXPECT_TRUE(timerFlagOn("1"));
    EXPECT_TRUE(timerFlagOn("01"));
    EXPECT_TRUE(timerFlagOn(" 1"));
    for (const char *off : {"0", "2", "", "ON", "x1", "1x", "\0\0"})
        EXPECT_FALSE(timerFlagOn(QString::fromLatin1(off))) << off;
    EXPECT_FALSE(timerFlagOn(QString(20, QChar(u'\0'))));
}

TEST(WakeSchedule, DuePcsInOrder)
{
    SettingsGrid t;
    for (int pc = 1; pc <= 5; ++pc) {
        t.set(pc, 8, "1");
        t.set(pc, 9, "12:00:00");
    }
    t.set(2, 8, "0");
    t.set(4, 9, " 12:00:00");
    t.set(5, 8, "abc");
    EXPECT_EQ(duePcs(t, "12:00:00"), (QList<int>{1, 3}));
    // A trailing blank in the stored time doesn't matter.
    t.set(4, 9, "12:00:00 ");
    EXPECT_EQ(duePcs(t, "12:00:00"), (QList<int>{1, 3, 4}));
}
