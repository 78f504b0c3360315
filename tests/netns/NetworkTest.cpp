// Everything between network namespaces that the test makes, joined by veth pairs: orvane-wake by
// subnet and limited broadcast, IPv6 and as an unprivileged user; delivery to a sleeping PC; whether
// PCs answer, from the tool and in the main window (namespace a holds this machine's side, b a PC at
// .2; nobody holds .77). Then the machines on a link, known by their MACs: a scan of a /24 behind a
// switch, the MAC learned for a host, on the link and behind a router, and the settings dialog's
// finder and MAC learning. Root only; nothing sent leaves the namespaces.

#include "app/Forms.h"
#include "core/net/MacText.h"
#include "core/net/Makers.h"
#include "core/net/Neighbours.h"
#include "core/net/Reachability.h"
#include "core/net/Sweep.h"
#include "core/settings/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/Netns.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/StatusMarks.h"
#include "ui/main/MainF.h"
#include "ui/settings/Finder.h"
#include "ui/settings/Settings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "core/status/PcStatus.h"
#include <atomic>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Two namespaces: a holds this machine's side, b a PC.
class TwoNamespaces : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = net.unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        a = net.add("a"), b = net.add("b");
    }

    // a and b on one link: 10.200.8.1 and .2; b with the MAC given.
    void oneLink(const QString &bMac = {})
    {
        ASSERT_TRUE(net.link(a, "osa", {"10.200.8.1/24", "fd00:200:8::1/64"}, b, "osb",
                             {"10.200.8.2/24", "fd00:200:8::2/64"}, {}, bMac))
            << net.lastError().toStdString();
    }

    TestNet net;
    QString a, b;
};

class Network : public TwoNamespaces {
protected:
    void SetUp() override
    {
        TwoNamespaces::SetUp();
        if (IsSkipped())
            return;
        oneLink("00:11:22:33:44:55"); // the PCs' MAC
        ASSERT_TRUE(net.allowUnprivilegedPing(a));
    }

    ShellResult wake(const QString &options) { return net.exec(a, QString(ORVANE_WAKE_PATH) + " " + options); }
};

TEST_F(Network, AWakeToAnAddressNobodyAnswersForArrivesThroughItsLink)
{
    for (const bool v6 : {false, true}) {
        ASSERT_TRUE(net.enter(b));
        UdpReceiver rx(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 9);
        net.leave();
        const ShellResult r = wake(QString("--mac 00:11:22:33:44:55 --port 9 --count 2 --host ") +
                                   (v6 ? "fd00:200:8::77" : "10.200.8.77"));
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        rx.receive(2, 10000);
        const auto got = rx.receive(3, QuietMs); // and nothing more
        EXPECT_EQ(got.size(), 2) << (v6 ? "IPv6: all nodes" : "IPv4: the subnet's broadcast");
        for (const UdpReceiver::Datagram &d : got)
            EXPECT_TRUE(d.data == expectedPacket(QByteArray::fromHex("001122334455")) && d.senderPort == 10);
    }
}

TEST_F(Network, WaitEndsWithTheAnswerOrWhenItsTimeIsUp)
{
    const struct {
        QString options;
        int status;
        QString output;
    } cases[]{{"--wait --host 10.200.8.2", 0, "^10.200.8.2 は送信前から応答しています\n$"},
              {"--wait=3 --host 10.200.8.77", 3,
               "^10.200.8.77 から 3 秒間応答がありません\nヘルプの「うまく起動しないとき」に.*\n$"}};
    for (const auto &c : cases) {
        QElapsedTimer took;
        took.start();
        const ShellResult r = wake("--mac 00:11:22:33:44:55 --port 9 " + c.options);
        EXPECT_EQ(r.status, c.status) << r.output.toStdString();
        EXPECT_TRUE(QRegularExpression(c.output).match(r.output).hasMatch()) << r.output.toStdString();
        if (c.status == 3) {
            EXPECT_GE(took.elapsed(), 2900) << "gave up before its time";
        }
    }
}

TEST_F(Network, StatusAndTheMainWindowTellWhoAnswers)
{
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Here", "10.200.8.2", ServerMac);
    setPc(g, 2, "Gone", "10.200.8.77", {"00", "11", "22", "33", "44", "66"}); // nowhere on the link
    setPc(g, 4, "Nameless", "no-such-host.invalid", ServerMac);
    setPc(g, 5, "All", "10.200.8.255", ServerMac); // many machines, none of them the PC
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    const ShellResult r = wake("--status");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "1\tHere\t10.200.8.2\t応答あり\n2\tGone\t10.200.8.77\t応答なし\n3\t\t\t未確認\n"
                        "4\tNameless\tno-such-host.invalid\t未確認\n5\tAll\t10.200.8.255\t未確認\n");

    ASSERT_TRUE(net.enter(a));
    FakeDesktop desktop;
    Forms forms;
    MainF *main = forms.mainF();
    forms.pcStatus();
    auto button = [main](int n) { return main->findChild<QPushButton *>(QStringLiteral("PC_start_%1").arg(n)); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(2)->accessibleDescription() != "未確認"; }, 10000));
    // The mark of each state on the button and in the menu; the two not checked alike.
    const struct {
        QString caption;
        QString state;
        Reach reach;
    } expected[]{{"Here 起動", "^応答あり \\d\\d:\\d\\d:\\d\\d$", Reach::Answered},
                 {"Gone 起動", "^応答なし \\d\\d:\\d\\d:\\d\\d$", Reach::NoAnswer},
                 {"PC3 起動", "^未確認$", Reach::NotChecked},
                 {"Nameless 起動", "^未確認$", Reach::NotChecked}};
    QList<QImage> marks;
    for (int n = 1; n <= 4; ++n) {
        const auto &e = expected[n - 1];
        QPushButton *b = button(n);
        QAction *entry = main->findChild<QAction *>(QStringLiteral("PC%1_start").arg(n));
        EXPECT_EQ(b->text(), e.caption);
        EXPECT_TRUE(QRegularExpression(e.state).match(b->accessibleDescription()).hasMatch())
            << n << ": " << b->accessibleDescription().toStdString();
        EXPECT_EQ(b->toolTip(), b->accessibleDescription());
        EXPECT_EQ(entry->toolTip(), b->accessibleDescription());
        QWidget *mark = b->findChild<QWidget *>(QStringLiteral("status_mark"));
        ASSERT_TRUE(mark);
        marks << mark->grab().toImage();
        EXPECT_EQ(entry->icon().pixmap(16, 16).toImage(), statusIcon(e.reach).pixmap(16, 16).toImage()) << n;
    }
    EXPECT_TRUE(marks[0] != marks[1] && marks[1] != marks[2] && marks[0] != marks[2] && marks[2] == marks[3]);
}

TEST_F(Network, OrvaneWakeReachesAnotherNamespaceByBroadcastIPv6AndUnprivileged)
{
    // The test goes on in namespace b, where it receives on port 9.
    ASSERT_TRUE(net.enter(b));
    const QString send = "ip netns exec " + a + " %1 --mac 00:11:22:33:44:55 --port 9 --count 2 --host %2";

    // Only the subnet is known: 255.255.255.255 goes out on the link all the same.
    ShellResult said;

    // A copy that an unprivileged user can reach; local port 10 is below the unprivileged ports.
    QTemporaryDir dir;
    ASSERT_EQ(shell("cp " ORVANE_WAKE_PATH " " + dir.path() + " && chmod 755 " + dir.path()).status, 0);
    // An address on the link also gets each datagram through the link (its broadcast, all IPv6 nodes).
    const struct {
        QString host, from;
        int fromPort, datagrams;
        QString command;
    } cases[] = {{"10.200.8.255", "10.200.8.1", 10, 2, ORVANE_WAKE_PATH},
                 {"255.255.255.255", "10.200.8.1", 10, 2, ORVANE_WAKE_PATH},
                 {"fd00:200:8::2", "", 10, 4, ORVANE_WAKE_PATH},
                 {"10.200.8.2", "10.200.8.1", 0, 4,
                  "setpriv --reuid=65534 --regid=65534 --clear-groups " + dir.path() + "/orvane-wake"}};
    for (const auto &c : cases) {
        UdpReceiver rx(QHostAddress::Any, 9);
        said = shell(send.arg(c.command, c.host));
        EXPECT_EQ(said.status, 0) << said.output.toStdString();
        const auto got = rx.receive(c.datagrams, 10000);
        EXPECT_EQ(got.size(), c.datagrams) << c.host.toStdString();
        for (const UdpReceiver::Datagram &d : got) {
            EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455"))) << c.host.toStdString();
            EXPECT_TRUE(c.from.isEmpty() || d.sender.isEqual(QHostAddress(c.from), QHostAddress::TolerantConversion));
            EXPECT_TRUE(c.fromPort ? d.senderPort == c.fromPort : d.senderPort >= 1024) << d.senderPort;
        }
    }
}

} // namespace

namespace {

TEST(LimitedBroadcast, LeavesOnEveryLinkWhereverTheDefaultRouteLeads)
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

// Namespaces made by each test itself.
class Links : public testing::Test {
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

namespace {

const QString Pc2 = QStringLiteral("02:00:00:00:09:02"), Pc3 = QStringLiteral("02:00:00:00:09:03"),
              Pc4 = QStringLiteral("02:00:00:00:09:04");

// The settings dialog of a program in namespace a, at 10.200.9.1/24 behind a switch with the PCs.
class NetworkDialog : public Links {
protected:
    void SetUp() override
    {
        Links::SetUp();
        if (IsSkipped())
            return;
        sw = net.add("sw"), a = net.add("a");
        ASSERT_TRUE(net.plug(sw, a, "eth0", {"10.200.9.1/24"})) << net.lastError().toStdString();
        ASSERT_TRUE(net.allowUnprivilegedPing(a));
    }

    // A machine at 10.200.9.last with this MAC; a firewalled one drops every ping and connection.
    void machine(int last, const QString &mac, bool firewalled = false)
    {
        const QString ns = net.add(QString::number(last));
        ASSERT_TRUE(net.plug(sw, ns, "eth0", {QStringLiteral("10.200.9.%1/24").arg(last)}, mac))
            << net.lastError().toStdString();
        ASSERT_TRUE(!firewalled || net.wall(ns));
    }

    // The settings dialog of a program running in namespace a.
    Settings *open()
    {
        EXPECT_TRUE(net.enter(a));
        forms = std::make_unique<Forms>();
        forms->mainF()->Settings_bt_Click();
        Settings *dialog = forms->loadedSettings();
        EXPECT_TRUE(dialog && QTest::qWaitForWindowActive(dialog));
        return dialog;
    }
    void TearDown() override
    {
        forms.reset();
        net.leave();
    }
    QLineEdit *box(const QString &name) { return forms->loadedSettings()->findChild<QLineEdit *>(name); }
    QStringList mac(int k)
    {
        QStringList texts;
        for (int j = 0; j < 6; ++j)
            texts << box(QStringLiteral("MAC_txt_%1").arg(6 * k + j))->text();
        return texts;
    }
    void type(const QString &name, const QString &text)
    {
        QTest::mouseClick(box(name), Qt::LeftButton);
        QTest::keyClicks(box(name), text);
    }

    QString sw, a;
    TempCwd cwd;
    FakeDesktop desktop;
    std::unique_ptr<Forms> forms;
};

TEST_F(NetworkDialog, LeavingAHostBoxFillsTheMacOfAnOnLinkMachineButNeverOverATypedOne)
{
    machine(2, Pc2);
    machine(3, Pc3, true);
    open();
    // Row 1 learns; row 2's first box gets text while its answer is on its way; row 3 had text before.
    type("IP_txt_0", "10.200.9.3");
    QTest::keyClick(box("IP_txt_0"), Qt::Key_Tab);
    type("IP_txt_1", "10.200.9.2");
    QTest::keyClick(box("IP_txt_1"), Qt::Key_Tab);
    QTest::keyClicks(box("MAC_txt_6"), "ab");
    type("MAC_txt_17", "1");
    type("IP_txt_2", "10.200.9.2");
    QTest::keyClick(box("IP_txt_2"), Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mac(0) == Pc3.toUpper().split(':'); }, 5000))
        << mac(0).join(QLatin1Char(' ')).toStdString();
    QTest::qWait(2500);
    EXPECT_EQ(mac(1), QStringList({"AB", "", "", "", "", ""}));
    EXPECT_EQ(mac(2), QStringList({"", "", "", "", "", "1"}));
}

TEST_F(NetworkDialog, TheFinderListsTheMachinesOfTheLinkAndAChosenOneFillsARow)
{
    machine(2, Pc2);
    machine(3, Pc3, true);
    machine(4, Pc4);
    Settings *dialog = open();
    dialog->move(dialog->screen()->availableGeometry().topLeft()); // room below it, none beside it
    // PC2 is the firewalled machine, but its host box holds an address it no longer has.
    box("IP_txt_1")->setText("10.200.9.99");
    const QStringList pc3 = Pc3.split(':');
    for (int j = 0; j < 6; ++j)
        box(QStringLiteral("MAC_txt_%1").arg(6 + j))->setText(pc3[j]);
    box("pc_txt_0")->setText("Server");
    box("IP_txt_0")->setText("10.200.9.250");
    // PC4's host is a name for .4 that no reverse lookup gives back (as a hosts file's or an mDNS name).
    box("IP_txt_3")->setText("10.200.2308");
    const QStringList pc4 = Pc4.split(':');
    for (int j = 0; j < 6; ++j)
        box(QStringLiteral("MAC_txt_%1").arg(18 + j))->setText(pc4[j]);

    dialog->findChild<QPushButton *>("find_bt")->click();
    Finder *finder = dialog->finder();
    ASSERT_TRUE(finder && QTest::qWaitForWindowExposed(finder));
    auto *list = finder->findChild<QTreeWidget *>("machines_lst");
    auto *again = finder->findChild<QPushButton *>("again_bt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return again->isEnabled(); }, 30000));
    const auto lines = [list] {
        QStringList all;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            all << item->text(0) + ' ' + item->text(1) + ' ' + item->text(4);
        }
        return all;
    };
    const QStringList expected{"10.200.9.2 " + Pc2 + " ", "10.200.9.3 " + Pc3 + " PC2（新しいアドレス）",
                               "10.200.9.4 " + Pc4 + " PC4"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines() == expected; }, 5000)) << lines().join('\n').toStdString();
    EXPECT_TRUE(finder->findChild<QLabel *>("state_lbl")->text().startsWith("見つかった機器：3 台"));
    EXPECT_FALSE(finder->frameGeometry().intersects(dialog->frameGeometry())) << "over the rows";
    EXPECT_FALSE(finder->findChild<QWidget *>("sweep_bar")->isVisible());

    // Choosing PC2's machine offers PC2; filling it updates the host box.
    // (Which machine is chosen first depends on which answered first.)
    auto *row = finder->findChild<QComboBox *>("row_cmb");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(row->currentText(), "PC2（10.200.9.99）");
    finder->findChild<QPushButton *>("fill_bt")->click();
    EXPECT_EQ(box("IP_txt_1")->text(), "10.200.9.3");
    EXPECT_EQ(list->topLevelItem(1)->text(4), "PC2");
    // A machine that is no PC yet is offered the first free row, not the PC chosen before; a row with a
    // MAC but no host is not free.
    box("MAC_txt_12")->setText("02");
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_EQ(row->currentIndex(), 4);
    // With every row in use, no row is chosen for a new machine: the user picks one, and replacing
    // another PC asks first and takes its name away with its MAC.
    box("pc_txt_2")->setText("nas");
    box("IP_txt_2")->setText("nas.lan");
    box("MAC_txt_24")->setText("02");
    box("IP_txt_4")->setText("10.200.9.5");
    list->setCurrentItem(list->topLevelItem(2));
    list->setCurrentItem(list->topLevelItem(0));
    auto *fill = finder->findChild<QPushButton *>("fill_bt");
    EXPECT_EQ(std::pair(row->currentIndex(), fill->isEnabled()), std::pair(-1, false));
    row->setCurrentIndex(2);
    EXPECT_EQ(row->currentText(), "PC3（nas、nas.lan）");
    desktop.boxAnswers = {7, 6}; // No, then Yes
    for (int answer = 0; answer < 2; ++answer)
        QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(desktop.boxes.size(), 2);
    EXPECT_EQ(std::get<0>(desktop.boxes[0]), "PC3（nas、nas.lan） を、見つかった機器（" + Pc2.toUpper() +
                                                 "、10.200.9.2）で置き換えますか？\r\n名前も置き換わります。");
    EXPECT_EQ(std::tuple(box("pc_txt_2")->text(), box("IP_txt_2")->text(), mac(2)),
              std::tuple(QString(), QString("10.200.9.2"), Pc2.toUpper().split(':')));
}

} // namespace

namespace {

const QString Wake = QStringLiteral(ORVANE_WAKE_PATH " --mac 00:11:22:33:44:55 --port 9 ");

class Answers : public TwoNamespaces {
protected:
    // One switch: this machine (a) at 10.200.8.1, b at .2 and a third machine c at .9, each with a MAC of
    // its own (02:00:00:00:08:<last byte of the address>); c's namespace.
    QString switchOfThree()
    {
        const QString sw = net.add("sw"), c = net.add("c");
        EXPECT_TRUE(net.plug(sw, a, "eth0", {"10.200.8.1/24"}) &&
                    net.plug(sw, b, "eth0", {"10.200.8.2/24"}, "02:00:00:00:08:02") &&
                    net.plug(sw, c, "eth0", {"10.200.8.9/24"}, "02:00:00:00:08:09"))
            << net.lastError().toStdString();
        return c;
    }
};

// The ICMP checksum of a message.
std::uint16_t checksum(const unsigned char *data, size_t size)
{
    std::uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (size % 2)
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

// In namespace ns, answers each echo request with a reply whose sequence number is moved by
// sequenceShift and whose payload has its first byte flipped when flipPayload, until stopped.
class EchoResponder {
public:
    EchoResponder(const QString &ns, int sequenceShift, bool flipPayload)
        : m_thread([this, ns, sequenceShift, flipPayload] { serve(ns, sequenceShift, flipPayload); })
    {
    }
    ~EchoResponder()
    {
        m_stop = true;
        m_thread.join();
    }
    int replies() const { return m_replies; }

private:
    void serve(const QString &ns, int sequenceShift, bool flipPayload)
    {
        const int nsFd = ::open(("/run/netns/" + ns).toUtf8().constData(), O_RDONLY | O_CLOEXEC);
        const bool entered = nsFd >= 0 && ::setns(nsFd, CLONE_NEWNET) == 0;
        ::close(nsFd);
        const int fd = entered ? ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP) : -1;
        while (fd >= 0 && !m_stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            unsigned char packet[1500];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&from), &length);
            const size_t header = n > 0 ? static_cast<size_t>(packet[0] & 0x0F) * 4 : 0;
            if (n < static_cast<ssize_t>(header + 8) || packet[header] != 8) // an echo request
                continue;
            unsigned char *icmp = packet + header;
            const size_t size = static_cast<size_t>(n) - header;
            icmp[0] = 0; // echo reply
            const int sequence = (icmp[6] << 8 | icmp[7]) + sequenceShift;
            icmp[6] = static_cast<unsigned char>(sequence >> 8);
            icmp[7] = static_cast<unsigned char>(sequence);
            if (flipPayload && size > 8)
                icmp[8] ^= 0xFF;
            icmp[2] = icmp[3] = 0;
            const std::uint16_t sum = checksum(icmp, size);
            icmp[2] = static_cast<unsigned char>(sum >> 8);
            icmp[3] = static_cast<unsigned char>(sum);
            ++m_replies; // before it can arrive
            ::sendto(fd, icmp, size, 0, reinterpret_cast<sockaddr *>(&from), length);
        }
        if (fd >= 0)
            ::close(fd);
    }

    std::atomic<bool> m_stop = false;
    std::atomic<int> m_replies = 0;
    std::thread m_thread;
};

} // namespace

// a - r - b: a router r between this machine (a, 10.201.1.1) and the PCs' subnet (b holds .2);
// r's firewall rejects everything for .77, an address nobody holds, as nft's reject does: with an
// ICMP port unreachable from r. Echoes aren't allowed in a, so every check is a TCP attempt.
TEST_F(Answers, ARefusalFromARouterOnTheWayIsNoAnswer)
{
    const QString r = net.add("r");
    ASSERT_TRUE(
        net.link(a, "ea", {"10.201.1.1/24", "fd00:201:1::1/64"}, r, "ra", {"10.201.1.254/24", "fd00:201:1::fe/64"}))
        << net.lastError().toStdString();
    ASSERT_TRUE(
        net.link(r, "rb", {"10.201.2.254/24", "fd00:201:2::fe/64"}, b, "eb", {"10.201.2.2/24", "fd00:201:2::2/64"}))
        << net.lastError().toStdString();
    ASSERT_TRUE(net.run(a, {"ip route add default via 10.201.1.254", "ip -6 route add default via fd00:201:1::fe"}) &&
                net.run(b, {"ip route add default via 10.201.2.254", "ip -6 route add default via fd00:201:2::fe"}));
    // .78 too, as a firewall that resets in the name of the address: no answer either.
    ASSERT_TRUE(net.run(r, {"sysctl -q -w net.ipv4.ip_forward=1 net.ipv6.conf.all.forwarding=1", "nft add table inet t",
                            "nft add chain inet t fw '{ type filter hook forward priority 0; }'",
                            "nft add rule inet t fw ip daddr 10.201.2.77 reject",
                            "nft add rule inet t fw ip6 daddr fd00:201:2::77 reject",
                            "nft add rule inet t fw ip daddr 10.201.2.78 meta l4proto tcp reject with tcp reset",
                            "nft add rule inet t fw ip6 daddr fd00:201:2::78 meta l4proto tcp reject with tcp reset"}));
    const QString reset =
        "応答なし（ルーターの向こうから TCP のリセットだけが返りました。ファイアウォールの応答かもしれません）";

    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Reset", "10.201.2.2", ServerMac); // b's own resets, which beyond a router prove nothing alone
    setPc(g, 2, "Gone", "10.201.2.77", ServerMac);
    setPc(g, 3, "Wall", "10.201.2.78", ServerMac);
    setPc(g, 4, "Wall6", "fd00:201:2::78", ServerMac);
    setPc(g, 5, "Gone6", "fd00:201:2::77", ServerMac);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    EXPECT_EQ(net.exec(a, ORVANE_WAKE_PATH " --status").output,
              "1\tReset\t10.201.2.2\t" + reset + "\n2\tGone\t10.201.2.77\t応答なし\n3\tWall\t10.201.2.78\t" + reset +
                  "\n4\tWall6\tfd00:201:2::78\t" + reset + "\n5\tGone6\tfd00:201:2::77\t応答なし\n");
    // A wake of a PC behind the router sends no copy to this machine's own subnet: r hears none.
    ASSERT_TRUE(net.enter(r));
    UdpReceiver rx(QHostAddress::AnyIPv4, 9);
    net.leave();
    EXPECT_EQ(net.exec(a, Wake + "--host 10.201.2.2").status, 0);
    EXPECT_TRUE(rx.receive(1, QuietMs).isEmpty()) << "a copy to 10.201.1.255";
    for (const char *host : {"10.201.2.77", "10.201.2.78"}) {
        const ShellResult waited = net.exec(a, Wake + "--wait=2 --host " + host);
        EXPECT_EQ(waited.status, 3) << waited.output.toStdString();
        EXPECT_TRUE(waited.output.startsWith(QString(host) + " から 2 秒間応答がありません\n"))
            << waited.output.toStdString();
    }
}

// b ignores echoes and drops every TCP attempt; a responder of the test's own answers echoes in its
// place, rightly or with something else than was sent.
TEST_F(Answers, AnEchoReplyCountsOnlyWithTheSequenceAndPayloadSent)
{
    oneLink();
    ASSERT_TRUE(net.allowUnprivilegedPing(a));
    ASSERT_TRUE(net.run(b, {"sysctl -q -w net.ipv4.icmp_echo_ignore_all=1", "nft add table inet t",
                            "nft add chain inet t input '{ type filter hook input priority 0; }'",
                            "nft add rule inet t input meta l4proto tcp drop"}));
    const struct {
        const char *reply;
        int sequenceShift;
        bool flipPayload;
        Reach reach;
    } cases[]{{"as sent", 0, false, Reach::Answered},
              {"another sequence number", 7, false, Reach::NoAnswer},
              {"another payload", 0, true, Reach::NoAnswer}};
    for (const auto &c : cases) {
        EchoResponder responder(b, c.sequenceShift, c.flipPayload);
        ASSERT_TRUE(net.enter(a));
        EXPECT_EQ(probeHost("10.200.8.2"), c.reach) << c.reply;
        net.leave();
        EXPECT_GT(responder.replies(), 0) << c.reply;
    }
}

TEST_F(Answers, WaitSaysAtOnceThatAnAddressOfManyMachinesCantBeChecked)
{
    oneLink();
    ASSERT_TRUE(net.run(a, {"ip route add default dev osa"})); // somewhere for 255.255.255.255 to go
    const struct {
        QString host, kind;
    } cases[]{{"255.255.255.255", "ブロードキャスト"},
              {"10.200.8.255", "ブロードキャスト"},
              {"10.200.8.0", "ネットワーク"},
              {"ff02::1", "マルチキャスト"}};
    for (const auto &c : cases) {
        QElapsedTimer took;
        took.start();
        const ShellResult r = net.exec(a, Wake + "--wait=30 --host " + c.host);
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        EXPECT_EQ(r.output, c.host + " は" + c.kind + "のアドレスなので、PC の応答は確かめられません\n");
        EXPECT_LT(took.elapsed(), 20000) << "waited for an answer from " << c.host.toStdString();
    }
}

TEST_F(Answers, TheProgramWatchesNoAddressOfManyMachines)
{
    oneLink();
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "All", "10.200.8.255", ServerMac);
    setPc(g, 2, "Here", "10.200.8.2", ServerMac);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    ASSERT_TRUE(net.enter(a));
    FakeDesktop desktop;
    Forms forms;
    MainF *main = forms.mainF();
    PcStatus &status = forms.pcStatus();
    for (int pc : {1, 2})
        main->findChild<QPushButton *>(QStringLiteral("PC_start_%1").arg(pc))->click();
    EXPECT_FALSE(status.watching(1));
    EXPECT_TRUE(status.watching(2));
    net.leave();
}

// On one switch: this machine (a), b at .2 and c, the PC, now at .9 by its MAC.
TEST_F(Answers, AnOnLinkPcIsKnownByItsMacAndSaysWhereItsMacAnswers)
{
    const QString c = switchOfThree();
    ASSERT_FALSE(HasFailure());
    TempCwd cwd;
    const QStringList pcMac{"02", "00", "00", "00", "08", "09"};
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Moved", "10.200.8.2", pcMac);
    setPc(g, 2, "Here", "10.200.8.9", pcMac);
    setPc(g, 3, "Gone", "10.200.8.77", pcMac);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    EXPECT_EQ(net.exec(a, ORVANE_WAKE_PATH " --status").output,
              "1\tMoved\t10.200.8.2\t別の MAC から応答 02:00:00:00:08:02、02:00:00:00:08:09 は 10.200.8.9 で応答\n"
              "2\tHere\t10.200.8.9\t応答あり\n"
              "3\tGone\t10.200.8.77\t応答なし、02:00:00:00:08:09 は 10.200.8.9 で応答\n"
              "4\t\t\t未確認\n5\t\t\t未確認\n");

    ASSERT_TRUE(net.enter(a));
    FakeDesktop desktop;
    Forms forms;
    MainF *main = forms.mainF();
    PcStatus &status = forms.pcStatus();
    QPushButton *moved = main->findChild<QPushButton *>("PC_start_1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved->accessibleDescription() != "未確認"; }, 10000));
    // Watched after a wake, the address that answers with another MAC never ends the watch as woken.
    QSignalSpy marks(&status, &PcStatus::markChanged), ended(&status, &PcStatus::watchEnded);
    status.watch(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return marks.count() >= 2; }, 15000));
    EXPECT_TRUE(status.watching(1) && ended.isEmpty());
    net.leave();
    EXPECT_TRUE(QRegularExpression("^別の MAC から応答 02:00:00:00:08:02 \\d\\d:\\d\\d:\\d\\d、02:00:00:00:08:09 は "
                                   "10.200.8.9 で応答$")
                    .match(moved->accessibleDescription())
                    .hasMatch())
        << moved->accessibleDescription().toStdString();
    EXPECT_EQ(moved->toolTip(), moved->accessibleDescription());
    // Its own mark on the button and in the menu.
    QWidget *mark = moved->findChild<QWidget *>(QStringLiteral("status_mark"));
    ASSERT_TRUE(mark);
    const QImage drawn = mark->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int orange = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            orange += drawn.pixelColor(x, y) == QColor(0xF0, 0xA0, 0x20);
    EXPECT_GT(orange, 4) << "its own colour";
    EXPECT_EQ(main->findChild<QAction *>("PC1_start")->icon().pixmap(16, 16).toImage(),
              statusIcon(Reach::OtherMac).pixmap(16, 16).toImage());
}

// On one switch: this machine (a), b at .2 and c, the PC, at .9, which answers nothing until a magic
// packet arrives. PC 1's address is b's now.
TEST_F(Answers, WaitSaysAtOnceWhenAnotherMacAnswersAndWatchesTheOthersOn)
{
    const QString c = switchOfThree();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(net.wall(c));
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Moved", "10.200.8.2", {"02", "00", "00", "00", "08", "09"});
    setPc(g, 2, "Late", "10.200.8.9", {"02", "00", "00", "00", "08", "09"});
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    ASSERT_TRUE(net.enter(c));
    UdpReceiver rx(QHostAddress::AnyIPv4, 9);
    net.leave();
    ShellResult r;
    std::thread waits([&] { r = net.exec(a, "timeout 100 " ORVANE_WAKE_PATH " --wait=600 1 2"); });
    EXPECT_FALSE(rx.receive(1, 30000).isEmpty());
    ASSERT_TRUE(net.run(c, {"nft flush ruleset"}));
    waits.join();
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(QString(r.output).replace(QRegularExpression("から \\d+ 秒"), "から N 秒"),
              "Moved のアドレス 10.200.8.2 では別の MAC 02:00:00:00:08:02 が応答しています\n"
              "Late が応答しました（起動から N 秒）\n");
}
