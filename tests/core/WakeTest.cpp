// The wake rules: what a PC's settings must hold, the datagrams on the wire, and which time texts the
// timed wake checks.

#include "core/WakeSchedule.h"
#include "core/WakeSender.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// PC3 with port, count, the fourth MAC field and host as given, the rest valid.
WakeSettings pc3(const std::string &port = "9", const std::string &count = "3", const std::string &mac4 = "33",
                 const std::string &host = "127.0.0.1")
{
    return {3, "書斎", host, {"00", "11", "22", mac4, "44", "55"}, port, count};
}

} // namespace

TEST(WakeRequest, AcceptedValues)
{
    const std::pair<const char *, int> ports[] = {{"1", 1}, {"0009", 9}, {"32767", 32767}, {"65534", 65534}};
    for (const auto &[port, value] : ports) {
        const auto r = checkWake(pc3(port)).request;
        EXPECT_TRUE(r && r->port == value && r->localPort == value + 1) << port;
    }
    const std::pair<const char *, int> counts[] = {{"3", 3}, {"032767", 32767}, {"0", 0}, {"-5", 0}, {"-0", 0}};
    for (const auto &[count, times] : counts)
        EXPECT_EQ(checkWake(pc3("9", count)).request.value().count, times) << count;
    // One digit and lower case are enough; the packet is built from the six fields in order.
    WakeSettings s = pc3();
    s.mac = {"A", "0A", "0a", "aB", "cd", "f"};
    EXPECT_EQ(QByteArray::fromStdString(checkWake(s).request.value().packet),
              expectedPacket(QByteArray::fromHex("0A0A0AABCD0F")));
}

TEST(WakeRequest, RefusalsNameThePcTheValueAndTheRule)
{
    EXPECT_EQ(checkWake(pc3("9", "3", "", "")).error, "Host or IPアドレスが設定されていません！");
    for (size_t i = 0; i < 6; ++i) {
        WakeSettings s = pc3();
        s.mac[i].clear();
        EXPECT_EQ(checkWake(s).error, "MACアドレスが正しく設定されていません！") << i;
    }
    const std::string portRule = "\r\nポート番号は 1 から 65534 までの数字で設定してください。";
    EXPECT_EQ(checkWake(pc3("")).error, "PC3「書斎」のポート番号が設定されていません！" + portRule);
    for (const std::string port : {"0", "65535", "99999999999999999999", "9a", "-9", "９"})
        EXPECT_EQ(checkWake(pc3(port)).error, "PC3「書斎」のポート番号「" + port + "」が正しくありません！" + portRule);
    const std::string countRule = "\r\n送信回数は 32767 以下の整数で設定してください。";
    EXPECT_EQ(checkWake(pc3("9", "")).error, "PC3「書斎」のマジックパケット送信回数が設定されていません！" + countRule);
    for (const std::string count : {"32768", "three", "1.5", "-", "--1", "1e3"})
        EXPECT_EQ(checkWake(pc3("9", count)).error,
                  "PC3「書斎」のマジックパケット送信回数「" + count + "」が正しくありません！" + countRule);
    const std::string macRule = "\r\nMACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。";
    for (const std::string mac : {"G0", "123", "0x", "-1", " A", "Ａ"})
        EXPECT_EQ(checkWake(pc3("9", "3", mac)).error,
                  "PC3「書斎」のMACアドレス 4 番目の値「" + mac + "」が正しくありません！" + macRule);
    // The first failing check is the one reported: port, then count, then MAC digits.
    EXPECT_NE(checkWake(pc3("0", "x", "zz")).error.find("ポート番号"), std::string::npos);
    EXPECT_NE(checkWake(pc3("9", "x", "zz")).error.find("送信回数"), std::string::npos);
    EXPECT_EQ(wakeSubject({3, {}, {}, {}, {}, {}}), "PC3");
    EXPECT_EQ(wakeSubject({}), "指定したPC");
}

TEST(WakeSender, DatagramsReachLoopbackFromPortPlusOneOrTheHostIsReported)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    const std::string port = std::to_string(target.port());
    ASSERT_TRUE(wake(pc3(port)).ok);
    // No count: nothing sent, and not even the host is looked at.
    for (const std::string count : {"0", "-32768"})
        EXPECT_TRUE(wake(pc3(port, count, "33", "no-such-host.invalid")).ok) << count;
    // An IPv4 address written as IPv6 goes out as IPv4. "localhost" may resolve to either loopback;
    // a receiver on ::1 at the same port catches the other.
    UdpReceiver v6(QHostAddress::LocalHostIPv6, target.port());
    for (const std::string host : {"::ffff:127.0.0.1", "localhost"})
        EXPECT_TRUE(wake(pc3(port, "1", "33", host)).ok) << host;
    const auto got = target.rx().receive(6, QuietMs);
    EXPECT_EQ(got.size() + v6.receive(1, QuietMs).size(), 5);
    for (const auto &d : got) {
        EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455")));
        EXPECT_TRUE(d.destinationPort == target.port() && d.senderPort == target.port() + 1);
    }
    // The reason that follows depends on the name server where the tests run.
    const std::string error = wake(pc3(port, "3", "33", "no-such-host.invalid")).error;
    EXPECT_EQ(error.rfind("PC3「書斎」のHost or IPアドレス「no-such-host.invalid」が見つかりません！\r\n", 0), 0u)
        << error;
}

TEST(WakeSchedule, ATimerFlagIsOnWhenItIsTheNumberOne)
{
    for (const char *on : {"1", "01", " 1"})
        EXPECT_TRUE(timerFlagOn(on)) << on;
    for (const QString &off : QStringList{"0", "2", "", "ON", "x1", "1x", QString(20, QChar())})
        EXPECT_FALSE(timerFlagOn(off)) << off.toStdString();
}

TEST(WakeSchedule, LateTicksCatchUpAMinuteAtMostAndNothingRepeats)
{
    WakeSchedule s;
    // Each tick: the time text, the monotonic clock and the texts it checks.
    const std::tuple<const char *, int, QStringList> ticks[] = {
        {"07:29:58", 0, {"07:29:58"}},
        {"07:30:01", 2400, {"07:29:59", "07:30:00", "07:30:01"}},
        {"07:30:01", 2600, {}}, // twice in one second
        {"07:29:59", 3000, {}}, // the clock set back a little: those texts were checked
        {"07:30:02", 4000, {"07:30:02"}},
        {"08:30:02", 5000, {"08:30:02"}},  // suspended for an hour: the time of day jumped
        {"08:31:07", 71000, {"08:31:07"}}, // more than a minute without a tick
        {"07:31:08", 72000, {"07:31:08"}}, // the clock set back an hour: wakes again
        {"23:59:59", 73000, {"23:59:59"}},
        {"00:00:01", 75000, {"24:00:00", "00:00:00", "00:00:01"}}, // midnight has both texts
    };
    for (const auto &[now, ms, expected] : ticks)
        EXPECT_EQ(s.timesToCheck(now, ms), expected) << now << " at " << ms;
    s.timesToCheck("08:00:00", 80000);
    EXPECT_EQ(s.timesToCheck("08:01:00", 140000).size(), 60) << "a minute is caught up";
}
