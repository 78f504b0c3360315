// The wake sender: the datagrams on the wire, received on loopback.

#include "core/net/WakeSender.h"
#include "support/SettingsData.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST(WakeSender, DatagramsReachLoopbackFromPortPlusOneOrTheHostIsReported)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    const std::string port = std::to_string(target.port());
    EXPECT_TRUE(wake(pc3(port)));
    // No count: nothing sent, and not even the host is looked at.
    for (const std::string count : {"0", "-32768"})
        EXPECT_TRUE(wake(pc3(port, count, "33", "no-such-host.invalid"))) << count;
    // An IPv4 address written as IPv6 goes out as IPv4. "localhost" may resolve to either loopback;
    // a receiver on ::1 at the same port catches the other.
    UdpReceiver v6(QHostAddress::LocalHostIPv6, target.port());
    for (const std::string host : {"::ffff:127.0.0.1", "localhost"})
        EXPECT_TRUE(wake(pc3(port, "1", "33", host))) << host;
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
