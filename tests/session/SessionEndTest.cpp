// Session end against python3-dbusmock's logind on a bus of the test's own in the system bus's role.
#include "platform/QzCmn14.h"
#include "platform/linux/LinuxDesktop.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRegularExpression>

using namespace orvane;
using namespace orvane::test;

namespace {

// Before anything can connect, the system bus is a place that doesn't exist.
const bool NoRealBus = qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvane-no-system-bus");

bool mock(const QString &method, const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                       "org.freedesktop.DBus.Mock", method);
    call.setArguments(args);
    return QDBusConnection::systemBus().call(call).type() == QDBusMessage::ReplyMessage;
}

TEST(SessionEnd, EachCodeAsksLogindForItsEndAndTheAdapterReportsTheAnswer)
{
    ASSERT_TRUE(NoRealBus);
    Started bus("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(30000)) << "dbus-daemon didn't start";
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.readLine().trimmed());
    // Debian's interpreter: the one python3-dbusmock is installed for. It logs each call it answers.
    Started logind("/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "logind"});
    const QVariantList session{"c7", "seat0", QVariant::fromValue(1000U), "someone", true};
    ASSERT_TRUE(soon([&] { return mock("AddSession", session); })) << "logind's mock didn't come up";
    // What the mock was asked since the last look: it logs "time Method arguments" a line.
    auto asked = [&] {
        logind.waitForReadyRead(0);
        const QRegularExpression time("^\\S+ ", QRegularExpression::MultilineOption);
        return QString(logind.readAllStandardOutput()).remove(time).trimmed().replace('\n', ", ").toStdString();
    };
    asked();

    EnvGuard sessionId("XDG_SESSION_ID", "c9");
    QzCmn14 qz;
    const struct {
        qint32 code;
        const char *osVerName, *asked;
    } cases[] = {// Outside any session (a user service), logging off ends the one the desktop names; polkit
                 // may ask the user; where 5.x systems powered off, every system here does; other codes do
                 // nothing; last, logind knows the caller's session (the template lacks the lookup).
                 {0, "", "TerminateSession \"c9\""},
                 {1, "", "PowerOff True"},
                 {1, "2000", "PowerOff True"},
                 {2, "", "Reboot True"},
                 {3, "", ""},
                 {-1, "", ""},
                 {8, "", ""},
                 {0, "", "GetSessionByPID 0, Terminate"}};
    for (const auto &c : cases) {
        if (QByteArray(c.asked).startsWith("GetSessionByPID")) {
            ASSERT_TRUE(mock("AddMethod", {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                                           "ret = dbus.ObjectPath('/org/freedesktop/login1/session/c7')"}));
        }
        qz.OSVerName = c.osVerName;
        EXPECT_FALSE(qz.ExitWindows(c.code).isValid());
        EXPECT_EQ(asked(), c.asked) << c.code << c.osVerName;
    }

    LinuxDesktop desktop;
    EXPECT_TRUE(desktop.exitSession(EwxReboot));
    ASSERT_TRUE(mock("AddMethod",
                     {"org.freedesktop.login1.Manager", "Reboot", "b", "",
                      "raise dbus.exceptions.DBusException('no', name='org.freedesktop.DBus.Error.AccessDenied')"}));
    EXPECT_FALSE(desktop.exitSession(EwxReboot)) << "refused";
    logind.terminate();
    ASSERT_TRUE(logind.waitForFinished(10000));
    sessionId.set(QByteArray());
    EXPECT_FALSE(desktop.exitSession(EwxLogOff)) << "no session named, no logind";
    EXPECT_FALSE(desktop.exitSession(EwxPowerOff));
}

} // namespace
