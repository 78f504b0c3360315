// The settings dialog among machines of a switch: the MAC learned when a host box is left, and the
// finder's list and the row it fills.

#include "ui/settings/Finder.h"
#include "app/Forms.h"
#include "netns/NetnsFixtures.h"
#include "support/FakeDesktop.h"
#include "support/Netns.h"
#include "support/PrivateNetwork.h"
#include "support/TempDir.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString Pc2 = QStringLiteral("02:00:00:00:09:02"), Pc3 = QStringLiteral("02:00:00:00:09:03"),
              Pc4 = QStringLiteral("02:00:00:00:09:04");

// The settings dialog of a program in namespace a, at 10.200.9.1/24 behind a switch with the PCs.
class NetworkDialog : public Links {
protected:
    void SetUp() override
    {
        Links::SetUp();
        if (IsSkipped())
            return;
        sw = net.add("sw"), a = net.add("a");
        ASSERT_TRUE(net.plug(sw, a, "eth0", {"10.200.9.1/24"})) << net.lastError().toStdString();
        ASSERT_TRUE(net.allowUnprivilegedPing(a));
    }

    // A machine at 10.200.9.last with this MAC; a firewalled one drops every ping and connection.
    void machine(int last, const QString &mac, bool firewalled = false)
    {
        const QString ns = net.add(QString::number(last));
        ASSERT_TRUE(net.plug(sw, ns, "eth0", {QStringLiteral("10.200.9.%1/24").arg(last)}, mac))
            << net.lastError().toStdString();
        ASSERT_TRUE(!firewalled || net.wall(ns));
    }

    // The settings dialog of a program running in namespace a.
    Settings *open()
    {
        EXPECT_TRUE(net.enter(a));
        forms = std::make_unique<Forms>();
        forms->mainF()->Settings_bt_Click();
        Settings *dialog = forms->loadedSettings();
        EXPECT_TRUE(dialog && QTest::qWaitForWindowActive(dialog));
        return dialog;
    }
    void TearDown() override
    {
        forms.reset();
        net.leave();
    }
    QLineEdit *box(const QString &name) { return forms->loadedSettings()->findChild<QLineEdit *>(name); }
    QStringList mac(int k)
    {
        QStringList texts;
        for (int j = 0; j < 6; ++j)
            texts << box(QStringLiteral("MAC_txt_%1").arg(6 * k + j))->text();
        return texts;
    }
    void type(const QString &name, const QString &text)
    {
        QTest::mouseClick(box(name), Qt::LeftButton);
        QTest::keyClicks(box(name), text);
    }

    QString sw, a;
    TempCwd cwd;
    FakeDesktop desktop;
    std::unique_ptr<Forms> forms;
};

TEST_F(NetworkDialog, LeavingAHostBoxFillsTheMacOfAnOnLinkMachineButNeverOverATypedOne)
{
    machine(2, Pc2);
    machine(3, Pc3, true);
    open();
    // Row 1 learns; row 2's first box gets text while its answer is on its way; row 3 had text before.
    type("IP_txt_0", "10.200.9.3");
    QTest::keyClick(box("IP_txt_0"), Qt::Key_Tab);
    type("IP_txt_1", "10.200.9.2");
    QTest::keyClick(box("IP_txt_1"), Qt::Key_Tab);
    QTest::keyClicks(box("MAC_txt_6"), "ab");
    type("MAC_txt_17", "1");
    type("IP_txt_2", "10.200.9.2");
    QTest::keyClick(box("IP_txt_2"), Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mac(0) == Pc3.toUpper().split(':'); }, 5000))
        << mac(0).join(QLatin1Char(' ')).toStdString();
    QTest::qWait(2500);
    EXPECT_EQ(mac(1), QStringList({"AB", "", "", "", "", ""}));
    EXPECT_EQ(mac(2), QStringList({"", "", "", "", "", "1"}));
}

TEST_F(NetworkDialog, TheFinderListsTheMachinesOfTheLinkAndAChosenOneFillsARow)
{
    // .2's name is longer than a host box keeps: the box gets the address, the name box the first label.
    const Overlay hosts("/etc/hosts", "10.200.9.2 a-machine-named-at-length.orvane.test\n");
    ASSERT_TRUE(hosts.mounted());
    machine(2, Pc2);
    machine(3, Pc3, true);
    machine(4, Pc4);
    Settings *dialog = open();
    dialog->move(dialog->screen()->availableGeometry().topLeft()); // room below it, none beside it
    // PC2 is the firewalled machine, but its host box holds an address it no longer has.
    box("IP_txt_1")->setText("10.200.9.99");
    const QStringList pc3 = Pc3.split(':');
    for (int j = 0; j < 6; ++j)
        box(QStringLiteral("MAC_txt_%1").arg(6 + j))->setText(pc3[j]);
    box("pc_txt_0")->setText("Server");
    box("IP_txt_0")->setText("10.200.9.250");
    // PC4's host is a name for .4 that no reverse lookup gives back (as a hosts file's or an mDNS name).
    box("IP_txt_3")->setText("10.200.2308");
    const QStringList pc4 = Pc4.split(':');
    for (int j = 0; j < 6; ++j)
        box(QStringLiteral("MAC_txt_%1").arg(18 + j))->setText(pc4[j]);

    dialog->findChild<QPushButton *>("find_bt")->click();
    Finder *finder = dialog->finder();
    ASSERT_TRUE(finder && QTest::qWaitForWindowExposed(finder));
    auto *list = finder->findChild<QTreeView *>("machines_lst");
    // Row i as the list shows it, sorted.
    const auto at = [list](int i, int column = 0) { return list->model()->index(i, column); };
    const auto choose = [&](int i) { list->setCurrentIndex(at(i)); };
    auto *again = finder->findChild<QPushButton *>("again_bt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return again->isEnabled(); }, 30000));
    const auto lines = [list] {
        QStringList all;
        for (int i = 0; i < list->model()->rowCount(); ++i) {
            const QAbstractItemModel *m = list->model();
            all << m->index(i, 0).data().toString() + ' ' + m->index(i, 1).data().toString() + ' ' +
                       m->index(i, 4).data().toString();
        }
        return all;
    };
    const QStringList expected{"10.200.9.2 " + Pc2 + " ", "10.200.9.3 " + Pc3 + " PC2（新しいアドレス）",
                               "10.200.9.4 " + Pc4 + " PC4"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines() == expected; }, 5000)) << lines().join('\n').toStdString();
    EXPECT_TRUE(finder->findChild<QLabel *>("state_lbl")->text().startsWith("見つかった機器：3 台"));
    EXPECT_FALSE(finder->frameGeometry().intersects(dialog->frameGeometry())) << "over the rows";
    EXPECT_FALSE(finder->findChild<QWidget *>("sweep_bar")->isVisible());

    // Choosing PC2's machine offers PC2; filling it updates the host box.
    // (Which machine is chosen first depends on which answered first.)
    auto *row = finder->findChild<QComboBox *>("row_cmb");
    choose(1);
    EXPECT_EQ(row->currentText(), "PC2（10.200.9.99）");
    finder->findChild<QPushButton *>("fill_bt")->click();
    EXPECT_EQ(box("IP_txt_1")->text(), "10.200.9.3");
    EXPECT_EQ(at(1, 4).data().toString(), "PC2");
    // A machine that is no PC yet is offered the first free row, not the PC chosen before; a row with a
    // MAC but no host is not free.
    box("MAC_txt_12")->setText("02");
    choose(0);
    EXPECT_EQ(row->currentIndex(), 4);
    // With every row in use, no row is chosen for a new machine: the user picks one, and replacing
    // another PC asks first and takes its name away with its MAC.
    box("pc_txt_2")->setText("nas");
    box("IP_txt_2")->setText("nas.lan");
    box("MAC_txt_24")->setText("02");
    box("IP_txt_4")->setText("10.200.9.5");
    choose(2);
    choose(0);
    auto *fill = finder->findChild<QPushButton *>("fill_bt");
    EXPECT_EQ(std::pair(row->currentIndex(), fill->isEnabled()), std::pair(-1, false));
    row->setCurrentIndex(2);
    EXPECT_EQ(row->currentText(), "PC3（nas、nas.lan）");
    desktop.boxAnswers = {7, 6}; // No, then Yes
    for (int answer = 0; answer < 2; ++answer)
        QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(desktop.boxes.size(), 2);
    EXPECT_EQ(std::get<0>(desktop.boxes[0]), "PC3（nas、nas.lan） を、見つかった機器（" + Pc2.toUpper() +
                                                 "、10.200.9.2）で置き換えますか？\r\n名前も置き換わります。");
    EXPECT_EQ(std::tuple(box("pc_txt_2")->text(), box("IP_txt_2")->text(), mac(2)),
              std::tuple(QString("a-machine-named-at-length"), QString("10.200.9.2"), Pc2.toUpper().split(':')));
}

} // namespace
