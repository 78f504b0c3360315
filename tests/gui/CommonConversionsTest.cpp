#include "common/QzCmn14.h"

#include "support/FakeDesktop.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString report(const char *line1, const char *line2, const char *line3)
{
    return QString::fromUtf8(line1) + QStringLiteral("\r\n") + QString::fromUtf8(line2) + QStringLiteral("\r\n") +
           QString::fromUtf8(line3);
}

// The one error box a failed conversion shows, with the error kind's beep.
void expectReport(const FakeDesktop &fake, const QString &text)
{
    ASSERT_EQ(fake.boxes.size(), 1);
    EXPECT_EQ(fake.boxes[0].text, text);
    EXPECT_EQ(fake.boxes[0].title, QStringLiteral("Error"));
    EXPECT_EQ(fake.boxes[0].style, 16);
    EXPECT_EQ(fake.beeps, QList<int>{48});
}

} // namespace

TEST(CommonConversions, GoodArgumentsShowNothing)
{
    FakeDesktop fake;
    QzCmn14 c;
    EXPECT_EQ(c.LongTo16bit(49152), QStringLiteral("1100000000000000"));
    EXPECT_EQ(c.LongToInt(65535), -1);
    EXPECT_EQ(c.LongToInt(32767), 32767);
    EXPECT_EQ(c.LongToHex(4095), QStringLiteral("0FFF"));
    EXPECT_EQ(c.LongToHex(-1), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(c.IntToLong(5), 5);
    EXPECT_EQ(c.IntToLong(-1), 65535);
    QString hex = QStringLiteral("7fffffff");
    EXPECT_EQ(c.HexToLong(hex), 2147483647);
    EXPECT_EQ(hex, QStringLiteral("7FFFFFFF"));
    EXPECT_TRUE(fake.boxes.isEmpty());
    EXPECT_TRUE(fake.beeps.isEmpty());
}

TEST(CommonConversions, HexToIntUpperCasesTheCallersText)
{
    FakeDesktop fake;
    QzCmn14 c;
    QString hex = QStringLiteral("ffff");
    EXPECT_EQ(c.HexToInt(hex), -1);
    EXPECT_EQ(hex, QStringLiteral("FFFF"));
    hex = QStringLiteral("7fff");
    EXPECT_EQ(c.HexToInt(hex), 32767);
    hex = QStringLiteral("ff");
    EXPECT_EQ(c.HexToInt(hex), 255);
    EXPECT_TRUE(fake.boxes.isEmpty());

    hex = QStringLiteral("xyz");
    EXPECT_EQ(c.HexToInt(hex), 0);
    EXPECT_EQ(hex, QStringLiteral("XYZ")) << "upper-cased even when it fails";
    expectReport(fake, report("数値が異常です！", "HexToInt", "Value = \"XYZ\""));
}

TEST(CommonConversions, LongTo16bitOutOfRange)
{
    for (qint32 bad : {65536, -1}) {
        FakeDesktop fake;
        QzCmn14 c;
        EXPECT_EQ(c.LongTo16bit(bad), QString());
        expectReport(fake,
                     report("変換するデータが異常です！", "LongTo16bit", bad < 0 ? "Value = -1" : "Value =  65536"));
    }
}

TEST(CommonConversions, LongToIntTooWide)
{
    FakeDesktop fake;
    fake.boxAnswers = {2}; // whatever closes the box, the result stays 0
    QzCmn14 c;
    EXPECT_EQ(c.LongToInt(70000), 0);
    expectReport(fake, report("数値が異常です！", "LongToInt", "Value =  70000"));
}

TEST(CommonConversions, HexToIntTooWide)
{
    FakeDesktop fake;
    QzCmn14 c;
    QString hex = QStringLiteral("10000");
    EXPECT_EQ(c.HexToInt(hex), 0);
    expectReport(fake, report("数値が異常です！", "HexToInt", "Value =  10000"));
}

TEST(CommonConversions, HexToLongTooWideOrEmpty)
{
    {
        FakeDesktop fake;
        QzCmn14 c;
        QString hex = QStringLiteral("100000000");
        EXPECT_EQ(c.HexToLong(hex), 0);
        expectReport(fake, report("数値が異常です！", "HexToLong", "Value =  100000000"));
    }
    {
        FakeDesktop fake;
        QzCmn14 c;
        QString hex;
        EXPECT_EQ(c.HexToLong(hex), 0);
        expectReport(fake, report("数値が異常です！", "HexToLong", "Value = \"\""));
    }
    {
        FakeDesktop fake;
        QzCmn14 c;
        QString hex;
        EXPECT_EQ(c.HexToInt(hex), 0);
        expectReport(fake, report("数値が異常です！", "HexToInt", "Value = \"\""));
    }
}
