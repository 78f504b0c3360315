// The wake rules: what a PC's settings must hold, values as people type and store them (read as the
// original program read them), host names as the system resolves them, and which time texts the
// timed wake checks.

#include "core/net/HostLookup.h"
#include "core/time/WakeSchedule.h"
#include "core/wake/WakeRequest.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <clocale>
#include <net/if.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

TEST(WakeRequest, AcceptedValues)
{
    const std::pair<const char *, int> ports[] = {{"1", 1}, {"0009", 9}, {"32767", 32767}, {"65534", 65534}};
    for (const auto &[port, value] : ports) {
        const auto r = checkWake(pc3(port)).value;
        EXPECT_TRUE(r && r->port == value && r->localPort == value + 1) << port;
    }
    const std::pair<const char *, int> counts[] = {{"3", 3}, {"032767", 32767}, {"0", 0}, {"-5", 0}, {"-0", 0}};
    for (const auto &[count, times] : counts)
        EXPECT_EQ(checkWake(pc3("9", count)).value.value().count, times) << count;
    // One digit and lower case are enough; the packet is built from the six fields in order.
    WakeSettings s = pc3();
    s.mac = {"A", "0A", "0a", "aB", "cd", "f"};
    EXPECT_EQ(QByteArray::fromStdString(checkWake(s).value.value().packet),
              expectedPacket(QByteArray::fromHex("0A0A0AABCD0F")));
}

TEST(WakeRequest, RefusalsNameThePcTheValueAndTheRule)
{
    EXPECT_EQ(checkWake(pc3("9", "3", "", "")).error, "Host or IPアドレスが設定されていません！");
    for (size_t i = 0; i < 6; ++i) {
        WakeSettings s = pc3();
        s.mac[i].clear();
        EXPECT_EQ(checkWake(s).error, "MACアドレスが正しく設定されていません！") << i;
    }
    const std::string portRule = "\r\nポート番号は 1 から 65534 までの数字で設定してください。";
    EXPECT_EQ(checkWake(pc3("")).error, "PC3「書斎」のポート番号が設定されていません！" + portRule);
    for (const std::string port : {"0", "65535", "99999999999999999999", "9a", "-9", "９"})
        EXPECT_EQ(checkWake(pc3(port)).error, "PC3「書斎」のポート番号「" + port + "」が正しくありません！" + portRule);
    const std::string countRule = "\r\n送信回数は 32767 以下の整数で設定してください。";
    EXPECT_EQ(checkWake(pc3("9", "")).error, "PC3「書斎」のマジックパケット送信回数が設定されていません！" + countRule);
    for (const std::string count : {"32768", "three", "1.5", "-", "--1", "1e3"})
        EXPECT_EQ(checkWake(pc3("9", count)).error,
                  "PC3「書斎」のマジックパケット送信回数「" + count + "」が正しくありません！" + countRule);
    const std::string macRule = "\r\nMACアドレスは 1 桁か 2 桁の16進数（0～9、A～F）で設定してください。";
    for (const std::string mac : {"G0", "123", "0x", "-1", " A", "Ａ"})
        EXPECT_EQ(checkWake(pc3("9", "3", mac)).error,
                  "PC3「書斎」のMACアドレス 4 番目の値「" + mac + "」が正しくありません！" + macRule);
    // The first failing check is the one reported: port, then count, then MAC digits.
    EXPECT_NE(checkWake(pc3("0", "x", "zz")).error.find("ポート番号"), std::string::npos);
    EXPECT_NE(checkWake(pc3("9", "x", "zz")).error.find("送信回数"), std::string::npos);
    EXPECT_EQ(wakeSubject({3, {}, {}, {}, {}, {}, {}}), "PC3");
    EXPECT_EQ(wakeSubject({}), "指定したPC");
}

TEST(WakeSchedule, ATimerFlagIsOnWhenItIsTheNumberOne)
{
    for (const char *on : {"1", "01", " 1"})
        EXPECT_TRUE(timerFlagOn(on)) << on;
    for (const QString &off : QStringList{"0", "2", "", "ON", "x1", "1x", QString(20, QChar())})
        EXPECT_FALSE(timerFlagOn(off)) << off.toStdString();
}

TEST(WakeSchedule, LateTicksCatchUpAMinuteAtMostAndNothingRepeats)
{
    WakeSchedule s;
    // Each tick: the time text, the monotonic clock and the texts it checks.
    const std::tuple<const char *, int, QStringList> ticks[] = {
        {"07:29:58", 0, {"07:29:58"}},
        {"07:30:01", 2400, {"07:29:59", "07:30:00", "07:30:01"}},
        {"07:30:01", 2600, {}}, // twice in one second
        {"07:29:59", 3000, {}}, // the clock set back a little: those texts were checked
        {"07:30:02", 4000, {"07:30:02"}},
        {"08:30:02", 5000, {"08:30:02"}},  // suspended for an hour: the time of day jumped
        {"08:31:07", 71000, {"08:31:07"}}, // more than a minute without a tick
        {"07:31:08", 72000, {"07:31:08"}}, // the clock set back an hour: wakes again
        {"23:59:59", 73000, {"23:59:59"}},
        {"00:00:01", 75000, {"24:00:00", "00:00:00", "00:00:01"}}, // midnight has both texts
    };
    for (const auto &[now, ms, expected] : ticks)
        EXPECT_EQ(s.timesToCheck(now, ms), expected) << now << " at " << ms;
    s.timesToCheck("08:00:00", 80000);
    EXPECT_EQ(s.timesToCheck("08:01:00", 140000).size(), 60) << "a minute is caught up";
}

TEST(TypedValues, PortAndCountTakeBlanksAndAPlusSignMacFieldsLeadingZeros)
{
    for (const auto &[port, count] : {std::pair{" 9", "+3"}, {"+9", " 3 "}}) {
        const WakeCheck c = checkWake({1, "PC", "127.0.0.1", {"0FF", "000A", "0", "00", "1", "ff"}, port, count, {}});
        ASSERT_TRUE(c) << c.error;
        EXPECT_EQ(c->port, 9);
        EXPECT_EQ(c->count, 3);
        EXPECT_EQ(c->packet.substr(6, 6), std::string("\xFF\x0A\x00\x00\x01\xFF", 6));
    }
    EXPECT_FALSE(checkWake({1, "PC", "127.0.0.1", {"0100", "0", "0", "0", "0", "0"}, "9", "3", {}}).value)
        << "above FF";
}

TEST(TypedValues, AWakeTimeIsTheTimeItPlainlyMeans)
{
    const std::pair<QString, QString> cases[] = {
        {"07:05:00", "07:05:00"},  {"24:00:00", "24:00:00"},         {"7:05:00", "07:05:00"}, {"07:05", "07:05:00"},
        {" 07:05:00", "07:05:00"}, {"０７：０５：００", "07:05:00"}, {"7:5", "07:05:00"},     {"24:00", "24:00:00"}};
    for (const auto &[typed, meant] : cases)
        EXPECT_EQ(wakeTimeOf(typed), meant) << typed.toStdString();
    // No time at all: never met.
    for (const char *typed : {"whenever", "25:00:00", "24:00:01", "07:60", "7", "1:2:3:4", "007:05", "7:05 pm", ""})
        EXPECT_EQ(wakeTimeOf(QString::fromUtf8(typed)), QString()) << typed;
}

TEST(TypedValues, AnIPv6ScopeBeyond32BitsIsNoInterface)
{
    const unsigned long long lo = ::if_nametoindex("lo");
    EXPECT_TRUE(bool(lookupHost("fe80::1%" + std::to_string(lo))));
    EXPECT_FALSE(bool(lookupHost("fe80::1%" + std::to_string(lo + (1ull << 32))))) << "wrapped onto lo";
}

TEST(TypedValues, JapaneseHostNamesResolveAndIPv4IsPreferred)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a hosts file of the test's own needs root; skipped";
    TempCwd cwd;
    writeAll("hosts", "127.0.0.9 xn--zckzah.example\n::1 both.example\n127.0.0.8 both.example\n::1 six.example\n");
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only this child sees the hosts file, and it runs as a program that never set its locale.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("hosts", "/etc/hosts", nullptr, MS_BIND, nullptr) != 0)
            ::_exit(2);
        std::setlocale(LC_ALL, "C");
        QByteArray found;
        for (const char *name : {"テスト.example", "both.example", "six.example"}) {
            const HostLookup lookup = lookupHost(name);
            found += QByteArray::fromStdString(lookup ? lookup->text : "-") + '\n';
        }
        writeAll("found", found);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "root and still no mount namespace of its own";
    EXPECT_EQ(readAll("found"), "127.0.0.9\n127.0.0.8\n::1\n");
}
