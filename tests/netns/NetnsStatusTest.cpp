// Delivery to a sleeping PC and whether PCs answer, between two network namespaces joined by a veth
// pair: namespace a holds this machine's side, b a PC at .2; nobody holds .77. Root only.

#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "support/FakeDesktop.h"
#include "support/Netns.h"
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

using Result = ShellResult;

Result run(const QString &command)
{
    return shell(command);
}

class NetnsStatus : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = net.unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        a = net.add("a"), b = net.add("b");
        ASSERT_TRUE(net.link(a, "osa", {"10.200.8.1/24", "fd00:200:8::1/64"}, b, "osb",
                             {"10.200.8.2/24", "fd00:200:8::2/64"}, {}, "00:11:22:33:44:55")) // the PCs' MAC
            << net.lastError().toStdString();
        ASSERT_TRUE(net.allowUnprivilegedPing(a));
    }

    bool enter(const QString &ns) { return net.enter(ns); }

    Result wake(const QString &options) { return net.exec(a, QString(ORVANE_WAKE_PATH) + " " + options); }

    TestNet net;
    QString a, b;
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
        net.leave();
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
    setPc(g, 2, "Gone", "10.200.8.77", {"00", "11", "22", "33", "44", "66"}); // nowhere on the link
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
