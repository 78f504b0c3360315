#include "core/Conversions.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// The three lines of a conversion's error report.
QString report(const char *function, const char *value, const char *first = "数値が異常です！")
{
    return QString::fromUtf8(first) + QStringLiteral("\r\n") + QLatin1String(function) + QStringLiteral("\r\n") +
           QString::fromUtf8(value);
}

} // namespace

TEST(Conversions, LongTo16bitWritesSixteenBinaryDigitsOfValuesIn16Bits)
{
    for (const auto &[value, text] : {std::pair{0, "0000000000000000"},
                                      {1, "0000000000000001"},
                                      {5, "0000000000000101"},
                                      {49152, "1100000000000000"},
                                      {65535, "1111111111111111"}}) {
        EXPECT_TRUE(longTo16bit(value).ok()) << value;
        EXPECT_EQ(longTo16bit(value).value, QLatin1String(text));
    }
    const char *bad = "変換するデータが異常です！";
    for (const auto &[value, line] : {std::pair{65536, "Value =  65536"}, {-1, "Value = -1"}}) {
        EXPECT_EQ(longTo16bit(value).value, QString());
        EXPECT_EQ(longTo16bit(value).report, report("LongTo16bit", line, bad));
    }
    EXPECT_FALSE(longTo16bit(std::numeric_limits<qint32>::min()).ok());
    EXPECT_FALSE(longTo16bit(std::numeric_limits<qint32>::max()).ok());
}

TEST(Conversions, LongToIntTakesTheSixteenBitPattern)
{
    for (const auto &[value, result] : {std::pair{0, 0}, {32767, 32767}, {32768, -32768}, {65535, -1}}) {
        EXPECT_TRUE(longToInt(value).ok()) << value;
        EXPECT_EQ(longToInt(value).value, result);
    }
    // Read at the result's width a negative value's eight digits never fit 16 bits.
    for (const auto &[value, line] : {std::pair{70000, "Value =  70000"}, {-1, "Value = -1"}}) {
        EXPECT_EQ(longToInt(value).value, 0);
        EXPECT_EQ(longToInt(value).report, report("LongToInt", line));
    }
    EXPECT_FALSE(longToInt(-32768).ok());
    EXPECT_FALSE(longToInt(65536).ok());
}

TEST(Conversions, HexTextsOfLongAndIntKeepTheBitPattern)
{
    for (const auto &[value, text] : {std::pair{0, "0000"},
                                      {255, "00FF"},
                                      {4095, "0FFF"},
                                      {65535, "FFFF"},
                                      {70000, "11170"},
                                      {-1, "FFFFFFFF"},
                                      {std::numeric_limits<qint32>::min(), "80000000"}})
        EXPECT_EQ(longToHex(value), QLatin1String(text)) << value;
    for (const auto &[value, text] : {std::pair<qint16, const char *>{0, "0000"},
                                      {5, "0005"},
                                      {255, "00FF"},
                                      {256, "0100"},
                                      {4095, "0FFF"},
                                      {4096, "1000"},
                                      {-1, "FFFF"},
                                      {-32768, "8000"},
                                      {-32096, "82A0"}})
        EXPECT_EQ(intToHex(value), QLatin1String(text)) << value;
    for (const auto &[value, result] :
         {std::pair<qint16, qint32>{5, 5}, {0, 0}, {32767, 32767}, {-1, 65535}, {-32768, 32768}})
        EXPECT_EQ(intToLong(value), result) << value;
    for (int v = -32768; v <= 32767; ++v)
        ASSERT_EQ(longToInt(intToLong(static_cast<qint16>(v))).value, v);
}

TEST(Conversions, HexToIntReadsUpToFourSignificantDigits)
{
    // Leading zeros don't widen the value; blanks around the digits are accepted.
    for (const auto &[text, value] : {std::pair{"FFFF", -1},
                                      {"ffff", -1},
                                      {"7FFF", 32767},
                                      {"8000", -32768},
                                      {"FF", 255},
                                      {"0", 0},
                                      {"0000000000FF", 255},
                                      {"  1A ", 26}}) {
        EXPECT_TRUE(hexToInt(QLatin1String(text)).ok()) << text;
        EXPECT_EQ(hexToInt(QLatin1String(text)).value, value) << text;
    }
    // The report gives a decimal argument as a number, any other text quoted so that an empty or blank
    // text shows too.
    for (const auto &[text, line] : {std::pair{"10000", "Value =  10000"},
                                     {"12345", "Value =  12345"},
                                     {"-5", "Value = -5"},
                                     {"00099999", "Value =  99999"},
                                     {"", "Value = \"\""},
                                     {"FFFFF", "Value = \"FFFFF\""},
                                     {"1 2", "Value = \"1 2\""},
                                     {"   ", "Value = \"   \""}}) {
        EXPECT_EQ(hexToInt(QLatin1String(text)).value, 0) << text;
        EXPECT_EQ(hexToInt(QLatin1String(text)).report, report("HexToInt", line));
    }
    for (const char *bad : {"&HFF", "0x1F", "G", "+1", "1_0", "１２", "FF\n"})
        EXPECT_FALSE(hexToInt(QString::fromUtf8(bad)).ok()) << bad;
}

TEST(Conversions, HexToLongReadsUpToEightSignificantDigits)
{
    for (const auto &[text, value] : {std::pair{"7FFFFFFF", 2147483647},
                                      {"FFFFFFFF", -1},
                                      {"80000000", std::numeric_limits<qint32>::min()},
                                      {"FFFF", 65535}, // read at the 32-bit width
                                      {"00000000FFFFFFFF", -1}})
        EXPECT_EQ(hexToLong(QLatin1String(text)).value, value) << text;
    for (const auto &[text, line] : {std::pair{"100000000", "Value =  100000000"},
                                     {"", "Value = \"\""},
                                     {"99999999999999999999999", "Value =  99999999999999999999999"},
                                     {"-0", "Value =  0"}}) {
        EXPECT_EQ(hexToLong(QLatin1String(text)).value, 0) << text;
        EXPECT_EQ(hexToLong(QLatin1String(text)).report, report("HexToLong", line));
    }
}
