#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString FileName = QStringLiteral("System.ini");

// One stored record: the text padded with blanks to 20.
QByteArray record(const QByteArray &text)
{
    return text.leftJustified(20, ' ', true);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settingsStore().SettingsTable = SettingsGrid();
        settingsStore().SettingsEditTable = SettingsGrid();
    }

    void TearDown() override
    {
        registry.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Start-up as the program does it: the main window loads, and with it the dialog, hidden.
    void startWith(const QByteArray &file)
    {
        writeAll(cwd.file(FileName), file);
        registry = std::make_unique<Forms>();
        registry->mainF();
    }
    QByteArray stored() { return readAll(cwd.file(FileName)); }
    QByteArray storedRecord(int row, int column) { return stored().mid((rec(row, column) - 1) * 20, 20); }
    void makeReadOnly()
    {
        ASSERT_TRUE(QFile::setPermissions(cwd.file(FileName), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }

    // The main window's settings command.
    Settings *open()
    {
        forms().mainF()->Settings_bt_Click();
        Settings *dialog = forms().loadedSettings();
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        return dialog;
    }

    template <class W> W *control(const QString &name)
    {
        Settings *dialog = forms().loadedSettings();
        W *w = dialog ? dialog->findChild<W *>(name) : nullptr;
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QLineEdit *box(const QString &name) { return control<QLineEdit>(name); }
    QLineEdit *box(const char *array, int index) { return box(QStringLiteral("%1_%2").arg(array).arg(index)); }
    QCheckBox *check(int index) { return control<QCheckBox>(QStringLiteral("timer_chk_%1").arg(index)); }
    QComboBox *combo() { return control<QComboBox>(QStringLiteral("send_qty_cmb")); }
    QPushButton *button(const char *name) { return control<QPushButton>(QLatin1String(name)); }

    // Types into a box the way a user does: click into it, then the keys.
    void typeInto(QLineEdit *target, const QString &text)
    {
        QTest::mouseClick(target, Qt::LeftButton);
        target->selectAll();
        QTest::keyClicks(target, text);
    }

    // Closes the dialog with a button, or with the close box for nullptr, and waits until it is gone.
    void closeWith(const char *name)
    {
        QPointer<Settings> dialog = forms().loadedSettings();
        if (name)
            QTest::mouseClick(button(name), Qt::LeftButton);
        else
            dialog->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 10000));
        EXPECT_EQ(forms().loadedSettings(), nullptr);
    }

    static QWidget *focused() { return QApplication::focusWidget(); }
    static QString focusedName() { return focused() ? focused()->objectName() : QStringLiteral("(none)"); }
    bool focusMovesTo(const QString &name)
    {
        return QTest::qWaitFor([&] { return focusedName() == name; }, 5000);
    }

    TempCwd cwd;
    FakeDesktop desk;
    std::unique_ptr<Forms> registry;
};

TEST_F(SettingsDialogTest, StartUpLoadsTheDialogHiddenAndFilled)
{
    startWith(recordArea({{1, "9"},
                          {2, "5"},
                          {rec(1, 0), "Server"},
                          {rec(1, 1), "127.0.0.10"},
                          {rec(1, 2), "00"},
                          {rec(1, 7), "55"},
                          {rec(1, 8), "1"},
                          {rec(1, 9), "07:30:00"},
                          {rec(2, 8), "0"},
                          {rec(3, 8), "2"},
                          {rec(5, 0), "  Lead"}}));
    Settings *dialog = forms().loadedSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    const std::map<QString, QString> texts{
        {"port_txt", "9"}, {"pc_txt_0", "Server"}, {"IP_txt_0", "127.0.0.10"}, {"MAC_txt_0", "00"},
        {"MAC_txt_1", ""}, {"MAC_txt_5", "55"},    {"time_txt_0", "07:30:00"}, {"pc_txt_4", "  Lead"}};
    for (const auto &[name, text] : texts)
        EXPECT_EQ(box(name)->text(), text) << name.toStdString();
    EXPECT_EQ(combo()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    EXPECT_EQ(check(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(check(2)->checkState(), Qt::PartiallyChecked);

    // Opening shows that same dialog, centred on the screen, with the focus on the port.
    EXPECT_EQ(open(), dialog);
    const QRect screen = dialog->screen()->geometry();
    EXPECT_LE((dialog->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(focusedName(), QStringLiteral("port_txt"));
}

TEST_F(SettingsDialogTest, WindowAndControlsHaveTheirPlacesAndCaptions)
{
    startWith(recordArea());
    Settings *dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(dialog->size(), QSize(524, 211));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog->parentWidget(), nullptr);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowIcon().availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));

    // Places in twips (15 to a pixel) and the captions.
    std::map<QString, std::pair<QRect, QString>> places{
        {"Label1", {{240, 120, 1095, 255}, "ポート番号"}},
        {"Label2", {{240, 480, 2055, 255}, "マジックパケット送信回数"}},
        {"Label3", {{600, 1080, 615, 255}, "PC名"}},
        {"Label4", {{1920, 960, 855, 375}, "Host or IPアドレス"}},
        {"Label5", {{4080, 1080, 975, 255}, "MACアドレス"}},
        {"Label11", {{5880, 1080, 1935, 255}, "ﾀｲﾏｰON/時間(hh:mm:ss)"}},
        {"port_txt", {{2640, 120, 855, 270}, ""}},
        {"send_qty_cmb", {{2640, 480, 855, 300}, ""}},
        {"update_bt", {{6480, 120, 1215, 375}, "更新(&U)"}},
        {"cancel_bt", {{6480, 600, 1215, 375}, "キャンセル(&C)"}},
    };
    for (int k = 0; k < 5; ++k) {
        const int top = 1320 + 360 * k;
        places[QStringLiteral("Label%1").arg(6 + k)] = {{120, top, 135, 255}, QString::number(k + 1)};
        places[QStringLiteral("pc_txt_%1").arg(k)] = {{360, top, 1095, 270}, ""};
        places[QStringLiteral("IP_txt_%1").arg(k)] = {{1680, top, 1215, 270}, ""};
        for (int j = 0; j < 6; ++j)
            places[QStringLiteral("MAC_txt_%1").arg(6 * k + j)] = {{3120 + 480 * j, top, 375, 270}, ""};
        places[QStringLiteral("timer_chk_%1").arg(k)] = {{6120, top, 255, 375}, ""};
        places[QStringLiteral("time_txt_%1").arg(k)] = {{6480, top, 1215, 270}, ""};
    }
    for (const auto &[name, place] : places) {
        SCOPED_TRACE(name.toStdString());
        QWidget *w = control<QWidget>(name);
        ASSERT_NE(w, nullptr);
        const QRect &t = place.first;
        EXPECT_EQ(w->geometry(), QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15));
        EXPECT_EQ(w->parentWidget(), dialog);
        if (auto *l = qobject_cast<QLabel *>(w)) {
            EXPECT_EQ(l->text(), place.second);
            // The caption fits its label in the dialog's font: nothing clipped.
            const QRect need = l->fontMetrics().boundingRect(
                QRect(0, 0, l->width(), 1000), int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0), l->text());
            EXPECT_LE(need.width(), l->width());
            EXPECT_LE(need.height(), l->height());
        } else if (auto *b = qobject_cast<QPushButton *>(w)) {
            EXPECT_EQ(b->text(), place.second);
            EXPECT_FALSE(b->isDefault());
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))), b->width() - 8);
        }
    }
    EXPECT_TRUE(control<QLabel>(QStringLiteral("Label4"))->wordWrap());
    EXPECT_TRUE(control<QLabel>(QStringLiteral("Label3"))->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(check(0)->text().isEmpty());
    // Every box takes any length.
    EXPECT_EQ(box("pc_txt", 0)->maxLength(), QLineEdit().maxLength());
}

TEST_F(SettingsDialogTest, TabAndEnterWalkTheFocusOrder)
{
    startWith(recordArea());
    open();
    QStringList order{QStringLiteral("port_txt"), QStringLiteral("send_qty_cmb")};
    for (int k = 0; k < 5; ++k) {
        order << QStringLiteral("pc_txt_%1").arg(k) << QStringLiteral("IP_txt_%1").arg(k);
        for (int j = 0; j < 6; ++j)
            order << QStringLiteral("MAC_txt_%1").arg(6 * k + j);
        order << QStringLiteral("timer_chk_%1").arg(k) << QStringLiteral("time_txt_%1").arg(k);
    }
    order << QStringLiteral("update_bt") << QStringLiteral("cancel_bt") << QStringLiteral("port_txt");
    // 54 controls take the focus; the 55th Tab comes back to the first.
    ASSERT_EQ(order.size(), 55);

    ASSERT_EQ(focusedName(), order.front());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        ASSERT_EQ(focusedName(), order[i]) << "Tab number " << i;
    }

    // Enter moves on like Tab in every entry control, once per Enter, up to the update button.
    const QByteArray before = stored();
    for (qsizetype i = 1; i <= order.indexOf(QStringLiteral("update_bt")); ++i) {
        QTest::keyClick(focused(), Qt::Key_Return);
        ASSERT_TRUE(focusMovesTo(order[i]))
            << "Enter number " << i << " left the focus on " << focusedName().toStdString();
    }
    // Let anything else that the last Enter could have caused happen: the button is not pressed.
    QTest::qWait(50);
    EXPECT_EQ(focusedName(), QStringLiteral("update_bt"));
    ASSERT_NE(forms().loadedSettings(), nullptr);
    EXPECT_TRUE(forms().loadedSettings()->isVisible());
    EXPECT_EQ(stored(), before);
    EXPECT_TRUE(desk.boxes.isEmpty());

    // The keypad's Enter and Enter with a modifier do the same.
    box("port_txt")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(focusMovesTo(QStringLiteral("send_qty_cmb")));
    QTest::keyClick(focused(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(focusMovesTo(QStringLiteral("pc_txt_0")));
}

TEST_F(SettingsDialogTest, EnterKeepsWhatWasTypedAndEscDoesNothing)
{
    startWith(recordArea({{1, "9"}, {2, "5"}}));
    Settings *dialog = open();
    QComboBox *count = combo();
    typeInto(count->lineEdit(), QStringLiteral("12"));
    QTest::keyClick(focused(), Qt::Key_Return);
    ASSERT_TRUE(focusMovesTo(QStringLiteral("pc_txt_0")));
    EXPECT_EQ(count->currentText(), QStringLiteral("12"));
    EXPECT_EQ(count->count(), 8);
    // No completion from the list: typing 1 stays 1 and doesn't become 10.
    typeInto(count->lineEdit(), QStringLiteral("1"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(count->currentText(), QStringLiteral("1"));

    typeInto(box("pc_txt", 0), QStringLiteral("Alpha"));
    QTest::keyClick(focused(), Qt::Key_Return);
    ASSERT_TRUE(focusMovesTo(QStringLiteral("IP_txt_0")));
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Alpha"));

    typeInto(box("port_txt"), QStringLiteral("10"));
    QTest::keyClick(focused(), Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_EQ(forms().loadedSettings(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("10"));
}

TEST_F(SettingsDialogTest, F1OpensTheSettingsTopic)
{
    startWith(recordArea());
    Settings *dialog = open();
    for (const char *name : {"port_txt", "send_qty_cmb", "MAC_txt_7", "timer_chk_4", "cancel_bt"}) {
        control<QWidget>(QLatin1String(name))->setFocus();
        desk.helpCalls.clear();
        QTest::keyClick(focused(), Qt::Key_F1);
        ASSERT_EQ(desk.helpCalls.size(), 1) << name;
        EXPECT_EQ(desk.helpCalls[0].hWnd, static_cast<qint32>(dialog->winId()));
        EXPECT_EQ(desk.helpCalls[0].file, MainF::helpFile());
        EXPECT_EQ(desk.helpCalls[0].command, 15);
        EXPECT_EQ(desk.helpCalls[0].data, 2);
    }
    EXPECT_TRUE(desk.boxes.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialogTest, MacBoxesTurnUpperCaseWhenLeft)
{
    startWith(recordArea());
    open();
    typeInto(box("MAC_txt", 0), QStringLiteral("zz"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(box("MAC_txt", 0)->text(), QStringLiteral("ZZ"));
    EXPECT_EQ(focusedName(), QStringLiteral("MAC_txt_1"));
    // Other boxes keep their case.
    typeInto(box("pc_txt", 1), QStringLiteral("abc"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(box("pc_txt", 1)->text(), QStringLiteral("abc"));

    // A click on the update button takes the focus first, so the stored byte is upper case.
    typeInto(box("MAC_txt", 29), QStringLiteral("0a"));
    closeWith("update_bt");
    EXPECT_EQ(storedRecord(1, 2), record("ZZ"));
    EXPECT_EQ(storedRecord(5, 7), record("0A"));
    EXPECT_EQ(storedRecord(2, 0), record("abc"));
    EXPECT_EQ(settingsStore().SettingsTable.value(5, 7), QStringLiteral("0A"));
}

TEST_F(SettingsDialogTest, UpdateWritesEveryFieldByTheRecordRules)
{
    // Spare fields of row 0 hold something; the update blanks them.
    startWith(recordArea({{1, "9"},
                          {2, "5"},
                          {3, "spare"},
                          {10, "also spare"},
                          {rec(3, 0), "Grey"},
                          {rec(3, 8), "2"},
                          {rec(4, 0), "Old"},
                          {rec(4, 8), "1"}}));
    open();
    typeInto(box("port_txt"), QStringLiteral("2304"));
    combo()->setCurrentIndex(4); // "7" chosen from the list
    typeInto(box("pc_txt", 0), QStringLiteral("Server"));
    typeInto(box("IP_txt", 0), QStringLiteral("127.0.0.10"));
    const QStringList mac{"00", "11", "a2", "3b", "44", "ff"};
    for (int j = 0; j < 6; ++j)
        typeInto(box("MAC_txt", j), mac[j]);
    QTest::mouseClick(check(0), Qt::LeftButton);
    typeInto(box("time_txt", 0), QStringLiteral("07:30:00"));
    // Trailing blanks go, leading ones stay; 25 characters are cut to 20.
    typeInto(box("pc_txt", 1), QStringLiteral("  Lead  "));
    typeInto(box("IP_txt", 1), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    typeInto(box("time_txt", 1), QStringLiteral("whenever"));
    // Row 4's name is cleared and its timer switched off.
    typeInto(box("pc_txt", 3), QString());
    QTest::keyClick(focused(), Qt::Key_Backspace);
    QTest::mouseClick(check(3), Qt::LeftButton);
    closeWith("update_bt");

    EXPECT_EQ(stored(), recordArea({{rec(0, 0), "2304"},   {rec(0, 1), "7"},
                                    {rec(1, 0), "Server"}, {rec(1, 1), "127.0.0.10"},
                                    {rec(1, 2), "00"},     {rec(1, 3), "11"},
                                    {rec(1, 4), "A2"},     {rec(1, 5), "3B"},
                                    {rec(1, 6), "44"},     {rec(1, 7), "FF"},
                                    {rec(1, 8), "1"},      {rec(1, 9), "07:30:00"},
                                    {rec(2, 0), "  Lead"}, {rec(2, 1), "abcdefghijklmnopqrst"},
                                    {rec(2, 8), "0"},      {rec(2, 9), "whenever"},
                                    {rec(3, 0), "Grey"},   {rec(3, 8), "2"},
                                    {rec(4, 8), "0"},      {rec(5, 8), "0"}}));
    EXPECT_TRUE(desk.boxes.isEmpty());

    // What is in force now is what the file holds.
    EXPECT_EQ(settingsStore().SettingsTable.value(0, 0), QStringLiteral("2304"));
    EXPECT_EQ(settingsStore().SettingsTable.value(2, 1), QStringLiteral("abcdefghijklmnopqrst"));

    // Reopening shows the stored values: blanks trimmed on the right only, the cut name, the grey box.
    open();
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("2304"));
    EXPECT_EQ(combo()->currentText(), QStringLiteral("7"));
    EXPECT_EQ(box("pc_txt", 1)->text(), QStringLiteral("  Lead"));
    EXPECT_EQ(box("IP_txt", 1)->text(), QStringLiteral("abcdefghijklmnopqrst"));
    EXPECT_EQ(box("MAC_txt", 4)->text(), QStringLiteral("44"));
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    EXPECT_EQ(check(2)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(check(3)->checkState(), Qt::Unchecked);
}

TEST_F(SettingsDialogTest, TimerBoxesFollowFlagsThatAreAStateAndClicksSwitchOnAndOff)
{
    startWith(
        recordArea({{rec(1, 8), "2"}, {rec(2, 8), "x"}, {rec(3, 8), "7"}, {rec(4, 8), "1"}, {rec(5, 8), " 1.0"}}));
    open();
    // A number written otherwise is still the number, as on the main window.
    ASSERT_EQ(check(4)->checkState(), Qt::Checked);
    // A click on a grey box checks it; from then on clicks switch between on and off.
    for (Qt::CheckState next : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
        QTest::mouseClick(check(0), Qt::LeftButton);
        EXPECT_EQ(check(0)->checkState(), next);
    }
    for (int k = 1; k <= 3; ++k)
        QTest::mouseClick(check(k), Qt::LeftButton);
    ASSERT_EQ(check(3)->checkState(), Qt::Unchecked);
    // A flag that is no state leaves its box as it was.
    settingsStore().LoadSettings();
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(check(k)->checkState(), k == 0 ? Qt::PartiallyChecked : Qt::Checked) << k;

    QTest::mouseClick(check(0), Qt::LeftButton);
    closeWith("update_bt");
    EXPECT_EQ(storedRecord(1, 8), record("1"));
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxThrowTheEditsAway)
{
    startWith(recordArea({{1, "9"}, {2, "5"}, {rec(1, 0), "Server"}, {rec(1, 8), "1"}, {rec(1, 9), "07:30:00"}}));
    const QByteArray before = stored();
    const SettingsGrid inForce = settingsStore().SettingsTable;
    for (const char *closer : {"cancel_bt", static_cast<const char *>(nullptr)}) {
        SCOPED_TRACE(closer ? closer : "close box");
        open();
        typeInto(box("port_txt"), QStringLiteral("7"));
        typeInto(box("pc_txt", 0), QStringLiteral("Changed"));
        QTest::mouseClick(check(0), Qt::LeftButton);
        closeWith(closer);
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(settingsStore().SettingsTable, inForce);

        // Reopening loads the dialog afresh with what the file holds.
        open();
        EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
        EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Server"));
        EXPECT_EQ(check(0)->checkState(), Qt::Checked);
        EXPECT_EQ(focusedName(), QStringLiteral("port_txt"));
        closeWith("cancel_bt");
    }
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST_F(SettingsDialogTest, OpeningAnOpenDialogBringsItForwardUnchanged)
{
    startWith(recordArea({{1, "9"}}));
    Settings *dialog = open();
    typeInto(box("IP_txt", 2), QStringLiteral("unsaved"));
    dialog->move(dialog->pos() + QPoint(30, 20));
    const QPoint moved = dialog->pos();
    // Something else is changed in the file meanwhile: an open dialog doesn't reload.
    writeAll(cwd.file(FileName), recordArea({{1, "1234"}}));

    EXPECT_EQ(open(), dialog);
    EXPECT_EQ(box("IP_txt", 2)->text(), QStringLiteral("unsaved"));
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
    EXPECT_EQ(focusedName(), QStringLiteral("IP_txt_2"));
    EXPECT_EQ(dialog->pos(), moved);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(), [](QWidget *w) { return w->objectName() == "Settings"; }),
              1);
}

TEST_F(SettingsDialogTest, TheListHoldsEightItemsAfterEveryOpening)
{
    startWith(recordArea({{2, "12"}}));
    auto listed = [&] {
        QStringList texts;
        for (int i = 0; i < combo()->count(); ++i)
            texts << combo()->itemText(i);
        return texts;
    };
    const QStringList items{"3", "4", "5", "6", "7", "8", "9", "10"};
    // Closed by cancel, by the close box and by update, in turn.
    for (const char *closer : {"cancel_bt", static_cast<const char *>(nullptr), "update_bt"}) {
        open();
        EXPECT_EQ(listed(), items);
        // A stored count outside the list shows as the text.
        EXPECT_EQ(combo()->currentText(), QStringLiteral("12"));
        closeWith(closer);
    }
    // A word shows as well.
    open();
    typeInto(combo()->lineEdit(), QStringLiteral("many"));
    closeWith("update_bt");
    open();
    EXPECT_EQ(combo()->currentText(), QStringLiteral("many"));
    EXPECT_EQ(listed(), items);
    EXPECT_EQ(storedRecord(0, 1), record("many"));
}

TEST_F(SettingsDialogTest, AReadOnlyFileShowsTheFailureOnceAndTheFileStays)
{
    startWith(recordArea({{1, "9"}, {2, "5"}, {rec(1, 0), "Server"}}));
    const QByteArray before = stored();
    makeReadOnly();

    open();
    typeInto(box("port_txt"), QStringLiteral("7"));
    typeInto(box("pc_txt", 0), QStringLiteral("Renamed"));
    closeWith("update_bt");

    expectErrorBox(desk, QStringLiteral("ファイル書込に失敗しました！"));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(settingsStore().SettingsTable.value(0, 0), QStringLiteral("9"));

    // The main window shows what the file holds, and so does the dialog.
    MainF *main = forms().mainF();
    EXPECT_EQ(main->findChild<QPushButton *>(QStringLiteral("PC_start_1"))->text(), QStringLiteral("Server 起動"));
    EXPECT_EQ(main->findChild<QLabel *>(QStringLiteral("port_lvl"))->text(), QStringLiteral("ポート番号 : 9"));
    open();
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Server"));
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
}

// A message box that runs events while it is up, as a real one does; meanwhile the program is ended
// from the tray menu.
class ExitWhileTheBoxIsUp : public FakeDesktop {
public:
    bool dialogGoneDuringBox = false;

    int messageBox(const QString &text, const QString &title, int style) override
    {
        const int answer = FakeDesktop::messageBox(text, title, style);
        QPointer<Settings> dialog = forms().loadedSettings();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [] { forms().UnloadAllForms(); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!dialog)
                loop.quit();
        });
        poll.start(1);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        dialogGoneDuringBox = dialog.isNull();
        return answer;
    }
};

TEST_F(SettingsDialogTest, EndingTheProgramWhileTheFailureIsShownEndsTheUpdate)
{
    startWith(recordArea({{rec(1, 0), "Server"}}));
    const QByteArray before = stored();
    makeReadOnly();
    ExitWhileTheBoxIsUp exiting;
    open();
    typeInto(box("pc_txt", 0), QStringLiteral("Renamed"));
    QTest::mouseClick(button("update_bt"), Qt::LeftButton);

    ASSERT_EQ(exiting.boxes.size(), 1);
    EXPECT_TRUE(exiting.dialogGoneDuringBox);
    // Nothing is loaded again after the exit.
    EXPECT_EQ(forms().loadedSettings(), nullptr);
    EXPECT_EQ(forms().loadedMainF(), nullptr);
    EXPECT_EQ(stored(), before);
}

TEST_F(SettingsDialogTest, TheMainWindowAndTheTrayMenuShowNewNamesAtOnce)
{
    startWith(recordArea({{rec(1, 0), "Server"}}));
    MainF *main = forms().mainF();
    ASSERT_EQ(main->findChild<QPushButton *>(QStringLiteral("PC_start_1"))->text(), QStringLiteral("Server 起動"));
    open();
    typeInto(box("pc_txt", 0), QStringLiteral("Desk"));
    typeInto(box("pc_txt", 1), QStringLiteral("Laptop"));
    closeWith("update_bt");
    // The buttons, and the entries of the menu that the tray icon's left button pops up.
    for (const auto &[n, name] : {std::pair{1, "Desk"}, std::pair{2, "Laptop"}}) {
        const QString caption = QLatin1String(name) + QStringLiteral(" 起動");
        EXPECT_EQ(main->findChild<QPushButton *>(QStringLiteral("PC_start_%1").arg(n))->text(), caption);
        QAction *entry = main->findChild<QAction *>(QStringLiteral("PC%1_start").arg(n));
        ASSERT_TRUE(entry && main->mainMenu()->actions().contains(entry));
        EXPECT_EQ(entry->text(), caption);
    }
}

} // namespace
