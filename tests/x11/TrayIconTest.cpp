// The tray adapter with a real tray host: icons appear, change, go, and report their presses.
#include "XSession.h"
#include "platform/QzCmn14.h"
#include "platform/TrayParts.h"
#include "platform/linux/LinuxTray.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

using namespace orvane;
using namespace orvane::test;

namespace {

// A window that receives its icons' notifications, as the main window does.
class Receiver : public QWidget {
public:
    QList<QPair<quint32, qint32>> notifications;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == TrayNotifyEvent::eventType()) {
            const auto *n = static_cast<const TrayNotifyEvent *>(event);
            notifications.append({n->message, n->lParam});
            return true;
        }
        return QWidget::event(event);
    }
};

QIcon square(Qt::GlobalColor colour)
{
    QPixmap p(16, 16);
    p.fill(colour);
    return QIcon(p);
}

std::string display()
{
    return qgetenv("DISPLAY").toStdString();
}

// The icon shows in the tray host: its window sits embedded in the host's panel.
bool embedded(QSystemTrayIcon *icon)
{
    return icon && QTest::qWaitFor([] { return embeddedTrayIcon(display(), "x11_tests"); }, 20000);
}

class TrayHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startTrayer(m_trayer, display()));
        ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 20000));
        m_window.winId();
    }
    qint32 hWnd() { return static_cast<qint32>(m_window.winId()); }

    ChildProcess m_trayer;
    Receiver m_window;
};

TEST_F(TrayHost, AnIconIsAddedOnceChangedThroughItsRecordAndRemoved)
{
    QzCmn14 common;
    const qint32 red = iconHandle(square(Qt::red));
    const qint32 blue = iconHandle(square(Qt::blue));
    EXPECT_TRUE(desktop().trayAvailable());
    ASSERT_TRUE(common.TrayAddIcon(hWnd(), red, QStringLiteral("左-Menu:右-Help")));
    QSystemTrayIcon *icon = trayIconOf(hWnd(), 1);
    ASSERT_TRUE(embedded(icon));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("左-Menu:右-Help"));
    EXPECT_EQ(icon->icon().cacheKey(), iconForHandle(red).cacheKey());

    // A second add for the same window is refused, though the record takes the new values; a modify
    // then applies them to the icon that is there.
    EXPECT_FALSE(common.TrayAddIcon(hWnd(), blue, QStringLiteral("second")));
    EXPECT_EQ(common.trayRecord().hIcon, blue);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("左-Menu:右-Help"));
    EXPECT_TRUE(common.TrayModifyIcon(blue, QString(80, QLatin1Char('x'))));
    EXPECT_EQ(trayIconOf(hWnd(), 1), icon);
    EXPECT_EQ(icon->toolTip(), QString(63, QLatin1Char('x'))) << "a tip longer than 63 bytes is cut";
    EXPECT_EQ(icon->icon().cacheKey(), iconForHandle(blue).cacheKey());

    EXPECT_TRUE(common.TrayDelIcon());
    EXPECT_EQ(trayIconOf(hWnd(), 1), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return !embeddedTrayIcon(display(), "x11_tests"); }, 20000));
    EXPECT_FALSE(common.TrayDelIcon()) << "gone already";
    EXPECT_FALSE(common.TrayModifyIcon(red, QStringLiteral("again")));
}

TEST_F(TrayHost, AnObjectThatNeverAddedAnIconChangesNothing)
{
    QzCmn14 adds;
    ASSERT_TRUE(adds.TrayAddIcon(hWnd(), iconHandle(square(Qt::green)), QStringLiteral("mine")));
    QzCmn14 never;
    EXPECT_FALSE(never.TrayModifyIcon(iconHandle(square(Qt::red)), QStringLiteral("theirs")));
    EXPECT_FALSE(never.TrayDelIcon());
    EXPECT_EQ(trayIconOf(hWnd(), 1)->toolTip(), QStringLiteral("mine"));
    EXPECT_TRUE(adds.TrayDelIcon());
}

TEST_F(TrayHost, PressesOnTheIconReachItsWindowAsMouseCodes)
{
    QzCmn14 common;
    ASSERT_TRUE(common.TrayAddIcon(hWnd(), iconHandle(square(Qt::yellow)), QStringLiteral("press me")));
    QSystemTrayIcon *icon = trayIconOf(hWnd(), 1);
    ASSERT_TRUE(embedded(icon));

    auto seen = [&](int count) {
        return [&, count] { return QTest::qWaitFor([&] { return m_window.notifications.size() >= count; }, 2000); };
    };
    ASSERT_TRUE(clickIconUntilSeen(display(), "x11_tests", 1, seen(1)));
    EXPECT_EQ(m_window.notifications.first(), (QPair<quint32, qint32>{0x200, 0x201}));
    // Apart from the first press by more than a double click's time.
    QTest::qWait(800);
    ASSERT_TRUE(clickIconUntilSeen(display(), "x11_tests", 3, seen(2)));
    EXPECT_EQ(m_window.notifications.at(1), (QPair<quint32, qint32>{0x200, 0x204}));
    EXPECT_EQ(m_window.notifications.size(), 2);
    EXPECT_TRUE(common.TrayDelIcon());
}

TEST(NoTrayHost, AnIconWaitsAndShowsUpWhenATrayAppears)
{
    Receiver window;
    window.winId();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    QzCmn14 common;
    EXPECT_FALSE(desktop().trayAvailable());
    EXPECT_FALSE(common.TrayAddIcon(static_cast<qint32>(window.winId()), iconHandle(square(Qt::cyan)),
                                    QStringLiteral("waiting")));
    QSystemTrayIcon *icon = trayIconOf(static_cast<qint32>(window.winId()), 1);
    ASSERT_NE(icon, nullptr);

    ChildProcess trayer;
    ASSERT_TRUE(startTrayer(trayer, display()));
    EXPECT_TRUE(embedded(icon));
    EXPECT_TRUE(desktop().trayAvailable());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("waiting"));
    EXPECT_TRUE(common.TrayDelIcon());
}

} // namespace
