// orvane-wake and the main window between namespaces joined by veth pairs: by subnet and limited
// broadcast, IPv6 and as an unprivileged user; delivery to a sleeping PC; who answers, from the tool
// and in the main window (a holds this machine's side, b a PC at .2; nobody holds .77).

#include "app/Forms.h"
#include "core/net/Reachability.h"
#include "core/settings/SettingsFile.h"
#include "netns/NetnsFixtures.h"
#include "support/FakeDesktop.h"
#include "support/Netns.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/StatusMarks.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

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

} // namespace
