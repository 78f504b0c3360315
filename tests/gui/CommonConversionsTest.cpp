#include "platform/QzCmn14.h"

#include "support/FakeDesktop.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::test;

namespace {

QString report(const char *line1, const char *line2, const char *line3)
{
    return QString::fromUtf8(line1) + QStringLiteral("\r\n") + QString::fromUtf8(line2) + QStringLiteral("\r\n") +
           QString::fromUtf8(line3);
}

// The hex readers take the caller's text by reference.
qint16 hexToInt(QzCmn14 &c, QString hex)
{
    return c.HexToInt(hex);
}
qint32 hexToLong(QzCmn14 &c, QString hex)
{
    return c.HexToLong(hex);
}

} // namespace

// The members give the core's results; a failed conversion shows its report in one error box, whatever
// closes it, and gives the empty result.
TEST(CommonConversions, ResultsAndTheReportOfAFailure)
{
    const char *bad = "数値が異常です！";
    struct Case {
        std::function<QVariant(QzCmn14 &)> call;
        QVariant result;
        QString report; // empty: no box at all
    };
    const QList<Case> cases{
        {[](QzCmn14 &c) { return c.LongTo16bit(49152); }, "1100000000000000", {}},
        {[](QzCmn14 &c) { return c.LongToInt(65535); }, -1, {}},
        {[](QzCmn14 &c) { return c.LongToInt(32767); }, 32767, {}},
        {[](QzCmn14 &c) { return c.LongToHex(4095); }, "0FFF", {}},
        {[](QzCmn14 &c) { return c.LongToHex(-1); }, "FFFFFFFF", {}},
        {[](QzCmn14 &c) { return c.IntToLong(5); }, 5, {}},
        {[](QzCmn14 &c) { return c.IntToLong(-1); }, 65535, {}},
        {[](QzCmn14 &c) { return c.IntToHex(0); }, "0000", {}},
        {[](QzCmn14 &c) { return c.IntToHex(256); }, "0100", {}},
        {[](QzCmn14 &c) { return c.IntToHex(-32768); }, "8000", {}},
        {[](QzCmn14 &c) { return c.IntToHex(-1); }, "FFFF", {}},
        {[](QzCmn14 &c) { return c.LongTo16bit(65536); }, "",
         report("変換するデータが異常です！", "LongTo16bit", "Value =  65536")},
        {[](QzCmn14 &c) { return c.LongTo16bit(-1); }, "",
         report("変換するデータが異常です！", "LongTo16bit", "Value = -1")},
        {[](QzCmn14 &c) { return c.LongToInt(70000); }, 0, report(bad, "LongToInt", "Value =  70000")},
        {[](QzCmn14 &c) { return hexToInt(c, "10000"); }, 0, report(bad, "HexToInt", "Value =  10000")},
        {[](QzCmn14 &c) { return hexToInt(c, ""); }, 0, report(bad, "HexToInt", "Value = \"\"")},
        {[](QzCmn14 &c) { return hexToLong(c, "100000000"); }, 0, report(bad, "HexToLong", "Value =  100000000")},
        {[](QzCmn14 &c) { return hexToLong(c, ""); }, 0, report(bad, "HexToLong", "Value = \"\"")},
    };
    for (qsizetype i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        FakeDesktop fake;
        fake.boxAnswers = {2}; // whatever closes the box, the result stays empty
        QzCmn14 c;
        EXPECT_EQ(cases[i].call(c), cases[i].result);
        if (cases[i].report.isEmpty()) {
            EXPECT_TRUE(fake.boxes.isEmpty() && fake.beeps.isEmpty());
        } else {
            expectErrorBox(fake, cases[i].report);
        }
    }
}

TEST(CommonConversions, HexArgumentsAreUpperCasedInTheCallersText)
{
    FakeDesktop fake;
    QzCmn14 c;
    QString hex = QStringLiteral("ffff");
    EXPECT_EQ(c.HexToInt(hex), -1);
    EXPECT_EQ(hex, QStringLiteral("FFFF"));
    hex = QStringLiteral("7fffffff");
    EXPECT_EQ(c.HexToLong(hex), 2147483647);
    EXPECT_EQ(hex, QStringLiteral("7FFFFFFF"));
    EXPECT_TRUE(fake.boxes.isEmpty());
    // Even when it fails.
    hex = QStringLiteral("xyz");
    EXPECT_EQ(c.HexToInt(hex), 0);
    EXPECT_EQ(hex, QStringLiteral("XYZ"));
    expectErrorBox(fake, report("数値が異常です！", "HexToInt", "Value = \"XYZ\""));
}
