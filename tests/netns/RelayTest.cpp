// Waking and checking a PC of another network through a relay: a real sshd (its configuration, host
// key and user key made here) in a namespace between this machine's link and the far LAN, to which
// this machine has no route. ssh runs with the test's own config (ORVANE_SSH_COMMAND), known hosts,
// HOME and runtime folder: nothing reaches this machine's sshd or ~/.ssh.

#include "app/Forms.h"
#include "core/io/Threads.h"
#include "core/settings/SettingsFile.h"
#include "netns/NetnsFixtures.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/main/MainF.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <list>
#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString PcMac = QStringLiteral("02:00:00:00:02:05");

class Relay : public Links {
protected:
    void SetUp() override
    {
        Links::SetUp();
        if (IsSkipped())
            return;
        if (shell("test -x /usr/sbin/sshd").status != 0)
            FAIL() << "no sshd: Debian's openssh-server, which scripts/install-deps test installs";
        home = net.add("h"), relay = net.add("r"), far = net.add("f");
        ASSERT_TRUE(net.link(home, "eth0", {"10.210.1.1/24"}, relay, "eth0", {"10.210.1.2/24"}));
        ASSERT_TRUE(net.link(relay, "eth1", {"10.210.2.1/24"}, far, "eth0", {"10.210.2.5/24"}, {}, PcMac));
        ASSERT_TRUE(net.allowUnprivilegedPing(relay));
        // A relay whose port drops every connection: ssh waits there.
        ASSERT_TRUE(
            net.run(relay, {"nft 'add table inet f; add chain inet f in { type filter hook input priority 0; }; "
                            "add rule inet f in tcp dport 2224 drop'"}));
        const QString d = dir.path();
        ASSERT_EQ(shell("cd " + d +
                        " && ssh-keygen -q -t ed25519 -N '' -f host && ssh-keygen -q -t ed25519 -N '' -f user"
                        " && ssh-keygen -q -t ed25519 -N '' -f stranger && cp user.pub authorized_keys"
                        " && mkdir -m 700 run home && touch none")
                      .status,
                  0);
        writeAll(d + "/known_hosts",
                 "[10.210.1.2]:2222 " + shell("cut -d' ' -f1,2 " + d + "/host.pub").output.toUtf8());
        writeAll(d + "/sshd_config", ("Port 2222\nListenAddress 10.210.1.2\nHostKey " + d + "/host\nPidFile none\n" +
                                      "AuthorizedKeysFile " + d + "/authorized_keys\nStrictModes no\nUsePAM no\n" +
                                      "PermitUserRC no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n" +
                                      "PermitRootLogin prohibit-password\nLogLevel VERBOSE\n" + "SetEnv PATH=" +
                                      QFileInfo(ORVANE_WAKE_PATH).path() + ":/usr/sbin:/usr/bin:/bin\n")
                                         .toUtf8());
        // relay as it should be; the others each with one thing wrong.
        QString config;
        for (const auto &[alias, port, key, known] : {std::tuple{"relay", "2222", "user", "known_hosts"},
                                                      {"stranger", "2222", "stranger", "known_hosts"},
                                                      {"unknown", "2222", "user", "none"},
                                                      {"closed", "2223", "user", "known_hosts"},
                                                      {"silent", "2224", "user", "known_hosts"}})
            config += QString("Host %1\n  HostName 10.210.1.2\n  Port %2\n  User root\n  IdentityFile %3/%4\n"
                              "  IdentitiesOnly yes\n  UserKnownHostsFile %3/%5\n  GlobalKnownHostsFile /dev/null\n")
                          .arg(alias, port, d, key, known);
        writeAll(d + "/ssh_config", config.toUtf8());
        // sshd's own folder, which its package leaves to the service to make.
        ASSERT_EQ(shell("mkdir -p /run/sshd && ip netns exec " + relay + " /usr/sbin/sshd -f " + d +
                        "/sshd_config -E " + d + "/sshd.log")
                      .status,
                  0);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return net.exec(relay, "ss -ltn").output.contains("10.210.1.2:2222"); }, 5000));
        env.emplace_back("ORVANE_SSH_COMMAND", ("ssh -F " + d + "/ssh_config").toUtf8());
        env.emplace_back("XDG_RUNTIME_DIR", (d + "/run").toUtf8());
        env.emplace_back("HOME", (d + "/home").toUtf8());
    }

    // System.ini with PC1 "Far" at the far LAN's PC and Orvane.ini as given, in the current folder.
    void settings(const QByteArray &orvaneIni, const QString &host = "10.210.2.5", const QString &name = "Far")
    {
        SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "2"}});
        setPc(g, 1, name, host, PcMac.split(':'));
        ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
        writeAll("Orvane.ini", orvaneIni);
    }
    ShellResult wake(const QString &options) { return net.exec(home, QString(ORVANE_WAKE_PATH) + " " + options); }
    // The connections sshd let in so far.
    int logins() { return shell("grep -c 'Accepted publickey' " + dir.path() + "/sshd.log").output.toInt(); }
    // A receiver on the far LAN's PC, port 9.
    std::unique_ptr<UdpReceiver> farReceiver()
    {
        EXPECT_TRUE(net.enter(far));
        auto rx = std::make_unique<UdpReceiver>(QHostAddress::AnyIPv4, 9);
        net.leave();
        return rx;
    }

    TempCwd dir;
    QString home, relay, far;
    std::list<EnvGuard> env;
};

TEST_F(Relay, APcOfAnotherNetworkIsWokenAndCheckedThroughOneSharedConnection)
{
    settings("; the PC behind the NAS\n[PC1]\nrelay = relay\nsecureon = 01-23-45-67-89-ab\n");
    std::unique_ptr<UdpReceiver> rx = farReceiver();
    EXPECT_EQ(wake("--check --host 10.210.2.5").output, "応答なし\n") << "no route from here";
    const ShellResult woken = wake("1");
    EXPECT_EQ(woken.status, 0) << woken.output.toStdString();
    const auto got = rx->receive(2, 10000);
    ASSERT_GE(got.size(), 2);
    EXPECT_EQ(got[0].data, expectedPacket(QByteArray::fromHex("020000000205")) + QByteArray::fromHex("0123456789ab"))
        << "the SecureOn password goes along";
    EXPECT_EQ(got[0].sender, QHostAddress("10.210.2.1")) << "sent from the relay";

    EXPECT_EQ(wake("--status").output, "1\tFar\t10.210.2.5\t応答あり\t経由 relay\n2\t\t\t未確認\n3\t\t\t未確認\n"
                                       "4\t\t\t未確認\n5\t\t\t未確認\n");
    EXPECT_EQ(wake("--list").output.split('\n').at(2), "1\tFar\t10.210.2.5\t02:00:00:00:02:05\t\t\trelay\t毎日");
    const ShellResult other = wake("--relay relay --check --host 10.210.2.5 --mac 02:00:00:00:02:99");
    EXPECT_EQ(other.output, "別の MAC から応答 02:00:00:00:02:05\n") << "the relay is on the PC's link";
    EXPECT_EQ(other.status, 3);
    EXPECT_EQ(wake("--relay relay --check --host 10.210.2.5 --mac " + PcMac).status, 0);
    EXPECT_EQ(logins(), 1) << "one connection, shared by every later command";

    // A relay without Orvane runs the PC's command, every value in its place.
    settings(("[PC1]\nrelay = relay\nrelay_command = printf '%s|' {mac} {host} {port} {count} {raw:port} > " +
              dir.path() + "/args\n")
                 .toUtf8());
    EXPECT_EQ(wake("Far").status, 0);
    EXPECT_EQ(readAll(dir.path() + "/args"), "02:00:00:00:02:05|10.210.2.5|9|2|9|");
}

TEST_F(Relay, NamesHostsAndRelaysThatLookLikeCommandsRunNothing)
{
    const QString d = dir.path();
    // The name never goes to the relay; the wake does, from the relay.
    settings("[PC1]\nrelay = relay\n", "10.210.2.5", "$(touch " + d + "/named)");
    std::unique_ptr<UdpReceiver> rx = farReceiver();
    EXPECT_EQ(wake("1").status, 0);
    EXPECT_EQ(rx->receive(2, 10000).size(), 2);
    for (const QString &host : QStringList{"'10.210.2.5;touch " + d + "/hosted'", "'$(touch " + d + "/hosted)'",
                                           "\"10.210.2.5'\\''\"", "'10.210.2.5\ntouch " + d + "/hosted'"}) {
        const ShellResult r = wake("--relay relay --mac " + PcMac + " --host " + host);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.output.contains("は経由先へ渡せません！")) << r.output.toStdString();
    }
    const ShellResult option =
        wake("--relay '-oProxyCommand=touch " + d + "/proxied' --mac " + PcMac + " --host 10.210.2.5");
    EXPECT_EQ(option.status, 1);
    EXPECT_TRUE(option.output.startsWith("経由先「-oProxyCommand=touch")) << option.output.toStdString();
    // Read from the file, it is left out with its line, and the PC isn't woken through it.
    settings("[PC1]\nrelay = -oProxyCommand=touch " + d.toUtf8() + "/proxied\n");
    EXPECT_TRUE(wake("--list").output.startsWith("Orvane.ini の 2 行目: 経由先「-oProxyCommand=touch"));
    for (const char *file : {"named", "hosted", "proxied"})
        EXPECT_FALSE(QFile::exists(d + "/" + file)) << file;
    EXPECT_EQ(logins(), 1);
}

TEST_F(Relay, EachFailureSaysWhatToDoAndNeverAsks)
{
    const struct {
        QByteArray relay, command;
        QString said;
    } cases[] = {
        {"closed", "",
         "経由先 closed に接続できません！\nssh: connect to host 10.210.1.2 port 2223: Connection refused\n"},
        {"stranger", "", "経由先 stranger で認証を拒まれました！\n端末で一度「ssh stranger」を実行して"},
        {"unknown", "", "経由先 unknown のホスト鍵が known_hosts にないか、変わっています！\n"},
        {"relay", "no-such-wake {mac}",
         "経由先 relay に「no-such-wake」がありません！\n経由先のコマンドを確かめてください。\n"},
        {"relay", "echo spoiled >&2; exit 4; {mac}",
         "経由先 relay でのコマンドが失敗しました（終了コード 4）！\nspoiled\n"},
    };
    for (const auto &c : cases) {
        settings("[PC1]\nrelay = " + c.relay + (c.command.isEmpty() ? "" : "\nrelay_command = " + c.command) + "\n");
        const ShellResult r = wake("1");
        EXPECT_EQ(r.status, 1) << c.relay.toStdString();
        EXPECT_TRUE(r.output.startsWith("PC1「Far」を起動できませんでした。\n" + c.said)) << r.output.toStdString();
    }
    settings("[PC1]\nrelay = closed\n");
    EXPECT_TRUE(wake("--status").output.startsWith("1\tFar\t10.210.2.5\t経由先に接続できません\t経由 closed\n"));
}

TEST_F(Relay, TheWindowsWakeThroughTheRelayAndTheEndOfTheProgramEndsSsh)
{
    settings("[PC1]\nrelay = relay\n[PC2]\nrelay = silent\n");
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "2"}});
    setPc(g, 1, "Far", "10.210.2.5", PcMac.split(':'));
    setPc(g, 2, "Stuck", "10.210.2.6", PcMac.split(':'));
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    // The ssh of the silent relay runs under a shell that notes the end it is given.
    const QString d = dir.path();
    env.emplace_back(
        "ORVANE_SSH_COMMAND",
        ("trap 'echo ended > " + d + "/ended; exit 143' TERM; ssh -F " + d + "/ssh_config \"$@\" & wait; :").toUtf8());
    std::unique_ptr<UdpReceiver> rx = farReceiver();
    ASSERT_TRUE(net.enter(home));
    FakeDesktop desktop;
    Forms forms;
    MainF *main = forms.mainF();
    auto *button = main->findChild<QPushButton *>(QStringLiteral("PC_start_1"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(rx->receive(2, 15000).size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.sounds.isEmpty(); }, 5000)) << "the sound once the relay sent";
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_TRUE(main->findChild<QLabel *>(QStringLiteral("Info_lvl_0"))->text().startsWith("IP = 10.210.2.5 経由 "));
    const auto sshOfSilent = [] { return shell("pgrep -f '[s]sh -F .*silent'").status == 0; };
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("PC_start_2")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(sshOfSilent, 5000));
    joinThreads(); // what the program's end does
    EXPECT_EQ(readAll(d + "/ended"), "ended\n") << "cut off, not left to time out";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sshOfSilent(); }, 2000)) << "ssh goes too";

    forms.pcStatus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->accessibleDescription().startsWith("応答あり"); }, 15000));
    EXPECT_TRUE(button->toolTip().endsWith("\n経由 relay")) << button->toolTip().toStdString();
    net.leave();
}

} // namespace
