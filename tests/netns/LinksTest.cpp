// The machines on a link, known by their MACs: a scan of a /24 behind a switch, of a larger subnet
// and of a /32 link's peer; the MAC learned for a host, on the link and behind a router.

#include "core/net/Makers.h"
#include "core/net/Neighbours.h"
#include "core/net/Reachability.h"
#include "core/net/Sweep.h"
#include "core/settings/SettingsFile.h"
#include "core/wake/MacText.h"
#include "netns/NetnsFixtures.h"
#include "support/Netns.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "ui/settings/Settings.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST_F(Links, ScanListsExactlyThePresentMachinesEvenOneThatDropsEveryPingAndConnection)
{
    const QString sw = net.add("sw"), here = net.add("here"), m3 = net.add("m3"), m20 = net.add("m20"),
                  m100 = net.add("m100"), v6 = net.add("v6"), v6g = net.add("v6g");
    ASSERT_TRUE(net.plug(sw, here, "eth0", {"10.200.10.1/24", "fd00:200:10::1/64"}) &&
                net.plug(sw, m3, "eth0", {"10.200.10.3/24"}, "02:00:00:00:0a:03") &&
                net.plug(sw, m20, "eth0", {"10.200.10.20/24"}, "00:1b:21:00:0a:14") &&
                net.plug(sw, m100, "eth0", {"10.200.10.100/24"}, "02:00:00:00:0a:64") &&
                net.plug(sw, v6, "eth0", {}, "02:00:00:00:0a:05") &&
                net.plug(sw, v6g, "eth0", {"fd00:200:10::6/64"}, "02:00:00:00:0a:06"))
        << net.lastError().toStdString();
    ASSERT_TRUE(net.allowUnprivilegedPing(here));
    ASSERT_TRUE(net.wall(m100));
    ASSERT_TRUE(net.enter(here));
    EXPECT_EQ(probeHosts({"10.200.10.3", "10.200.10.100"}), (std::vector{Reach::Answered, Reach::NoAnswer}))
        << "the firewall lets pings or connections through";
    net.leave();
    const QString v6Address = linkLocal(net, v6);
    ASSERT_FALSE(v6Address.isEmpty());

    // ip netns exec shows the namespace's own hosts file: a name for the reverse lookup.
    const QString etc = "/etc/netns/" + here;
    // .20's reverse name leads to .100 (the first line for it, "multi off"): it is no name for .20.
    ASSERT_EQ(shell("mkdir -p " + etc +
                    " && printf '10.200.10.3 printer.orvane.test\\n10.200.10.100 wall.orvane.test\\n"
                    "10.200.10.20 wall.orvane.test\\n' > " +
                    etc + "/hosts && echo 'multi off' > " + etc + "/host.conf")
                  .status,
              0);
    struct RemoveEtc {
        QString etc;
        ~RemoveEtc() { shell("rm -r " + etc + " && rmdir --ignore-fail-on-non-empty /etc/netns"); }
    } removeEtc{etc};

    // PC 2 is the machine at .20; PC 4 a MAC that nobody has.
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "3"}});
    setPc(g, 1, "Ghost", "10.200.10.3", {"02", "00", "00", "00", "0A", "77"}); // .3 is another machine
    setPc(g, 2, "Desk", "desk", {"00", "1B", "21", "00", "0A", "14"});
    setPc(g, 4, "Gone", "gone", {"02", "00", "00", "00", "0A", "99"});
    setPc(g, 5, "Walled", "10.200.10.100", {"02", "00", "00", "00", "0A", "64"});
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    // The firewalled machine answers ARP alone, also when asked anew from an old entry; an old entry of
    // the ghost's MAC, at an address nobody holds, is not where it answers.
    for (const char *entry : {"10.200.10.100 lladdr 02:00:00:00:0a:64", "10.200.10.77 lladdr 02:00:00:00:0a:77"})
        ASSERT_EQ(net.exec(here, QStringLiteral("ip neigh replace %1 nud stale dev eth0").arg(entry)).status, 0);
    const QStringList status = net.exec(here, ORVANE_WAKE_PATH " --status").output.split('\n');
    EXPECT_EQ(status.value(0), "1\tGhost\t10.200.10.3\t別の MAC から応答 02:00:00:00:0A:03");
    EXPECT_EQ(status.value(4), "5\tWalled\t10.200.10.100\tARP のみ応答");
    ASSERT_EQ(shell("cp " ORVANE_WAKE_PATH " " + cwd.path() + " && chmod -R a+rX " + cwd.path()).status, 0);

    // Sorted by number, IPv4 first; the IPv6 answers of the IPv4 machines add no lines, and a machine
    // with a global address is listed by it, not by its link-local one.
    const std::string maker = makerOf({0x00, 0x1B, 0x21, 0x00, 0x0A, 0x14});
    const QString expected =
        "調べた範囲: 10.200.10.0/24（eth0）\n10.200.10.3\t02:00:00:00:0A:03\tprinter.orvane.test\t\t\n"
        "10.200.10.20\t00:1B:21:00:0A:14\t\t" +
        QString::fromStdString(maker) +
        "\t2\n"
        "10.200.10.100\t02:00:00:00:0A:64\twall.orvane.test\t\t5\n"
        "fd00:200:10::6\t02:00:00:00:0A:06\t\t\t\n" +
        v6Address + "%eth0\t02:00:00:00:0A:05\t\t\t\n";
    for (const QString &user : {QString(), QStringLiteral("setpriv --reuid=65534 --regid=65534 --clear-groups ")}) {
        // An old entry for an address nobody holds is no machine found.
        net.exec(here,
                 "ip neigh flush all && ip neigh replace 10.200.10.77 lladdr 02:00:00:00:0a:77 nud stale dev eth0");
        const ShellResult r = net.exec(here, user + cwd.path() + "/orvane-wake --scan");
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        EXPECT_EQ(r.output, expected) << (user.isEmpty() ? "root" : "unprivileged");
    }
}

TEST_F(Links, ASweepOfALargerSubnetCoversTheSlash22AroundThisMachineEachMachineOnce)
{
    const QString sw = net.add("sw"), here = net.add("here"), near = net.add("near"), beyond = net.add("beyond");
    ASSERT_TRUE(net.plug(sw, here, "eth0", {"10.202.0.1/20"}) &&
                net.plug(sw, near, "eth0", {"10.202.3.200/20"}, "02:00:00:00:0e:01") &&
                net.plug(sw, beyond, "eth0", {"10.202.4.5/20"}, "02:00:00:00:0e:02"))
        << net.lastError().toStdString();
    ASSERT_TRUE(net.enter(here));
    // beyond is outside the /22 but on the subnet, and heard from now: listed without being swept.
    ASSERT_NE(probeHost("10.202.4.5"), Reach::NotChecked);
    std::vector<std::string> found, covered;
    SweepProgress last;
    int calls = 0, mostAsked = 0;
    sweepLinks([&](const FoundMachine &m) { found.push_back(m.address + " " + macText(m.mac)); },
               [&](const SweepProgress &p) {
                   EXPECT_TRUE(p.done >= last.done && p.done <= p.total);
                   last = p, ++calls;
                   // The addresses the kernel is still asking for, in this namespace's table, at every
                   // report: the first comes right after the first addresses went out, before any can
                   // have settled, so that look always sees some.
                   mostAsked = std::max(mostAsked, shell("ip neigh show nud incomplete | wc -l").output.toInt());
               },
               nullptr, &covered);
    EXPECT_LE(mostAsked, 256);
    EXPECT_GT(mostAsked, 0) << "never looked while the kernel was asking";
    // Cancelled once the first addresses are settled, the sweep ends before the rest.
    Cancel cancel;
    SweepProgress cancelled;
    sweepLinks(
        nullptr,
        [&](const SweepProgress &p) {
            if ((cancelled = p).done > 0)
                cancel.cancel();
        },
        &cancel);
    net.leave();
    EXPECT_LT(cancelled.done, 1022);
    // 10.202.0.0 to 10.202.3.255 but the network's address and this machine's own, and beyond.
    EXPECT_EQ(covered, std::vector<std::string>{"10.202.0.0/22（eth0 の 10.202.0.0/20 のうち、このマシンのまわり）"});
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"10.202.3.200 02:00:00:00:0E:01", "10.202.4.5 02:00:00:00:0E:02"}));
    EXPECT_EQ(last.total, 1023);
    EXPECT_EQ(last.done, last.total);
    EXPECT_GT(calls, 2) << "no progress while it went on";
}

TEST_F(Links, AScanOfASlash32LinkAsksTheFarEndOfItsPeerRoute)
{
    const QString here = net.add("here"), peer = net.add("peer");
    ASSERT_TRUE(net.link(here, "eth0", {"10.203.0.1/32"}, peer, "eth0", {"10.203.0.2/32"}, {}, "02:00:00:00:0f:02"))
        << net.lastError().toStdString();
    ASSERT_TRUE(net.run(here, {"ip route add 10.203.0.2 dev eth0"}) &&
                net.run(peer, {"ip route add 10.203.0.1 dev eth0"}));
    const ShellResult r = net.exec(here, ORVANE_WAKE_PATH " --scan");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "調べた範囲: 10.203.0.2/32（eth0 の経路の先）\n10.203.0.2\t02:00:00:00:0F:02\t\t\t\n");
}

TEST_F(Links, LearnsTheMacOfAnOnLinkHostAndNeverTheRoutersForOneBehindIt)
{
    const QString here = net.add("here"), router = net.add("router"), far = net.add("far");
    ASSERT_TRUE(net.link(here, "eth0", {"10.200.11.1/24", "fd00:200:11::1/64"}, router, "in0",
                         {"10.200.11.254/24", "fd00:200:11::fe/64"}, {}, "02:00:00:00:0b:fe") &&
                net.link(router, "out0", {"10.200.12.1/24"}, far, "eth0", {"10.200.12.2/24"}, {}, "02:00:00:00:0c:02"))
        << net.lastError().toStdString();
    // The router answers ARP for the far network (proxy ARP), so the neighbour table even holds an entry
    // for the far host: with the router's MAC.
    ASSERT_TRUE(net.run(router, {"sysctl -q -w net.ipv4.ip_forward=1 net.ipv4.conf.in0.proxy_arp=1"}) &&
                net.run(here, {"ip route add 10.200.12.0/24 dev eth0"}) &&
                net.run(far, {"ip route add default via 10.200.12.1"}));
    ASSERT_TRUE(net.allowUnprivilegedPing(here));
    ASSERT_TRUE(net.enter(here));
    ASSERT_EQ(probeHost("10.200.12.2"), Reach::Answered) << "the router doesn't forward";

    for (const char *router : {"10.200.11.254", "fd00:200:11::fe"})
        EXPECT_EQ(learnMac(router), (MacAddress{0x02, 0, 0, 0, 0x0B, 0xFE})) << router;
    EXPECT_FALSE(learnMac("10.200.12.2").has_value());
    EXPECT_NE(net.exec(here, "ip neigh show 10.200.12.2").output.indexOf("02:00:00:00:0b:fe"), -1)
        << "the test's trap isn't set";
    ASSERT_EQ(net.exec(here, "ip neigh replace 10.200.11.77 lladdr 02:00:00:00:0b:77 nud stale dev eth0").status, 0);
    EXPECT_FALSE(learnMac("10.200.11.77", 300).has_value()) << "nobody is at .77, whatever an old entry says";
    for (const char *address : {"10.200.11.1", "10.200.11.0", "10.200.11.255", "10.200.12.2", "127.0.0.1",
                                "fd00:200:11::1", "fd00:200:12::2", "ff02::1", "::1"})
        EXPECT_FALSE(onLinkInterface(address).has_value()) << address;
    for (const char *address : {"10.200.11.77", "fd00:200:11::77", "fe80::77", "fe80::77%eth0"})
        EXPECT_TRUE(onLinkInterface(address).has_value()) << address;
    net.leave();
}
