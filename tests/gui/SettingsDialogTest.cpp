// The settings dialog on Qt's offscreen platform: what it shows, what an update writes, its keys
// (Tab, Enter, Esc), cancel, a failed save, wake times and MACs it can't use, where its controls
// sit, and a whole MAC pasted or typed into one of a row's MAC boxes.
#include "core/io/Threads.h"
#include "core/settings/SettingsStore.h"
#include "core/status/PcStatus.h"
#include "support/FormsFixture.h"
#include "support/PrivateNetwork.h"
#include "ui/Controls.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

using namespace orvane;
using namespace orvane::test;

namespace {

class SettingsDialog : public FormsFixture {
protected:
    QLineEdit *box(int index) { return find<QLineEdit>(QStringLiteral("MAC_txt_%1").arg(index)); }
    QStringList row(int k)
    {
        QStringList texts;
        for (int j = 0; j < 6; ++j)
            texts << box(6 * k + j)->text();
        return texts;
    }
    // Clicks into MAC box index and selects what it holds, as a user does before replacing it.
    QLineEdit *enter(int index)
    {
        QLineEdit *b = box(index);
        QTest::mouseClick(b, Qt::LeftButton);
        b->selectAll();
        return b;
    }
    // The dialog open, row 2 holding a MAC already.
    Settings *openWithRow2()
    {
        start(recordArea({{rec(2, 2), "99"},
                          {rec(2, 3), "99"},
                          {rec(2, 4), "99"},
                          {rec(2, 5), "99"},
                          {rec(2, 6), "99"},
                          {rec(2, 7), "99"}}));
        return open();
    }
};

TEST_F(SettingsDialog, TheDialogShowsTheStoredSettingsAndAnUpdateWithoutEditsKeepsTheFile)
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
    EXPECT_EQ(readAll(SettingsIni), file);
}

TEST_F(SettingsDialog, AnUpdateWritesEveryFieldByTheRecordRulesAndTheWindowsShowIt)
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
    EXPECT_EQ(readAll(SettingsIni), records("2304", "7",
                                            pc(1, "Server", "127.0.0.10", "0011A23B44FF", "1", "07:30:00") +
                                                pc(2, "  Lead", "abcdefghijklmnopqrst") + pc(3, "", "", {}, "1") +
                                                pc(4, "", "") + pc(5, "", "", "          0A")));
    EXPECT_TRUE(desk.boxes.isEmpty());
    EXPECT_EQ(texts({"PC_start_1", "PC1_start", "port_lvl"}),
              (QStringList{"Server 起動", "Server 起動", "ポート番号 : 2304"}));
}

TEST_F(SettingsDialog, TabWalksTheDialogAndEnterMovesOnLikeTabButEscDoesNothing)
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
    order += QStringList{"update_bt", "cancel_bt", "find_bt"};
    for (int k = 0; k < 5; ++k)
        order << QStringLiteral("detail_bt_%1").arg(k);
    order << "port_txt";
    EXPECT_EQ(walk(60), order);
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

TEST_F(SettingsDialog, CancelAndTheCloseBoxThrowTheEditsAwayAndAnOpenDialogKeepsThem)
{
    start(records("9", "", pc(1, "Server", "", {}, "1")));
    const QByteArray before = readAll(SettingsIni);
    Settings *dialog = open();
    type("IP_txt_2", "unsaved");
    EXPECT_EQ(open(), dialog);
    EXPECT_EQ(text("IP_txt_2"), QStringLiteral("unsaved"));
    for (const QString closer : {"cancel_bt", ""}) {
        type("port_txt", "7");
        type("pc_txt_0", "Changed");
        click("timer_chk_0");
        closeWith(closer);
        EXPECT_EQ(readAll(SettingsIni), before);
        EXPECT_EQ(text("port_lvl"), QStringLiteral("ポート番号 : 9"));
        open();
        EXPECT_EQ(text("port_txt") + text("pc_txt_0") + text("IP_txt_2"), QStringLiteral("9Server"));
        EXPECT_EQ(check(0), Qt::Checked);
    }
}

// A PC's relay is set in its details and saved in Orvane.ini, owner-only; System.ini is byte for byte
// what a save without it writes. What is left out of Orvane.ini is told once.
TEST_F(SettingsDialog, APcsRelayGoesToOrvaneIniAndSystemIniStaysAsItWas)
{
    start(records("9", "3", pc(2, "Far", "10.9.0.5", "001122334455")));
    open();
    closeWith("update_bt");
    const QByteArray plain = readAll(SettingsIni);
    EXPECT_FALSE(QFile::exists("Orvane.ini")) << "nothing to keep, no file";
    QPointer<Settings> dialog = open();
    click("detail_bt_1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return find<QWidget>("PcDetails")->isVisible(); }));
    type("relay_txt", " -oProxyCommand=x");
    click("details_ok_bt");
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_TRUE(std::get<0>(desk.boxes[0]).startsWith("経由先「-oProxyCommand=x」は使えません！"));
    type("relay_txt", "me@nas");
    type("relay_command_txt", "wol {mac}");
    for (const char *box : {"days_chk_5", "days_chk_6", "holidays_chk"})
        find<QCheckBox>(box)->click();
    type("secureon_txt", "01-23-45-67-89-ab");
    EXPECT_EQ(find<QLineEdit>("secureon_txt")->echoMode(), QLineEdit::Password);
    click("details_ok_bt");
    closeWith("update_bt");
    EXPECT_EQ(readAll(SettingsIni), plain);
    EXPECT_EQ(readAll("Orvane.ini").toStdString(), "[PC2]\nrelay = me@nas\nrelay_command = wol {mac}\ndays = mon-fri\n"
                                                   "holidays = skip\nsecureon = 01-23-45-67-89-ab\n");
    EXPECT_EQ(QFile::permissions("Orvane.ini"),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(text("Info_lvl_1").startsWith("IP = 10.9.0.5 経由 me")) << text("Info_lvl_1").toStdString();
    EXPECT_EQ(find<QLabel>("Info_lvl_1")->toolTip(), "経由 me@nas") << "whole, where the label cuts it short";

    writeAll("Orvane.ini", "[PC2]\nrelay = me@nas\nrelay = a b\n");
    settingsStore().LoadSettings();
    settingsStore().LoadSettings();
    ASSERT_EQ(desk.boxes.size(), 2);
    EXPECT_EQ(std::get<0>(desk.boxes[1]),
              "Orvane.ini の 3 行目: 経由先「a b」は使えません！\r\nこれらの行は使わずに続けます。");
}

// A failed save says which file and why, and keeps the dialog with everything as typed, so that the
// user can mend the cause and update again.
TEST_F(SettingsDialog, AFailedSaveSaysWhyAndKeepsTheEditsAndAnExitMeanwhileEndsTheUpdate)
{
    start(records("9", "", pc(1, "Server", "")));
    const QByteArray before = readAll(SettingsIni);
    ASSERT_TRUE(QFile::setPermissions(SettingsIni, QFile::ReadOwner));
    QPointer<Settings> dialog = open();
    type("port_txt", "7");
    type("pc_txt_0", "Renamed");
    click("update_bt");
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(std::get<0>(desk.boxes[0]), QStringLiteral("ファイル書込に失敗しました！\r\n") +
                                              QDir::current().absoluteFilePath(SettingsIni) +
                                              "：System.ini is read-only");
    EXPECT_EQ(readAll(SettingsIni), before);
    EXPECT_FALSE(dialog.isNull());
    EXPECT_EQ(texts({"pc_txt_0", "port_txt", "PC_start_1"}), (QStringList{"Renamed", "7", "Server 起動"}));
    // Mended, the same dialog saves what was typed.
    ASSERT_TRUE(QFile::setPermissions(SettingsIni, QFile::ReadOwner | QFile::WriteOwner));
    closeWith("update_bt");
    EXPECT_EQ(texts({"PC_start_1", "port_lvl"}), (QStringList{"Renamed 起動", "ポート番号 : 7"}));
    // The program is ended while the box is up (it runs events as a real one does).
    ASSERT_TRUE(QFile::setPermissions(SettingsIni, QFile::ReadOwner));
    dialog = open();
    type("pc_txt_0", "Again");
    desk.duringBox = [&] {
        forms->UnloadAllForms();
        (void)QTest::qWaitFor([&] { return dialog.isNull(); });
    };
    click("update_bt");
    EXPECT_EQ(desk.boxes.size(), 2);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(forms->loadedSettings() || forms->loadedMainF()) << "nothing is loaded again";
}

// Enter presses the focused button, as on the original platform, and only that one.
TEST_F(SettingsDialog, EnterOpensItFromTheMainWindowAndSavesFromTheEndOfTheTabWalk)
{
    const auto focusReaches = [](const char *name) {
        return QTest::qWaitFor([name] { return QApplication::focusWidget()->objectName() == QLatin1String(name); });
    };
    MainF *main = start();
    main->MainDisp_Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    find<QPushButton>("Settings_bt")->setFocus();
    ASSERT_TRUE(focusReaches("Settings_bt"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(forms->loadedSettings() && QTest::qWaitForWindowActive(forms->loadedSettings()));
    find<QLineEdit>("pc_txt_0")->setText(QStringLiteral("Saved"));
    find<QLineEdit>("time_txt_4")->setFocus();
    ASSERT_TRUE(focusReaches("time_txt_4"));
    // Enter there moves on to 更新 without pressing it; Enter on 更新 saves.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(focusReaches("update_bt"));
    EXPECT_FALSE(readAll(SettingsIni).contains("Saved"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(readAll(SettingsIni).contains("Saved"));
    EXPECT_EQ(forms->loadedSettings(), nullptr);
}

// A wake time that is no time at all is marked, and still stored as typed.
TEST_F(SettingsDialog, ItMarksAWakeTimeThatIsNoTimeAndAMacRowThatWakesNoPc)
{
    start(recordArea({{rec(1, 9), "whenever"}, {rec(2, 9), "7:05"}}));
    open();
    auto marked = [this](const char *name) {
        auto *box = find<QLineEdit>(QLatin1String(name));
        const QImage frame = box->grab().toImage();
        const bool red = frame.pixelColor(0, frame.height() / 2) == QColor(Qt::red);
        EXPECT_EQ(red, !box->toolTip().isEmpty()) << name;
        return red;
    };
    EXPECT_TRUE(marked("time_txt_0"));
    EXPECT_FALSE(marked("time_txt_1"));
    EXPECT_FALSE(marked("time_txt_2")) << "an empty box";
    find<QLineEdit>("time_txt_0")->setText("07:30:00");
    EXPECT_FALSE(marked("time_txt_0"));
    // A MAC row half filled, with a box that holds no byte, or of no single PC: its boxes, the empty ones too.
    const std::pair<QStringList, QString> macs[] = {
        {{"00", "11", "22", "", "", ""}, "MAC アドレスが 3 欄しか入力されていません。6 欄すべてに入力してください。"},
        {{"00", "11", "22", "33", "44", "5"}, "MAC アドレスの各欄には 16 進数 2 桁（00～FF）を入力してください。"},
        {{"FF", "FF", "FF", "FF", "FF", "FF"}, "ブロードキャストアドレスで、PC の MAC アドレスではありません。"},
        {{"00", "11", "22", "33", "44", "55"}, ""}};
    for (const auto &[texts, tip] : macs) {
        for (int j = 0; j < 6; ++j)
            box(j)->setText(texts[j]);
        EXPECT_EQ(std::pair(marked("MAC_txt_5"), box(5)->toolTip()), std::pair(!tip.isEmpty(), tip));
    }
}

const QStringList Empty(6, QString());
const QStringList Old(6, QStringLiteral("99"));

struct Paste {
    QString text;
    QStringList row2; // row 2's boxes afterwards
    QString why;      // the error box's second line, if any
};

TEST_F(SettingsDialog, AWholeMacPastedIntoAnyBoxFillsItsRowAndABadOneIsRefusedWithAWord)
{
    const QStringList abc{"AA", "BB", "CC", "0D", "EE", "FF"};
    const QString noMac =
        "貼り付けた文字列は MAC アドレスとして読めません。00:11:22:33:44:55 の形で貼り付けてください。";
    const Paste cases[] = {
        {"00:11:22:33:44:55", ServerMac, {}},
        {"aa-bb-cc-0d-ee-ff", abc, {}},
        {"  aabb.cc0D.eeff ", abc, {}},
        {"001122334455", ServerMac, {}},
        // No whole MAC, or one of no single PC: the row stays as it was.
        {"00:11:22:33:44", Old, noMac},
        {"００:１１:２２:３３:４４:５５", Old, noMac},
        {QString(51000, QLatin1Char('0')), Old, noMac},
        {"ffffffffffff", Old, "FF:FF:FF:FF:FF:FF はブロードキャストアドレスで、PC の MAC アドレスではありません。"},
        {"00-00-00-00-00-00", Old, "00:00:00:00:00:00 はすべて 0 のアドレスで、PC の MAC アドレスではありません。"},
        {"01005e000001", Old, "01:00:5E:00:00:01 はマルチキャストアドレスで、PC の MAC アドレスではありません。"},
    };
    openWithRow2();
    for (const Paste &paste : cases) {
        for (int j = 0; j < 6; ++j)
            box(6 + j)->setText(QStringLiteral("99"));
        desk.boxes.clear(), desk.beeps.clear();
        QApplication::clipboard()->setText(paste.text);
        QTest::keyClick(enter(9), Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return row(1) == paste.row2 && desk.boxes.size() == !paste.why.isEmpty(); }, 1000))
            << paste.text.left(30).toStdString() << " gave " << row(1).join(QLatin1Char(' ')).left(60).toStdString();
        if (!paste.why.isEmpty())
            expectErrorBox(desk, "MAC アドレスを貼り付けられませんでした！\r\n" + paste.why);
        EXPECT_EQ(row(0) + row(2), Empty + Empty) << paste.text.left(30).toStdString();
    }
}

TEST_F(SettingsDialog, AWholeMacTypedIntoOneBoxFillsItsRowWhenTheBoxIsLeft)
{
    openWithRow2();
    QLineEdit *first = enter(12);
    QTest::keyClicks(first, QStringLiteral("0a-1b-2c-3d-4e-5f"));
    // Until the box is left, what was typed is only text (as "0a" for "0a-1b-..." would be).
    EXPECT_EQ(row(2), QStringList({"0a-1b-2c-3d-4e-5f", "", "", "", "", ""}));
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(row(2), QStringList({"0A", "1B", "2C", "3D", "4E", "5F"}));
    EXPECT_EQ(row(1), Old);
    // A text that is no whole MAC is upper-cased on leaving, as ever.
    QTest::keyClicks(enter(0), QStringLiteral("0a:1b"));
    QTest::keyClick(box(0), Qt::Key_Tab);
    EXPECT_EQ(row(0), QStringList({"0A:1B", "", "", "", "", ""}));
}

TEST_F(SettingsDialog, TheFindButtonSitsInTheFreeTopAreaAndNoOtherControlMoved)
{
    Settings *dialog = openWithRow2();
    QList<std::pair<QString, QRect>> placed{
        {"Label1", twips(240, 120, 1095, 255)},     {"port_txt", twips(2640, 120, 855, 270)},
        {"Label2", twips(240, 480, 2055, 255)},     {"send_qty_cmb", twips(2640, 480, 855, 300)},
        {"update_bt", twips(6480, 120, 1215, 375)}, {"cancel_bt", twips(6480, 600, 1215, 375)},
        {"Label3", twips(600, 1080, 615, 255)},     {"Label4", twips(1920, 960, 855, 375)},
        {"Label5", twips(4080, 1080, 975, 255)},    {"Label11", twips(5880, 1080, 1935, 255)},
    };
    for (int n = 1; n <= 5; ++n) {
        const int top = 1320 + 360 * (n - 1), k = n - 1;
        placed << std::pair{QStringLiteral("Label%1").arg(5 + n), twips(120, top, 135, 255)}
               << std::pair{QStringLiteral("pc_txt_%1").arg(k), twips(360, top, 1095, 270)}
               << std::pair{QStringLiteral("IP_txt_%1").arg(k), twips(1680, top, 1215, 270)}
               << std::pair{QStringLiteral("timer_chk_%1").arg(k), twips(6120, top, 255, 375)}
               << std::pair{QStringLiteral("time_txt_%1").arg(k), twips(6480, top, 1215, 270)};
        for (int j = 0; j < 6; ++j)
            placed << std::pair{QStringLiteral("MAC_txt_%1").arg(6 * k + j), twips(3120 + 480 * j, top, 375, 270)};
    }
    auto *find = dialog->findChild<QPushButton *>(QStringLiteral("find_bt"));
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->text(), QStringLiteral("探す(&F)…"));
    EXPECT_TRUE(dialog->rect().contains(find->geometry()));
    EXPECT_EQ(dialog->size(), QSize(twips(7860), twips(3165)));
    for (const auto &[name, geometry] : placed) {
        const QWidget *w = dialog->findChild<QWidget *>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->geometry(), geometry) << name.toStdString();
        EXPECT_FALSE(w->geometry().intersects(find->geometry())) << name.toStdString();
    }
}

} // namespace

// Quitting while the dialog learns a MAC, the finder sweeps and the status round checks, each waiting
// on a name server that never answers: every thread ends and is joined, none is left running.
TEST_F(SettingsDialog, QuittingDuringLookupsLeavesNoThreadRunning)
{
    SilentNameServer silent;
    if (!silent.mounted())
        GTEST_SKIP() << "a name server of the test's own needs root";
    // This process's threads but Qt's pooled ones, which end a moment after they are waited for.
    const auto threads = [] {
        qsizetype n = 0;
        for (const QString &t : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            n += !readAll("/proc/self/task/" + t + "/comm").startsWith("Thread (pooled)");
        return n;
    };
    // Once without lookups first: Qt starts threads of its own, for good, the first time round.
    start(records("9", "1"));
    open();
    click("find_bt");
    forms.reset();
    joinThreads();
    const qsizetype before = threads();
    start(records("9", "1", pc(1, "Desk", "desk.orvane.test", "001122334455")));
    forms->pcStatus().checkAll();
    open();
    type("IP_txt_1", "nas.orvane.test");
    QTest::keyClick(find<QWidget>("IP_txt_1"), Qt::Key_Tab);
    click("find_bt");
    QTest::qWait(300);
    EXPECT_GT(runningThreads(), 1u) << "nothing was waiting on the name server";
    forms.reset();
    joinThreads();
    EXPECT_EQ(runningThreads(), 0u);
    EXPECT_EQ(threads(), before);
}
