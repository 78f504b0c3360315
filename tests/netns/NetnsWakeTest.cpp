// orvane-wake from one network namespace to another, joined by a veth pair: subnet and limited
// broadcast, IPv6 and an unprivileged user. Everything stays inside the namespaces the test makes.
#include "XSession.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

using namespace orvane::test;

namespace {

// A shell command's exit code, and what it says.
int sh(const QString &command, QByteArray *output = nullptr)
{
    return run({}, {"sh", "-c", command + " 2>&1"}, output);
}

TEST(Netns, OrvaneWakeReachesAnotherNamespaceByBroadcastIPv6AndUnprivileged)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root";
    const QString a = QStringLiteral("orvwake%1a").arg(::getpid()), b = a + 'b';
    if (sh("ip netns add " + a) != 0)
        GTEST_SKIP() << "no network namespaces here";
    struct Cleanup {
        QString a, b;
        ~Cleanup() { sh("ip netns del " + a + "; ip netns del " + b); }
    } cleanup{a, b};
    ASSERT_EQ(
        sh("a=" + a + " b=" + b + R"( && ip netns add $b && ip -n $a link add va type veth peer name vb netns $b &&
                 ip -n $a addr add 10.200.7.1/24 brd + dev va && ip -n $a addr add fd00:200:7::1/64 dev va nodad &&
                 ip -n $b addr add 10.200.7.2/24 brd + dev vb && ip -n $b addr add fd00:200:7::2/64 dev vb nodad &&
                 ip -n $a link set va up && ip -n $b link set vb up)"),
        0);
    // A new link carries broadcasts and multicasts once its link-local address is no longer tentative.
    for (int i = 0; i < 100 && sh("ip -n " + a + " -6 addr show tentative | grep -q .") == 0; ++i)
        ::usleep(50000);
    // The test goes on in namespace b, where it receives on port 9.
    ASSERT_EQ(::setns(::open(qPrintable("/run/netns/" + b), O_RDONLY | O_CLOEXEC), CLONE_NEWNET), 0);
    const QString wake = "ip netns exec " + a + " %1 --mac 00:11:22:33:44:55 --port 9 --count 2 --host %2";

    // Only the subnet is known: 255.255.255.255 goes out on the link all the same.
    QByteArray said;

    // A copy that an unprivileged user can reach; local port 10 is below the unprivileged ports.
    QTemporaryDir dir;
    ASSERT_EQ(sh("cp " ORVANE_WAKE_PATH " " + dir.path() + " && chmod 755 " + dir.path()), 0);
    // An address on the link also gets each datagram through the link (its broadcast, all IPv6 nodes).
    const struct {
        QString host, from;
        int fromPort, datagrams;
        QString command;
    } cases[] = {{"10.200.7.255", "10.200.7.1", 10, 2, ORVANE_WAKE_PATH},
                 {"255.255.255.255", "10.200.7.1", 10, 2, ORVANE_WAKE_PATH},
                 {"fd00:200:7::2", "", 10, 4, ORVANE_WAKE_PATH},
                 {"10.200.7.2", "10.200.7.1", 0, 4,
                  "setpriv --reuid=65534 --regid=65534 --clear-groups " + dir.path() + "/orvane-wake"}};
    for (const auto &c : cases) {
        UdpReceiver rx(QHostAddress::Any, 9);
        EXPECT_EQ(sh(wake.arg(c.command, c.host), &said), 0) << said.constData();
        const auto got = rx.receive(c.datagrams, 10000);
        ASSERT_EQ(got.size(), c.datagrams) << c.host.toStdString();
        for (const UdpReceiver::Datagram &d : got) {
            EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455"))) << c.host.toStdString();
            EXPECT_TRUE(c.from.isEmpty() || d.sender.isEqual(QHostAddress(c.from), QHostAddress::TolerantConversion));
            EXPECT_TRUE(c.fromPort ? d.senderPort == c.fromPort : d.senderPort >= 1024) << d.senderPort;
        }
    }
}

} // namespace
