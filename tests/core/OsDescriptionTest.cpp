#include "core/OsDescription.h"

#include <QRegularExpression>

#include <sys/utsname.h>

#include <gtest/gtest.h>

using namespace orvane;

TEST(OsDescription, TheWindowsRules)
{
    // Every 5.x release is "2000"; 4.50 of the 95 family has no name of its own.
    const QList<std::tuple<int, int, int, const char *, const char *, const char *, const char *>> cases{
        {4, 0, 2, "NT", "NT", " 4. 0", " 2"},   {5, 1, 2, "2000", "NT", " 5. 1", " 2"},
        {5, 0, 2, "2000", "NT", " 5. 0", " 2"}, {6, 1, 2, "", "NT", " 6. 1", " 2"},
        {4, 90, 1, "Me", "95", " 4. 90", " 1"}, {4, 3, 1, "95", "95", " 4. 3", " 1"},
        {4, 0, 1, "95", "95", " 4. 0", " 1"},   {4, 10, 1, "98", "95", " 4. 10", " 1"},
        {4, 50, 1, "", "95", " 4. 50", " 1"},   {0, 0, 0, "32s", "32s", " 0. 0", " 0"},
        {-1, 3, 7, "", "", "-1. 3", " 7"}};
    for (const auto &[major, minor, platform, verName, platformName, verId, platformId] : cases) {
        SCOPED_TRACE(testing::Message() << major << "." << minor << " on " << platform);
        const OsDescription d = describeWindows(major, minor, platform);
        EXPECT_EQ(d.verName, QLatin1String(verName));
        EXPECT_EQ(d.platformName, QLatin1String(platformName));
        EXPECT_EQ(d.verId, QLatin1String(verId));
        EXPECT_EQ(d.platformId, QLatin1String(platformId));
    }
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
