// Orvane as installed into a prefix, as a user meets it: on an X server of each test's own, with or
// without a tray host, reached with the pointer and keys; started directly, through its desktop
// entries' launcher, and again while it runs.
#include "core/settings/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/WakeLoopback.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Prefix = ORVANE_TEST_PREFIX, Program = Prefix + "/bin/orvane";
// What the menu and autostart entries start.
const QString Launcher = Prefix + "/libexec/orvane/orvane-launch";

class Installed : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QFileInfo(Program).isExecutable()) << "not installed"; }
    QString path(const QString &relative) const { return tmp.filePath(relative); }
    bool exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }
    std::unique_ptr<Started> start(const QString &folder, const QString &on, const QStringList &env = {},
                                   const QString &command = Program)
    {
        QDir().mkpath(path(folder));
        // The program keeps its single-instance socket in the runtime folder, here the test's own.
        const QStringList dirs{"XDG_RUNTIME_DIR=" + tmp.path(), "XDG_CONFIG_HOME=" + path("config")};
        return std::make_unique<Started>(command, QStringList(), on, dirs + env, path(folder));
    }
    // Gives the main window the keyboard (there is no window manager to do it) and types keys.
    bool typeIntoMainWindow(const QString &keys)
    {
        return run(display, {"xdotool", "search", "--name", "^Orvane!$", "windowfocus", "--sync", "key", keys}) == 0;
    }
    // Presses a button on the tray icon until the menu shows: the host moves its icons as it grows,
    // and a press that comes while the program still sets up a freshly embedded icon is lost.
    bool openMenu(int button, const QString &menu)
    {
        QList<QRect> icons;
        for (int i = 0; i < 10 && soon([&] { return !(icons = trayIcons(display, "orvane")).isEmpty(); }); ++i) {
            const QPoint at = icons.first().center();
            run(display, {"xdotool", "mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                          QString::number(button)});
            if (shows(display, menu, true, 3000))
                return true;
        }
        return false;
    }

    QTemporaryDir tmp;
    Xvfb server;
    const QString display = server.display;
};

TEST_F(Installed, InTheTrayItsMenusWakeAPcShowTheAboutBoxAndEndIt)
{
    // Started as the menu entry starts it: in its config folder, where its settings are.
    LoopbackTarget target;
    ASSERT_TRUE(target.ok() && QDir().mkpath(path("config/orvane")));
    SettingsGrid g = grid({{0, 0, QString::number(target.port())}, {0, 1, "2"}});
    setPc(g, 1, "Server", "127.0.0.1", ServerMac, "0");
    ASSERT_TRUE(writeSettingsFile(path("config/orvane/System.ini"), g));
    Started trayer("trayer", Trayer, display);
    ASSERT_TRUE(trayReady(display));
    const auto orvane = start("work", display, {}, Launcher);
    ASSERT_TRUE(openMenu(1, "MainMenu"));
    EXPECT_TRUE(shows(display, "Orvane!", false)) << "the main window starts hidden and stays so";
    // ﾒｲﾝ表示, 設定, then past the separator the entry of PC 1, "Server 起動".
    ASSERT_TRUE(keys(display, {"Down", "Down", "Down", "Return"}));
    const QList<UdpReceiver::Datagram> datagrams = target.rx().receive(2, 30000);
    ASSERT_EQ(datagrams.size(), 2);
    for (const UdpReceiver::Datagram &d : datagrams) {
        EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455")));
        EXPECT_EQ(d.senderPort, target.port() + 1);
    }

    ASSERT_TRUE(openMenu(3, "Help"));
    ASSERT_TRUE(keys(display, {"Down", "Down", "Return"}));
    EXPECT_TRUE(shows(display, "ﾊﾞｰｼﾞｮﾝ情報"));
    ASSERT_TRUE(keys(display, {"Return"}));
    EXPECT_TRUE(shows(display, "ﾊﾞｰｼﾞｮﾝ情報", false));

    ASSERT_TRUE(openMenu(1, "MainMenu"));
    ASSERT_TRUE(keys(display, {"m"}));
    EXPECT_TRUE(shows(display, "Orvane!"));
    ASSERT_TRUE(openMenu(1, "MainMenu"));
    ASSERT_TRUE(keys(display, {"x"}));
    EXPECT_EQ(orvane->exitedWith(30000), 0);
}

TEST_F(Installed, WithoutATrayItShowsItsWindowAndIconKeepsItsSettingsInItsFolderAndTakesToALateTray)
{
    const auto orvane = start("work", display);
    ASSERT_TRUE(shows(display, "Orvane!")) << "without a tray host the main window shows";
    EXPECT_TRUE(exists("work/System.ini"));
    EXPECT_FALSE(exists("config/orvane")) << "started from a shell, the config folder stays alone";
    QByteArray icon;
    run(display, {"xprop", "-name", "Orvane!", "_NET_WM_ICON"}, &icon);
    for (const char *size : {"16 x 16", "32 x 32", "48 x 48"})
        EXPECT_TRUE(icon.contains(QByteArray("Icon (") + size + ')')) << "no " << size << " image in the window's icon";
    // ﾍﾙﾌﾟ&H on the menu bar, then its entry ﾍﾙﾌﾟ(&H): the help in the data folder of this install.
    ASSERT_TRUE(typeIntoMainWindow("alt+h"));
    ASSERT_TRUE(shows(display, "Help"));
    ASSERT_TRUE(keys(display, {"Return"}));
    EXPECT_TRUE(shows(display, "Orvane ヘルプ"));

    Started trayer("trayer", Trayer, display);
    ASSERT_TRUE(openMenu(3, "Help"));
    EXPECT_TRUE(shows(display, "Orvane!")) << "the window stays where the user can see it";
}

TEST_F(Installed, ALaterStartOnTheSameDisplayHandsOverToTheRunningOne)
{
    Started trayer("trayer", Trayer, display);
    ASSERT_TRUE(trayReady(display));
    // Without XDG_CONFIG_HOME the launcher takes the config folder in the home folder.
    const auto first = start("work", display, {"XDG_CONFIG_HOME=", "HOME=" + path("home")}, Launcher);
    auto icons = [&](int count) { return soon([&] { return trayIcons(display, "orvane").size() == count; }); };
    ASSERT_TRUE(icons(1));
    EXPECT_TRUE(exists("home/.config/orvane/System.ini"));
    const QString exe = QStringLiteral("/proc/%1/exe").arg(first->processId());
    EXPECT_EQ(QFileInfo(exe).symLinkTarget(), Program) << "the launcher became the program";
    ASSERT_TRUE(shows(display, "Orvane!", false)) << "in the tray the main window starts hidden";
    // Twice, in the same settings folder: hidden again, the window comes forward again.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(start("second", display, {"XDG_CONFIG_HOME=", "HOME=" + path("home")}, Launcher)->exitedWith(30000),
                  0);
        EXPECT_TRUE(shows(display, "Orvane!")) << "the first didn't come forward";
        ASSERT_TRUE(typeIntoMainWindow("alt+c"));
        ASSERT_TRUE(shows(display, "Orvane!", false));
    }
    EXPECT_EQ(trayIcons(display, "orvane").size(), 1);

    // Two starts at once in one folder (by two names) on another display meet neither this one nor
    // each other's twin.
    Xvfb other;
    ASSERT_TRUE(QDir().mkpath(path("a")) && QFile::link(path("a"), path("b")));
    const auto a = start("a", other.display), b = start("b", other.display);
    ASSERT_TRUE(soon([&] { return !a->running() || !b->running(); }));
    EXPECT_EQ((a->running() ? b : a)->exitedWith(0), 0);
    EXPECT_TRUE(shows(other.display, "Orvane!"));

    // Killed, the first leaves its socket behind; the next start runs all the same.
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    ASSERT_TRUE(icons(0));
    const auto next = start("work", display);
    EXPECT_TRUE(icons(1));
    EXPECT_TRUE(next->running());
}

} // namespace
