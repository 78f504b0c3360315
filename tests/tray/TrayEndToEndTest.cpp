// Orvane as a user meets it: started in a folder with its settings, reached through its tray icon.
#include "XSession.h"
#include "core/Cp932.h"
#include "core/SettingsFile.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace orvane;
using namespace orvane::test;

namespace {

class Orvane : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_target.ok());
        SettingsGrid g = grid({{0, 0, QString::number(m_target.port())}, {0, 1, "2"}});
        setPc(g, 1, "Server", "127.0.0.1", ServerMac, "0");
        ASSERT_TRUE(writeSettingsFile(m_folder.filePath(QStringLiteral("System.ini")), g));
    }

    std::string display() const { return m_server.display(); }

    void startTrayHost() { ASSERT_TRUE(startTrayer(m_trayer, display())); }
    // The tray host, then the program, whose icon shows up in the tray.
    void startInTray()
    {
        startTrayHost();
        startOrvane();
        iconInTray();
    }

    void startOrvane()
    {
        m_orvane.workingDirectory = m_folder.path().toStdString();
        ASSERT_TRUE(m_orvane.start({ORVANE_EXECUTABLE},
                                   {{"DISPLAY", display()},
                                    {"QT_QPA_PLATFORM", "xcb"},
                                    // No StatusNotifier host: the tray is trayer's XEmbed one.
                                    {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvane-tray-tests"}}));
    }

    ScreenRect iconInTray()
    {
        ScreenRect where;
        EXPECT_TRUE(waitUntil([&] { return embeddedTrayIcon(display(), "orvane", &where); }, 60000));
        return where;
    }

    // Presses a mouse button on the icon until the menu of that name is shown.
    bool openMenu(int button, const char *menu)
    {
        return clickIconUntilSeen(display(), "orvane", button,
                                  [&] { return waitUntil([&] { return windowShown(display(), menu); }, 3000); });
    }

    QTemporaryDir m_folder;
    XvfbServer m_server;
    ChildProcess m_trayer;
    ChildProcess m_orvane;
    LoopbackTarget m_target;
};

TEST_F(Orvane, ALeftPressOpensTheMenuWhosePcEntryWakesThePc)
{
    startInTray();
    EXPECT_FALSE(windowShown(display(), "Orvane!")) << "the main window starts hidden";

    ASSERT_TRUE(openMenu(1, "MainMenu"));
    EXPECT_FALSE(windowShown(display(), "Orvane!")) << "opening the menu leaves the main window hidden";
    // ﾒｲﾝ表示, 設定, then (past the separator) the entry of PC 1, "Server 起動".
    ASSERT_TRUE(pressKeys(display(), {"Down", "Down", "Down", "Return"}));

    const QList<UdpReceiver::Datagram> datagrams = m_target.rx().receive(2, 30000);
    ASSERT_EQ(datagrams.size(), 2);
    for (const UdpReceiver::Datagram &d : datagrams) {
        EXPECT_EQ(d.data, expectedPacket(QByteArray::fromHex("001122334455")));
        EXPECT_EQ(d.senderPort, m_target.port() + 1);
    }
    EXPECT_TRUE(waitUntil([&] { return !windowShown(display(), "MainMenu"); }));
    EXPECT_TRUE(m_orvane.running());
}

TEST_F(Orvane, ARightPressOpensTheHelpMenuWithTheAboutBox)
{
    startInTray();
    ASSERT_TRUE(openMenu(3, "Help"));
    EXPECT_FALSE(windowShown(display(), "MainMenu"));
    ASSERT_TRUE(pressKeys(display(), {"Down", "Down", "Return"}));
    EXPECT_TRUE(waitUntil([&] { return windowShown(display(), "ﾊﾞｰｼﾞｮﾝ情報"); }));
    EXPECT_FALSE(windowShown(display(), "Orvane!"));

    // Enter closes the box again.
    ASSERT_TRUE(pressKeys(display(), {"Return"}));
    EXPECT_TRUE(waitUntil([&] { return !windowShown(display(), "ﾊﾞｰｼﾞｮﾝ情報"); }));
    EXPECT_TRUE(m_orvane.running());
}

TEST_F(Orvane, TheMainWindowEntryShowsTheWindowAndTheExitEntryEndsTheProgram)
{
    startInTray();
    ASSERT_TRUE(openMenu(1, "MainMenu"));
    ASSERT_TRUE(pressKeys(display(), {"m"}));
    EXPECT_TRUE(waitUntil([&] { return windowShown(display(), "Orvane!"); }));

    ASSERT_TRUE(openMenu(1, "MainMenu"));
    ASSERT_TRUE(pressKeys(display(), {"x"}));
    EXPECT_EQ(m_orvane.waitForExit(30000), 0);
    EXPECT_TRUE(waitUntil([&] { return !embeddedTrayIcon(display(), "orvane"); }));
}

TEST_F(Orvane, WithoutATrayHostTheWindowShowsAndTheIconComesWhenATrayAppears)
{
    startOrvane();
    EXPECT_TRUE(waitUntil([&] { return windowShown(display(), "Orvane!"); }, 60000));
    EXPECT_FALSE(embeddedTrayIcon(display(), "orvane"));

    startTrayHost();
    const ScreenRect icon = iconInTray();
    EXPECT_GT(icon.width, 0);
    EXPECT_TRUE(windowShown(display(), "Orvane!")) << "the window stays where the user can see it";
    ASSERT_TRUE(openMenu(3, "Help"));
}

} // namespace
