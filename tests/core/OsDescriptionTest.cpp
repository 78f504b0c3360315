#include "core/OsDescription.h"

#include <QRegularExpression>

#include <sys/utsname.h>

#include <gtest/gtest.h>

using namespace orvane;

TEST(OsDescription, NtFamily)
{
    const OsDescription nt4 = describeWindows(4, 0, 2);
    EXPECT_EQ(nt4.verName, QStringLiteral("NT"));
    EXPECT_EQ(nt4.platformName, QStringLiteral("NT"));
    EXPECT_EQ(nt4.verId, QStringLiteral(" 4. 0"));
    EXPECT_EQ(nt4.platformId, QStringLiteral(" 2"));

    const OsDescription xp = describeWindows(5, 1, 2);
    EXPECT_EQ(xp.verId, QStringLiteral(" 5. 1"));
    EXPECT_EQ(xp.verName, QStringLiteral("2000")) << "every 5.x release";
    EXPECT_EQ(describeWindows(5, 0, 2).verName, QStringLiteral("2000"));

    const OsDescription seven = describeWindows(6, 1, 2);
    EXPECT_EQ(seven.verName, QString());
    EXPECT_EQ(seven.platformName, QStringLiteral("NT"));
    EXPECT_EQ(seven.verId, QStringLiteral(" 6. 1"));
}

TEST(OsDescription, NinetyFiveFamily)
{
    EXPECT_EQ(describeWindows(4, 90, 1).verName, QStringLiteral("Me"));
    EXPECT_EQ(describeWindows(4, 3, 1).verName, QStringLiteral("95"));
    EXPECT_EQ(describeWindows(4, 0, 1).verName, QStringLiteral("95"));
    EXPECT_EQ(describeWindows(4, 10, 1).verName, QStringLiteral("98"));
    EXPECT_EQ(describeWindows(4, 50, 1).verName, QString());
    EXPECT_EQ(describeWindows(4, 50, 1).platformName, QStringLiteral("95"));
    EXPECT_EQ(describeWindows(4, 90, 1).verId, QStringLiteral(" 4. 90"));
}

TEST(OsDescription, Win32sAndUnknownPlatforms)
{
    const OsDescription zero = describeWindows(0, 0, 0);
    EXPECT_EQ(zero.verName, QStringLiteral("32s"));
    EXPECT_EQ(zero.platformName, QStringLiteral("32s"));
    EXPECT_EQ(zero.verId, QStringLiteral(" 0. 0"));
    EXPECT_EQ(zero.platformId, QStringLiteral(" 0"));

    const OsDescription other = describeWindows(-1, 3, 7);
    EXPECT_EQ(other.verName, QString());
    EXPECT_EQ(other.platformName, QString());
    EXPECT_EQ(other.verId, QStringLiteral("-1. 3"));
    EXPECT_EQ(other.platformId, QStringLiteral(" 7"));
}

TEST(OsDescription, ThisLinuxSystemIsTheKernelOnAPlatformOfNoWindowsFamily)
{
    utsname name{};
    ASSERT_EQ(uname(&name), 0);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)")).match(QString::fromLatin1(name.release));
    ASSERT_TRUE(m.hasMatch()) << name.release;

    const OsDescription d = describeThisSystem();
    EXPECT_EQ(d.verId, QLatin1Char(' ') + m.captured(1) + QStringLiteral(". ") + m.captured(2));
    EXPECT_EQ(d.platformId, QStringLiteral(" 4"));
    EXPECT_EQ(d.verName, QString());
    EXPECT_EQ(d.platformName, QString());
}
