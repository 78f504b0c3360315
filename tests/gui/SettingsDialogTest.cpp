#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include "support/FakeDesktop.h"
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

// One record as the file holds it: the text in single bytes, padded with blanks to 20.
QByteArray record(const QByteArray &text)
{
    return text.leftJustified(20, ' ', true);
}

// A whole file from the records given (1-based), every other record 20 blanks.
QByteArray fileWith(const std::map<int, QByteArray> &records)
{
    QByteArray bytes;
    for (int k = 1; k <= 60; ++k) {
        const auto it = records.find(k);
        bytes += record(it == records.end() ? QByteArray() : it->second);
    }
    return bytes;
}

// Field (row, column) is record 10·row + column + 1.
int rec(int row, int column)
{
    return 10 * row + column + 1;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsTable = SettingsGrid();
        SettingsEditTable = SettingsGrid();
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
    QLineEdit *box(const char *array, int index)
    {
        return box(QLatin1String(array) + QLatin1Char('_') + QString::number(index));
    }
    QCheckBox *check(int index) { return control<QCheckBox>(QStringLiteral("timer_chk_%1").arg(index)); }
    QComboBox *combo() { return control<QComboBox>(QStringLiteral("send_qty_cmb")); }
    QPushButton *button(const char *name) { return control<QPushButton>(QLatin1String(name)); }

    // Types into a box the way a user does: click into it, then the keys.
    void typeInto(QLineEdit *target, const QString &text, bool replace = true)
    {
        QTest::mouseClick(target, Qt::LeftButton);
        if (replace)
            target->selectAll();
        QTest::keyClicks(target, text);
    }

    // Clicks a dialog button and waits until the dialog is gone.
    void clickAndWaitClosed(const char *name)
    {
        QPointer<Settings> dialog = forms().loadedSettings();
        QTest::mouseClick(button(name), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 10000));
        EXPECT_EQ(forms().loadedSettings(), nullptr);
    }

    static QWidget *focused() { return QApplication::focusWidget(); }
    static QString focusedName() { return focused() ? focused()->objectName() : QStringLiteral("(none)"); }

    TempCwd cwd;
    FakeDesktop desk;
    std::unique_ptr<Forms> registry;
};

TEST_F(SettingsDialogTest, StartUpLoadsTheDialogHiddenAndFilled)
{
    startWith(fileWith({{1, "9"},
                        {2, "5"},
                        {rec(1, 0), "Server"},
                        {rec(1, 1), "192.168.0.10"},
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
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
    EXPECT_EQ(combo()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Server"));
    EXPECT_EQ(box("IP_txt", 0)->text(), QStringLiteral("192.168.0.10"));
    EXPECT_EQ(box("MAC_txt", 0)->text(), QStringLiteral("00"));
    EXPECT_EQ(box("MAC_txt", 1)->text(), QString());
    EXPECT_EQ(box("MAC_txt", 5)->text(), QStringLiteral("55"));
    EXPECT_EQ(box("time_txt", 0)->text(), QStringLiteral("07:30:00"));
    EXPECT_EQ(box("pc_txt", 4)->text(), QStringLiteral("  Lead"));
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    EXPECT_EQ(check(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(check(2)->checkState(), Qt::PartiallyChecked);
    // A flag that is no number leaves the box as it was.
    EXPECT_EQ(check(3)->checkState(), Qt::Unchecked);

    // Opening shows that same dialog, centred on the screen, with the focus on the port.
    EXPECT_EQ(open(), dialog);
    const QRect screen = dialog->screen()->geometry();
    EXPECT_LE((dialog->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(focusedName(), QStringLiteral("port_txt"));
}

TEST_F(SettingsDialogTest, WindowAndControlsHaveTheirPlacesAndCaptions)
{
    startWith(fileWith({}));
    Settings *dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(dialog->size(), QSize(524, 211));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialog->parentWidget(), nullptr);
    EXPECT_FALSE(dialog->isModal());
    const QIcon icon = dialog->windowIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));

    struct Expected {
        QString name;
        QString caption;
        QRect twips;
    };
    QList<Expected> captions{
        {QStringLiteral("Label1"), QStringLiteral("ポート番号"), {240, 120, 1095, 255}},
        {QStringLiteral("Label2"), QStringLiteral("マジックパケット送信回数"), {240, 480, 2055, 255}},
        {QStringLiteral("Label3"), QStringLiteral("PC名"), {600, 1080, 615, 255}},
        {QStringLiteral("Label4"), QStringLiteral("Host or IPアドレス"), {1920, 960, 855, 375}},
        {QStringLiteral("Label5"), QStringLiteral("MACアドレス"), {4080, 1080, 975, 255}},
        {QStringLiteral("Label11"), QStringLiteral("ﾀｲﾏｰON/時間(hh:mm:ss)"), {5880, 1080, 1935, 255}},
    };
    for (int n = 1; n <= 5; ++n)
        captions.append(
            {QStringLiteral("Label%1").arg(5 + n), QString::number(n), {120, 1320 + 360 * (n - 1), 135, 255}});
    auto px = [](const QRect &t) { return QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15); };
    for (const Expected &e : captions) {
        auto *l = control<QLabel>(e.name);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->text(), e.caption) << e.name.toStdString();
        EXPECT_EQ(l->geometry(), px(e.twips)) << e.name.toStdString();
        // The caption fits its label in the dialog's font: nothing clipped.
        const QRect need = l->fontMetrics().boundingRect(
            QRect(0, 0, l->width(), 1000), int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0), e.caption);
        EXPECT_LE(need.width(), l->width()) << e.name.toStdString();
        EXPECT_LE(need.height(), l->height()) << e.name.toStdString();
    }
    EXPECT_TRUE(control<QLabel>(QStringLiteral("Label4"))->wordWrap());
    EXPECT_TRUE(control<QLabel>(QStringLiteral("Label3"))->alignment() & Qt::AlignHCenter);

    EXPECT_EQ(button("update_bt")->text(), QStringLiteral("更新(&U)"));
    EXPECT_EQ(button("cancel_bt")->text(), QStringLiteral("キャンセル(&C)"));
    for (const char *name : {"update_bt", "cancel_bt"}) {
        QPushButton *b = button(name);
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))), b->width() - 8);
    }

    std::map<QString, QRect> places{
        {QStringLiteral("port_txt"), {2640, 120, 855, 270}},
        {QStringLiteral("send_qty_cmb"), {2640, 480, 855, 300}},
        {QStringLiteral("update_bt"), {6480, 120, 1215, 375}},
        {QStringLiteral("cancel_bt"), {6480, 600, 1215, 375}},
    };
    for (int k = 0; k < 5; ++k) {
        const int top = 1320 + 360 * k;
        places[QStringLiteral("pc_txt_%1").arg(k)] = {360, top, 1095, 270};
        places[QStringLiteral("IP_txt_%1").arg(k)] = {1680, top, 1215, 270};
        for (int j = 0; j < 6; ++j)
            places[QStringLiteral("MAC_txt_%1").arg(6 * k + j)] = {3120 + 480 * j, top, 375, 270};
        places[QStringLiteral("timer_chk_%1").arg(k)] = {6120, top, 255, 375};
        places[QStringLiteral("time_txt_%1").arg(k)] = {6480, top, 1215, 270};
    }
    for (const auto &[name, twips] : places) {
        QWidget *w = control<QWidget>(name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), px(twips)) << name.toStdString();
        EXPECT_EQ(w->parentWidget(), dialog) << name.toStdString();
    }
    EXPECT_TRUE(check(0)->text().isEmpty());
    // Every box starts empty and takes any length.
    EXPECT_EQ(box("pc_txt", 0)->maxLength(), QLineEdit().maxLength());
}

TEST_F(SettingsDialogTest, TabAndEnterWalkTheFocusOrder)
{
    startWith(fileWith({}));
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
    const QByteArray before = readAll(cwd.file(FileName));
    const qsizetype updateAt = order.indexOf(QStringLiteral("update_bt"));
    for (qsizetype i = 1; i <= updateAt; ++i) {
        QTest::keyClick(focused(), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return focusedName() == order[i]; }, 5000))
            << "Enter number " << i << " left the focus on " << focusedName().toStdString();
    }
    // Let anything else that the last Enter could have caused happen: the button is not pressed.
    QTest::qWait(50);
    EXPECT_EQ(focusedName(), QStringLiteral("update_bt"));
    EXPECT_NE(forms().loadedSettings(), nullptr);
    EXPECT_TRUE(forms().loadedSettings()->isVisible());
    EXPECT_EQ(readAll(cwd.file(FileName)), before);
    EXPECT_TRUE(desk.boxes.isEmpty());

    // The keypad's Enter and Enter with a modifier do the same.
    box("port_txt")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return focusedName() == QStringLiteral("send_qty_cmb"); }, 5000));
    QTest::keyClick(focused(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return focusedName() == QStringLiteral("pc_txt_0"); }, 5000));
}

TEST_F(SettingsDialogTest, EnterKeepsWhatWasTypedAndTheListStaysAsItIs)
{
    startWith(fileWith({{1, "9"}, {2, "5"}}));
    open();
    QComboBox *count = combo();
    QTest::mouseClick(count->lineEdit(), Qt::LeftButton);
    count->lineEdit()->selectAll();
    QTest::keyClicks(focused(), QStringLiteral("12"));
    QTest::keyClick(focused(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focusedName() == QStringLiteral("pc_txt_0"); }, 5000));
    EXPECT_EQ(count->currentText(), QStringLiteral("12"));
    EXPECT_EQ(count->count(), 8);
    // No completion from the list: typing 1 stays 1 and doesn't become 10.
    QTest::mouseClick(count->lineEdit(), Qt::LeftButton);
    count->lineEdit()->selectAll();
    QTest::keyClicks(focused(), QStringLiteral("1"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(count->currentText(), QStringLiteral("1"));

    typeInto(box("pc_txt", 0), QStringLiteral("Alpha"));
    QTest::keyClick(focused(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focusedName() == QStringLiteral("IP_txt_0"); }, 5000));
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Alpha"));
}

TEST_F(SettingsDialogTest, EscDoesNotCloseTheDialog)
{
    startWith(fileWith({{1, "9"}}));
    Settings *dialog = open();
    typeInto(box("port_txt"), QStringLiteral("10"));
    QTest::keyClick(focused(), Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_EQ(forms().loadedSettings(), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("10"));
}

TEST_F(SettingsDialogTest, F1OpensTheSettingsTopic)
{
    startWith(fileWith({}));
    Settings *dialog = open();
    for (const QString &name : {QStringLiteral("port_txt"), QStringLiteral("send_qty_cmb"), QStringLiteral("MAC_txt_7"),
                                QStringLiteral("timer_chk_4"), QStringLiteral("cancel_bt")}) {
        control<QWidget>(name)->setFocus();
        desk.helpCalls.clear();
        QTest::keyClick(focused(), Qt::Key_F1);
        ASSERT_EQ(desk.helpCalls.size(), 1) << name.toStdString();
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
    startWith(fileWith({}));
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
    clickAndWaitClosed("update_bt");
    const QByteArray bytes = readAll(cwd.file(FileName));
    EXPECT_EQ(bytes.mid((rec(1, 2) - 1) * 20, 20), record("ZZ"));
    EXPECT_EQ(bytes.mid((rec(5, 7) - 1) * 20, 20), record("0A"));
    EXPECT_EQ(bytes.mid((rec(2, 0) - 1) * 20, 20), record("abc"));
    EXPECT_EQ(SettingsTable.value(5, 7), QStringLiteral("0A"));
}

TEST_F(SettingsDialogTest, UpdateWritesEveryFieldByTheRecordRules)
{
    // Spare fields of row 0 hold something; the update blanks them.
    startWith(fileWith({{1, "9"},
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
    typeInto(box("IP_txt", 0), QStringLiteral("192.168.0.10"));
    const QStringList mac{QStringLiteral("00"), QStringLiteral("11"), QStringLiteral("a2"),
                          QStringLiteral("3b"), QStringLiteral("44"), QStringLiteral("ff")};
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
    clickAndWaitClosed("update_bt");

    const QByteArray expected = fileWith({{rec(0, 0), "2304"},   {rec(0, 1), "7"},
                                          {rec(1, 0), "Server"}, {rec(1, 1), "192.168.0.10"},
                                          {rec(1, 2), "00"},     {rec(1, 3), "11"},
                                          {rec(1, 4), "A2"},     {rec(1, 5), "3B"},
                                          {rec(1, 6), "44"},     {rec(1, 7), "FF"},
                                          {rec(1, 8), "1"},      {rec(1, 9), "07:30:00"},
                                          {rec(2, 0), "  Lead"}, {rec(2, 1), "abcdefghijklmnopqrst"},
                                          {rec(2, 8), "0"},      {rec(2, 9), "whenever"},
                                          {rec(3, 0), "Grey"},   {rec(3, 8), "2"},
                                          {rec(4, 8), "0"},      {rec(5, 8), "0"}});
    ASSERT_EQ(expected.size(), 1200);
    EXPECT_EQ(readAll(cwd.file(FileName)), expected);
    EXPECT_TRUE(desk.boxes.isEmpty());

    // What is in force now is what the file holds.
    EXPECT_EQ(SettingsTable.value(0, 0), QStringLiteral("2304"));
    EXPECT_EQ(SettingsTable.value(2, 0), QStringLiteral("  Lead"));
    EXPECT_EQ(SettingsTable.value(2, 1), QStringLiteral("abcdefghijklmnopqrst"));

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

TEST_F(SettingsDialogTest, AClickOnAGreyTimerBoxChecksIt)
{
    startWith(fileWith({{rec(1, 8), "2"}, {rec(2, 8), "2"}}));
    open();
    ASSERT_EQ(check(0)->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(check(0), Qt::LeftButton);
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    // From then on clicks only switch between on and off.
    QTest::mouseClick(check(0), Qt::LeftButton);
    EXPECT_EQ(check(0)->checkState(), Qt::Unchecked);
    QTest::mouseClick(check(0), Qt::LeftButton);
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    clickAndWaitClosed("update_bt");
    const QByteArray bytes = readAll(cwd.file(FileName));
    EXPECT_EQ(bytes.mid((rec(1, 8) - 1) * 20, 20), record("1"));
    EXPECT_EQ(bytes.mid((rec(2, 8) - 1) * 20, 20), record("2"));
}

TEST_F(SettingsDialogTest, LoadingLeavesATimerBoxAloneForAFlagThatIsNoState)
{
    startWith(fileWith({{rec(1, 8), "x"}, {rec(2, 8), "7"}, {rec(3, 8), "1"}, {rec(4, 8), " 1.0"}}));
    open();
    // A number written otherwise is still the number, as on the main window.
    ASSERT_EQ(check(3)->checkState(), Qt::Checked);
    QTest::mouseClick(check(0), Qt::LeftButton);
    QTest::mouseClick(check(1), Qt::LeftButton);
    QTest::mouseClick(check(2), Qt::LeftButton);
    ASSERT_EQ(check(2)->checkState(), Qt::Unchecked);
    LoadSettings();
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    EXPECT_EQ(check(1)->checkState(), Qt::Checked);
    EXPECT_EQ(check(2)->checkState(), Qt::Checked);
    EXPECT_EQ(check(3)->checkState(), Qt::Checked);
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxThrowTheEditsAway)
{
    startWith(fileWith({{1, "9"}, {2, "5"}, {rec(1, 0), "Server"}, {rec(1, 8), "1"}, {rec(1, 9), "07:30:00"}}));
    const QByteArray before = readAll(cwd.file(FileName));
    const SettingsGrid inForce = SettingsTable;

    open();
    typeInto(box("port_txt"), QStringLiteral("7"));
    typeInto(box("pc_txt", 0), QStringLiteral("Changed"));
    QTest::mouseClick(check(0), Qt::LeftButton);
    clickAndWaitClosed("cancel_bt");
    EXPECT_EQ(readAll(cwd.file(FileName)), before);
    EXPECT_EQ(SettingsTable, inForce);

    // Reopening loads the dialog afresh with what the file holds.
    open();
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Server"));
    EXPECT_EQ(check(0)->checkState(), Qt::Checked);
    EXPECT_EQ(focusedName(), QStringLiteral("port_txt"));

    typeInto(box("pc_txt", 0), QStringLiteral("Again"));
    QPointer<Settings> dialog = forms().loadedSettings();
    dialog->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 10000));
    EXPECT_EQ(forms().loadedSettings(), nullptr);
    EXPECT_EQ(readAll(cwd.file(FileName)), before);
    EXPECT_EQ(SettingsTable, inForce);
    open();
    EXPECT_EQ(box("pc_txt", 0)->text(), QStringLiteral("Server"));
    EXPECT_TRUE(desk.boxes.isEmpty());
}

TEST_F(SettingsDialogTest, OpeningAnOpenDialogBringsItForwardUnchanged)
{
    startWith(fileWith({{1, "9"}}));
    Settings *dialog = open();
    typeInto(box("IP_txt", 2), QStringLiteral("unsaved"));
    dialog->move(dialog->pos() + QPoint(30, 20));
    const QPoint moved = dialog->pos();
    // Something else is changed in the file meanwhile: an open dialog doesn't reload.
    writeAll(cwd.file(FileName), fileWith({{1, "1234"}}));

    EXPECT_EQ(open(), dialog);
    EXPECT_EQ(box("IP_txt", 2)->text(), QStringLiteral("unsaved"));
    EXPECT_EQ(box("port_txt")->text(), QStringLiteral("9"));
    EXPECT_EQ(focusedName(), QStringLiteral("IP_txt_2"));
    EXPECT_EQ(dialog->pos(), moved);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget *w) { return w->objectName() == QStringLiteral("Settings"); }),
              1);
}

TEST_F(SettingsDialogTest, TheListHoldsEightItemsAfterEveryOpening)
{
    startWith(fileWith({{2, "12"}}));
    const QStringList items{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                            QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10")};
    auto listed = [&] {
        QStringList texts;
        for (int i = 0; i < combo()->count(); ++i)
            texts << combo()->itemText(i);
        return texts;
    };
    // Closed by cancel, by the close box and by update, in turn.
    for (int round = 0; round < 3; ++round) {
        open();
        EXPECT_EQ(listed(), items) << "opening " << round;
        // A stored count outside the list shows as the text.
        EXPECT_EQ(combo()->currentText(), QStringLiteral("12"));
        if (round == 0) {
            clickAndWaitClosed("cancel_bt");
        } else if (round == 1) {
            QPointer<Settings> dialog = forms().loadedSettings();
            dialog->close();
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 10000));
        } else {
            clickAndWaitClosed("update_bt");
        }
    }
    // A word shows as well.
    open();
    typeInto(combo()->lineEdit(), QStringLiteral("many"));
    clickAndWaitClosed("update_bt");
    open();
    EXPECT_EQ(combo()->currentText(), QStringLiteral("many"));
    EXPECT_EQ(listed(), items);
    EXPECT_EQ(readAll(cwd.file(FileName)).mid(20, 20), record("many"));
}

TEST_F(SettingsDialogTest, AReadOnlyFileShowsTheFailureOnceAndTheFileStays)
{
    startWith(fileWith({{1, "9"}, {2, "5"}, {rec(1, 0), "Server"}}));
    const QByteArray before = readAll(cwd.file(FileName));
    ASSERT_TRUE(QFile::setPermissions(cwd.file(FileName), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    open();
    typeInto(box("port_txt"), QStringLiteral("7"));
    typeInto(box("pc_txt", 0), QStringLiteral("Renamed"));
    clickAndWaitClosed("update_bt");

    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(desk.boxes[0].text, QStringLiteral("ファイル書込に失敗しました！"));
    EXPECT_EQ(desk.boxes[0].title, QStringLiteral("Error"));
    EXPECT_EQ(desk.boxes[0].style, 16);
    EXPECT_EQ(readAll(cwd.file(FileName)), before);
    EXPECT_EQ(SettingsTable.value(0, 0), QStringLiteral("9"));
    EXPECT_EQ(SettingsTable.value(1, 0), QStringLiteral("Server"));

    // The main window shows what the file holds.
    MainF *main = forms().mainF();
    auto *start1 = main->findChild<QPushButton *>(QStringLiteral("PC_start_1"));
    auto *port = main->findChild<QLabel *>(QStringLiteral("port_lvl"));
    ASSERT_NE(start1, nullptr);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(start1->text(), QStringLiteral("Server 起動"));
    EXPECT_EQ(port->text(), QStringLiteral("ポート番号 : 9"));

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
        QTimer::singleShot(0, &loop, [] { UnloadAllForms(); });
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
    startWith(fileWith({{rec(1, 0), "Server"}}));
    const QByteArray before = readAll(cwd.file(FileName));
    ASSERT_TRUE(QFile::setPermissions(cwd.file(FileName), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ExitWhileTheBoxIsUp exiting;
    open();
    typeInto(box("pc_txt", 0), QStringLiteral("Renamed"));
    QTest::mouseClick(button("update_bt"), Qt::LeftButton);

    ASSERT_EQ(exiting.boxes.size(), 1);
    EXPECT_TRUE(exiting.dialogGoneDuringBox);
    // Nothing is loaded again after the exit.
    EXPECT_EQ(forms().loadedSettings(), nullptr);
    EXPECT_EQ(forms().loadedMainF(), nullptr);
    EXPECT_EQ(readAll(cwd.file(FileName)), before);
}

TEST_F(SettingsDialogTest, TheMainWindowAndTheTrayMenuShowNewNamesAtOnce)
{
    startWith(fileWith({{rec(1, 0), "Server"}}));
    MainF *main = forms().mainF();
    auto *start1 = main->findChild<QPushButton *>(QStringLiteral("PC_start_1"));
    auto *start2 = main->findChild<QPushButton *>(QStringLiteral("PC_start_2"));
    // The entries of the menu that the tray icon's left button pops up.
    auto entry = [main](const QString &name) -> QAction * {
        const QList<QAction *> entries = main->mainMenu()->actions();
        const auto it =
            std::find_if(entries.begin(), entries.end(), [&](const QAction *a) { return a->objectName() == name; });
        return it == entries.end() ? nullptr : *it;
    };
    QAction *entry1 = entry(QStringLiteral("PC1_start"));
    QAction *entry2 = entry(QStringLiteral("PC2_start"));
    ASSERT_NE(start1, nullptr);
    ASSERT_NE(start2, nullptr);
    ASSERT_NE(entry1, nullptr);
    ASSERT_NE(entry2, nullptr);
    ASSERT_EQ(start1->text(), QStringLiteral("Server 起動"));

    open();
    typeInto(box("pc_txt", 0), QStringLiteral("Desk"));
    typeInto(box("pc_txt", 1), QStringLiteral("Laptop"));
    clickAndWaitClosed("update_bt");
    EXPECT_EQ(start1->text(), QStringLiteral("Desk 起動"));
    EXPECT_EQ(entry1->text(), QStringLiteral("Desk 起動"));
    EXPECT_EQ(start2->text(), QStringLiteral("Laptop 起動"));
    EXPECT_EQ(entry2->text(), QStringLiteral("Laptop 起動"));
}

} // namespace
