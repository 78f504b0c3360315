// The main window: layout, the settings it shows, its commands and its menus.
#include "ui/main/MainF.h"
#include "app/Forms.h"
#include "core/SettingsFile.h"
#include "core/SettingsStore.h"
#include "platform/TrayParts.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/main/AboutF.h"
#include "ui/settings/Settings.h"
#include "ui/wake/Dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace orvane;
using namespace orvane::test;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Any pop-up the test left open goes before the next test.
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    MainF *loadWith(const SettingsGrid &g)
    {
        EXPECT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
        return m_forms.mainF();
    }

    template <class T = QWidget> T *child(const QString &name)
    {
        T *w = m_forms.mainF()->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString text(const QString &name)
    {
        if (auto *b = m_forms.mainF()->findChild<QPushButton *>(name))
            return b->text();
        return child<QLabel>(name)->text();
    }
    QAction *action(const QString &name) { return child<QAction>(name); }
    void expectCentredVertically(QWidget *w)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(w->frameGeometry().top(), qRound(screen.height() / 2.0 - w->frameGeometry().height() / 2.0));
    }

    FakeDesktop m_desktop;
    TempCwd m_cwd;
    Forms m_forms;
};

TEST_F(MainWindow, LaysOutEveryControlFromTheTwipsTable)
{
    MainF *main = m_forms.mainF();
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Orvane!"));
    EXPECT_EQ(main->size(), QSize(365, 300));
    EXPECT_EQ(main->minimumSize(), main->maximumSize()) << "fixed size";
    EXPECT_FALSE(main->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(main->windowIcon().isNull());

    const QList<std::tuple<QString, QString, QRect>> expected{
        {"Label1", "現在の時刻", {16, 8, 65, 13}},
        {"time_lvl", "", {88, 8, 65, 13}},
        {"port_lvl", "ポート番号 : ", {16, 24, 121, 13}},
        {"send_qty_lvl", "マジックパケット送信回数 = ", {152, 24, 169, 13}},
        {"PC_start_1", "PC1 起動", {8, 48, 105, 25}},
        {"PC_start_2", "PC2 起動", {8, 96, 105, 25}},
        {"PC_start_3", "PC3 起動", {8, 144, 105, 25}},
        {"PC_start_4", "PC4 起動", {8, 192, 105, 25}},
        {"PC_start_5", "PC5 起動", {8, 240, 105, 25}},
        {"Info_lvl_0", "IP = \r\nMAC =       \r\nTimer = OFF / ", {128, 48, 153, 41}},
        {"Info_lvl_4", "IP = \r\nMAC =       \r\nTimer = OFF / ", {128, 240, 153, 41}},
        {"Settings_bt", "設 定(&S)", {288, 48, 73, 25}},
        {"Close_bt", "閉じる(&C)", {288, 88, 73, 25}},
        {"CloseF", "終 了(&X)", {288, 128, 73, 25}},
    };
    for (const auto &[name, caption, rect] : expected) {
        EXPECT_EQ(child(name)->geometry(), rect) << name.toStdString();
        EXPECT_EQ(text(name), caption) << name.toStdString();
    }
    // Labels never take the focus; no button answers Enter or Esc by default.
    for (QLabel *l : main->findChildren<QLabel *>())
        EXPECT_EQ(l->focusPolicy(), Qt::NoFocus) << l->objectName().toStdString();
    for (QPushButton *b : main->findChildren<QPushButton *>())
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
}

TEST_F(MainWindow, TabsFromTheExitButtonThroughThePcButtonsToCloseAndStartsOnExit)
{
    MainF *main = m_forms.mainF();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The chain closes on the exit button it starts with.
    EXPECT_EQ(order, (QStringList{"CloseF", "PC_start_1", "PC_start_2", "PC_start_3", "PC_start_4", "PC_start_5",
                                  "Settings_bt", "Close_bt", "CloseF"}));
}

TEST_F(MainWindow, LoadsHiddenCentredWithTheTrayIcon)
{
    MainF *main = m_forms.mainF();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->menuBar(), nullptr) << "with a tray there is no menu bar";
    // Centred by its outer size on the whole screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    expectCentredVertically(main);
    EXPECT_EQ(main->frameGeometry().left(), qRound(screen.width() / 2.0 - main->frameGeometry().width() / 2.0));

    ASSERT_EQ(m_desktop.trayCalls.size(), 1);
    const FakeDesktop::TrayCall &add = m_desktop.trayCalls.first();
    EXPECT_EQ(add.message, 0);
    EXPECT_EQ(add.record.hWnd, main->hWnd());
    EXPECT_EQ(add.record.uCallbackMessage, 0x200u);
    EXPECT_EQ(iconForHandle(add.record.hIcon).cacheKey(), main->windowIcon().cacheKey()) << "the window's icon";
    EXPECT_EQ(trayTipShown(add.record.szTip), QStringLiteral("左-Menu:右-Help"));

    // Showing and hiding keep the place: the window is centred once only.
    main->move(main->pos() + QPoint(40, 30));
    const QPoint moved = main->pos();
    main->MainDisp_Click();
    child<QPushButton>("Close_bt")->click();
    EXPECT_FALSE(main->isVisible());
    main->MainDisp_Click();
    EXPECT_EQ(main->pos(), moved);
}

TEST_F(MainWindow, WithoutATrayHostShowsItselfWithTheMenusOnAMenuBar)
{
    m_desktop.trayAnswer = false;
    m_desktop.trayHost = false;
    MainF *main = m_forms.mainF();
    EXPECT_TRUE(main->isVisible());
    ASSERT_NE(main->menuBar(), nullptr);
    const QList<QAction *> bar = main->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->menu(), main->mainMenu());
    EXPECT_EQ(bar[1]->menu(), main->helpMenu());
    // The client area keeps its size below the bar.
    EXPECT_EQ(child("PC_start_1")->mapTo(main, QPoint(0, 0)).y(), 48 + main->menuBar()->height());
    EXPECT_EQ(main->height(), 300 + main->menuBar()->height());
    expectCentredVertically(main);

    // Closing can't hide it where nothing would bring it back: it goes down to the taskbar.
    child<QPushButton>("Close_bt")->click();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMinimized());
    main->MainDisp_Click();
    EXPECT_FALSE(main->isMinimized());
    main->close();
    EXPECT_TRUE(main->isMinimized());
    EXPECT_EQ(m_forms.loadedMainF(), main);
}

TEST_F(MainWindow, ShowsTheSettingsInForce)
{
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "3"}});
    setPc(g, 1, "Server", "127.0.0.10", ServerMac, "1", "07:30:00");
    setPc(g, 2, "", "", {}, "0", "");
    setPc(g, 3, "NAS", "nas.local", {"AA", "BB", "CC", "DD", "EE", "FF"}, "2", "12:00:00");
    setPc(g, 4, "Desk", "127.0.0.4", {"0a"}, "", "23:59:59");
    setPc(g, 5, "Lab", "127.0.0.5", {}, "yes", "");
    loadWith(g);

    EXPECT_EQ(text("port_lvl"), QStringLiteral("ポート番号 : 9"));
    EXPECT_EQ(text("send_qty_lvl"), QStringLiteral("マジックパケット送信回数 = 3"));
    EXPECT_EQ(text("Info_lvl_0"),
              QStringLiteral("IP = 127.0.0.10\r\nMAC = 00 11 22 33 44 55 \r\nTimer = ON / 07:30:00"));
    // Everything blank and flag 0: six blanks after "MAC = " and OFF. A flag of 2, an empty flag and a
    // word all read OFF as well.
    EXPECT_EQ(text("Info_lvl_1"), QStringLiteral("IP = \r\nMAC =       \r\nTimer = OFF / "));
    EXPECT_TRUE(text("Info_lvl_2").endsWith(QStringLiteral("Timer = OFF / 12:00:00")));
    EXPECT_EQ(text("Info_lvl_3"), QStringLiteral("IP = 127.0.0.4\r\nMAC = 0a      \r\nTimer = OFF / 23:59:59"));
    EXPECT_TRUE(text("Info_lvl_4").endsWith(QStringLiteral("Timer = OFF / ")));
    // An empty name keeps the default captions.
    const QStringList buttons{"Server 起動", "PC2 起動", "NAS 起動", "Desk 起動", "Lab 起動"};
    const QStringList entries{"Server 起動", "PC2起動", "NAS 起動", "Desk 起動", "Lab 起動"};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(text(QStringLiteral("PC_start_%1").arg(n)), buttons[n - 1]);
        EXPECT_EQ(action(QStringLiteral("PC%1_start").arg(n))->text(), entries[n - 1]);
    }
}

TEST_F(MainWindow, KeepsTheOldCaptionWhenTheNameIsCleared)
{
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "3"}});
    setPc(g, 1, "Server", "127.0.0.10", ServerMac, "1", "07:30:00");
    loadWith(g);
    ASSERT_EQ(text("PC_start_1"), QStringLiteral("Server 起動"));

    g.set(1, 0, QString());
    g.set(1, 1, QStringLiteral("127.0.0.99"));
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    settingsStore().LoadSettings();
    EXPECT_EQ(text("PC_start_1"), QStringLiteral("Server 起動"));
    EXPECT_EQ(action("PC1_start")->text(), QStringLiteral("Server 起動"));
    EXPECT_TRUE(text("Info_lvl_0").startsWith(QStringLiteral("IP = 127.0.0.99\r\n")));
}

TEST_F(MainWindow, WithoutASettingsFileCreatesOneAndKeepsTheDefaults)
{
    ASSERT_FALSE(QFile::exists(QStringLiteral("System.ini")));
    m_forms.mainF();
    EXPECT_TRUE(QFile::exists(QStringLiteral("System.ini")));
    EXPECT_EQ(text("port_lvl"), QStringLiteral("ポート番号 : "));
    EXPECT_EQ(text("send_qty_lvl"), QStringLiteral("マジックパケット送信回数 = "));
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(text(QStringLiteral("PC_start_%1").arg(n)), QStringLiteral("PC%1 起動").arg(n));
    // The settings dialog was loaded on the way, hidden.
    ASSERT_NE(m_forms.loadedSettings(), nullptr);
    EXPECT_FALSE(m_forms.loadedSettings()->isVisible());
}

TEST_F(MainWindow, MenusHoldTheirEntriesInOrder)
{
    MainF *main = m_forms.mainF();
    auto names = [](QMenu *menu) {
        QStringList list{menu->title()};
        for (QAction *a : menu->actions())
            list << a->objectName() + QLatin1Char('=') + (a->isSeparator() ? QStringLiteral("-") : a->text());
        return list;
    };
    EXPECT_EQ(names(main->mainMenu()),
              (QStringList{"ﾒﾆｭｰ&M", "MainDisp=ﾒｲﾝ表示(&M)", "Setting=設定(&S)", "l1=-", "PC1_start=PC1起動",
                           "PC2_start=PC2起動", "PC3_start=PC3起動", "PC4_start=PC4起動", "PC5_start=PC5起動", "l2=-",
                           "QuitApli=終了(&X)"}));
    EXPECT_EQ(names(main->helpMenu()), (QStringList{"ﾍﾙﾌﾟ&H", "HelpTopic=ﾍﾙﾌﾟ(&H)", "About=About(&A)"}));
}

TEST_F(MainWindow, ShowsHidesAndOpensTheOtherWindowsWhileHidden)
{
    MainF *main = m_forms.mainF();
    action("MainDisp")->trigger();
    EXPECT_TRUE(main->isVisible());
    action("MainDisp")->trigger();
    int mains = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        mains += qobject_cast<MainF *>(w) && w->isVisible();
    EXPECT_EQ(mains, 1);

    // The title bar's close box hides like "閉じる(&C)" and ends nothing.
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(m_forms.loadedMainF(), main);
    main->MainDisp_Click();
    child<QPushButton>("Close_bt")->click();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(m_desktop.trayCalls.size(), 1) << "the icon stays as it is";

    // The settings dialog and the about box: from the button and both menu entries, shown modeless.
    child<QPushButton>("Settings_bt")->click();
    Settings *settings = m_forms.loadedSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible() && !settings->isModal());
    settings->close();
    action("Setting")->trigger();
    ASSERT_NE(m_forms.loadedSettings(), nullptr);
    EXPECT_TRUE(m_forms.loadedSettings()->isVisible());
    action("About")->trigger();
    ASSERT_NE(m_forms.loadedAboutF(), nullptr);
    EXPECT_TRUE(m_forms.loadedAboutF()->isVisible() && !m_forms.loadedAboutF()->isModal());
    EXPECT_FALSE(main->isVisible()) << "opening the other windows leaves the main window hidden";
}

TEST_F(MainWindow, HelpOpensTheProgramsHelpFileOrSaysItIsMissing)
{
    MainF *main = m_forms.mainF();
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/Orvane.chm");
    action("HelpTopic")->trigger();
    ASSERT_EQ(m_desktop.helpCalls.size(), 1);
    const FakeDesktop::HelpCall &call = m_desktop.helpCalls.first();
    EXPECT_EQ(call.hWnd, main->hWnd());
    EXPECT_EQ(call.file, file);
    EXPECT_EQ(call.command, 1);
    EXPECT_EQ(call.data, 0);
    EXPECT_TRUE(m_desktop.boxes.isEmpty());

    m_desktop.helpAnswer = 0;
    action("HelpTopic")->trigger();
    expectErrorBox(m_desktop, QStringLiteral("Help File = ") + file + QStringLiteral(" を開けませんでした！"));
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, F1OpensTheTopicOfTheWindowOrOfTheHighlightedEntry)
{
    MainF *main = m_forms.mainF();
    main->MainDisp_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_EQ(m_desktop.helpCalls.size(), 1);
    EXPECT_EQ(m_desktop.helpCalls[0].command, 15);
    EXPECT_EQ(m_desktop.helpCalls[0].data, 1);

    for (const auto &[menu, entry, context] : {std::tuple{main->mainMenu(), "Setting", 2},
                                               {main->mainMenu(), "PC3_start", 1},
                                               {main->mainMenu(), "MainDisp", 1},
                                               {main->helpMenu(), "About", 1}}) {
        SCOPED_TRACE(entry);
        m_desktop.helpCalls.clear();
        menu->popup(QPoint(10, 10));
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        menu->setActiveAction(action(QLatin1String(entry)));
        QTest::keyClick(menu, Qt::Key_F1);
        ASSERT_EQ(m_desktop.helpCalls.size(), 1);
        EXPECT_EQ(m_desktop.helpCalls[0].command, 15);
        EXPECT_EQ(m_desktop.helpCalls[0].data, context);
        EXPECT_FALSE(menu->isVisible());
    }
}

TEST_F(MainWindow, EachPcButtonAndItsMenuEntryWakeThatPc)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = grid({{0, 0, QString::number(target.port())}, {0, 1, "1"}});
    for (int n = 1; n <= 5; ++n)
        setPc(g, n, QStringLiteral("PC-%1").arg(n), "127.0.0.1",
              {"00", "11", "22", "33", "44", QStringLiteral("0%1").arg(n)});
    MainF *main = loadWith(g);

    // Button n, then entry n, for every PC: each sends the packet of its own PC's MAC address.
    for (int n = 1; n <= 5; ++n) {
        child<QPushButton>(QStringLiteral("PC_start_%1").arg(n))->click();
        action(QStringLiteral("PC%1_start").arg(n))->trigger();
    }
    const QList<UdpReceiver::Datagram> datagrams = target.rx().receive(10, 20000);
    ASSERT_EQ(datagrams.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(datagrams[i].data, expectedPacket(QByteArray::fromHex("0011223344") + char(i / 2 + 1))) << i;
    EXPECT_EQ(m_desktop.sounds.size(), 10);
    ASSERT_NE(m_forms.loadedDialog(), nullptr) << "the notice is shown";
    EXPECT_TRUE(m_desktop.boxes.isEmpty());
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, APcWithoutHostGetsTheSameMessageFromItsButtonAndItsEntry)
{
    loadWith(grid({{0, 0, "9"}, {0, 1, "3"}, {4, 0, "Lab"}}));
    child<QPushButton>("PC_start_4")->click();
    action("PC4_start")->trigger();
    ASSERT_EQ(m_desktop.boxes.size(), 2);
    for (const FakeDesktop::Box &box : m_desktop.boxes)
        EXPECT_EQ(box.text, QStringLiteral("Host or IPアドレスが設定されていません！"));
    EXPECT_EQ(m_forms.loadedDialog(), nullptr);
}

TEST_F(MainWindow, TheClockTicksWhileTheWindowIsHidden)
{
    FakeClock clock(7 * 3600 + 30 * 60);
    MainF *main = m_forms.mainF();
    auto *time = child<QLabel>("time_lvl");
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->text() == QStringLiteral("07:30:00"); }, 10000));
    clock.advance(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->text() == QStringLiteral("07:30:01"); }, 10000))
        << time->text().toStdString();
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, ExitUnloadsEveryWindowAndEndsTheEventLoop)
{
    for (const char *command : {"CloseF", "QuitApli"}) {
        SCOPED_TRACE(command);
        MainF *main = m_forms.mainF();
        main->Settings_bt_Click();
        main->About_Click();
        QPointer<MainF> mainGuard(main);
        QPointer<Settings> settings(m_forms.loadedSettings());
        QPointer<AboutF> about(m_forms.loadedAboutF());
        QTimer::singleShot(0, main, [main, command] {
            if (auto *button = main->findChild<QPushButton *>(QLatin1String(command)))
                button->click();
            else
                main->findChild<QAction *>(QLatin1String(command))->trigger();
        });
        // Should the exit fail to end the loop, the test fails instead of hanging.
        QTimer guard;
        guard.callOnTimeout([] { QCoreApplication::exit(1); });
        guard.start(20000);
        EXPECT_EQ(QApplication::exec(), 0);

        EXPECT_EQ(m_forms.loadedMainF(), nullptr);
        EXPECT_EQ(m_forms.loadedSettings(), nullptr);
        EXPECT_EQ(m_forms.loadedAboutF(), nullptr);
        EXPECT_EQ(m_forms.loadedDialog(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(mainGuard.isNull() && settings.isNull() && about.isNull()) << "the windows are gone";
    }
}

} // namespace
