// The main window on Qt's offscreen platform, started from a real "System.ini": what it shows (as
// typed, and fitting), its commands, keys and help, exit, the wake command and its notice, and the
// timed wake.
#include "core/settings/SettingsFile.h"
#include "core/settings/SettingsStore.h"
#include "platform/TrayRecord.h"
#include "support/FakeDesktop.h"
#include "support/FormsFixture.h"
#include "support/WakeLoopback.h"
#include "ui/StatusMarks.h"
#include "ui/main/MainF.h"
#include "ui/wake/WakeCommand.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>

#include <utility>

using namespace orvane;
using namespace orvane::test;

namespace {

class MainWindow : public FormsFixture {};

TEST_F(MainWindow, TheMainWindowLoadsHiddenWithItsTrayIconAndShowsTheSettingsAndTheTime)
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
    writeAll(SettingsIni, records("", "", pc(1, "", "127.0.0.99")));
    settingsStore().LoadSettings();
    EXPECT_EQ(texts({"PC_start_1", "PC1_start", "Info_lvl_0"}),
              (QStringList{"Server 起動", "Server 起動", "IP = 127.0.0.99\r\nMAC =       \r\nTimer = OFF / "}));
    for (const QString time : {"03:00:00", "03:00:01"}) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return text("time_lvl") == time; })) << text("time_lvl").toStdString();
        clock.advance(1);
    }
}

TEST_F(MainWindow, EveryCaptionFitsItsControl)
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

// "閉じる(&C)" and the close box only hide the window.
TEST_F(MainWindow, TabWalksItsButtonsAndCloseOrTheCloseBoxOnlyHideIt)
{
    MainF *main = start();
    main->MainDisp_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    EXPECT_EQ(walk(8), (QStringList{"CloseF", "PC_start_1", "PC_start_2", "PC_start_3", "PC_start_4", "PC_start_5",
                                    "Settings_bt", "Close_bt", "CloseF"}));
    click("Close_bt");
    EXPECT_FALSE(main->isVisible());
    main->MainDisp_Click();
    main->close();
    EXPECT_FALSE(main->isVisible());
}

// Help from its entry, then F1 on the window, on a highlighted entry and in the settings dialog, which
// opens from the button and the entry.
TEST_F(MainWindow, HelpOpensAtTheContentsOrTheTopicOfWhereF1WasPressed)
{
    MainF *main = start();
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/Orvane.chm");
    find<QAction>("HelpTopic")->trigger();
    find<QAction>("MainDisp")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    main->mainMenu()->popup(QPoint(10, 10));
    main->mainMenu()->setActiveAction(find<QAction>("Setting"));
    QTest::keyClick(main->mainMenu(), Qt::Key_F1);
    main->mainMenu()->close();
    click("Settings_bt");
    closeWith("cancel_bt");
    find<QAction>("Setting")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(forms->loadedSettings()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    const qint32 w = main->hWnd(), settings = static_cast<qint32>(forms->loadedSettings()->winId());
    EXPECT_EQ(desk.helpCalls,
              (QList<FakeDesktop::Help>{{w, file, 1, 0}, {w, file, 15, 1}, {w, file, 15, 2}, {settings, file, 15, 2}}));
    desk.helpAnswer = 0;
    find<QAction>("HelpTopic")->trigger();
    expectErrorBox(desk, QStringLiteral("Help File = ") + file + QStringLiteral(" を開けませんでした！"));
}

TEST_F(MainWindow, TheAboutBoxIsOneAtATimeShowsTheVersionAndEscUnloadsIt)
{
    MainF *main = start();
    find<QAction>("About")->trigger();
    AboutF *about = forms->loadedAboutF();
    main->About_Click();
    EXPECT_EQ(forms->loadedAboutF(), about);
    EXPECT_EQ(text("Ver_lvl"), QStringLiteral("Version 1.00"));
    EXPECT_EQ(text("Info_lvl").count(QStringLiteral("\r\n")), 2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(forms->loadedAboutF() || main->isVisible());
}

TEST_F(MainWindow, ExitUnloadsEveryWindowAndEndsTheProgram)
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
TEST_F(MainWindow, EachPcsButtonAndEntryWakeItAndTheNoticeShowsForFiveSeconds)
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
    EXPECT_EQ(got.size(), 20);
    for (int i = 0; i < got.size(); ++i)
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

TEST_F(MainWindow, ARefusedWakeShowsItsErrorBoxAndSendsNothing)
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

TEST_F(MainWindow, TheTickWakesTheDuePcsInOrderAndGoesOnAfterARefusal)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    Fields due = pc(1, "", "", {}, "1", "06:00:00");
    // PC5's time is written as people type it.
    for (const auto &[n, flag] : {std::pair{2, "2"}, {3, "1"}, {4, "0"}, {5, " 1.0"}})
        due += pc(n, "", "127.0.0.1", "00000000000" + QByteArray::number(n), flag, n == 5 ? "6:00" : "06:00:00");
    start(records(QByteArray::number(target.port()), "1", due));
    clock.set(6 * 3600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !desk.boxes.isEmpty(); }));
    expectErrorBox(desk, QStringLiteral("Host or IPアドレスが設定されていません！"));
    const QList<UdpReceiver::Datagram> got = target.rx().receive(3, QuietMs);
    EXPECT_EQ(got.size(), 2);
    EXPECT_EQ(got.value(0).data, expectedPacket(QByteArray::fromHex("000000000003")));
    EXPECT_EQ(got.value(1).data, expectedPacket(QByteArray::fromHex("000000000005")));
}

// The timed wake keeps to the PC's days in Orvane.ini, and a wake skipped once stays skipped across a
// restart; the tips name the next wake.
TEST_F(MainWindow, TheTimedWakeKeepsToItsDaysAndASkippedWakeStaysSkippedAfterARestart)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    const QByteArray file =
        records(QByteArray::number(target.port()), "1", pc(1, "Office", "127.0.0.1", "001122334455", "1", "07:30:00"));
    writeAll("Orvane.ini", "[PC1]\ndays = mon-fri\nholidays = skip\nskip = 2026-12-24\n");
    clock.setDate(QDate(2026, 12, 8));
    start(file);
    auto *button = find<QPushButton>("PC_start_1");
    EXPECT_TRUE(button->toolTip().endsWith("\n次の起動 12/08(火) 07:30:00")) << button->toolTip().toStdString();
    int woken = 0;
    // The wakes of a morning: the time just before, then the wake time.
    const auto morning = [&](const QDate &date) {
        clock.setDate(date);
        for (const QString t : {"07:00:00", "07:30:00"}) {
            clock.set(QTime::fromString(t).msecsSinceStartOfDay() / 1000.0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return text("time_lvl") == t; }));
        }
        const auto got = target.rx().receive(woken + 1, QuietMs).size();
        return std::exchange(woken, int(got)) < got;
    };
    EXPECT_TRUE(morning(QDate(2026, 12, 8))) << "a Tuesday";
    EXPECT_FALSE(morning(QDate(2026, 12, 12))) << "a Saturday";
    EXPECT_FALSE(morning(QDate(2027, 1, 11))) << "成人の日";
    EXPECT_FALSE(morning(QDate(2026, 12, 24))) << "a day off";
    writeAll("Orvane.ini", "[PC1]\ndays = mon-fri\nskip_next = 2026-12-25\n");
    clock.setDate(QDate(2026, 12, 24));
    clock.set(8 * 3600);
    start(file);
    EXPECT_TRUE(find<QPushButton>("PC_start_1")->toolTip().endsWith("\n次の起動 12/28(月) 07:30:00"));
    EXPECT_FALSE(morning(QDate(2026, 12, 25))) << "skipped once";
    EXPECT_TRUE(morning(QDate(2026, 12, 28))) << "and the wake after it fires";
    EXPECT_TRUE(desk.boxes.isEmpty());
}

// What the user typed reaches the windows as text: markup shows as written, and "&" is no access key.
// What a screen reader reads: Qt's own reading of what a control shows, with rich text rendered
// (lines joined) and access-key marks taken out.
std::string shown(QObject *control)
{
    QAccessibleInterface *a = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    return a ? a->text(QAccessible::Name).toStdString() : "(no control)";
}

std::string shownEntry(QMenu *menu, const char *name)
{
    const auto index = menu->actions().indexOf(menu->findChild<QAction *>(QLatin1String(name)));
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(menu)->child(int(index));
    return item ? item->text(QAccessible::Name).toStdString() : "(no entry)";
}

TEST(PlainText, NamesHostsMacsPortAndCountShowAsTyped)
{
    FakeDesktop desktop;
    TempCwd cwd;
    SettingsGrid g = grid({{0, 0, "<i>9</i>"}});
    setPc(g, 1, "A&B <b>C</b>", "<b>x</b>", {"<s>", "11", "22", "33", "44", "55"}, "1", "07:00:00");
    setPc(g, 2, "<img src=x><b>C  D", ""); // cut short on its button, so that the tip shows it whole
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("System.ini"), g));
    Forms forms;
    MainF *main = forms.mainF();
    const auto control = [main](const char *name) { return main->findChild<QWidget *>(QLatin1String(name)); };

    EXPECT_EQ(shown(control("port_lvl")), "ポート番号 : <i>9</i>");
    EXPECT_EQ(shown(control("Info_lvl_0")), "IP = <b>x</b>\r\nMAC = <s> 11 22 33 44 55 \r\nTimer = ON / 07:00:00");
    // Marks of the PC's state may stand around the name.
    const std::string caption = "A&B <b>C</b> 起動";
    EXPECT_NE(shown(control("PC_start_1")).find(caption), std::string::npos) << shown(control("PC_start_1"));
    EXPECT_NE(shownEntry(main->mainMenu(), "PC1_start").find(caption), std::string::npos)
        << shownEntry(main->mainMenu(), "PC1_start");

    QTextDocument tipShown; // as the tip's label reads a tip with markup in it
    tipShown.setHtml(control("PC_start_2")->toolTip());
    EXPECT_EQ(tipShown.toPlainText().section(QLatin1Char('\n'), 0, 0), "<img src=x><b>C  D 起動");

    StartedPcName = QStringLiteral("<b>PC</b>");
    EXPECT_EQ(shown(forms.dialog()->findChild<QWidget *>(QStringLiteral("start_lvl"))), "<b>PC</b> を起動しました！");
}

// Each state is told by its mark's shape alone (the pixels it covers), at 100 % and at 200 %, where
// the mark is drawn anew rather than scaled up.
TEST(PcButtonMark, EachStateHasAShapeOfItsOwnAtEitherScale)
{
    const Reach states[] = {Reach::Answered, Reach::NoAnswer, Reach::OtherMac, Reach::LinkOnly, Reach::NotChecked};
    for (const qreal ratio : {1.0, 2.0}) {
        QList<QImage> shapes;
        for (const Reach reach : states) {
            const QImage image = statusIcon(reach).pixmap(QSize(16, 16), ratio).toImage();
            ASSERT_EQ(image.size(), QSize(16, 16) * ratio);
            QImage shape(image.size(), QImage::Format_Mono);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    shape.setPixel(x, y, qAlpha(image.pixel(x, y)) > 128);
            shapes << shape;
        }
        for (int i = 0; i < shapes.size(); ++i)
            for (int j = i + 1; j < shapes.size(); ++j) {
                int differ = 0;
                for (int y = 0; y < shapes[i].height(); ++y)
                    for (int x = 0; x < shapes[i].width(); ++x)
                        differ += shapes[i].pixelIndex(x, y) != shapes[j].pixelIndex(x, y);
                EXPECT_GE(differ, 6 * ratio * ratio) << "states " << i << " and " << j << " at " << ratio;
            }
    }
}

// The caption sits right of the mark, whole where it fits; a long one is cut at its end and shows
// whole in the tip and the accessible name. The button keeps its size and place.
TEST(PcButtonMark, TheCaptionKeepsClearOfTheMarkAndALongOneIsCutAtItsEnd)
{
    FakeDesktop desktop;
    MainF main;
    auto *button = static_cast<PcButton *>(main.findChild<QPushButton *>(QStringLiteral("PC_start_1")));
    const QRect place = button->geometry();
    const QWidget *mark = button->findChild<QWidget *>(QStringLiteral("status_mark"));
    SettingsGrid g;
    setPc(g, 1, "ABCDEFGHIJKLMNOPQRST", "");
    setPc(g, 2, "Desk", "");
    main.showSettings(g);
    main.showStatus(1, Reach::LinkOnly, QStringLiteral("ARP のみ応答 12:03:10"));
    main.showStatus(2, Reach::Answered, QStringLiteral("応答あり 12:03:10"));
    const QString whole = QStringLiteral("ABCDEFGHIJKLMNOPQRST 起動");
    EXPECT_TRUE(button->shownCaption().startsWith(QStringLiteral("ABCDEF")) &&
                button->shownCaption().endsWith(QChar(0x2026)))
        << button->shownCaption().toStdString();
    EXPECT_EQ(std::tuple(button->accessibleName(), button->toolTip(), button->geometry()),
              std::tuple(whole, whole + "\nARP のみ応答 12:03:10", place));
    auto *desk = static_cast<PcButton *>(main.findChild<QPushButton *>(QStringLiteral("PC_start_2")));
    EXPECT_EQ(std::tuple(desk->shownCaption(), desk->toolTip()),
              std::tuple(QStringLiteral("Desk 起動"), QStringLiteral("応答あり 12:03:10")));

    // The caption's pixels: where the button with it differs from the same button without it.
    const QImage with = button->grab().toImage();
    button->setText(QString());
    const QImage without = button->grab().toImage();
    int text = 0, leftmost = with.width();
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y))
                ++text, leftmost = std::min(leftmost, x);
    EXPECT_GT(text, 100) << "the caption shows";
    EXPECT_GT(leftmost, mark->geometry().right() + 1) << "the caption reaches the mark";
}

} // namespace
