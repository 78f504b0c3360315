// The tray icon: its record and tip, the dispatch of its mouse codes, and what the main window does
// with its notifications.
#include "app/Forms.h"
#include "common/QzCmn14.h"
#include "common/TrayParts.h"
#include "core/Cp932.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"
#include "ui/main/TrayDispatch.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(TrayDispatch, OnlyTheTwoPressesOpenAMenu)
{
    QzCmn14 common;
    const QList<QPair<qint32, TrayCommand>> cases{
        {0x200, TrayCommand::Nothing},  {0x201, TrayCommand::OpenMainMenu}, {0x202, TrayCommand::Nothing},
        {0x203, TrayCommand::Nothing},  {0x204, TrayCommand::OpenHelpMenu}, {0x205, TrayCommand::Nothing},
        {0x206, TrayCommand::Nothing},  {0x207, TrayCommand::Nothing},      {0x208, TrayCommand::Nothing},
        {0x209, TrayCommand::Nothing},  {0x1FF, TrayCommand::Nothing},      {0, TrayCommand::Nothing},
        {-0x201, TrayCommand::Nothing}, {0x10201, TrayCommand::Nothing},
    };
    for (const auto &[code, command] : cases)
        EXPECT_EQ(trayCommand(common, code), command) << std::hex << code;
}

TEST(TrayDispatch, ComparesWithTheObjectsCodesInTheirOrder)
{
    // The object's codes decide, and the first equal one wins.
    QzCmn14 common;
    common.WM_LBUTTONDOWN = 0x300;
    EXPECT_EQ(trayCommand(common, 0x300), TrayCommand::OpenMainMenu);
    EXPECT_EQ(trayCommand(common, 0x201), TrayCommand::Nothing);
    common.WM_MOUSEMOVE = 0x204;
    EXPECT_EQ(trayCommand(common, 0x204), TrayCommand::Nothing) << "the mouse move comes first";
}

TEST(TrayDispatch, DecodesTheCodeFromTheTwipsOfAMouseMove)
{
    EXPECT_EQ(trayEventCode(0x201 * 15.0F, 15), 0x201);
    EXPECT_EQ(trayEventCode(0x204 * 12.0F, 12), 0x204);
    EXPECT_EQ(trayEventCode(0x206 * 10.0F, 10), 0x206);
    // X is rounded first (halves to even), then the division truncates.
    EXPECT_EQ(trayEventCode(7709.4F, 15), 513);
    EXPECT_EQ(trayEventCode(7709.6F, 15), 514);
    EXPECT_EQ(trayEventCode(22.5F, 15), 1);
    EXPECT_EQ(trayEventCode(29.5F, 15), 2);
    EXPECT_EQ(trayEventCode(14.0F, 15), 0);
    EXPECT_EQ(trayEventCode(5475.0F, 15), 365) << "the window's width stays far below the codes";
}

TEST(TrayTip, FillsTheSixtyFourByteFieldAndShowsAtMostSixtyThree)
{
    const QByteArray tip = trayTipField(QStringLiteral("左-Menu:右-Help"));
    ASSERT_EQ(tip.size(), 64);
    // 13 characters, 15 bytes, then blanks to 64 characters, cut at 64 bytes.
    EXPECT_EQ(tip.left(15), toCp932(QStringLiteral("左-Menu:右-Help")));
    EXPECT_EQ(tip.mid(15), QByteArray(49, ' '));
    EXPECT_EQ(trayTipShown(tip), QStringLiteral("左-Menu:右-Help"));

    const QString longTip = QString(70, QLatin1Char('a'));
    EXPECT_EQ(trayTipField(longTip), QByteArray(64, 'a'));
    EXPECT_EQ(trayTipShown(trayTipField(longTip)), QString(63, QLatin1Char('a')));

    // A double-byte character that doesn't fit the field is cut whole, and one cut by the 63 bytes
    // shown is not shown half.
    const QString straddles = QString(63, QLatin1Char('b')) + QStringLiteral("あ");
    EXPECT_EQ(trayTipField(straddles), QByteArray(63, 'b') + QByteArray(1, '\0'));
    const QString fits = QString(62, QLatin1Char('c')) + QStringLiteral("い");
    EXPECT_EQ(trayTipField(fits), QByteArray(62, 'c') + toCp932(QStringLiteral("い")));
    EXPECT_EQ(trayTipShown(trayTipField(fits)), QString(62, QLatin1Char('c')));

    EXPECT_EQ(trayTipField(QString()), QByteArray(64, ' '));
    EXPECT_EQ(trayTipShown(QByteArray(64, '\0')), QString());
}

TEST(TrayRecord, AddFillsEveryFieldModifyReplacesIconAndTipDeleteTouchesNothing)
{
    FakeDesktop desktop;
    QzCmn14 common;
    EXPECT_EQ(common.trayRecord(), TrayRecord()) << "all zero when the object is made";

    // Never added: the record goes out all zero.
    desktop.trayAnswer = false;
    EXPECT_FALSE(common.TrayModifyIcon(5, QStringLiteral("tip")));
    EXPECT_FALSE(common.TrayDelIcon());
    ASSERT_EQ(desktop.trayCalls.size(), 2);
    EXPECT_EQ(desktop.trayCalls[0].message, 1);
    EXPECT_EQ(desktop.trayCalls[0].record.cbSize, 0u);
    EXPECT_EQ(desktop.trayCalls[0].record.hWnd, 0);
    EXPECT_EQ(desktop.trayCalls[1].message, 2);
    EXPECT_EQ(desktop.trayCalls[1].record.hIcon, 5) << "modify wrote the icon, delete passed the record as it was";

    QzCmn14 fresh;
    desktop.trayCalls.clear();
    desktop.trayAnswer = true;
    fresh.WM_MOUSEMOVE = 0x200;
    EXPECT_TRUE(fresh.TrayAddIcon(4711, 42, QStringLiteral("左-Menu:右-Help")));
    ASSERT_EQ(desktop.trayCalls.size(), 1);
    const TrayRecord added = desktop.trayCalls[0].record;
    EXPECT_EQ(desktop.trayCalls[0].message, 0);
    EXPECT_EQ(added.cbSize, 88u);
    EXPECT_EQ(added.hWnd, 4711);
    EXPECT_EQ(added.uID, 1u);
    EXPECT_EQ(added.uFlags, 7u);
    EXPECT_EQ(added.uCallbackMessage, 0x200u);
    EXPECT_EQ(added.hIcon, 42);
    EXPECT_EQ(added.szTip, trayTipField(QStringLiteral("左-Menu:右-Help")));

    // A refused add keeps what it wrote; modify changes only icon and tip.
    desktop.trayAnswer = false;
    EXPECT_FALSE(fresh.TrayAddIcon(4711, 43, QStringLiteral("second")));
    EXPECT_EQ(fresh.trayRecord().hIcon, 43);
    desktop.trayAnswer = true;
    EXPECT_TRUE(fresh.TrayModifyIcon(44, QStringLiteral("third")));
    TrayRecord expected = added;
    expected.hIcon = 44;
    expected.szTip = trayTipField(QStringLiteral("third"));
    EXPECT_EQ(desktop.trayCalls.last().record, expected);
    EXPECT_TRUE(fresh.TrayDelIcon());
    EXPECT_EQ(desktop.trayCalls.last().message, 2);
    EXPECT_EQ(desktop.trayCalls.last().record, expected) << "delete doesn't clear the record";
}

TEST(TrayIcons, TheSameIconKeepsItsHandle)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon icon(red);
    const qint32 handle = iconHandle(icon);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(iconHandle(icon), handle);
    EXPECT_EQ(iconForHandle(handle).cacheKey(), icon.cacheKey());
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    EXPECT_NE(iconHandle(QIcon(blue)), handle);
    EXPECT_EQ(iconHandle(QIcon()), 0);
    EXPECT_TRUE(iconForHandle(0x7fff0000).isNull());
}

TEST(WindowServices, PassTheirArgumentsAndKeepTheirResults)
{
    FakeDesktop desktop;
    QzCmn14 common;

    desktop.foundWindow = 0;
    EXPECT_EQ(common.Find_Window(QStringLiteral("メモ帳")), 0);
    EXPECT_FALSE(common.AppClose(QStringLiteral("nobody")));
    EXPECT_TRUE(desktop.closed.isEmpty()) << "nothing is sent when no window has the title";
    desktop.foundWindow = 0x1234;
    EXPECT_EQ(common.Find_Window(QStringLiteral("メモ帳")), 0x1234);
    EXPECT_TRUE(common.AppClose(QStringLiteral("メモ帳")));
    EXPECT_EQ(desktop.closed, QList<qint32>{0x1234});
    EXPECT_EQ(desktop.foundTitles, (QList<QString>{"メモ帳", "nobody", "メモ帳", "メモ帳"}));

    common.WindowTop(7);
    common.WindowTopMost(8);
    common.WindowTopMostRst(8);
    EXPECT_EQ(desktop.foregrounded, QList<qint32>{7});
    EXPECT_EQ(desktop.topMost, (QList<QPair<qint32, bool>>{{8, true}, {8, false}}));
}

TEST(WindowServices, HelpRoundsItsNumbersAndReportsAFailure)
{
    FakeDesktop desktop;
    QzCmn14 common;
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_TREE, 0));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_INDEX, 0));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_CONTEXT, 2.5F));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), 14.5F, 3.5F));
    ASSERT_EQ(desktop.helpCalls.size(), 4);
    EXPECT_EQ(desktop.helpCalls[0].command, 1);
    EXPECT_EQ(desktop.helpCalls[1].command, 2);
    EXPECT_EQ(desktop.helpCalls[2].command, 15);
    EXPECT_EQ(desktop.helpCalls[2].data, 2) << "halves go to the even number";
    EXPECT_EQ(desktop.helpCalls[3].command, 14);
    EXPECT_EQ(desktop.helpCalls[3].data, 4);
    EXPECT_EQ(desktop.helpCalls[0].hWnd, 9);
    EXPECT_TRUE(desktop.boxes.isEmpty());

    desktop.helpAnswer = 0;
    EXPECT_FALSE(common.HtmlHelp_open(9, QStringLiteral("C:\\ヘルプ\\Orvane.chm"), common.HH_DISPLAY_TREE, 0));
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Help File = C:\\ヘルプ\\Orvane.chm を開けませんでした！"));
    EXPECT_EQ(desktop.boxes[0].style, 16);
    EXPECT_EQ(desktop.beeps, QList<int>{48});
}

// The main window's side: notifications arrive as posted events, as the tray adapter sends them.
class TrayNotifications : public ::testing::Test {
protected:
    void SetUp() override { m_main = m_forms.mainF(); }
    void TearDown() override
    {
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }
    void notify(qint32 code, quint32 message = 0x200)
    {
        QCoreApplication::postEvent(m_main, new TrayNotifyEvent(message, 1, code));
        QCoreApplication::sendPostedEvents(m_main);
    }
    QWidget *openPopup()
    {
        QTest::qWait(0);
        return QApplication::activePopupWidget();
    }

    FakeDesktop m_desktop;
    TempCwd m_cwd;
    Forms m_forms;
    MainF *m_main = nullptr;
};

TEST_F(TrayNotifications, ALeftPressOpensTheMainMenuAndLeavesTheWindowHidden)
{
    notify(0x201);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_main->mainMenu()->isVisible(); }));
    EXPECT_EQ(QApplication::activePopupWidget(), m_main->mainMenu());
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_EQ(m_desktop.foregrounded, QList<qint32>{m_main->hWnd()}) << "the program takes the foreground first";

    // Choosing "ﾒｲﾝ表示(&M)" in it shows the main window.
    m_main->findChild<QAction *>(QStringLiteral("MainDisp"))->trigger();
    m_main->mainMenu()->close();
    EXPECT_TRUE(m_main->isVisible());
}

TEST_F(TrayNotifications, ARightPressOpensTheHelpMenu)
{
    notify(0x204);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_main->helpMenu()->isVisible(); }));
    EXPECT_FALSE(m_main->mainMenu()->isVisible());
    EXPECT_FALSE(m_main->isVisible());
}

TEST_F(TrayNotifications, AtMostOnePopUpAtATime)
{
    notify(0x201);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_main->mainMenu()->isVisible(); }));
    notify(0x204);
    notify(0x201);
    QTest::qWait(50);
    EXPECT_FALSE(m_main->helpMenu()->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), m_main->mainMenu());
    EXPECT_EQ(m_desktop.foregrounded.size(), 1) << "the refused presses did nothing at all";

    // Once it has closed, the next press opens a menu again.
    m_main->mainMenu()->close();
    notify(0x204);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->helpMenu()->isVisible(); }));
}

TEST_F(TrayNotifications, ReleasesDoubleClicksMovesAndOtherMessagesDoNothing)
{
    for (qint32 code : {0x200, 0x202, 0x203, 0x205, 0x206, 0x207, 0x208, 0x209, 0})
        notify(code);
    notify(0x201, 0x201) /* not the callback message */;
    QTest::qWait(50);
    EXPECT_EQ(openPopup(), nullptr);
    EXPECT_TRUE(m_desktop.foregrounded.isEmpty());
    EXPECT_FALSE(m_main->isVisible());

    // The event code is the low word of lParam.
    notify(0x10204);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->helpMenu()->isVisible(); }));
}

TEST_F(TrayNotifications, AMouseMoveToTheCodesColumnIsANotification)
{
    m_main->Form_MouseMove(0, 0, 0x201 * 15.0F, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->mainMenu()->isVisible(); }));
}

} // namespace
