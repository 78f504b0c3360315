#include "core/TimeText.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(TimeText, TwoDigitsEachJoinedByColons)
{
    EXPECT_EQ(timeText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(timeText(9 * 3600 + 7 * 60 + 5), QStringLiteral("09:07:05"));
    EXPECT_EQ(timeText(9 * 3600 + 7 * 60 + 5.99), QStringLiteral("09:07:05")) << "the fraction is dropped";
    EXPECT_EQ(timeText(86399.999), QStringLiteral("23:59:59"));
    EXPECT_EQ(timeText(86400), QStringLiteral("24:00:00"));
    EXPECT_EQ(timeText(86400.9), QStringLiteral("24:00:00"));
}

TEST(TimeText, RoundingGoesHalfwayToEven)
{
    EXPECT_EQ(roundHalfEven(100.4), 100.0);
    EXPECT_EQ(roundHalfEven(100.6), 101.0);
    EXPECT_EQ(roundHalfEven(100.5), 100.0);
    EXPECT_EQ(roundHalfEven(101.5), 102.0);
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(86399.5), 86400.0);
    EXPECT_EQ(roundHalfEven(86398.5), 86398.0);
}

TEST(TimeText, RoundedClockText)
{
    const double t = 9 * 3600 + 7 * 60 + 5;
    EXPECT_EQ(roundedTimeText(t + 0.4), QStringLiteral("09:07:05"));
    EXPECT_EQ(roundedTimeText(t + 0.6), QStringLiteral("09:07:06"));
    EXPECT_EQ(roundedTimeText(86399.7), QStringLiteral("24:00:00"));
    EXPECT_EQ(roundedTimeText(86399.5), QStringLiteral("24:00:00")) << "86,400 is even";
    EXPECT_EQ(roundedTimeText(86398.5), QStringLiteral("23:59:58"));
    EXPECT_EQ(roundedTimeText(0.3), QStringLiteral("00:00:00"));
    EXPECT_EQ(roundedTimeText(0.5), QStringLiteral("00:00:00"));
    EXPECT_EQ(roundedTimeText(1.5), QStringLiteral("00:00:02"));
}
