// The main window: layout, the settings it shows, its commands and its menus.
#include "ui/main/MainF.h"
#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "common/TrayParts.h"
#include "core/SettingsFile.h"
#include "core/WakeLoopback.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/TempDir.h"
#include "ui/main/AboutF.h"
#include "ui/settings/Settings.h"
#include "wake/Dialog.h"

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

const QString CrLf = QStringLiteral("\r\n");

// A settings table as the settings dialog would store it.
SettingsGrid grid(std::initializer_list<std::tuple<int, int, QString>> cells)
{
    SettingsGrid g;
    for (int r = 0; r < SettingsRows; ++r)
        for (int c = 0; c < SettingsColumns; ++c)
            g.set(r, c, QString());
    for (const auto &[r, c, text] : cells)
        g.set(r, c, text);
    return g;
}

void setPc(SettingsGrid &g, int n, const QString &name, const QString &host, const QStringList &mac,
           const QString &flag, const QString &time)
{
    g.set(n, 0, name);
    g.set(n, 1, host);
    for (int j = 0; j < 6; ++j)
        g.set(n, 2 + j, mac.value(j));
    g.set(n, 8, flag);
    g.set(n, 9, time);
}

class MainWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Any pop-up the test left open goes before the next test.
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    void writeSettings(const SettingsGrid &g) { ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g)); }

    MainF *load()
    {
        MainF *main = m_forms.mainF();
        return main;
    }

    template <class T = QWidget> T *child(MainF *main, const QString &name)
    {
        T *w = main->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString text(MainF *main, const QString &name)
    {
        if (auto *l = main->findChild<QLabel *>(name))
            return l->text();
        if (auto *b = main->findChild<QPushButton *>(name))
            return b->text();
        ADD_FAILURE() << "no control " << name.toStdString();
        return QString();
    }
    QAction *action(MainF *main, const char *name)
    {
        auto *a = main->findChild<QAction *>(QLatin1String(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    FakeDesktop m_desktop;
    TempCwd m_cwd;
    Forms m_forms;
};

TEST_F(MainWindow, LaysOutEveryControlFromTheTwipsTable)
{
    MainF *main = load();
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Orvane!"));
    EXPECT_EQ(main->size(), QSize(365, 300));
    EXPECT_EQ(main->minimumSize(), main->maximumSize()) << "fixed size";
    EXPECT_FALSE(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(main->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(main->windowIcon().isNull());

    struct Expected {
        QString name;
        QString caption;
        QRect rect;
    };
    const QList<Expected> expected{
        {"Label1", "現在の時刻", {16, 8, 65, 13}},
        {"time_lvl", "", {88, 8, 65, 13}},
        {"port_lvl", "ポート番号 : ", {16, 24, 121, 13}},
        {"send_qty_lvl", "マジックパケット送信回数 = ", {152, 24, 169, 13}},
        {"PC_start_1", "PC1 起動", {8, 48, 105, 25}},
        {"PC_start_2", "PC2 起動", {8, 96, 105, 25}},
        {"PC_start_3", "PC3 起動", {8, 144, 105, 25}},
        {"PC_start_4", "PC4 起動", {8, 192, 105, 25}},
        {"PC_start_5", "PC5 起動", {8, 240, 105, 25}},
        {"Info_lvl_0", QString(), {128, 48, 153, 41}},
        {"Info_lvl_4", QString(), {128, 240, 153, 41}},
        {"Settings_bt", "設 定(&S)", {288, 48, 73, 25}},
        {"Close_bt", "閉じる(&C)", {288, 88, 73, 25}},
        {"CloseF", "終 了(&X)", {288, 128, 73, 25}},
    };
    for (const Expected &e : expected) {
        QWidget *w = child(main, e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), e.rect) << e.name.toStdString();
        if (!e.name.startsWith(QLatin1String("Info_lvl"))) {
            EXPECT_EQ(text(main, e.name), e.caption) << e.name.toStdString();
        }
    }
    // Labels never take the focus; no button answers Enter or Esc by default.
    for (QLabel *l : main->findChildren<QLabel *>())
        EXPECT_EQ(l->focusPolicy(), Qt::NoFocus) << l->objectName().toStdString();
    for (QPushButton *b : main->findChildren<QPushButton *>()) {
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }
}

TEST_F(MainWindow, TabsFromTheExitButtonThroughThePcButtonsToCloseAndStartsOnExit)
{
    MainF *main = load();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    EXPECT_EQ(QApplication::focusWidget(), child(main, "CloseF"));

    QStringList order;
    for (int i = 0; i < 8; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"CloseF", "PC_start_1", "PC_start_2", "PC_start_3", "PC_start_4", "PC_start_5",
                                  "Settings_bt", "Close_bt"}));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("CloseF")) << "the chain closes";
}

TEST_F(MainWindow, LoadsHiddenCentredWithTheTrayIcon)
{
    MainF *main = load();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->menuBar(), nullptr) << "with a tray there is no menu bar";

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Centred by its outer size: top first, then left, on the whole screen.
    const QRect outer = main->frameGeometry();
    EXPECT_EQ(outer.top(), qRound(screen.height() / 2.0 - outer.height() / 2.0));
    EXPECT_EQ(outer.left(), qRound(screen.width() / 2.0 - outer.width() / 2.0));

    ASSERT_EQ(m_desktop.trayCalls.size(), 1);
    const FakeDesktop::TrayCall &add = m_desktop.trayCalls.first();
    EXPECT_EQ(add.message, 0);
    EXPECT_EQ(add.record.cbSize, 88u);
    EXPECT_EQ(add.record.hWnd, main->hWnd());
    EXPECT_EQ(add.record.uID, 1u);
    EXPECT_EQ(add.record.uFlags, 7u);
    EXPECT_EQ(add.record.uCallbackMessage, 0x200u);
    EXPECT_EQ(iconForHandle(add.record.hIcon).cacheKey(), main->windowIcon().cacheKey()) << "the window's icon";
    EXPECT_EQ(trayTipShown(add.record.szTip), QStringLiteral("左-Menu:右-Help"));

    // Showing and hiding keep the place: the window is centred once only.
    main->move(main->pos() + QPoint(40, 30));
    const QPoint moved = main->pos();
    main->MainDisp_Click();
    child<QPushButton>(main, "Close_bt")->click();
    EXPECT_FALSE(main->isVisible());
    main->MainDisp_Click();
    EXPECT_EQ(main->pos(), moved);
}

TEST_F(MainWindow, WithoutATrayHostShowsItselfWithTheMenusOnAMenuBar)
{
    m_desktop.trayAnswer = false;
    m_desktop.trayHost = false;
    MainF *main = load();
    EXPECT_TRUE(main->isVisible());
    ASSERT_NE(main->menuBar(), nullptr);
    const QList<QAction *> bar = main->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->menu(), main->mainMenu());
    EXPECT_EQ(bar[1]->menu(), main->helpMenu());
    // The client area keeps its size below the bar.
    const QWidget *pc1 = child(main, "PC_start_1");
    EXPECT_EQ(pc1->mapTo(main, QPoint(0, 0)).y(), 48 + main->menuBar()->height());
    EXPECT_EQ(main->height(), 300 + main->menuBar()->height());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(main->frameGeometry().top(), qRound(screen.height() / 2.0 - main->frameGeometry().height() / 2.0));

    // Closing can't hide it where nothing would bring it back: it goes down to the taskbar.
    child<QPushButton>(main, "Close_bt")->click();
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
    setPc(g, 1, "Server", "192.168.0.10", {"00", "11", "22", "33", "44", "55"}, "1", "07:30:00");
    setPc(g, 2, "", "", {}, "0", "");
    setPc(g, 3, "NAS", "nas.local", {"AA", "BB", "CC", "DD", "EE", "FF"}, "2", "12:00:00");
    setPc(g, 4, "Desk", "10.0.0.4", {"0a", "", "", "", "", ""}, "", "23:59:59");
    setPc(g, 5, "Lab", "10.0.0.5", {}, "yes", "");
    writeSettings(g);
    MainF *main = load();

    EXPECT_EQ(text(main, "port_lvl"), QStringLiteral("ポート番号 : 9"));
    EXPECT_EQ(text(main, "send_qty_lvl"), QStringLiteral("マジックパケット送信回数 = 3"));
    EXPECT_EQ(text(main, "PC_start_1"), QStringLiteral("Server 起動"));
    EXPECT_EQ(text(main, "Info_lvl_0"), QStringLiteral("IP = 192.168.0.10") + CrLf +
                                            QStringLiteral("MAC = 00 11 22 33 44 55 ") + CrLf +
                                            QStringLiteral("Timer = ON / 07:30:00"));
    // Everything blank and flag 0: six blanks after "MAC = ", OFF, and the default captions.
    EXPECT_EQ(text(main, "Info_lvl_1"), QStringLiteral("IP = ") + CrLf + QStringLiteral("MAC =       ") + CrLf +
                                            QStringLiteral("Timer = OFF / "));
    EXPECT_EQ(text(main, "PC_start_2"), QStringLiteral("PC2 起動"));
    EXPECT_EQ(action(main, "PC2_start")->text(), QStringLiteral("PC2起動"));
    // A flag of 2, an empty flag and a word all read OFF.
    EXPECT_TRUE(text(main, "Info_lvl_2").endsWith(QStringLiteral("Timer = OFF / 12:00:00")));
    EXPECT_TRUE(text(main, "Info_lvl_3").endsWith(QStringLiteral("Timer = OFF / 23:59:59")));
    EXPECT_TRUE(text(main, "Info_lvl_3").contains(QStringLiteral("MAC = 0a      ")));
    EXPECT_TRUE(text(main, "Info_lvl_4").endsWith(QStringLiteral("Timer = OFF / ")));

    const QStringList menu{"Server 起動", "PC2起動", "NAS 起動", "Desk 起動", "Lab 起動"};
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(action(main, QStringLiteral("PC%1_start").arg(n).toLatin1().constData())->text(), menu[n - 1]);
}

TEST_F(MainWindow, KeepsTheOldCaptionWhenTheNameIsCleared)
{
    SettingsGrid g = grid({{0, 0, "9"}, {0, 1, "3"}});
    setPc(g, 1, "Server", "192.168.0.10", {"00", "11", "22", "33", "44", "55"}, "1", "07:30:00");
    writeSettings(g);
    MainF *main = load();
    ASSERT_EQ(text(main, "PC_start_1"), QStringLiteral("Server 起動"));

    g.set(1, 0, QString());
    g.set(1, 1, QStringLiteral("192.168.0.99"));
    writeSettings(g);
    LoadSettings();
    EXPECT_EQ(text(main, "PC_start_1"), QStringLiteral("Server 起動"));
    EXPECT_EQ(action(main, "PC1_start")->text(), QStringLiteral("Server 起動"));
    EXPECT_TRUE(text(main, "Info_lvl_0").startsWith(QStringLiteral("IP = 192.168.0.99\r\n")));
}

TEST_F(MainWindow, WithoutASettingsFileCreatesOneAndKeepsTheDefaults)
{
    ASSERT_FALSE(QFile::exists(QStringLiteral("System.ini")));
    MainF *main = load();
    EXPECT_TRUE(QFile::exists(QStringLiteral("System.ini")));
    EXPECT_EQ(text(main, "port_lvl"), QStringLiteral("ポート番号 : "));
    EXPECT_EQ(text(main, "send_qty_lvl"), QStringLiteral("マジックパケット送信回数 = "));
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(text(main, QStringLiteral("PC_start_%1").arg(n)), QStringLiteral("PC%1 起動").arg(n));
        EXPECT_EQ(action(main, QStringLiteral("PC%1_start").arg(n).toLatin1().constData())->text(),
                  QStringLiteral("PC%1起動").arg(n));
    }
    // The settings dialog was loaded on the way, hidden.
    ASSERT_NE(m_forms.loadedSettings(), nullptr);
    EXPECT_FALSE(m_forms.loadedSettings()->isVisible());
}

TEST_F(MainWindow, MenusHoldTheirEntriesInOrder)
{
    MainF *main = load();
    auto names = [](QMenu *menu) {
        QStringList list;
        for (QAction *a : menu->actions())
            list << a->objectName() + QLatin1Char('=') + (a->isSeparator() ? QStringLiteral("-") : a->text());
        return list;
    };
    EXPECT_EQ(main->mainMenu()->title(), QStringLiteral("ﾒﾆｭｰ&M"));
    EXPECT_EQ(
        names(main->mainMenu()),
        (QStringList{"MainDisp=ﾒｲﾝ表示(&M)", "Setting=設定(&S)", "l1=-", "PC1_start=PC1起動", "PC2_start=PC2起動",
                     "PC3_start=PC3起動", "PC4_start=PC4起動", "PC5_start=PC5起動", "l2=-", "QuitApli=終了(&X)"}));
    EXPECT_EQ(main->helpMenu()->title(), QStringLiteral("ﾍﾙﾌﾟ&H"));
    EXPECT_EQ(names(main->helpMenu()), (QStringList{"HelpTopic=ﾍﾙﾌﾟ(&H)", "About=About(&A)"}));
}

TEST_F(MainWindow, ShowsHidesAndKeepsOneInstanceOfEachWindow)
{
    MainF *main = load();
    action(main, "MainDisp")->trigger();
    EXPECT_TRUE(main->isVisible());
    action(main, "MainDisp")->trigger();
    EXPECT_EQ(m_forms.mainF(), main);

    int mains = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        mains += qobject_cast<MainF *>(w) && w->isVisible();
    EXPECT_EQ(mains, 1);

    // The title bar's close box hides like "閉じる(&C)" and ends nothing.
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(m_forms.loadedMainF(), main);
    main->MainDisp_Click();
    child<QPushButton>(main, "Close_bt")->click();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(m_desktop.trayCalls.size(), 1) << "the icon stays as it is";

    // The settings dialog and the about box: shown modeless, the same one when asked again.
    child<QPushButton>(main, "Settings_bt")->click();
    Settings *settings = m_forms.loadedSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_FALSE(settings->isModal());
    action(main, "Setting")->trigger();
    EXPECT_EQ(m_forms.loadedSettings(), settings);

    action(main, "About")->trigger();
    AboutF *about = m_forms.loadedAboutF();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    main->About_Click();
    EXPECT_EQ(m_forms.loadedAboutF(), about);
    EXPECT_FALSE(main->isVisible()) << "opening the other windows leaves the main window hidden";
}

TEST_F(MainWindow, HelpOpensTheProgramsHelpFileOnItsContents)
{
    MainF *main = load();
    action(main, "HelpTopic")->trigger();
    ASSERT_EQ(m_desktop.helpCalls.size(), 1);
    const FakeDesktop::HelpCall &call = m_desktop.helpCalls.first();
    EXPECT_EQ(call.hWnd, main->hWnd());
    EXPECT_EQ(call.file, QCoreApplication::applicationDirPath() + QStringLiteral("/Orvane.chm"));
    EXPECT_EQ(call.command, 1);
    EXPECT_EQ(call.data, 0);
    EXPECT_TRUE(m_desktop.boxes.isEmpty());
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, AMissingHelpFileIsReportedAndNothingElseHappens)
{
    m_desktop.helpAnswer = 0;
    MainF *main = load();
    action(main, "HelpTopic")->trigger();
    ASSERT_EQ(m_desktop.boxes.size(), 1);
    EXPECT_EQ(m_desktop.boxes[0].text, QStringLiteral("Help File = ") + QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/Orvane.chm を開けませんでした！"));
    EXPECT_EQ(m_desktop.boxes[0].title, QStringLiteral("Error"));
    EXPECT_EQ(m_desktop.boxes[0].style, 16);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, F1OpensTheTopicOfTheWindowOrOfTheHighlightedEntry)
{
    MainF *main = load();
    main->MainDisp_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_EQ(m_desktop.helpCalls.size(), 1);
    EXPECT_EQ(m_desktop.helpCalls[0].command, 15);
    EXPECT_EQ(m_desktop.helpCalls[0].data, 1);

    struct Case {
        QMenu *menu;
        const char *entry;
        int context;
    };
    for (const Case &c : {Case{main->mainMenu(), "Setting", 2}, Case{main->mainMenu(), "PC3_start", 1},
                          Case{main->mainMenu(), "MainDisp", 1}, Case{main->helpMenu(), "About", 1}}) {
        m_desktop.helpCalls.clear();
        c.menu->popup(QPoint(10, 10));
        ASSERT_TRUE(QTest::qWaitFor([&] { return c.menu->isVisible(); }));
        c.menu->setActiveAction(action(main, c.entry));
        QTest::keyClick(c.menu, Qt::Key_F1);
        ASSERT_EQ(m_desktop.helpCalls.size(), 1) << c.entry;
        EXPECT_EQ(m_desktop.helpCalls[0].command, 15) << c.entry;
        EXPECT_EQ(m_desktop.helpCalls[0].data, c.context) << c.entry;
        EXPECT_FALSE(c.menu->isVisible()) << c.entry;
    }
}

TEST_F(MainWindow, EachPcButtonAndItsMenuEntryWakeThatPc)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    SettingsGrid g = grid({{0, 0, QString::number(target.port())}, {0, 1, "1"}});
    for (int n = 1; n <= 5; ++n)
        setPc(g, n, QStringLiteral("PC-%1").arg(n), "127.0.0.1",
              {"00", "11", "22", "33", "44", QStringLiteral("0%1").arg(n)}, "0", "");
    writeSettings(g);
    MainF *main = load();

    // Button n, then entry n, for every PC: each sends the packet of its own PC's MAC address.
    for (int n = 1; n <= 5; ++n) {
        child<QPushButton>(main, QStringLiteral("PC_start_%1").arg(n))->click();
        action(main, QStringLiteral("PC%1_start").arg(n).toLatin1().constData())->trigger();
    }
    const QList<UdpReceiver::Datagram> datagrams = target.rx().receive(10, 20000);
    ASSERT_EQ(datagrams.size(), 10);
    for (int i = 0; i < 10; ++i) {
        const int pc = i / 2 + 1;
        EXPECT_EQ(datagrams[i].data.size(), 102);
        EXPECT_EQ(datagrams[i].data.right(6), QByteArray::fromHex("0011223344") + char(pc)) << "datagram " << i;
    }
    EXPECT_EQ(m_desktop.sounds.size(), 10);
    ASSERT_NE(m_forms.loadedDialog(), nullptr) << "the notice is shown";
    EXPECT_TRUE(m_desktop.boxes.isEmpty());
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, APcWithoutHostGetsTheSameMessageFromItsButtonAndItsEntry)
{
    writeSettings(grid({{0, 0, "9"}, {0, 1, "3"}, {4, 0, "Lab"}}));
    MainF *main = load();
    child<QPushButton>(main, "PC_start_4")->click();
    action(main, "PC4_start")->trigger();
    ASSERT_EQ(m_desktop.boxes.size(), 2);
    for (const FakeDesktop::Box &box : m_desktop.boxes)
        EXPECT_EQ(box.text, QStringLiteral("Host or IPアドレスが設定されていません！"));
    EXPECT_EQ(m_forms.loadedDialog(), nullptr);
}

TEST_F(MainWindow, TheClockTicksWhileTheWindowIsHidden)
{
    FakeClock clock(7 * 3600 + 30 * 60);
    MainF *main = load();
    ASSERT_FALSE(main->isVisible());
    auto *time = child<QLabel>(main, "time_lvl");
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->text() == QStringLiteral("07:30:00"); }, 10000))
        << time->text().toStdString();
    clock.advance(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->text() == QStringLiteral("07:30:01"); }, 10000))
        << time->text().toStdString();
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindow, ExitUnloadsEveryWindowAndEndsTheEventLoop)
{
    for (const char *command : {"CloseF", "QuitApli"}) {
        Forms &forms = m_forms;
        MainF *main = load();
        main->Settings_bt_Click();
        main->About_Click();
        QPointer<MainF> mainGuard(main);
        QPointer<Settings> settings(forms.loadedSettings());
        QPointer<AboutF> about(forms.loadedAboutF());

        QTimer::singleShot(0, main, [main, command] {
            if (QByteArray(command) == "CloseF")
                main->findChild<QPushButton *>(QStringLiteral("CloseF"))->click();
            else
                main->findChild<QAction *>(QStringLiteral("QuitApli"))->trigger();
        });
        // Should the exit fail to end the loop, the test fails instead of hanging.
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        guard.start(20000);
        EXPECT_EQ(QApplication::exec(), 0) << command;
        EXPECT_FALSE(timedOut) << command;

        EXPECT_EQ(forms.loadedMainF(), nullptr) << command;
        EXPECT_EQ(forms.loadedSettings(), nullptr) << command;
        EXPECT_EQ(forms.loadedAboutF(), nullptr) << command;
        EXPECT_EQ(forms.loadedDialog(), nullptr) << command;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(mainGuard.isNull() && settings.isNull() && about.isNull()) << command << " windows are gone";
    }
}

} // namespace
