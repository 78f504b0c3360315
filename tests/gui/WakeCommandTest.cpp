// The wake command as the main window runs it: datagrams, message boxes, sound and the notice.

#include "app/Forms.h"
#include "app/SettingsModule.h"
#include "common/QzCmn14.h"
#include "core/WakeLoopback.h"
#include "support/FakeDesktop.h"
#include "wake/Dialog.h"
#include "wake/PcStart.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

using namespace orvane;
using namespace orvane::test;

namespace {

const QByteArray Mac("\x00\x11\x22\x33\x44\x55", 6);

class WakeCommand : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.ok());
        for (int r = 0; r < SettingsRows; ++r)
            for (int c = 0; c < SettingsColumns; ++c)
                SettingsTable.set(r, c, QString());
        SettingsTable.set(0, 0, QString::number(target.port()));
        SettingsTable.set(0, 1, "3");
        setPc(2, "Server", "127.0.0.1", {"00", "11", "22", "33", "44", "55"});
    }

    static void setPc(int pc, const QString &name, const QString &host, const QStringList &mac)
    {
        SettingsTable.set(pc, 0, name);
        SettingsTable.set(pc, 1, host);
        for (int i = 0; i < 6; ++i)
            SettingsTable.set(pc, 2 + i, mac.value(i));
    }

    // Only the error box and its beep, nothing sent, no sound, no notice.
    void expectRefused(const QString &text)
    {
        ASSERT_EQ(desktop.boxes.size(), 1);
        EXPECT_EQ(desktop.boxes[0].text, text);
        EXPECT_EQ(desktop.boxes[0].title, "Error");
        EXPECT_EQ(desktop.boxes[0].style, 16);
        EXPECT_EQ(desktop.beeps, QList<int>{48});
        EXPECT_TRUE(desktop.sounds.isEmpty());
        EXPECT_EQ(forms.loadedDialog(), nullptr);
        EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
    }

    static QString label(Dialog *d) { return d->findChild<QLabel *>("start_lvl")->text(); }

    FakeDesktop desktop;
    LoopbackTarget target;
    Forms forms;
    QzCmn14 common;
};

} // namespace

TEST_F(WakeCommand, SendsSoundsAndShowsTheNotice)
{
    PC_start_Click(common, 2);
    const auto got = target.rx().receive(3);
    ASSERT_EQ(got.size(), 3);
    for (const auto &d : got) {
        EXPECT_EQ(d.data, expectedPacket(Mac));
        EXPECT_EQ(d.destinationPort, target.port());
        EXPECT_EQ(d.senderPort, target.port() + 1);
    }
    EXPECT_EQ(MagicPacket, expectedPacket(Mac));
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_EQ(desktop.sounds, QList<QString>{"64"});
    EXPECT_EQ(StartedPcName, "Server");
    Dialog *notice = forms.loadedDialog();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(label(notice), QString::fromUtf8("Server を起動しました！"));
}

TEST_F(WakeCommand, NoticeLayout)
{
    PC_start_Click(common, 2);
    Dialog *notice = forms.loadedDialog();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->windowTitle(), "Wake up!");
    EXPECT_EQ(notice->size(), QSize(193, 61));
    EXPECT_EQ(notice->minimumSize(), notice->maximumSize());
    const Qt::WindowFlags f = notice->windowFlags();
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool); // no taskbar entry
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(notice->isModal());
    auto *label = notice->findChild<QLabel *>("start_lvl");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(16, 24, 161, 17));
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    auto *timer = notice->findChild<QTimer *>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isActive());
    const QRect screen = notice->screen()->availableGeometry();
    EXPECT_LE(qAbs(notice->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(qAbs(notice->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(WakeCommand, NoticeClosesItselfAndTheNextOneIsNew)
{
    PC_start_Click(common, 2);
    Dialog *notice = forms.loadedDialog();
    ASSERT_NE(notice, nullptr);
    notice->findChild<QTimer *>("Timer1")->setInterval(50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return forms.loadedDialog() == nullptr; }, 10000));
    SettingsTable.set(2, 0, "");
    PC_start_Click(common, 2);
    ASSERT_NE(forms.loadedDialog(), nullptr);
    EXPECT_EQ(label(forms.loadedDialog()), QString::fromUtf8(" を起動しました！"));
}

TEST_F(WakeCommand, SecondCommandKeepsTheOpenNotice)
{
    setPc(3, "Backup", "127.0.0.1", {"0a", "0b", "0c", "0d", "0e", "0f"});
    PC_start_Click(common, 2);
    Dialog *first = forms.loadedDialog();
    ASSERT_NE(first, nullptr);
    QTest::qWait(300);
    PC_start_Click(common, 3);
    EXPECT_EQ(forms.loadedDialog(), first);
    EXPECT_EQ(label(first), QString::fromUtf8("Server を起動しました！"));
    EXPECT_EQ(StartedPcName, "Backup");
    // Its own five seconds go on: the timer wasn't started again.
    EXPECT_LT(first->findChild<QTimer *>("Timer1")->remainingTime(), 4800);
    const auto got = target.rx().receive(6);
    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(got[5].data, expectedPacket(QByteArray("\x0a\x0b\x0c\x0d\x0e\x0f", 6)));
    EXPECT_EQ(desktop.sounds.size(), 2);
}

TEST_F(WakeCommand, UserClosedNoticeIsUnloaded)
{
    PC_start_Click(common, 2);
    ASSERT_NE(forms.loadedDialog(), nullptr);
    forms.loadedDialog()->close();
    EXPECT_EQ(forms.loadedDialog(), nullptr);
    SettingsTable.set(2, 0, "Other");
    PC_start_Click(common, 2);
    ASSERT_NE(forms.loadedDialog(), nullptr);
    EXPECT_EQ(label(forms.loadedDialog()), QString::fromUtf8("Other を起動しました！"));
}

TEST_F(WakeCommand, CountZeroStillSoundsAndNotifies)
{
    SettingsTable.set(0, 1, "0");
    PC_start_Click(common, 2);
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_EQ(desktop.sounds, QList<QString>{"64"});
    ASSERT_NE(forms.loadedDialog(), nullptr);
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST_F(WakeCommand, MissingHostAndMac)
{
    setPc(2, "Server", "   ", {"00", "", "22", "33", "44", "55"});
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("Host or IPアドレスが設定されていません！"));
    desktop.boxes.clear();
    desktop.beeps.clear();
    SettingsTable.set(2, 1, "127.0.0.1");
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("MACアドレスが正しく設定されていません！"));
}

TEST_F(WakeCommand, BadPort)
{
    SettingsTable.set(0, 0, "65535");
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("PC2「Server」のポート番号「65535」が正しくありません！\r\n"
                                    "ポート番号は 1 から 65534 までの数字で設定してください。"));
}

TEST_F(WakeCommand, BadCount)
{
    SettingsTable.set(0, 1, "3回");
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("PC2「Server」のマジックパケット送信回数「3回」が正しくありません！\r\n"
                                    "送信回数は 32767 以下の整数で設定してください。"));
}

TEST_F(WakeCommand, BadMacDigits)
{
    setPc(2, "", "127.0.0.1", {"00", "11", "22", "33", "44", "5G"});
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("PC2のMACアドレス 6 番目の値「5G」が正しくありません！\r\n"
                                    "MACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。"));
}

TEST_F(WakeCommand, UnknownHost)
{
    SettingsTable.set(2, 1, "no-such-host.invalid");
    PC_start_Click(common, 2);
    ASSERT_EQ(desktop.boxes.size(), 1);
    const QStringList lines = desktop.boxes[0].text.split("\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0],
              QString::fromUtf8("PC2「Server」のHost or IPアドレス「no-such-host.invalid」が見つかりません！"));
    // Where the name server is slow or silent, the bounded wait says so instead.
    EXPECT_TRUE(lines[1] == QString::fromUtf8("この名前のホストはありません。") ||
                lines[1] == QString::fromUtf8("名前解決サーバーから答えがありませんでした。") ||
                lines[1] == QString::fromUtf8("名前解決が 3 秒以内に終わりませんでした。"))
        << lines[1].toStdString();
    expectRefused(desktop.boxes[0].text);
}

TEST_F(WakeCommand, BusyLocalPort)
{
    QUdpSocket blocker;
    ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, target.port() + 1, QUdpSocket::DontShareAddress));
    PC_start_Click(common, 2);
    expectRefused(QString::fromUtf8("PC2「Server」へマジックパケットを送信できませんでした！\r\n送信元のポート %1 "
                                    "は他のプログラムが使用中です。")
                      .arg(target.port() + 1));
}

TEST_F(WakeCommand, IndexOutsideThePcsDoesNothing)
{
    PC_start_Click(common, 0);
    PC_start_Click(common, 6);
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_TRUE(desktop.sounds.isEmpty());
    EXPECT_EQ(forms.loadedDialog(), nullptr);
}
