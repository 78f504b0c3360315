// Whose answer counts: refusals from a router on the way, echo replies that aren't ours, addresses
// of many machines, an on-link PC known by its MAC, another MAC at the PC's address.

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
#include <QSignalSpy>
#include <QTest>

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
