// Orvane as a user meets it: started in a folder with its settings, reached through its tray icon.
#include "XSession.h"
#include "core/Cp932.h"
#include "core/SettingsFile.h"
#include "support/TempDir.h"
#include "support/UdpReceiver.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

// A port the settings can hold (the sender binds port + 1, which must stay below 32768) whose
// neighbour is free as well.
std::unique_ptr<UdpReceiver> receiverOnFreePort()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = static_cast<quint16>(QRandomGenerator::global()->bounded(20000, 32700));
        QUdpSocket neighbour;
        if (!neighbour.bind(QHostAddress::LocalHost, port + 1))
            continue;
        neighbour.close();
        auto receiver = std::make_unique<UdpReceiver>(QHostAddress::LocalHost, port);
        if (receiver->isBound())
            return receiver;
    }
    return nullptr;
}

class Orvane : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_server.start());
        m_receiver = receiverOnFreePort();
        ASSERT_NE(m_receiver, nullptr);

        SettingsGrid g;
        for (int r = 0; r < SettingsRows; ++r)
            for (int c = 0; c < SettingsColumns; ++c)
                g.set(r, c, QString());
        g.set(0, 0, QString::number(m_receiver->port()));
        g.set(0, 1, QStringLiteral("2"));
        g.set(1, 0, QStringLiteral("Server"));
        g.set(1, 1, QStringLiteral("127.0.0.1"));
        const QStringList mac{"00", "11", "22", "33", "44", "55"};
        for (int j = 0; j < 6; ++j)
            g.set(1, 2 + j, mac[j]);
        g.set(1, 8, QStringLiteral("0"));
        ASSERT_TRUE(writeSettingsFile(m_folder.filePath(QStringLiteral("System.ini")), g));
    }

    std::string display() const { return m_server.display(); }

    void startTrayHost() { ASSERT_TRUE(startTrayer(m_trayer, display())); }

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
    std::unique_ptr<UdpReceiver> m_receiver;
};

TEST_F(Orvane, ALeftPressOpensTheMenuWhosePcEntryWakesThePc)
{
    startTrayHost();
    startOrvane();
    iconInTray();
    EXPECT_FALSE(windowShown(display(), "Orvane!")) << "the main window starts hidden";

    ASSERT_TRUE(openMenu(1, "MainMenu"));
    EXPECT_FALSE(windowShown(display(), "Orvane!")) << "opening the menu leaves the main window hidden";
    // ﾒｲﾝ表示, 設定, then (past the separator) the entry of PC 1, "Server 起動".
    ASSERT_TRUE(pressKeys(display(), {"Down", "Down", "Down", "Return"}));

    const QList<UdpReceiver::Datagram> datagrams = m_receiver->receive(2, 30000);
    ASSERT_EQ(datagrams.size(), 2);
    QByteArray packet(6, char(0xFF));
    for (int i = 0; i < 16; ++i)
        packet += QByteArray::fromHex("001122334455");
    for (const UdpReceiver::Datagram &d : datagrams) {
        EXPECT_EQ(d.data, packet);
        EXPECT_EQ(d.senderPort, m_receiver->port() + 1);
    }
    EXPECT_TRUE(waitUntil([&] { return !windowShown(display(), "MainMenu"); }));
    EXPECT_TRUE(m_orvane.running());
}

TEST_F(Orvane, ARightPressOpensTheHelpMenuWithTheAboutBox)
{
    startTrayHost();
    startOrvane();
    iconInTray();
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
    startTrayHost();
    startOrvane();
    iconInTray();
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
