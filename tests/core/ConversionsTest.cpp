#include "core/Conversions.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QString report(const char *line1, const char *line2, const char *line3)
{
    return QString::fromUtf8(line1) + QStringLiteral("\r\n") + QString::fromUtf8(line2) + QStringLiteral("\r\n") +
           QString::fromUtf8(line3);
}

const char *BadNumber = "数値が異常です！";

} // namespace

TEST(Conversions, LongTo16bitWritesSixteenBinaryDigits)
{
    EXPECT_EQ(longTo16bit(0).value, QStringLiteral("0000000000000000"));
    EXPECT_EQ(longTo16bit(1).value, QStringLiteral("0000000000000001"));
    EXPECT_EQ(longTo16bit(5).value, QStringLiteral("0000000000000101"));
    EXPECT_EQ(longTo16bit(49152).value, QStringLiteral("1100000000000000"));
    EXPECT_EQ(longTo16bit(65535).value, QStringLiteral("1111111111111111"));
    EXPECT_TRUE(longTo16bit(65535).ok());
}

TEST(Conversions, LongTo16bitRefusesValuesOutside16Bits)
{
    const auto over = longTo16bit(65536);
    EXPECT_EQ(over.value, QString());
    EXPECT_EQ(over.report, report("変換するデータが異常です！", "LongTo16bit", "Value =  65536"));
    const auto negative = longTo16bit(-1);
    EXPECT_EQ(negative.value, QString());
    EXPECT_EQ(negative.report, report("変換するデータが異常です！", "LongTo16bit", "Value = -1"));
    EXPECT_FALSE(longTo16bit(std::numeric_limits<qint32>::min()).ok());
    EXPECT_FALSE(longTo16bit(std::numeric_limits<qint32>::max()).ok());
}

TEST(Conversions, LongToIntTakesTheSixteenBitPattern)
{
    EXPECT_EQ(longToInt(0).value, 0);
    EXPECT_EQ(longToInt(32767).value, 32767);
    EXPECT_EQ(longToInt(32768).value, -32768);
    EXPECT_EQ(longToInt(65535).value, -1);
    EXPECT_TRUE(longToInt(65535).ok());

    const auto wide = longToInt(70000);
    EXPECT_EQ(wide.value, 0);
    EXPECT_EQ(wide.report, report(BadNumber, "LongToInt", "Value =  70000"));
    // Read at the result's width a negative value's eight digits never fit 16 bits.
    const auto negative = longToInt(-1);
    EXPECT_EQ(negative.value, 0);
    EXPECT_EQ(negative.report, report(BadNumber, "LongToInt", "Value = -1"));
    EXPECT_FALSE(longToInt(-32768).ok());
    EXPECT_FALSE(longToInt(65536).ok());
}

TEST(Conversions, LongToHexPadsToFourDigits)
{
    EXPECT_EQ(longToHex(0), QStringLiteral("0000"));
    EXPECT_EQ(longToHex(255), QStringLiteral("00FF"));
    EXPECT_EQ(longToHex(4095), QStringLiteral("0FFF"));
    EXPECT_EQ(longToHex(65535), QStringLiteral("FFFF"));
    EXPECT_EQ(longToHex(70000), QStringLiteral("11170"));
    EXPECT_EQ(longToHex(-1), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(longToHex(std::numeric_limits<qint32>::min()), QStringLiteral("80000000"));
}

TEST(Conversions, HexToIntReadsUpToFourSignificantDigits)
{
    EXPECT_EQ(hexToInt(QStringLiteral("FFFF")).value, -1);
    EXPECT_EQ(hexToInt(QStringLiteral("ffff")).value, -1);
    EXPECT_EQ(hexToInt(QStringLiteral("7FFF")).value, 32767);
    EXPECT_EQ(hexToInt(QStringLiteral("8000")).value, -32768);
    EXPECT_EQ(hexToInt(QStringLiteral("FF")).value, 255);
    EXPECT_EQ(hexToInt(QStringLiteral("0")).value, 0);
    EXPECT_EQ(hexToInt(QStringLiteral("0000000000FF")).value, 255) << "leading zeros don't widen the value";
    EXPECT_EQ(hexToInt(QStringLiteral("  1A ")).value, 26) << "blanks around the digits are accepted";
    EXPECT_TRUE(hexToInt(QStringLiteral("  1A ")).ok());
}

TEST(Conversions, HexToIntReportsTheArgument)
{
    const auto wide = hexToInt(QStringLiteral("10000"));
    EXPECT_EQ(wide.value, 0);
    EXPECT_EQ(wide.report, report(BadNumber, "HexToInt", "Value =  10000"));
    EXPECT_EQ(hexToInt(QStringLiteral("12345")).report, report(BadNumber, "HexToInt", "Value =  12345"));
    EXPECT_EQ(hexToInt(QStringLiteral("-5")).report, report(BadNumber, "HexToInt", "Value = -5"));
    EXPECT_EQ(hexToInt(QStringLiteral("00099999")).report, report(BadNumber, "HexToInt", "Value =  99999"));
    // Not decimal: the text itself, quoted so that an empty or blank text shows too.
    EXPECT_EQ(hexToInt(QString()).report, report(BadNumber, "HexToInt", "Value = \"\""));
    EXPECT_EQ(hexToInt(QStringLiteral("FFFFF")).report, report(BadNumber, "HexToInt", "Value = \"FFFFF\""));
    EXPECT_EQ(hexToInt(QStringLiteral("1 2")).report, report(BadNumber, "HexToInt", "Value = \"1 2\""));
    EXPECT_EQ(hexToInt(QStringLiteral("   ")).report, report(BadNumber, "HexToInt", "Value = \"   \""));
    for (const char *bad : {"&HFF", "0x1F", "G", "+1", "1_0", "１２", "FF\n"})
        EXPECT_FALSE(hexToInt(QString::fromUtf8(bad)).ok()) << bad;
}

TEST(Conversions, HexToLongReadsUpToEightSignificantDigits)
{
    EXPECT_EQ(hexToLong(QStringLiteral("7FFFFFFF")).value, 2147483647);
    EXPECT_EQ(hexToLong(QStringLiteral("FFFFFFFF")).value, -1);
    EXPECT_EQ(hexToLong(QStringLiteral("80000000")).value, std::numeric_limits<qint32>::min());
    EXPECT_EQ(hexToLong(QStringLiteral("FFFF")).value, 65535) << "read at the 32-bit width";
    EXPECT_EQ(hexToLong(QStringLiteral("00000000FFFFFFFF")).value, -1);

    const auto wide = hexToLong(QStringLiteral("100000000"));
    EXPECT_EQ(wide.value, 0);
    EXPECT_EQ(wide.report, report(BadNumber, "HexToLong", "Value =  100000000"));
    EXPECT_EQ(hexToLong(QString()).report, report(BadNumber, "HexToLong", "Value = \"\""));
    EXPECT_EQ(hexToLong(QStringLiteral("99999999999999999999999")).report,
              report(BadNumber, "HexToLong", "Value =  99999999999999999999999"));
    EXPECT_EQ(hexToLong(QStringLiteral("-0")).report, report(BadNumber, "HexToLong", "Value =  0"));
}

TEST(Conversions, IntToLongAndIntToHexKeepTheBitPattern)
{
    EXPECT_EQ(intToLong(5), 5);
    EXPECT_EQ(intToLong(0), 0);
    EXPECT_EQ(intToLong(32767), 32767);
    EXPECT_EQ(intToLong(-1), 65535);
    EXPECT_EQ(intToLong(-32768), 32768);
    for (int v = -32768; v <= 32767; ++v) {
        const auto i = static_cast<qint16>(v);
        ASSERT_EQ(longToInt(intToLong(i)).value, i);
    }
    EXPECT_EQ(intToHex(0), QStringLiteral("0000"));
    EXPECT_EQ(intToHex(5), QStringLiteral("0005"));
    EXPECT_EQ(intToHex(255), QStringLiteral("00FF"));
    EXPECT_EQ(intToHex(256), QStringLiteral("0100"));
    EXPECT_EQ(intToHex(4095), QStringLiteral("0FFF"));
    EXPECT_EQ(intToHex(4096), QStringLiteral("1000"));
    EXPECT_EQ(intToHex(-1), QStringLiteral("FFFF"));
    EXPECT_EQ(intToHex(-32768), QStringLiteral("8000"));
    EXPECT_EQ(intToHex(-32096), QStringLiteral("82A0"));
}
