// The wake command as the main window runs it: datagrams, message boxes, sound and the notice.

#include "app/Forms.h"
#include "core/SettingsStore.h"
#include "platform/QzCmn14.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/WakeLoopback.h"
#include "ui/wake/Dialog.h"
#include "ui/wake/PcStart.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

using namespace orvane;
using namespace orvane::test;

namespace {

const QByteArray Mac = QByteArray::fromHex("001122334455");

class WakeCommand : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.ok());
        settingsStore().SettingsTable = grid({{0, 0, QString::number(target.port())}, {0, 1, "3"}});
        setPc(settingsStore().SettingsTable, 2, "Server", "127.0.0.1", ServerMac);
    }

    // Only the error box and its beep, nothing sent, no sound, no notice.
    void expectRefused(const QString &text)
    {
        expectErrorBox(desktop, text);
        EXPECT_TRUE(desktop.sounds.isEmpty());
        EXPECT_EQ(forms.loadedDialog(), nullptr);
        EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
    }

    Dialog *notice(const char *text)
    {
        Dialog *d = forms.loadedDialog();
        EXPECT_NE(d, nullptr);
        if (d) {
            EXPECT_EQ(d->findChild<QLabel *>("start_lvl")->text(), QString::fromUtf8(text));
        }
        return d;
    }

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
    EXPECT_TRUE(notice("Server を起動しました！")->isVisible());
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
    EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(notice->isModal());
    auto *label = notice->findChild<QLabel *>("start_lvl");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(16, 24, 161, 17));
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    const QRect screen = notice->screen()->availableGeometry();
    EXPECT_LE(qAbs(notice->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(qAbs(notice->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(WakeCommand, TheNoticeClosesAfterFiveSecondsOrWhenClosedAndTheNextOneIsNew)
{
    PC_start_Click(common, 2);
    auto *timer = notice("Server を起動しました！")->findChild<QTimer *>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isActive());
    timer->setInterval(50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return forms.loadedDialog() == nullptr; }, 10000));
    settingsStore().SettingsTable.set(2, 0, "");
    PC_start_Click(common, 2);
    notice(" を起動しました！")->close();
    EXPECT_EQ(forms.loadedDialog(), nullptr);
    settingsStore().SettingsTable.set(2, 0, "Other");
    PC_start_Click(common, 2);
    notice("Other を起動しました！");
}

TEST_F(WakeCommand, SecondCommandKeepsTheOpenNotice)
{
    setPc(settingsStore().SettingsTable, 3, "Backup", "127.0.0.1", {"0a", "0b", "0c", "0d", "0e", "0f"});
    PC_start_Click(common, 2);
    Dialog *first = notice("Server を起動しました！");
    QTest::qWait(300);
    PC_start_Click(common, 3);
    EXPECT_EQ(notice("Server を起動しました！"), first);
    EXPECT_EQ(StartedPcName, "Backup");
    // Its own five seconds go on: the timer wasn't started again.
    EXPECT_LT(first->findChild<QTimer *>("Timer1")->remainingTime(), 4800);
    const auto got = target.rx().receive(6);
    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(got[5].data, expectedPacket(QByteArray::fromHex("0a0b0c0d0e0f")));
    EXPECT_EQ(desktop.sounds.size(), 2);
}

TEST_F(WakeCommand, CountZeroStillSoundsAndNotifiesAndAnIndexOutsideThePcsDoesNothing)
{
    PC_start_Click(common, 0);
    PC_start_Click(common, 6);
    EXPECT_TRUE(desktop.sounds.isEmpty());
    EXPECT_EQ(forms.loadedDialog(), nullptr);
    settingsStore().SettingsTable.set(0, 1, "0");
    PC_start_Click(common, 2);
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_EQ(desktop.sounds, QList<QString>{"64"});
    ASSERT_NE(forms.loadedDialog(), nullptr);
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST_F(WakeCommand, EveryRefusalShowsItsMessageAndSendsNothing)
{
    QUdpSocket blocker;
    const QList<std::pair<std::function<void()>, QString>> cases{
        {[] {
             setPc(settingsStore().SettingsTable, 2, "Server", "   ", {"00", "", "22", "33", "44", "55"});
         },
         "Host or IPアドレスが設定されていません！"},
        {[] {
             setPc(settingsStore().SettingsTable, 2, "Server", "127.0.0.1", {"00", "", "22", "33", "44", "55"});
         },
         "MACアドレスが正しく設定されていません！"},
        {[] { settingsStore().SettingsTable.set(0, 0, "65535"); },
         "PC2「Server」のポート番号「65535」が正しくありません！\r\n"
         "ポート番号は 1 から 65534 までの数字で設定してください。"},
        {[] { settingsStore().SettingsTable.set(0, 1, "3回"); },
         "PC2「Server」のマジックパケット送信回数「3回」が正しくありません！\r\n"
         "送信回数は 32767 以下の整数で設定してください。"},
        {[] {
             setPc(settingsStore().SettingsTable, 2, "", "127.0.0.1", {"00", "11", "22", "33", "44", "5G"});
         },
         "PC2のMACアドレス 6 番目の値「5G」が正しくありません！\r\n"
         "MACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。"},
        {[&] { ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, target.port() + 1, QUdpSocket::DontShareAddress)); },
         QStringLiteral("PC2「Server」へマジックパケットを送信できませんでした！\r\n送信元のポート %1 "
                        "は他のプログラムが使用中です。")
             .arg(target.port() + 1)},
    };
    for (const auto &[setUp, text] : cases) {
        SCOPED_TRACE(text.toStdString());
        SetUp();
        desktop.boxes.clear();
        desktop.beeps.clear();
        setUp();
        PC_start_Click(common, 2);
        expectRefused(text);
    }
}

TEST_F(WakeCommand, UnknownHost)
{
    settingsStore().SettingsTable.set(2, 1, "no-such-host.invalid");
    PC_start_Click(common, 2);
    ASSERT_EQ(desktop.boxes.size(), 1);
    const QStringList lines = desktop.boxes[0].text.split("\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "PC2「Server」のHost or IPアドレス「no-such-host.invalid」が見つかりません！");
    // Where the name server is slow or silent, the bounded wait says so instead.
    EXPECT_TRUE(QStringList({"この名前のホストはありません。", "名前解決サーバーから答えがありませんでした。",
                             "名前解決が 3 秒以内に終わりませんでした。"})
                    .contains(lines[1]))
        << lines[1].toStdString();
    expectRefused(desktop.boxes[0].text);
}
