// The common services' texts: number and hexadecimal conversions, the time text, the system version.

#include "core/services/Conversions.h"
#include "core/services/OsDescription.h"
#include "core/time/TimeText.h"

#include <QSysInfo>
#include <QVariant>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// A conversion as the caller sees it: the result, then the three lines of the report if it failed.
template <typename T> QString shown(const Converted<T> &c)
{
    return QVariant::fromValue(c.value).toString() + (c.ok() ? "" : "|" + c.report);
}

QString failed(const char *result, const char *function, const char *value, const char *message = "数値が異常です！")
{
    return QString(result) + "|" + message + "\r\n" + function + "\r\nValue = " + value;
}

} // namespace

TEST(Conversions, ResultsOrReports)
{
    EXPECT_EQ(shown(longTo16bit(5)) + ' ' + shown(longTo16bit(65535)), "0000000000000101 1111111111111111");
    EXPECT_EQ(longToHex(255) + ' ' + longToHex(70000) + ' ' + longToHex(-1), "00FF 11170 FFFFFFFF");
    EXPECT_EQ(intToHex(5) + ' ' + intToHex(-32768), "0005 8000");
    // Hexadecimal texts are read at the result's width; leading zeros don't widen them, blanks around
    // the digits are accepted.
    EXPECT_EQ(shown(hexToInt("FFFF")) + ' ' + shown(hexToInt("0000000000FF")) + ' ' + shown(hexToInt("  1A ")),
              "-1 255 26");
    EXPECT_EQ(shown(hexToLong("FFFF")) + ' ' + shown(hexToLong("FFFFFFFF")) + ' ' + shown(hexToLong("80000000")),
              "65535 -1 -2147483648");
    const char *badData = "変換するデータが異常です！";
    EXPECT_EQ(shown(longTo16bit(65536)), failed("", "LongTo16bit", " 65536", badData));
    EXPECT_EQ(shown(longTo16bit(-1)), failed("", "LongTo16bit", "-1", badData));
    EXPECT_EQ(shown(longToInt(70000)), failed("0", "LongToInt", " 70000"));
    EXPECT_EQ(shown(longToInt(-1)), failed("0", "LongToInt", "-1"));
    // A decimal argument is reported as a number, any other text quoted so that an empty one shows too.
    EXPECT_EQ(shown(hexToInt("10000")), failed("0", "HexToInt", " 10000"));
    EXPECT_EQ(shown(hexToInt("-5")), failed("0", "HexToInt", "-5"));
    EXPECT_EQ(shown(hexToInt("00099999")), failed("0", "HexToInt", " 99999"));
    EXPECT_EQ(shown(hexToInt("")), failed("0", "HexToInt", "\"\""));
    EXPECT_EQ(shown(hexToInt("1 2")), failed("0", "HexToInt", "\"1 2\""));
    EXPECT_EQ(shown(hexToLong("100000000")), failed("0", "HexToLong", " 100000000"));
    EXPECT_EQ(shown(hexToLong("99999999999999999999999")), failed("0", "HexToLong", " 99999999999999999999999"));
    EXPECT_EQ(shown(hexToLong("-0")), failed("0", "HexToLong", " 0"));
    for (const char *bad : {"&HFF", "0x1F", "G", "+1", "１２", "FF\n"})
        EXPECT_FALSE(hexToInt(QString::fromUtf8(bad)).ok()) << bad;
    // The 16-bit side is the bit pattern both ways.
    for (int v = -32768; v <= 32767; ++v)
        ASSERT_EQ(longToInt(intToLong(qint16(v))).value, v);
}

TEST(TimeText, TwoDigitsEachAndRoundingHalfwayToEven)
{
    EXPECT_EQ(timeText(32825.99) + ' ' + timeText(86400.9), "09:07:05 24:00:00");
    const std::pair<double, double> rounded[] = {{100.4, 100}, {100.6, 101}, {100.5, 100},
                                                 {101.5, 102}, {0.5, 0},     {86399.5, 86400}};
    for (const auto &[seconds, whole] : rounded)
        EXPECT_EQ(roundHalfEven(seconds), whole) << seconds;
}

// This system is the kernel's version on a platform number of no Windows family, so no family's name.
TEST(OsDescription, ThisLinuxSystem)
{
    const QStringList kernel = QSysInfo::kernelVersion().split('.');
    const OsDescription d = describeThisSystem();
    EXPECT_EQ(d.verName + d.platformName + d.verId + d.platformId, ' ' + kernel[0] + ". " + kernel[1] + " 4");
}
