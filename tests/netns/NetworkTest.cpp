// The machines on a link, known by their MACs: a scan of a /24 behind a switch, and the MAC learned
// for a host, on the link and behind a router. Everything happens in namespaces the test makes.

#include "core/Neighbours.h"
#include "core/Reachability.h"
#include "core/SettingsFile.h"
#include "support/Netns.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace orvane;
using namespace orvane::test;

namespace {

class Network : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = net.unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
    }
    TestNet net;
};

// The namespace's link-local IPv6 address on dev.
QString linkLocal(TestNet &net, const QString &ns)
{
    const QString out = net.exec(ns, "ip -6 -o addr show dev eth0 scope link").output;
    return QRegularExpression("inet6 (fe80::[0-9a-f:]+)/").match(out).captured(1);
}

} // namespace

TEST_F(Network, ScanListsExactlyThePresentMachinesEvenOneThatDropsEveryPingAndConnection)
{
    const QString sw = net.add("sw"), here = net.add("here"), m3 = net.add("m3"), m20 = net.add("m20"),
                  m100 = net.add("m100"), v6 = net.add("v6");
    ASSERT_TRUE(net.plug(sw, here, "eth0", {"10.200.10.1/24"}) && net.plug(sw, m3, "eth0", {"10.200.10.3/24"}, "02:00:00:00:0a:03") &&
                net.plug(sw, m20, "eth0", {"10.200.10.20/24"}, "00:1b:21:00:0a:14") &&
                net.plug(sw, m100, "eth0", {"10.200.10.100/24"}, "02:00:00:00:0a:64") &&
                net.plug(sw, v6, "eth0", {}, "02:00:00:00:0a:05"))
        << net.lastError().toStdString();
    ASSERT_TRUE(net.allowUnprivilegedPing(here));
    ASSERT_EQ(net.exec(m100, "nft 'add table inet f; add chain inet f in { type filter hook input priority 0; }; "
                             "add rule inet f in meta l4proto { icmp, ipv6-icmp, tcp } drop'")
                  .status,
              0);
    ASSERT_TRUE(net.enter(here));
    EXPECT_EQ(probeHosts({"10.200.10.3", "10.200.10.100"}), (std::vector{Reach::Answered, Reach::NoAnswer}))
        << "the firewall lets pings or connections through";
    net.leave();
    const QString v6Address = linkLocal(net, v6);
    ASSERT_FALSE(v6Address.isEmpty());

    // PC 2 is the machine at .20; PC 4 a MAC that nobody has.
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "3"}});
    setPc(g, 2, "Desk", "desk", {"00", "1B", "21", "00", "0A", "14"});
    setPc(g, 4, "Gone", "gone", {"02", "00", "00", "00", "0A", "99"});
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    ASSERT_EQ(shell("cp " ORVANE_WAKE_PATH " " + cwd.path() + " && chmod -R a+rX " + cwd.path()).status, 0);

    // Sorted by number, IPv4 first; the IPv6 answers of the IPv4 machines add no lines.
    const std::string maker = makerOf({0x00, 0x1B, 0x21, 0x00, 0x0A, 0x14});
    const QString expected = "10.200.10.3\t02:00:00:00:0A:03\t\t\t\n"
                             "10.200.10.20\t00:1B:21:00:0A:14\t\t" +
                             QString::fromStdString(maker) +
                             "\t2\n"
                             "10.200.10.100\t02:00:00:00:0A:64\t\t\t\n" +
                             v6Address + "\t02:00:00:00:0A:05\t\t\t\n";
    for (const QString &user : {QString(), QStringLiteral("setpriv --reuid=65534 --regid=65534 --clear-groups ")}) {
        net.exec(here, "ip neigh flush all");
        const ShellResult r = net.exec(here, user + cwd.path() + "/orvane-wake --scan");
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        EXPECT_EQ(r.output, expected) << (user.isEmpty() ? "root" : "unprivileged");
    }
}

TEST_F(Network, LearnsTheMacOfAnOnLinkHostAndNeverTheRoutersForOneBehindIt)
{
    const QString here = net.add("here"), router = net.add("router"), far = net.add("far");
    ASSERT_TRUE(net.link(here, "eth0", {"10.200.11.1/24"}, router, "in0", {"10.200.11.254/24"}, {}, "02:00:00:00:0b:fe") &&
                net.link(router, "out0", {"10.200.12.1/24"}, far, "eth0", {"10.200.12.2/24"}, {}, "02:00:00:00:0c:02"))
        << net.lastError().toStdString();
    // The router answers ARP for the far network (proxy ARP), so the neighbour table even holds an entry
    // for the far host: with the router's MAC.
    ASSERT_EQ(net.exec(router, "sysctl -q -w net.ipv4.ip_forward=1 net.ipv4.conf.in0.proxy_arp=1").status, 0);
    ASSERT_EQ(net.exec(here, "ip route add 10.200.12.0/24 dev eth0").status, 0);
    ASSERT_EQ(net.exec(far, "ip route add default via 10.200.12.1").status, 0);
    ASSERT_TRUE(net.allowUnprivilegedPing(here));
    ASSERT_TRUE(net.enter(here));
    ASSERT_EQ(probeHost("10.200.12.2"), Reach::Answered) << "the router doesn't forward";

    EXPECT_EQ(learnMac("10.200.11.254"), (MacAddress{0x02, 0, 0, 0, 0x0B, 0xFE}));
    EXPECT_FALSE(learnMac("10.200.12.2").has_value());
    EXPECT_NE(net.exec(here, "ip neigh show 10.200.12.2").output.indexOf("02:00:00:00:0b:fe"), -1)
        << "the test's trap isn't set";
    EXPECT_FALSE(learnMac("10.200.11.77", 300).has_value()) << "nobody is at .77";
    for (const char *address : {"10.200.11.1", "10.200.11.0", "10.200.11.255", "10.200.12.2", "127.0.0.1"})
        EXPECT_FALSE(onLinkInterface(address).has_value()) << address;
    EXPECT_TRUE(onLinkInterface("10.200.11.77").has_value());
    net.leave();
}
