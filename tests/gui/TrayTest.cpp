// The tray icon: its record and tip, the dispatch of its mouse codes, and what the main window does
// with its notifications.
#include "app/Forms.h"
#include "core/Cp932.h"
#include "platform/QzCmn14.h"
#include "platform/TrayParts.h"
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
    // X is rounded first (halves to even), then the division truncates; the window's width stays far
    // below the codes.
    const QList<std::tuple<float, int, qint32>> cases{{0x201 * 15.0F, 15, 0x201},
                                                      {0x204 * 12.0F, 12, 0x204},
                                                      {0x206 * 10.0F, 10, 0x206},
                                                      {7709.4F, 15, 513},
                                                      {7709.6F, 15, 514},
                                                      {22.5F, 15, 1},
                                                      {29.5F, 15, 2},
                                                      {14.0F, 15, 0},
                                                      {5475.0F, 15, 365}};
    for (const auto &[x, twipsPerPixel, code] : cases)
        EXPECT_EQ(trayEventCode(x, twipsPerPixel), code) << x << " / " << twipsPerPixel;
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

TEST(HtmlHelpOpen, RoundsItsNumbersAndReportsAFailure)
{
    FakeDesktop desktop;
    QzCmn14 common;
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_TREE, 0));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_INDEX, 0));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), common.HH_DISPLAY_CONTEXT, 2.5F));
    EXPECT_TRUE(common.HtmlHelp_open(9, QStringLiteral("/opt/x/Orvane.chm"), 14.5F, 3.5F));
    // Halves go to the even number.
    QList<std::tuple<qint32, QString, int, qint32>> calls;
    for (const FakeDesktop::HelpCall &c : desktop.helpCalls)
        calls.append({c.hWnd, c.file, c.command, c.data});
    const QString file = QStringLiteral("/opt/x/Orvane.chm");
    EXPECT_EQ(calls, (QList<std::tuple<qint32, QString, int, qint32>>{
                         {9, file, 1, 0}, {9, file, 2, 0}, {9, file, 15, 2}, {9, file, 14, 4}}));
    EXPECT_TRUE(desktop.boxes.isEmpty());

    desktop.helpAnswer = 0;
    EXPECT_FALSE(common.HtmlHelp_open(9, QStringLiteral("C:\\ヘルプ\\Orvane.chm"), common.HH_DISPLAY_TREE, 0));
    expectErrorBox(desktop, QStringLiteral("Help File = C:\\ヘルプ\\Orvane.chm を開けませんでした！"));
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

TEST_F(TrayNotifications, ARightPressOpensTheHelpMenuAndAtMostOnePopUpIsOpen)
{
    notify(0x204);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_main->helpMenu()->isVisible(); }));
    notify(0x201);
    notify(0x204);
    QTest::qWait(50);
    EXPECT_FALSE(m_main->mainMenu()->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), m_main->helpMenu());
    EXPECT_EQ(m_desktop.foregrounded.size(), 1) << "the refused presses did nothing at all";
    EXPECT_FALSE(m_main->isVisible());

    // Once it has closed, the next press opens a menu again.
    m_main->helpMenu()->close();
    notify(0x201);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->mainMenu()->isVisible(); }));
}

TEST_F(TrayNotifications, ReleasesDoubleClicksMovesAndOtherMessagesDoNothing)
{
    for (qint32 code : {0x200, 0x202, 0x203, 0x205, 0x206, 0x207, 0x208, 0x209, 0})
        notify(code);
    notify(0x201, 0x201); // not the callback message
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(m_desktop.foregrounded.isEmpty());
    EXPECT_FALSE(m_main->isVisible());

    // The event code is the low word of lParam; a mouse move to the codes' column is a notification.
    notify(0x10204);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->helpMenu()->isVisible(); }));
    m_main->helpMenu()->close();
    m_main->Form_MouseMove(0, 0, 0x201 * 15.0F, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_main->mainMenu()->isVisible(); }));
}

} // namespace
