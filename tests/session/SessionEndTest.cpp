#include "platform/QzCmn14.h"
#include "platform/linux/LinuxDesktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

// Before anything else runs, the system bus is a place that doesn't exist.
const bool g_noRealBus = [] {
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvane-no-system-bus");
    return true;
}();

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString SessionPath = QStringLiteral("/org/freedesktop/login1/session/c7");
// Debian's interpreter: the one python3-dbusmock is installed for.
const QString Python = QStringLiteral("/usr/bin/python3");

// A private bus with a system bus's role, and logind's mock on it.
class SessionEnd : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(g_noRealBus);
        ASSERT_TRUE(QFileInfo::exists(QStringLiteral("/usr/bin/dbus-daemon"))) << "dbus-daemon is missing";
        s_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_dir->isValid());
        const QString config = s_dir->filePath(QStringLiteral("bus.conf"));
        writeAll(config,
                 QStringLiteral("<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                                "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                                "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>"
                                "</busconfig>\n")
                     .arg(s_dir->filePath(QStringLiteral("bus")))
                     .toUtf8());

        s_bus = std::make_unique<QProcess>();
        s_bus->start(QStringLiteral("/usr/bin/dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        ASSERT_TRUE(s_bus->waitForStarted(10000)) << "dbus-daemon didn't start";
        ASSERT_TRUE(QTest::qWaitFor([] { return s_bus->canReadLine() || s_bus->state() != QProcess::Running; }, 30000));
        s_address = QString::fromUtf8(s_bus->readLine()).trimmed();
        ASSERT_FALSE(s_address.isEmpty()) << s_bus->readAllStandardError().toStdString();

        // From here on the adapter's system bus is ours; it must not have connected before.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", s_address.toUtf8());
        QDBusConnection control = QDBusConnection::connectToBus(s_address, QStringLiteral("control"));
        ASSERT_TRUE(control.isConnected()) << control.lastError().message().toStdString();
        QDBusConnection system = QDBusConnection::systemBus();
        ASSERT_TRUE(system.isConnected());
        // Same bus id: the system bus connection really is the private bus.
        const QDBusMessage getId = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
        const QDBusMessage ours = control.call(getId);
        const QDBusMessage seen = system.call(getId);
        ASSERT_EQ(ours.type(), QDBusMessage::ReplyMessage);
        ASSERT_EQ(seen.type(), QDBusMessage::ReplyMessage);
        ASSERT_EQ(ours.arguments().value(0).toString(), seen.arguments().value(0).toString());
    }

    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("control"));
        if (s_bus) {
            s_bus->terminate();
            s_bus->waitForFinished(10000);
        }
        s_bus.reset();
        s_dir.reset();
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_address.isEmpty()) << "no private bus";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), s_address);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        m_mock.setProcessEnvironment(env);
        m_mock.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        m_mock.start(Python, {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                              QStringLiteral("--template"), QStringLiteral("logind")});
        ASSERT_TRUE(m_mock.waitForStarted(10000)) << "can't run " << Python.toStdString();
        const bool up = QTest::qWaitFor(
            [this] {
                return m_mock.state() != QProcess::Running ||
                       control().interface()->isServiceRegistered(Login1).value();
            },
            60000);
        ASSERT_TRUE(up && m_mock.state() == QProcess::Running)
            << "logind mock didn't come up: " << m_mock.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        if (m_mock.state() != QProcess::NotRunning) {
            m_mock.terminate();
            m_mock.waitForFinished(10000);
        }
    }

    static QDBusConnection control() { return QDBusConnection(QStringLiteral("control")); }

    static QDBusMessage mock(const QString &path, const QString &method, const QVariantList &args = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(Login1, path, MockInterface, method);
        call.setArguments(args);
        const QDBusMessage reply = control().call(call);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return reply;
    }

    // The calls the mock object at path recorded, oldest first, as "Method(argument,…)".
    static QStringList calls(const QString &path)
    {
        const QDBusMessage reply = mock(path, QStringLiteral("GetCalls"));
        QStringList result;
        if (reply.arguments().isEmpty())
            return result;
        const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 timestamp = 0;
            QString method;
            QStringList args;
            list.beginStructure();
            list >> timestamp >> method;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant v;
                list >> v;
                args.append(v.variant().toString());
            }
            list.endArray();
            list.endStructure();
            result.append(method + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')'));
        }
        list.endArray();
        return result;
    }

    void addSessionC7()
    {
        mock(ManagerPath, QStringLiteral("AddSession"),
             {QStringLiteral("c7"), QStringLiteral("seat0"), QVariant::fromValue(1000U), QStringLiteral("someone"),
              true});
    }

    // logind's lookup of the caller's session; the template lacks it.
    void answerSessionByPid()
    {
        mock(ManagerPath, QStringLiteral("AddMethod"),
             {ManagerInterface, QStringLiteral("GetSessionByPID"), QStringLiteral("u"), QStringLiteral("o"),
              QStringLiteral("ret = dbus.ObjectPath('%1')").arg(SessionPath)});
    }

    void refuse(const QString &method)
    {
        mock(ManagerPath, QStringLiteral("AddMethod"),
             {ManagerInterface, method, QStringLiteral("b"), QString(),
              QStringLiteral("raise dbus.exceptions.DBusException('not allowed', "
                             "name='org.freedesktop.DBus.Error.AccessDenied')")});
    }

    EnvGuard m_sessionId{"XDG_SESSION_ID"};
    QProcess m_mock;

    static inline std::unique_ptr<QTemporaryDir> s_dir;
    static inline std::unique_ptr<QProcess> s_bus;
    static inline QString s_address;
};

} // namespace

TEST_F(SessionEnd, LogOffTerminatesTheCallersSession)
{
    addSessionC7();
    answerSessionByPid();
    mock(ManagerPath, QStringLiteral("ClearCalls"));
    QzCmn14 qz;
    EXPECT_FALSE(qz.ExitWindows(qz.ExwLogOff).isValid());
    EXPECT_EQ(calls(ManagerPath), QStringList{"GetSessionByPID(0)"});
    EXPECT_EQ(calls(SessionPath), QStringList{"Terminate()"});
}

TEST_F(SessionEnd, LogOffFallsBackToTheDesktopsSessionId)
{
    // Started as a user service, the program is in no session; the desktop's variable names it.
    m_sessionId.set("c9");
    QzCmn14 qz;
    qz.ExitWindows(0);
    EXPECT_EQ(calls(ManagerPath), QStringList{"TerminateSession(c9)"});
}

TEST_F(SessionEnd, ShutdownPowersOffAndRestartReboots)
{
    QzCmn14 qz;
    qz.ExitWindows(qz.ExwShutdown);
    qz.ExitWindows(qz.ExwReboot);
    // The flags a 5.x system would compute (power off) mean the same here.
    qz.OSVerName = QStringLiteral("2000");
    qz.OSPlatformID = QStringLiteral(" 2");
    qz.ExitWindows(1);
    // polkit may ask the user.
    EXPECT_EQ(calls(ManagerPath), (QStringList{"PowerOff(true)", "Reboot(true)", "PowerOff(true)"}));
}

TEST_F(SessionEnd, OtherCodesDoNothing)
{
    addSessionC7();
    answerSessionByPid();
    m_sessionId.set("c7");
    mock(ManagerPath, QStringLiteral("ClearCalls"));
    QzCmn14 qz;
    for (qint32 code : {3, -1, 4, 8, 100})
        EXPECT_FALSE(qz.ExitWindows(code).isValid());
    EXPECT_EQ(calls(ManagerPath), QStringList());
    EXPECT_EQ(calls(SessionPath), QStringList());
}

TEST_F(SessionEnd, TheAdapterReportsLogindsAnswer)
{
    LinuxDesktop desk;
    EXPECT_TRUE(desk.exitSession(2));
    EXPECT_TRUE(desk.exitSession(8));
    EXPECT_TRUE(desk.exitSession(1 | 4)); // forced: still logind's PowerOff
    refuse(QStringLiteral("Reboot"));
    EXPECT_FALSE(desk.exitSession(2));
    // No session to end: nothing is asked.
    mock(ManagerPath, QStringLiteral("ClearCalls"));
    EXPECT_FALSE(desk.exitSession(0));
    EXPECT_FALSE(desk.exitSession(64));
    EXPECT_EQ(calls(ManagerPath), QStringList());

    // Without logind on the bus every request fails.
    m_mock.terminate();
    ASSERT_TRUE(m_mock.waitForFinished(10000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !control().interface()->isServiceRegistered(Login1).value(); }, 10000));
    EXPECT_FALSE(desk.exitSession(1));
    EXPECT_FALSE(desk.exitSession(2));
}
