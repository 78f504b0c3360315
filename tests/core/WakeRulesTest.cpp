// The wake rules: what a PC's settings must hold, values as people type and store them (read as the
// original program read them), host names as the system resolves them, and which time texts the
// timed wake checks.

#include "core/net/HostLookup.h"
#include "core/time/WakeSchedule.h"
#include "core/wake/Calendar.h"
#include "core/wake/WakeDays.h"
#include "core/wake/WakeRequest.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "support/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>

#include <chrono>
#include <clocale>
#include <map>
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
    EXPECT_EQ(wakeSubject({3, {}, {}, {}, {}, {}, {}, {}}), "PC3");
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

// A wake time that daylight saving skips comes once, at the change; one that it repeats, once. The
// ticks come every second of Berlin's clock through both changes of 2027, as its zone has them.
TEST(WakeSchedule, DaylightSavingNeitherLosesNorRepeatsAWakeTime)
{
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    for (const QDateTime &change : {QDateTime(QDate(2027, 3, 28), QTime(1, 0), Qt::UTC),     // 02:00 → 03:00
                                    QDateTime(QDate(2027, 10, 31), QTime(1, 0), Qt::UTC)}) { // 03:00 → 02:00
        WakeSchedule s;
        int due = 0, later = 0;
        for (int second = -7200; second <= 7200; ++second) {
            const QDateTime local = change.addSecs(second).toTimeZone(berlin);
            const QStringList texts =
                s.timesToCheck(local.time().toString("hh:mm:ss"), (second + 7200) * 1000LL, local.offsetFromUtc());
            due += int(texts.count("02:30:00"));
            later += int(texts.count("03:30:00"));
        }
        EXPECT_EQ(due, 1) << change.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(later, 1) << "the times around it as ever";
    }
}

TEST(TypedValues, PortAndCountTakeBlanksAndAPlusSignMacFieldsLeadingZeros)
{
    for (const auto &[port, count] : {std::pair{" 9", "+3"}, {"+9", " 3 "}}) {
        const WakeCheck c =
            checkWake({1, "PC", "127.0.0.1", {"0FF", "000A", "0", "00", "1", "ff"}, port, count, {}, {}});
        ASSERT_TRUE(c) << c.error;
        EXPECT_EQ(c->port, 9);
        EXPECT_EQ(c->count, 3);
        EXPECT_EQ(c->packet.substr(6, 6), std::string("\xFF\x0A\x00\x00\x01\xFF", 6));
    }
    EXPECT_FALSE(checkWake({1, "PC", "127.0.0.1", {"0100", "0", "0", "0", "0", "0"}, "9", "3", {}, {}}).value)
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

namespace {

using namespace std::chrono;

Day ymd(int y, unsigned m, unsigned d)
{
    return Day(year(y), month(m), day(d));
}

} // namespace

// Japan's public holidays, 2016 to 2027, as the Cabinet Office publishes them; every other day of
// those years is none.
TEST(WakeDays, TheHolidaysOf2016To2027AreTheCabinetOfficesDayByDay)
{
    // Month/day of each holiday of the year.
    const std::map<int, std::string> published{
        {2016, "1/1 1/11 2/11 3/20 3/21 4/29 5/3 5/4 5/5 7/18 8/11 9/19 9/22 10/10 11/3 11/23 12/23"},
        {2017, "1/1 1/2 1/9 2/11 3/20 4/29 5/3 5/4 5/5 7/17 8/11 9/18 9/23 10/9 11/3 11/23 12/23"},
        {2018, "1/1 1/8 2/11 2/12 3/21 4/29 4/30 5/3 5/4 5/5 7/16 8/11 9/17 9/23 9/24 10/8 11/3 11/23 12/23 12/24"},
        {2019,
         "1/1 1/14 2/11 3/21 4/29 4/30 5/1 5/2 5/3 5/4 5/5 5/6 7/15 8/11 8/12 9/16 9/23 10/14 10/22 11/3 11/4 11/23"},
        {2020, "1/1 1/13 2/11 2/23 2/24 3/20 4/29 5/3 5/4 5/5 5/6 7/23 7/24 8/10 9/21 9/22 11/3 11/23"},
        {2021, "1/1 1/11 2/11 2/23 3/20 4/29 5/3 5/4 5/5 7/22 7/23 8/8 8/9 9/20 9/23 11/3 11/23"},
        {2022, "1/1 1/10 2/11 2/23 3/21 4/29 5/3 5/4 5/5 7/18 8/11 9/19 9/23 10/10 11/3 11/23"},
        {2023, "1/1 1/2 1/9 2/11 2/23 3/21 4/29 5/3 5/4 5/5 7/17 8/11 9/18 9/23 10/9 11/3 11/23"},
        {2024, "1/1 1/8 2/11 2/12 2/23 3/20 4/29 5/3 5/4 5/5 5/6 7/15 8/11 8/12 9/16 9/22 9/23 10/14 11/3 11/4 11/23"},
        {2025, "1/1 1/13 2/11 2/23 2/24 3/20 4/29 5/3 5/4 5/5 5/6 7/21 8/11 9/15 9/23 10/13 11/3 11/23 11/24"},
        {2026, "1/1 1/12 2/11 2/23 3/20 4/29 5/3 5/4 5/5 5/6 7/20 8/11 9/21 9/22 9/23 10/12 11/3 11/23"},
        {2027, "1/1 1/11 2/11 2/23 3/21 3/22 4/29 5/3 5/4 5/5 7/19 8/11 9/20 9/23 10/11 11/3 11/23"},
    };
    for (const auto &[y, days] : published) {
        std::string computed;
        for (sys_days d = sys_days(ymd(y, 1, 1)); d <= sys_days(ymd(y, 12, 31)); d += std::chrono::days(1))
            if (const Day day(d); japaneseHoliday(day))
                computed += (computed.empty() ? "" : " ") + std::to_string(static_cast<unsigned>(day.month())) + "/" +
                            std::to_string(static_cast<unsigned>(day.day()));
        EXPECT_EQ(computed, days) << y;
    }
}

TEST(WakeDays, WeekdaysHolidaysDaysOffAndOneSkippedWake)
{
    EXPECT_EQ(parseWeekdays("Mon-Fri"), 0b0111110u);
    EXPECT_EQ(parseWeekdays(" fri-mon , wed"), 0b1101011u) << "a range wraps past Sunday";
    EXPECT_FALSE(parseWeekdays("mon-fry"));
    EXPECT_FALSE(parseWeekdays(""));
    EXPECT_EQ(weekdaysText(*parseWeekdays("mon-fri")), "mon-fri");
    EXPECT_EQ(weekdaysText(*parseWeekdays("sun,mon,wed,sat")), "mon,wed,sat,sun");
    EXPECT_EQ(weekdaysText(EveryDay), "");
    EXPECT_FALSE(parseDateRanges("2027-01-03..2026-12-29")) << "ends before it starts";
    EXPECT_FALSE(parseDateRanges("2027-02-30"));

    PcExtras office;
    office.days = "mon-fri", office.holidays = "skip", office.skip = "2026-12-29..2027-01-03, 2027-05-06";
    office.skipNext = "2026-12-09";
    const WakeDays days = wakeDaysOf(office);
    EXPECT_TRUE(wakesOn(days, ymd(2026, 12, 8))) << "a Tuesday";
    for (const Day off : {ymd(2026, 12, 12), ymd(2027, 1, 11), ymd(2026, 12, 30), ymd(2027, 5, 6), ymd(2026, 12, 9)})
        EXPECT_FALSE(wakesOn(days, off)) << isoDate(off);
    EXPECT_EQ(nextWakeDay(days, ymd(2026, 12, 8), false), ymd(2026, 12, 10)) << "the skipped 9th passed over once";
    EXPECT_EQ(nextWakeDay(days, ymd(2026, 12, 26), true), ymd(2026, 12, 28));
    EXPECT_EQ(nextWakeDay(days, ymd(2026, 12, 29), true), ymd(2027, 1, 4)) << "after the days off";
    EXPECT_EQ(nextWakeText(ymd(2026, 12, 8), "07:30:00"), "次の起動 12/08(火) 07:30:00");
    PcExtras never;
    never.skip = "2026-01-01..2030-12-31";
    EXPECT_EQ(nextWakeText(nextWakeDay(wakeDaysOf(never), ymd(2026, 12, 8), true), "07:30:00"), "次の起動 なし");
}

TEST(WakeRequest, ASecureOnPasswordFollowsTheSixteenCopies)
{
    WakeSettings s = pc3();
    s.secureon = "01-23-45-67-89-ab";
    const WakeCheck c = checkWake(s);
    ASSERT_TRUE(c) << c.error;
    EXPECT_EQ(c->packet.size(), 108u);
    EXPECT_EQ(c->packet.substr(0, 102), checkWake(pc3())->packet);
    EXPECT_EQ(c->packet.substr(102), std::string("\x01\x23\x45\x67\x89\xAB", 6));
    s.secureon = "01-23-45";
    EXPECT_EQ(checkWake(s).error, "PC3「書斎」の SecureOn パスワード「01-23-45」が正しくありません！\r\n"
                                  "MAC アドレスと同じ形の 6 バイト（01-23-45-67-89-ab など）で設定してください。");
}
