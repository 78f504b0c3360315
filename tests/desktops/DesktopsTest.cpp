// Orvane where most users' desktops differ from a bare X server: a Wayland session with XWayland,
// and a tray that speaks StatusNotifierItem over D-Bus (KDE Plasma, GNOME's AppIndicator extension,
// waybar, XFCE's plugin).
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QFile>
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
    // Orvane in the test's folder, which is also the runtime folder; the platform is its own choice.
    std::unique_ptr<Started> startOrvane(const QStringList &env)
    {
        return std::make_unique<Started>(
            ORVANE_EXECUTABLE, QStringList(), QString(),
            QStringList{"DISPLAY=" + x.display, "XDG_RUNTIME_DIR=" + tmp.path(), "QT_QPA_PLATFORM="} + env, tmp.path());
    }

    QTemporaryDir tmp;
    Xvfb x;
};

TEST_F(Desktops, OnAWaylandSessionWithAnXServerTheWindowsAreOnTheXServer)
{
    Started weston("weston", {"--backend=headless-backend.so", "--socket=orvane-wayland", "--idle-time=0"}, {},
                   {"XDG_RUNTIME_DIR=" + tmp.path()});
    ASSERT_TRUE(soon([&] { return QFile::exists(tmp.filePath("orvane-wayland")); }));
    const auto orvane = startOrvane({"WAYLAND_DISPLAY=orvane-wayland", "XDG_SESSION_TYPE=wayland",
                                     "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    // No tray host: the main window shows.
    EXPECT_TRUE(shows(x.display, "Orvane!"));
    EXPECT_TRUE(orvane->running());
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
    const auto orvane = startOrvane({"DBUS_SESSION_BUS_ADDRESS=" + address});
    ASSERT_TRUE(soon([&] { return !watcher.items().isEmpty(); })) << "the icon never registered";

    // What the panel asks of the item; the watcher is served meanwhile.
    const auto ask = [&](QStringList call) {
        QProcess send;
        send.start(QStringLiteral("dbus-send"),
                   QStringList{QStringLiteral("--bus=") + address, QStringLiteral("--print-reply"),
                               QStringLiteral("--dest=") + watcher.items().constFirst(),
                               QStringLiteral("/StatusNotifierItem")} +
                       call);
        return soon([&] { return send.state() == QProcess::NotRunning; }) ? send.readAll() : QByteArray();
    };
    const QByteArray tip = ask({QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                QStringLiteral("string:org.kde.StatusNotifierItem"), QStringLiteral("string:ToolTip")});
    EXPECT_TRUE(tip.contains("string \"左-Menu:右-Help\"")) << tip.toStdString();
    EXPECT_TRUE(shows(x.display, "Orvane!", false)) << "with a tray the main window starts hidden";

    // A click on the icon: the main menu; its other button: the help menu.
    ask({QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("int32:0"), QStringLiteral("int32:0")});
    EXPECT_TRUE(shows(x.display, "MainMenu"));
    ASSERT_TRUE(keys(x.display, {"Escape"}));
    ASSERT_TRUE(shows(x.display, "MainMenu", false));
    ask({QStringLiteral("org.kde.StatusNotifierItem.ContextMenu"), QStringLiteral("int32:0"),
         QStringLiteral("int32:0")});
    EXPECT_TRUE(shows(x.display, "Help"));
    EXPECT_TRUE(orvane->running());
}

} // namespace

#include "DesktopsTest.moc"
