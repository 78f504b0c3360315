// Delivery in network namespaces of the test's own: the limited broadcast on every link.
#include "support/Netns.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

using namespace orvane::test;

namespace {

TEST(Network, TheLimitedBroadcastLeavesOnEveryLinkWhereverTheDefaultRouteLeads)
{
    TestNet net;
    if (const QString why = net.unavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    // This machine (a) on its LAN and on a second link that holds the default route, as a VPN or a
    // second network would; a machine with no link but loopback.
    const QString a = net.add("a"), lan = net.add("lan"), other = net.add("other"), bare = net.add("bare");
    ASSERT_TRUE(net.link(a, "lana", {"10.200.9.1/24"}, lan, "lanb", {"10.200.9.2/24"}) &&
                net.link(a, "vpna", {"10.200.10.1/24"}, other, "vpnb", {"10.200.10.2/24"}))
        << net.lastError().toStdString();
    ASSERT_EQ(net.exec(a, "ip route add default via 10.200.10.2").status, 0);
    // A copy that an unprivileged user can reach; local port 10 is below the unprivileged ports.
    QTemporaryDir dir;
    ASSERT_EQ(shell("cp " ORVANE_WAKE_PATH " " + dir.path() + " && chmod 755 " + dir.path()).status, 0);
    const QString options = " --mac 00:11:22:33:44:55 --port 9 --count 2 --host 255.255.255.255";

    const struct {
        const char *who;
        QString command;
        int fromPort;
    } cases[] = {{"root", ORVANE_WAKE_PATH, 10},
                 {"nobody", "setpriv --reuid=65534 --regid=65534 --clear-groups " + dir.path() + "/orvane-wake", 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.who);
        // Each receiver's socket lives in the namespace it was made in.
        ASSERT_TRUE(net.enter(lan));
        auto onLan = std::make_unique<UdpReceiver>(QHostAddress::Any, 9);
        ASSERT_TRUE(net.enter(other));
        auto onOther = std::make_unique<UdpReceiver>(QHostAddress::Any, 9);
        net.leave();
        ASSERT_TRUE(onLan->isBound() && onOther->isBound());
        const ShellResult r = net.exec(a, c.command + options);
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        for (const auto &[link, rx, from] : {std::tuple("LAN", onLan.get(), "10.200.9.1"),
                                             std::tuple("default route's link", onOther.get(), "10.200.10.1")}) {
            const auto got = rx->receive(2, 5000);
            EXPECT_EQ(got.size(), 2) << link;
            for (const UdpReceiver::Datagram &d : got) {
                EXPECT_TRUE(d.data == expectedPacket(QByteArray::fromHex("001122334455")) &&
                            d.sender.isEqual(QHostAddress(from), QHostAddress::TolerantConversion))
                    << link << ": from " << d.sender.toString().toStdString();
                EXPECT_TRUE(c.fromPort ? d.senderPort == c.fromPort : d.senderPort >= 1024) << d.senderPort;
            }
        }
    }

    // No link to broadcast on: nothing was sent, and it says so.
    const ShellResult r = net.exec(bare, ORVANE_WAKE_PATH + options);
    EXPECT_TRUE(r.status == 1 && r.output.contains("へ送信できるネットワークがありません。")) << r.output.toStdString();
}

} // namespace
