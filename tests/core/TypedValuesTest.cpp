// What people type and store, read as the original program read it, and host names as the system
// resolves them.

#include "core/HostLookup.h"
#include "core/WakeRequest.h"
#include "core/WakeSchedule.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <net/if.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

TEST(TypedValues, PortAndCountTakeBlanksAndAPlusSignMacFieldsLeadingZeros)
{
    for (const auto &[port, count] : {std::pair{" 9", "+3"}, {"+9", " 3 "}}) {
        const WakeCheck c = checkWake({1, "PC", "127.0.0.1", {"0FF", "000A", "0", "00", "1", "ff"}, port, count});
        ASSERT_TRUE(c.request) << c.error;
        EXPECT_EQ(c.request->port, 9);
        EXPECT_EQ(c.request->count, 3);
        EXPECT_EQ(c.request->packet.substr(6, 6), std::string("\xFF\x0A\x00\x00\x01\xFF", 6));
    }
    EXPECT_FALSE(checkWake({1, "PC", "127.0.0.1", {"0100", "0", "0", "0", "0", "0"}, "9", "3"}).request) << "above FF";
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
    EXPECT_TRUE(lookupHost("fe80::1%" + std::to_string(lo)).ok);
    EXPECT_FALSE(lookupHost("fe80::1%" + std::to_string(lo + (1ull << 32))).ok) << "wrapped onto lo";
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
            found += QByteArray::fromStdString(lookup.ok ? lookup.host.text : "-") + '\n';
        }
        writeAll("found", found);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no mount namespace here; skipped";
    EXPECT_EQ(readAll("found"), "127.0.0.9\n127.0.0.8\n::1\n");
}
