// Orvane where most users' desktops differ from a bare X server: a Wayland session with XWayland,
// and a tray that speaks StatusNotifierItem over D-Bus (KDE Plasma, GNOME's AppIndicator extension,
// waybar, XFCE's plugin).
#include "XSession.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane::test;

namespace {

// The panel's side of StatusNotifierItem: it takes the items that register, and a host shows them.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool hostRegistered() const { return true; }
    QStringList items() const { return m_items; }
public slots:
    void RegisterStatusNotifierItem(const QString &service) { m_items << service; }

private:
    QStringList m_items;
};

class Desktops : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid() && QDir(m_tmp.path()).mkdir(QStringLiteral("run")));
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(m_x.start());
    }
    QString runtime() const { return m_tmp.filePath(QStringLiteral("run")); }

    void startOrvane(std::vector<std::pair<std::string, std::string>> env)
    {
        env.insert(env.end(),
                   {{"DISPLAY", m_x.display()}, {"XDG_RUNTIME_DIR", runtime().toStdString()}, {"QT_QPA_PLATFORM", ""}});
        m_orvane.workingDirectory = m_tmp.path().toStdString();
        ASSERT_TRUE(m_orvane.start({ORVANE_EXECUTABLE}, env));
    }
    bool shown(const char *title, bool yes = true)
    {
        return QTest::qWaitFor([&] { return windowShown(m_x.display(), title) == yes; }, 30000);
    }

    QTemporaryDir m_tmp;
    XvfbServer m_x;
    ChildProcess m_orvane;
};

TEST_F(Desktops, OnAWaylandSessionWithAnXServerTheWindowsAreOnTheXServer)
{
    ChildProcess weston;
    ASSERT_TRUE(weston.start({"weston", "--backend=headless-backend.so", "--socket=orvane-wayland", "--idle-time=0"},
                             {{"XDG_RUNTIME_DIR", runtime().toStdString()}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(runtime() + QStringLiteral("/orvane-wayland")); }, 30000));
    startOrvane({{"WAYLAND_DISPLAY", "orvane-wayland"},
                 {"XDG_SESSION_TYPE", "wayland"},
                 {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvane-desktop-tests"}});
    // No tray host: the main window shows.
    EXPECT_TRUE(shown("Orvane!"));
    EXPECT_TRUE(m_orvane.running());
}

TEST_F(Desktops, AStatusNotifierTrayShowsTheTipAndOpensTheMenus)
{
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForReadyRead(30000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    QDBusConnection dbus = QDBusConnection::connectToBus(address, QStringLiteral("orvane-desktop-tests"));
    Watcher watcher;
    ASSERT_TRUE(dbus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(dbus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    startOrvane({{"DBUS_SESSION_BUS_ADDRESS", address.toStdString()}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.items().isEmpty(); }, 60000)) << "the icon never registered";

    // What the panel asks of the item; the watcher is served meanwhile.
    const auto ask = [&](QStringList call) {
        QProcess send;
        send.start(QStringLiteral("dbus-send"),
                   QStringList{QStringLiteral("--bus=") + address, QStringLiteral("--print-reply"),
                               QStringLiteral("--dest=") + watcher.items().constFirst(),
                               QStringLiteral("/StatusNotifierItem")} +
                       call);
        return QTest::qWaitFor([&] { return send.state() == QProcess::NotRunning; }, 30000) ? send.readAll()
                                                                                            : QByteArray();
    };
    const QByteArray tip = ask({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                QStringLiteral("string:org.kde.StatusNotifierItem"), QStringLiteral("string:ToolTip")});
    EXPECT_TRUE(tip.contains("string \"左-Menu:右-Help\"")) << tip.toStdString();
    EXPECT_FALSE(windowShown(m_x.display(), "Orvane!")) << "with a tray the main window starts hidden";

    // A click on the icon: the main menu; its other button: the help menu.
    ask({QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("int32:0"), QStringLiteral("int32:0")});
    EXPECT_TRUE(shown("MainMenu"));
    ASSERT_TRUE(pressKeys(m_x.display(), {"Escape"}));
    ASSERT_TRUE(shown("MainMenu", false));
    ask({QStringLiteral("org.kde.StatusNotifierItem.ContextMenu"), QStringLiteral("int32:0"),
         QStringLiteral("int32:0")});
    EXPECT_TRUE(shown("Help"));
    EXPECT_TRUE(m_orvane.running());
}

} // namespace

#include "DesktopsTest.moc"
