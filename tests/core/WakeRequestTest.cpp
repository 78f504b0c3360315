#include "core/WakeRequest.h"

#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

WakeSettings valid()
{
    WakeSettings s;
    s.pc = 3;
    s.name = "書斎";
    s.host = "192.0.2.1";
    s.mac = {"00", "11", "22", "33", "44", "55"};
    s.port = "9";
    s.count = "3";
    return s;
}

// Valid settings with one field changed.
WakeSettings with(std::string WakeSettings::*field, const std::string &text)
{
    WakeSettings s = valid();
    s.*field = text;
    return s;
}

std::string refusal(const WakeSettings &s)
{
    const WakeCheck c = checkWake(s);
    EXPECT_FALSE(c.request.has_value());
    return c.error;
}

} // namespace

TEST(WakeRequest, ValidSettingsGiveTheRequest)
{
    const WakeCheck c = checkWake(valid());
    ASSERT_TRUE(c.request) << c.error;
    EXPECT_EQ(c.request->host, "192.0.2.1");
    EXPECT_EQ(c.request->port, 9);
    EXPECT_EQ(c.request->localPort, 10);
    EXPECT_EQ(c.request->count, 3);
    EXPECT_EQ(QByteArray::fromStdString(c.request->packet), expectedPacket(QByteArray::fromHex("001122334455")));
}

TEST(WakeRequest, MissingHostComesBeforeMissingMac)
{
    WakeSettings s = valid();
    s.host.clear();
    s.mac[4].clear();
    EXPECT_EQ(refusal(s), "Host or IPアドレスが設定されていません！");
    s.host = "pc";
    // Every one of the six fields is tested.
    for (size_t i = 0; i < 6; ++i) {
        WakeSettings one = valid();
        one.mac[i].clear();
        EXPECT_EQ(refusal(one), "MACアドレスが正しく設定されていません！") << i;
    }
}

TEST(WakeRequest, PortsFromOneTo65534)
{
    for (const std::string port : {"1", "9", "0009", "32766", "32767", "40000", "65534"}) {
        const WakeCheck c = checkWake(with(&WakeSettings::port, port));
        ASSERT_TRUE(c.request) << port;
        EXPECT_EQ(c.request->localPort, c.request->port + 1);
    }
    const std::string rule = "\r\nポート番号は 1 から 65534 までの数字で設定してください。";
    for (const std::string port : {"0", "65535", "70000", "99999999999999999999", "9a", "-9", "９"})
        EXPECT_EQ(refusal(with(&WakeSettings::port, port)),
                  "PC3「書斎」のポート番号「" + port + "」が正しくありません！" + rule);
    EXPECT_EQ(refusal(with(&WakeSettings::port, "")), "PC3「書斎」のポート番号が設定されていません！" + rule);
}

TEST(WakeRequest, SendCountMustBeAWholeNumber)
{
    const std::pair<std::string, int> accepted[] = {{"3", 3}, {"10", 10}, {"032767", 32767},
                                                    {"0", 0}, {"-5", 0},  {"-0", 0}};
    for (const auto &[text, count] : accepted) {
        const WakeCheck c = checkWake(with(&WakeSettings::count, text));
        ASSERT_TRUE(c.request) << text;
        EXPECT_EQ(c.request->count, count) << text;
    }
    const std::string rule = "\r\n送信回数は 32767 以下の整数で設定してください。";
    for (const std::string count : {"32768", "three", "1.5", "-", "--1", "1e3"})
        EXPECT_EQ(refusal(with(&WakeSettings::count, count)),
                  "PC3「書斎」のマジックパケット送信回数「" + count + "」が正しくありません！" + rule);
    EXPECT_EQ(refusal(with(&WakeSettings::count, "")),
              "PC3「書斎」のマジックパケット送信回数が設定されていません！" + rule);
}

TEST(WakeRequest, MacFieldsAreOneOrTwoHexDigits)
{
    const std::string rule = "\r\nMACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。";
    for (const std::string field : {"G0", "123", "0x", "-1", " A", "Ａ"}) {
        WakeSettings s = valid();
        s.mac[3] = field;
        EXPECT_EQ(refusal(s), "PC3「書斎」のMACアドレス 4 番目の値「" + field + "」が正しくありません！" + rule);
    }
}

TEST(WakeRequest, MessagesNameThePc)
{
    WakeSettings s = valid();
    s.port = "x";
    s.name.clear();
    EXPECT_EQ(refusal(s).rfind("PC3のポート番号「x」", 0), 0u);
    s.pc = 0;
    EXPECT_EQ(wakeSubject(s), "指定したPC");
    // The first failing check is the one reported: port before count before MAC digits.
    s = valid();
    s.port = "0";
    s.count = "x";
    s.mac[0] = "zz";
    EXPECT_NE(refusal(s).find("ポート番号"), std::string::npos);
    s.port = "9";
    EXPECT_NE(refusal(s).find("送信回数"), std::string::npos);
}
