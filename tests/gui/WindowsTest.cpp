// The windows on Qt's offscreen platform, started from a real "System.ini": what they show, their keys
// and commands, the tray's presses, the wake command and its notice, the timed wake, the settings dialog.
#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "platform/TrayParts.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"
#include "ui/main/AboutF.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"
#include "ui/wake/Dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace orvane;
using namespace orvane::test;

namespace {

using Fields = QList<std::pair<int, QByteArray>>;
const QString Ini = QStringLiteral("System.ini");

// PC n's records: name, host, the MAC's two-digit fields, timer flag, wake time.
Fields pc(int n, const QByteArray &name, const QByteArray &host, const QByteArray &mac = {},
          const QByteArray &flag = "0", const QByteArray &time = {})
{
    Fields r{{rec(n, 0), name}, {rec(n, 1), host}, {rec(n, 8), flag}, {rec(n, 9), time}};
    for (int j = 0; j < 6; ++j)
        r.append({rec(n, 2 + j), mac.mid(2 * j, 2)});
    return r;
}

// The record area of the port, the count and the fields given, blank elsewhere.
QByteArray records(const QByteArray &port, const QByteArray &count, const Fields &fields = {})
{
    QByteArray area = recordArea({{rec(0, 0), port}, {rec(0, 1), count}});
    for (const auto &[record, text] : fields)
        area.replace((record - 1) * 20, text.size(), text);
    return area;
}

class Windows : public testing::Test {
protected:
    void TearDown() override
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    MainF *start(const QByteArray &file = recordArea())
    {
        forms.reset();
        writeAll(Ini, file);
        forms = std::make_unique<Forms>();
        return forms->mainF();
    }
    template <class T = QObject> T *find(const QString &name)
    {
        for (QWidget *w : QList<QWidget *>{forms->loadedMainF(), forms->loadedSettings(), forms->loadedAboutF(),
                                           forms->loadedDialog()})
            if (T *found = w ? w->findChild<T *>(name) : nullptr)
                return found;
        ADD_FAILURE() << "no control " << name.toStdString();
        return nullptr;
    }
    QString text(const QString &name)
    {
        QObject *o = find(name);
        return o ? o->property(qobject_cast<QComboBox *>(o) ? "currentText" : "text").toString() : QString();
    }
    QStringList texts(const QStringList &names)
    {
        QStringList all;
        for (const QString &name : names)
            all << text(name);
        return all;
    }
    Qt::CheckState check(int k) { return find<QCheckBox>(QStringLiteral("timer_chk_%1").arg(k))->checkState(); }
    void click(const QString &name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    // As a user types: a click into the box, all of it selected and deleted, then the keys.
    void type(const QString &name, const QString &text)
    {
        auto *box = find<QLineEdit>(name);
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    Settings *open()
    {
        forms->mainF()->Settings_bt_Click();
        EXPECT_TRUE(QTest::qWaitForWindowActive(forms->loadedSettings()));
        return forms->loadedSettings();
    }
    // Closes the dialog with a button, or with its close box for an empty name.
    void closeWith(const QString &button)
    {
        QPointer<Settings> dialog = forms->loadedSettings();
        button.isEmpty() ? void(dialog->close()) : click(button);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    }
    // Where the focus is, then after each of `steps` presses of key.
    static QStringList walk(int steps, Qt::Key key = Qt::Key_Tab)
    {
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < steps; ++i) {
            QWidget *from = QApplication::focusWidget();
            QTest::keyClick(from, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            (void)QTest::qWaitFor([&] { return QApplication::focusWidget() != from; }, 2000);
            seen << QApplication::focusWidget()->objectName();
        }
        return seen;
    }

    FakeDesktop desk;
    TempCwd cwd;
    FakeClock clock{3 * 3600};
    std::unique_ptr<Forms> forms;
};

TEST_F(Windows, TheMainWindowLoadsHiddenWithItsTrayIconAndShowsTheSettingsAndTheTime)
{
    // Flag 1 and " 1.0" read ON, 2 and blank OFF; an empty name keeps the default caption.
    MainF *main = start(records("9", "3",
                                pc(1, "Server", "127.0.0.10", "001122334455", "1", "07:30:00") + pc(2, "", "", {}, {}) +
                                    pc(3, "NAS", "", {}, "2", "12:00:00") + pc(4, "", "127.0.0.4", "0a", " 1.0")));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Orvane!"));
    EXPECT_LE((main->frameGeometry().center() - main->screen()->geometry().center()).manhattanLength(), 2);
    const TrayRecord icon{
        88, main->hWnd(), 1, 7, 0x200, iconHandle(main->windowIcon()), trayTipField("左-Menu:右-Help")};
    EXPECT_EQ(desk.trayCalls, (QList<std::pair<int, TrayRecord>>{{NimAdd, icon}}));
    EXPECT_EQ(texts({"port_lvl", "send_qty_lvl", "Info_lvl_0", "Info_lvl_1", "Info_lvl_2", "Info_lvl_3", "PC_start_1",
                     "PC_start_2", "PC1_start", "PC2_start"}),
              (QStringList{"ポート番号 : 9", "マジックパケット送信回数 = 3",
                           "IP = 127.0.0.10\r\nMAC = 00 11 22 33 44 55 \r\nTimer = ON / 07:30:00",
                           "IP = \r\nMAC =       \r\nTimer = OFF / ", "IP = \r\nMAC =       \r\nTimer = OFF / 12:00:00",
                           "IP = 127.0.0.4\r\nMAC = 0a      \r\nTimer = ON / ", "Server 起動", "PC2 起動",
                           "Server 起動", "PC2起動"}));
    // A name cleared later keeps the caption it gave.
    writeAll(Ini, records("", "", pc(1, "", "127.0.0.99")));
    settingsStore().LoadSettings();
    EXPECT_EQ(texts({"PC_start_1", "PC1_start", "Info_lvl_0"}),
              (QStringList{"Server 起動", "Server 起動", "IP = 127.0.0.99\r\nMAC =       \r\nTimer = OFF / "}));
    for (const QString time : {"03:00:00", "03:00:01"}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return text("time_lvl") == time; })) << text("time_lvl").toStdString();
        clock.advance(1);
    }
}

TEST_F(Windows, EveryCaptionFitsItsControl)
{
    // Values as wide as a typical network gives them, in the windows' Japanese font.
    Fields wide;
    for (int n = 1; n <= 5; ++n)
        wide += pc(n, "Win11PC", "127.255.100.20" + QByteArray::number(n), "FFFFFFFFFFFF", "0", "23:59:59");
    MainF *main = start(records("32766", "10", wide));
    find<QLabel>("time_lvl")->setText(QStringLiteral("23:59:59"));
    main->About_Click();
    for (QWidget *window : QList<QWidget *>{main, forms->loadedAboutF(), open()})
        for (QWidget *w : window->findChildren<QWidget *>()) {
            auto *label = qobject_cast<QLabel *>(w);
            QString t = label || qobject_cast<QPushButton *>(w) ? w->property("text").toString() : QString();
            t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).remove(QLatin1Char('&'));
            const int wrap = label && label->wordWrap() ? Qt::TextWordWrap : 0;
            const QSize need = w->fontMetrics().boundingRect(QRect(0, 0, w->width(), 1000), wrap, t).size();
            const QSize room = label ? label->contentsRect().size() : w->size() - QSize(8, 6);
            EXPECT_TRUE(t.isEmpty() || (need.width() <= room.width() && need.height() <= room.height()))
                << w->objectName().toStdString() << ": " << t.toStdString();
        }
}

TEST_F(Windows, TheMainWindowsCommandsTabAndHelpKeyReachTheWindowsAndTheirTopics)
{
    MainF *main = start();
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/Orvane.chm");
    // Help from its entry, then F1 on the window, on a highlighted entry and in the dialog.
    find<QAction>("HelpTopic")->trigger();
    find<QAction>("MainDisp")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    EXPECT_EQ(walk(8), (QStringList{"CloseF", "PC_start_1", "PC_start_2", "PC_start_3", "PC_start_4", "PC_start_5",
                                    "Settings_bt", "Close_bt", "CloseF"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    main->mainMenu()->popup(QPoint(10, 10));
    main->mainMenu()->setActiveAction(find<QAction>("Setting"));
    QTest::keyClick(main->mainMenu(), Qt::Key_F1);
    // "閉じる(&C)" and the close box only hide the window; the settings command comes from the button and the entry.
    click("Close_bt");
    EXPECT_FALSE(main->isVisible());
    main->MainDisp_Click();
    main->close();
    EXPECT_FALSE(main->isVisible());
    click("Settings_bt");
    closeWith("cancel_bt");
    find<QAction>("Setting")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(forms->loadedSettings()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    const qint32 w = main->hWnd(), settings = static_cast<qint32>(forms->loadedSettings()->winId());
    EXPECT_EQ(desk.helpCalls,
              (QList<FakeDesktop::Help>{{w, file, 1, 0}, {w, file, 15, 1}, {w, file, 15, 2}, {settings, file, 15, 2}}));
    // The about box: one at a time, the version, Esc unloads it.
    find<QAction>("About")->trigger();
    AboutF *about = forms->loadedAboutF();
    main->About_Click();
    EXPECT_EQ(forms->loadedAboutF(), about);
    EXPECT_EQ(text("Ver_lvl"), QStringLiteral("Version 1.00"));
    EXPECT_EQ(text("Info_lvl").count(QStringLiteral("\r\n")), 2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(forms->loadedAboutF() || main->isVisible());
    desk.helpAnswer = 0;
    find<QAction>("HelpTopic")->trigger();
    expectErrorBox(desk, QStringLiteral("Help File = ") + file + QStringLiteral(" を開けませんでした！"));
}

TEST_F(Windows, TheTraysLeftPressOpensTheMainMenuAndTheRightPressTheHelpMenu)
{
    MainF *main = start();
    auto notify = [main](quint32 message, qint32 code) {
        QCoreApplication::postEvent(main, new TrayNotifyEvent(message, 1, code));
        QCoreApplication::sendPostedEvents(main);
    };
    // The code is lParam's low word; releases, double clicks and other messages do nothing.
    for (const auto &[code, menu] :
         {std::pair{0x201, main->mainMenu()}, {0x204, main->helpMenu()}, {0x10201, main->mainMenu()}}) {
        notify(0x200, code);
        EXPECT_EQ(QApplication::activePopupWidget(), menu) << code;
        menu->close();
    }
    for (const qint32 code : {0x200, 0x202, 0x203, 0x205, 0x206})
        notify(0x200, code);
    notify(0x201, 0x201);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(desk.foregrounded, QList<qint32>(3, main->hWnd())) << "the program takes the foreground first";
    notify(0x200, 0x204);
    notify(0x200, 0x201);
    // One pop-up at a time: a press while a menu is open does nothing at all.
    EXPECT_TRUE(QApplication::activePopupWidget() == main->helpMenu() && desk.foregrounded.size() == 4);
    main->helpMenu()->close();
    EXPECT_FALSE(main->isVisible());
}

TEST_F(Windows, ExitUnloadsEveryWindowAndEndsTheProgram)
{
    for (const QString exit : {"CloseF", "QuitApli"}) {
        MainF *main = start();
        main->Settings_bt_Click();
        main->About_Click();
        QTimer::singleShot(0, [&] { exit == "CloseF" ? click(exit) : find<QAction>(exit)->trigger(); });
        QObject guard; // should the exit not end the loop, the test fails instead of hanging
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(1); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_FALSE(forms->loadedMainF() || forms->loadedSettings() || forms->loadedAboutF());
    }
}

// The wake command from the buttons and the menu entries: real datagrams on loopback.
TEST_F(Windows, EachPcsButtonAndEntryWakeItAndTheNoticeShowsForFiveSeconds)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    Fields fields;
    for (int n = 1; n <= 5; ++n)
        fields += pc(n, "PC-" + QByteArray::number(n), "127.0.0.1", "00112233440" + QByteArray::number(n));
    start(records(QByteArray::number(target.port()), "2", fields));
    for (int n = 1; n <= 5; ++n) {
        click(QStringLiteral("PC_start_%1").arg(n));
        find<QAction>(QStringLiteral("PC%1_start").arg(n))->trigger();
    }
    const QList<UdpReceiver::Datagram> got = target.rx().receive(21, QuietMs);
    ASSERT_EQ(got.size(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(std::pair(got[i].data, got[i].destinationPort),
                  std::pair(expectedPacket(QByteArray::fromHex("0011223344") + char(i / 4 + 1)), target.port()))
            << i;
    EXPECT_EQ(desk.sounds, QStringList(10, "64"));
    EXPECT_TRUE(desk.boxes.isEmpty());
    // The open notice kept the first text; its five seconds end it, the next one is new, closing it ends it.
    EXPECT_EQ(forms->loadedDialog()->windowTitle() + text("start_lvl"),
              QStringLiteral("Wake up!PC-1 を起動しました！"));
    auto *timer = forms->loadedDialog()->findChild<QTimer *>(QStringLiteral("Timer1"));
    ASSERT_TRUE(timer && timer->isActive() && timer->interval() == 5000);
    timer->setInterval(50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return forms->loadedDialog() == nullptr; }));
    click("PC_start_3");
    EXPECT_EQ(text("start_lvl"), QStringLiteral("PC-3 を起動しました！"));
    forms->loadedDialog()->close();
    EXPECT_EQ(forms->loadedDialog(), nullptr);
}

TEST_F(Windows, ARefusedWakeShowsItsErrorBoxAndSendsNothing)
{
    LoopbackTarget target;
    QUdpSocket blocker;
    ASSERT_TRUE(target.ok() && blocker.bind(QHostAddress::AnyIPv4, target.port() + 1, QUdpSocket::DontShareAddress));
    start(records(QByteArray::number(target.port()), "3", pc(2, "Server", "127.0.0.1", "001122334455")));
    find<QAction>("PC2_start")->trigger();
    expectErrorBox(desk, QStringLiteral("PC2「Server」へマジックパケットを送信できませんでした！\r\n送信元のポート %1 "
                                        "は他のプログラムが使用中です。")
                             .arg(target.port() + 1));
    EXPECT_TRUE(desk.sounds.isEmpty() && !forms->loadedDialog());
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST_F(Windows, TheTickWakesTheDuePcsInOrderAndGoesOnAfterARefusal)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    Fields due = pc(1, "", "", {}, "1", "06:00:00");
    for (const auto &[n, flag] : {std::pair{2, "2"}, {3, "1"}, {4, "0"}, {5, " 1.0"}})
        due += pc(n, "", "127.0.0.1", "00000000000" + QByteArray::number(n), flag, "06:00:00");
    start(records(QByteArray::number(target.port()), "1", due));
    clock.set(6 * 3600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desk.boxes.isEmpty(); }));
    expectErrorBox(desk, QStringLiteral("Host or IPアドレスが設定されていません！"));
    const QList<UdpReceiver::Datagram> got = target.rx().receive(3, QuietMs);
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].data, expectedPacket(QByteArray::fromHex("000000000003")));
    EXPECT_EQ(got[1].data, expectedPacket(QByteArray::fromHex("000000000005")));
}

// The settings dialog.
TEST_F(Windows, TheDialogShowsTheStoredSettingsAndAnUpdateWithoutEditsKeepsTheFile)
{
    const QByteArray file =
        records("9", "12",
                pc(1, "Server", "127.0.0.10", "001122334455", "1", "07:30:00") + pc(2, "  Lead", "", {}, "0", "x") +
                    pc(3, "", "", {}, "2") + pc(4, "", "") + pc(5, "", ""));
    start(file);
    ASSERT_FALSE(forms->loadedSettings()->isVisible());
    open();
    EXPECT_EQ(texts({"port_txt", "send_qty_cmb", "pc_txt_0", "IP_txt_0", "MAC_txt_0", "MAC_txt_5", "time_txt_0",
                     "pc_txt_1", "time_txt_1"}),
              (QStringList{"9", "12", "Server", "127.0.0.10", "00", "55", "07:30:00", "  Lead", "x"}));
    EXPECT_EQ((QList<Qt::CheckState>{check(0), check(1), check(2)}),
              (QList<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked}));
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("port_txt"));
    closeWith("update_bt");
    EXPECT_EQ(readAll(Ini), file);
}

TEST_F(Windows, AnUpdateWritesEveryFieldByTheRecordRulesAndTheWindowsShowIt)
{
    start(records("9", "", {{rec(0, 2), "spare"}, {rec(3, 8), "2"}, {rec(4, 0), "Old"}, {rec(4, 8), "1"}}));
    open();
    type("port_txt", "2304");
    find<QComboBox>("send_qty_cmb")->setCurrentIndex(4);
    type("pc_txt_0", "Server");
    type("IP_txt_0", "127.0.0.10");
    for (int j = 0; j < 6; ++j)
        type(QStringLiteral("MAC_txt_%1").arg(j), QStringList{"00", "11", "a2", "3b", "44", "ff"}[j]);
    click("timer_chk_0");
    type("time_txt_0", "07:30:00");
    type("pc_txt_1", "  Lead  ");
    type("IP_txt_1", "abcdefghijklmnopqrstuvwxy");
    type("pc_txt_3", "");
    click("timer_chk_2");
    click("timer_chk_3");
    type("MAC_txt_29", "0a");
    EXPECT_EQ(text("MAC_txt_5"), QStringLiteral("FF")) << "upper case once left";
    closeWith("update_bt");
    EXPECT_EQ(readAll(Ini), records("2304", "7",
                                    pc(1, "Server", "127.0.0.10", "0011A23B44FF", "1", "07:30:00") +
                                        pc(2, "  Lead", "abcdefghijklmnopqrst") + pc(3, "", "", {}, "1") +
                                        pc(4, "", "") + pc(5, "", "", "          0A")));
    EXPECT_TRUE(desk.boxes.isEmpty());
    EXPECT_EQ(texts({"PC_start_1", "PC1_start", "port_lvl"}),
              (QStringList{"Server 起動", "Server 起動", "ポート番号 : 2304"}));
}

TEST_F(Windows, TabWalksTheDialogAndEnterMovesOnLikeTabButEscDoesNothing)
{
    start();
    Settings *dialog = open();
    QStringList order{"port_txt", "send_qty_cmb"};
    for (int k = 0; k < 5; ++k) {
        order << QStringLiteral("pc_txt_%1").arg(k) << QStringLiteral("IP_txt_%1").arg(k);
        for (int j = 0; j < 6; ++j)
            order << QStringLiteral("MAC_txt_%1").arg(6 * k + j);
        order << QStringLiteral("timer_chk_%1").arg(k) << QStringLiteral("time_txt_%1").arg(k);
    }
    order += QStringList{"update_bt", "cancel_bt", "find_bt", "port_txt"};
    EXPECT_EQ(walk(55), order);
    const QStringList enter = walk(26, Qt::Key_Return);
    EXPECT_EQ(enter + walk(26, Qt::Key_Enter).mid(1), order.mid(0, 53));
    // The count keeps what was typed: nothing is completed or added to the list.
    auto *count = find<QComboBox>("send_qty_cmb");
    QTest::mouseClick(count->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(count->lineEdit(), QStringLiteral("1"));
    EXPECT_EQ(walk(1, Qt::Key_Return).last() + count->currentText(), QStringLiteral("pc_txt_01"));
    EXPECT_EQ(count->count(), 8);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(forms->loadedSettings() == dialog && dialog->isVisible() && desk.boxes.isEmpty());
}

TEST_F(Windows, CancelAndTheCloseBoxThrowTheEditsAwayAndAnOpenDialogKeepsThem)
{
    start(records("9", "", pc(1, "Server", "", {}, "1")));
    const QByteArray before = readAll(Ini);
    Settings *dialog = open();
    type("IP_txt_2", "unsaved");
    EXPECT_EQ(open(), dialog);
    EXPECT_EQ(text("IP_txt_2"), QStringLiteral("unsaved"));
    for (const QString closer : {"cancel_bt", ""}) {
        type("port_txt", "7");
        type("pc_txt_0", "Changed");
        click("timer_chk_0");
        closeWith(closer);
        EXPECT_EQ(readAll(Ini), before);
        EXPECT_EQ(text("port_lvl"), QStringLiteral("ポート番号 : 9"));
        open();
        EXPECT_EQ(text("port_txt") + text("pc_txt_0") + text("IP_txt_2"), QStringLiteral("9Server"));
        EXPECT_EQ(check(0), Qt::Checked);
    }
}

TEST_F(Windows, AFailedSaveShowsItsErrorOnceAndAnExitMeanwhileEndsTheUpdate)
{
    start(records("9", "", pc(1, "Server", "")));
    const QByteArray before = readAll(Ini);
    ASSERT_TRUE(QFile::setPermissions(Ini, QFile::ReadOwner));
    open();
    type("port_txt", "7");
    type("pc_txt_0", "Renamed");
    closeWith("update_bt");
    expectErrorBox(desk, QStringLiteral("ファイル書込に失敗しました！"));
    EXPECT_EQ(readAll(Ini), before);
    EXPECT_EQ(texts({"PC_start_1", "port_lvl"}), (QStringList{"Server 起動", "ポート番号 : 9"}));
    QPointer<Settings> dialog = open();
    EXPECT_EQ(texts({"pc_txt_0", "port_txt"}), (QStringList{"Server", "9"}));
    // The program is ended while the box is up (it runs events as a real one does).
    type("pc_txt_0", "Renamed");
    desk.duringBox = [&] {
        forms->UnloadAllForms();
        (void)QTest::qWaitFor([&] { return dialog.isNull(); });
    };
    click("update_bt");
    EXPECT_EQ(desk.boxes.size(), 2);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(forms->loadedSettings() || forms->loadedMainF()) << "nothing is loaded again";
}

} // namespace
