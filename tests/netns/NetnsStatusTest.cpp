// Delivery to a sleeping PC and whether PCs answer, between two network namespaces joined by a veth
// pair: namespace a holds this machine's side, b a PC at .2; nobody holds .77. Root only.

#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct Result {
    int status = -1;
    QString output;
};

Result run(const QString &command)
{
    Result r;
    FILE *p = ::popen((command + " 2>&1").toUtf8().constData(), "r");
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p))
        r.output += QString::fromUtf8(buf);
    const int status = p ? ::pclose(p) : -1;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class NetnsStatus : public testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root; skipped";
        const QString id = QString::number(::getpid());
        a = "orvst" + id + "a", b = "orvst" + id + "b";
        const Result add = run("ip netns add " + a);
        if (add.status != 0)
            GTEST_SKIP() << "can't create a network namespace here (" << add.output.toStdString() << "); skipped";
        m_created << a;
        ASSERT_EQ(run("ip netns add " + b).status, 0);
        m_created << b;
        for (const QString &cmd :
             {"ip link add os" + id + "a netns " + a + " type veth peer name os" + id + "b netns " + b,
              "ip -n " + a + " addr add 10.200.8.1/24 brd + dev os" + id + "a",
              "ip -n " + b + " addr add 10.200.8.2/24 brd + dev os" + id + "b",
              "ip -n " + a + " addr add fd00:200:8::1/64 dev os" + id + "a nodad",
              "ip -n " + b + " addr add fd00:200:8::2/64 dev os" + id + "b nodad",
              "ip -n " + a + " link set os" + id + "a up", "ip -n " + b + " link set os" + id + "b up",
              // As Debian desktops have it: echoes without privileges.
              "ip netns exec " + a + " sysctl -q -w net.ipv4.ping_group_range='0 2147483647'"}) {
            const Result r = run(cmd);
            ASSERT_EQ(r.status, 0) << cmd.toStdString() << ": " << r.output.toStdString();
        }
        // A new link carries broadcasts once it is fully up: its link-local address no longer tentative.
        for (int i = 0; i < 100 && !run("ip -n " + a + " -6 addr show tentative").output.isEmpty(); ++i)
            ::usleep(50000);
    }

    void TearDown() override
    {
        if (m_home >= 0)
            ::setns(m_home, CLONE_NEWNET);
        for (const QString &ns : m_created)
            run("ip netns del " + ns);
    }

    // This thread (and every thread it starts from now on) in namespace ns.
    bool enter(const QString &ns)
    {
        if (m_home < 0)
            m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int fd = ::open(("/run/netns/" + ns).toUtf8().constData(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
        ::close(fd);
        return ok;
    }

    Result wake(const QString &options) { return run("ip netns exec " + a + " " + ORVANE_WAKE_PATH + " " + options); }

    QString a, b;
    QStringList m_created;
    int m_home = -1;
};

} // namespace

TEST_F(NetnsStatus, AWakeToAnAddressNobodyAnswersForArrivesThroughItsLink)
{
    for (const bool v6 : {false, true}) {
        ASSERT_TRUE(enter(b));
        const int rx = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 any6{AF_INET6, htons(9), 0, in6addr_any, 0};
        sockaddr_in any4{AF_INET, htons(9), {INADDR_ANY}, {}};
        ASSERT_EQ(v6 ? ::bind(rx, reinterpret_cast<sockaddr *>(&any6), sizeof any6)
                     : ::bind(rx, reinterpret_cast<sockaddr *>(&any4), sizeof any4),
                  0);
        ASSERT_EQ(::setns(m_home, CLONE_NEWNET), 0);
        const Result r = wake(QString("--mac 00:11:22:33:44:55 --port 9 --count 2 --host ") +
                              (v6 ? "fd00:200:8::77" : "10.200.8.77"));
        EXPECT_EQ(r.status, 0) << r.output.toStdString();
        QByteArray packet(6, '\xff');
        for (int i = 0; i < 16; ++i)
            packet += QByteArray::fromHex("001122334455");
        int got = 0;
        pollfd p{rx, POLLIN, 0};
        while (::poll(&p, 1, got < 2 ? 10000 : 500) > 0) {
            char buf[200];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(rx, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &length);
            EXPECT_EQ(QByteArray(buf, static_cast<int>(n)), packet);
            EXPECT_EQ(ntohs(v6 ? reinterpret_cast<sockaddr_in6 *>(&from)->sin6_port
                               : reinterpret_cast<sockaddr_in *>(&from)->sin_port),
                      10);
            ++got;
        }
        EXPECT_EQ(got, 2) << (v6 ? "IPv6: all nodes" : "IPv4: the subnet's broadcast");
        ::close(rx);
    }
}

TEST_F(NetnsStatus, WaitEndsWithTheAnswerOrWhenItsTimeIsUp)
{
    const struct {
        QString options;
        int status;
        QString output;
    } cases[]{{"--wait --host 10.200.8.2", 0, "^10.200.8.2 が応答しました（起動から \\d+ 秒）\n$"},
              {"--wait=3 --host 10.200.8.77", 3,
               "^10.200.8.77 から 3 秒間応答がありません\nヘルプの「うまく起動しないとき」に.*\n$"}};
    for (const auto &c : cases) {
        QElapsedTimer took;
        took.start();
        const Result r = wake("--mac 00:11:22:33:44:55 --port 9 " + c.options);
        EXPECT_EQ(r.status, c.status) << r.output.toStdString();
        EXPECT_TRUE(QRegularExpression(c.output).match(r.output).hasMatch()) << r.output.toStdString();
        if (c.status == 3) {
            EXPECT_GE(took.elapsed(), 2900) << "gave up before its time";
        }
    }
}

TEST_F(NetnsStatus, StatusAndTheMainWindowTellWhoAnswers)
{
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "1"}});
    setPc(g, 1, "Here", "10.200.8.2", ServerMac);
    setPc(g, 2, "Gone", "10.200.8.77", ServerMac);
    setPc(g, 4, "Nameless", "no-such-host.invalid", ServerMac);
    setPc(g, 5, "All", "10.200.8.255", ServerMac); // many machines, none of them the PC
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    const Result r = run("ip netns exec " + a + " " + ORVANE_WAKE_PATH + " --status");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "1\tHere\t10.200.8.2\t応答あり\n2\tGone\t10.200.8.77\t応答なし\n3\t\t\t未確認\n"
                        "4\tNameless\tno-such-host.invalid\t未確認\n5\tAll\t10.200.8.255\t未確認\n");

    ASSERT_TRUE(enter(a));
    FakeDesktop desktop;
    Forms forms;
    MainF *main = forms.mainF();
    forms.pcStatus();
    auto button = [main](int n) { return main->findChild<QPushButton *>(QStringLiteral("PC_start_%1").arg(n)); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(2)->accessibleDescription() != "未確認"; }, 10000));
    // The dot in the middle of the icon: green, grey, nothing.
    const struct {
        QString caption;
        QString state;
        QColor dot;
    } expected[]{{"Here 起動", "^応答あり \\d\\d:\\d\\d:\\d\\d$", QColor(0x2E, 0xB8, 0x4B)},
                 {"Gone 起動", "^応答なし \\d\\d:\\d\\d:\\d\\d$", QColor(0xA8, 0xA8, 0xA8)},
                 {"PC3 起動", "^未確認$", QColor(Qt::transparent)},
                 {"Nameless 起動", "^未確認$", QColor(Qt::transparent)}};
    for (int n = 1; n <= 4; ++n) {
        const auto &e = expected[n - 1];
        QPushButton *b = button(n);
        QAction *entry = main->findChild<QAction *>(QStringLiteral("PC%1_start").arg(n));
        EXPECT_EQ(b->text(), e.caption);
        EXPECT_TRUE(QRegularExpression(e.state).match(b->accessibleDescription()).hasMatch())
            << n << ": " << b->accessibleDescription().toStdString();
        EXPECT_EQ(b->toolTip(), b->accessibleDescription());
        EXPECT_EQ(entry->toolTip(), b->accessibleDescription());
        EXPECT_EQ(b->icon().pixmap(16, 16).toImage().pixelColor(8, 8), e.dot) << n;
        EXPECT_EQ(entry->icon().cacheKey(), b->icon().cacheKey()) << n;
    }
}
