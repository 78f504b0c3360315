// A wake of a PC that answers ends in a desktop notification: a private session bus that the test
// starts, with python3-dbusmock's notification daemon on it.

#include "app/Forms.h"
#include "core/settings/SettingsFile.h"
#include "core/settings/SettingsStore.h"
#include "core/status/PcStatus.h"
#include "platform/linux/LinuxDesktop.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/main/MainF.h"
#include "ui/wake/WakeNotice.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

// Everything recorded, but the notification goes to the real adapter and so onto the bus.
class BusDesktop : public FakeDesktop {
public:
    void showNotification(const QString &title, const QString &text) override { m_linux.showNotification(title, text); }

private:
    LinuxDesktop m_linux;
};

void stop(QProcess &p)
{
    p.terminate();
    p.waitForFinished(10000);
}

} // namespace

// One bus for both cases: the program keeps its first session bus connection for the whole process.
TEST(WakeNotification, AnAnsweringPcIsAnnouncedOnTheSessionBusOnlyAfterAWakeThatSentSomething)
{
    QProcess bus;
    bus.start(QStringLiteral("/usr/bin/dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForStarted(10000)) << "dbus-daemon didn't start";
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus.canReadLine() || bus.state() != QProcess::Running; }, 30000));
    const QByteArray address = bus.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());
    // Before the program's first look at the session bus, which it keeps for the rest of the process.
    EnvGuard session("DBUS_SESSION_BUS_ADDRESS", address);

    QProcess daemon;
    daemon.start(QStringLiteral("/usr/bin/python3"),
                 {"-m", "dbusmock", "--template", "notification_daemon"}); // on the session bus by default
    ASSERT_TRUE(daemon.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.Notifications"); },
        60000))
        << "the notification daemon didn't come up: " << daemon.readAllStandardError().toStdString();

    TempCwd cwd;
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = grid({{0, 0, QString::number(target.port())}, {0, 1, "0"}});
    setPc(g, 1, "<b>S</b>&", "127.0.0.1", ServerMac);
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    BusDesktop desktop;
    Forms forms;
    forms.mainF();
    forms.pcStatus();
    QPushButton *start = forms.mainF()->findChild<QPushButton *>("PC_start_1");
    QByteArray log;
    const auto notified = [&] {
        log += daemon.readAllStandardOutput();
        return log.contains(" Notify ");
    };

    // A send count of 0: the notice as always, but nothing went out, so nothing is watched or announced
    // (the PC answers at once, a watch would announce it within a check or two).
    start->click();
    EXPECT_TRUE(forms.loadedDialog() && forms.loadedDialog()->isVisible()) << "the notice";
    EXPECT_FALSE(forms.loadedPcStatus()->watching(1));
    EXPECT_FALSE(QTest::qWaitFor(notified, 3 * PcStatus::WatchIntervalMs)) << log.toStdString();

    settingsStore().SettingsTable.set(0, 1, QStringLiteral("1"));
    start->click();
    EXPECT_TRUE(QTest::qWaitFor(notified, 30000));
    // app name, replaces id, icon, summary, body, actions, hints, expiry
    EXPECT_TRUE(
        QRegularExpression(
            "Notify \"Orvane\" 0 \"orvane\" \"<b>S</b>& が応答しました（起動から \\d+ 秒）\" \"\" \\[\\] \\{\\} -1")
            .match(QString::fromUtf8(log))
            .hasMatch())
        << log.toStdString();
    EXPECT_FALSE(forms.loadedPcStatus()->watching(1)) << "the watch ends with the answer";
    // The summary is plain text, the body markup.
    desktop.showNotification("t", "<b>&");
    EXPECT_TRUE(QTest::qWaitFor([&] { return notified() && log.contains("\"&lt;b&gt;&amp;\""); }, 30000));
    stop(daemon);
    stop(bus);
}
