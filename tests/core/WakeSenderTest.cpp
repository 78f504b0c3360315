#include "core/WakeSender.h"

#include "core/HostLookup.h"
#include "core/WakeLoopback.h"

#include <gtest/gtest.h>

#include <QUdpSocket>

#include <algorithm>

using namespace orvane;
using namespace orvane::test;

namespace {

WakeSettings pc(const std::string &host, quint16 port, const std::string &count = "3",
                std::array<std::string, 6> mac = {"00", "11", "22", "33", "44", "55"})
{
    WakeSettings s;
    s.pc = 2;
    s.name = "Server";
    s.host = host;
    s.mac = mac;
    s.port = std::to_string(port);
    s.count = count;
    return s;
}

const QByteArray Mac("\x00\x11\x22\x33\x44\x55", 6);

// A name the resolver doesn't know; where the name server is slow or silent, the bounded wait says so.
bool isDnsRefusal(const std::string &reason)
{
    return reason == "この名前のホストはありません。" || reason == "名前解決サーバーから答えがありませんでした。" ||
           reason == "名前解決が 3 秒以内に終わりませんでした。";
}

void expectDatagrams(const QList<UdpReceiver::Datagram> &got, int count, quint16 port, const QByteArray &packet,
                     const QHostAddress &from)
{
    ASSERT_EQ(got.size(), count);
    for (const auto &d : got) {
        EXPECT_EQ(d.data.size(), 102);
        EXPECT_EQ(d.data, packet);
        EXPECT_EQ(d.destinationPort, port);
        EXPECT_EQ(d.senderPort, port + 1);
        EXPECT_TRUE(d.sender.isEqual(from, QHostAddress::TolerantConversion)) << d.sender.toString().toStdString();
    }
}

} // namespace

TEST(WakeSender, DatagramsReachIPv4LoopbackFromPortPlusOne)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    std::string packet;
    const WakeResult r = wake(pc("127.0.0.1", target.port()), &packet);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.sent, 3);
    EXPECT_EQ(QByteArray::fromStdString(packet), expectedPacket(Mac));
    expectDatagrams(target.rx().receive(3), 3, target.port(), expectedPacket(Mac), QHostAddress::LocalHost);
    // No stray fourth datagram.
    EXPECT_EQ(target.rx().receive(4, QuietMs).size(), 3);
}

TEST(WakeSender, DatagramsReachIPv6Loopback)
{
    LoopbackTarget target(QHostAddress::LocalHostIPv6);
    if (!target.ok())
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    for (const std::string host : {"::1", "[::1]"}) {
        const WakeResult r = wake(pc(host, target.port(), "2"));
        ASSERT_TRUE(r.ok) << r.error;
    }
    expectDatagrams(target.rx().receive(4), 4, target.port(), expectedPacket(Mac), QHostAddress::LocalHostIPv6);
}

TEST(WakeSender, HostNamesAreResolved)
{
    LoopbackTarget v4;
    ASSERT_TRUE(v4.ok());
    // "localhost" may resolve to either loopback; a receiver on ::1 at the same port catches the other.
    UdpReceiver v6(QHostAddress::LocalHostIPv6, v4.port());
    const WakeResult r = wake(pc("localhost", v4.port(), "1"));
    ASSERT_TRUE(r.ok) << r.error;
    int got = v4.rx().receive(1, 2000).size();
    if (got == 0 && v6.isBound())
        got = v6.receive(1, 2000).size();
    EXPECT_EQ(got, 1);
}

TEST(WakeSender, OneDigitAndLowerCaseMacFieldsGiveTheSameByte)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    const QByteArray mac("\x0A\x0A\x0A\xAB\xCD\x0F", 6);
    ASSERT_TRUE(wake(pc("127.0.0.1", target.port(), "1", {"A", "0A", "0a", "aB", "cd", "f"})).ok);
    const auto got = target.rx().receive(1);
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].data, expectedPacket(mac));
}

TEST(WakeSender, CountOfZeroOrLessSendsNothingAndSucceeds)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    for (const std::string count : {"0", "-1", "-32768", "-99999999999999999999"}) {
        const WakeResult r = wake(pc("127.0.0.1", target.port(), count));
        EXPECT_TRUE(r.ok) << count << ": " << r.error;
        EXPECT_EQ(r.sent, 0);
    }
    // Not even the host is looked at: an unknown name doesn't matter when nothing is sent.
    EXPECT_TRUE(wake(pc("no-such-host.invalid", target.port(), "0")).ok);
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST(WakeSender, HighestPortWorks)
{
    // Port 65534 leaves from 65535: the old 16-bit limit of 32766 is gone.
    UdpReceiver rx(QHostAddress::LocalHost, 65534);
    if (!rx.isBound() || !LoopbackTarget::localPortFree(false, 65535))
        GTEST_SKIP() << "port 65534 or 65535 is in use on this machine";
    const WakeResult r = wake(pc("127.0.0.1", 65534, "1"));
    ASSERT_TRUE(r.ok) << r.error;
    const auto got = rx.receive(1);
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].senderPort, 65535);
}

TEST(WakeSender, BusyLocalPortIsReportedAndNothingSent)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    QUdpSocket blocker;
    ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, target.port() + 1, QUdpSocket::DontShareAddress));
    const WakeResult r = wake(pc("127.0.0.1", target.port()));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.sent, 0);
    EXPECT_EQ(r.error, "PC2「Server」へマジックパケットを送信できませんでした！\r\n送信元のポート " +
                           std::to_string(target.port() + 1) + " は他のプログラムが使用中です。");
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST(WakeSender, UnknownHostIsReportedAndNothingSent)
{
    LoopbackTarget target;
    ASSERT_TRUE(target.ok());
    struct Case {
        std::string host;
        std::string reason;
    };
    const Case cases[] = {
        {"no-such-host.invalid", "dns"},
        {" 127.0.0.1", "この名前のホストはありません。"},
        {std::string("\0\0\0", 3), "この名前のホストはありません。"},
        {"fe80::1%no-such-interface", ""},
    };
    for (const Case &c : cases) {
        const WakeResult r = wake(pc(c.host, target.port()));
        EXPECT_FALSE(r.ok) << c.host;
        const std::string head = "PC2「Server」のHost or IPアドレス「" + c.host + "」が見つかりません！\r\n";
        EXPECT_EQ(r.error.substr(0, head.size()), head);
        const std::string reason = r.error.substr(std::min(head.size(), r.error.size()));
        if (c.reason == "dns") {
            EXPECT_TRUE(isDnsRefusal(reason)) << reason;
        } else if (!c.reason.empty()) {
            EXPECT_EQ(reason, c.reason);
        }
    }
    EXPECT_TRUE(target.rx().receive(1, QuietMs).isEmpty());
}

TEST(HostLookup, NumericFormsNeedNoResolver)
{
    HostLookup l = lookupHost("192.0.2.7", 0);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.host.text, "192.0.2.7");
    EXPECT_EQ(l.host.address.ss_family, AF_INET);
    // An IPv4 address written as IPv6 goes out as IPv4.
    l = lookupHost("::ffff:192.0.2.7", 0);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.host.address.ss_family, AF_INET);
    EXPECT_EQ(l.host.text, "192.0.2.7");
    l = lookupHost("[2001:db8::1]", 0);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.host.address.ss_family, AF_INET6);
    EXPECT_EQ(l.host.text, "2001:db8::1");
    l = lookupHost("255.255.255.255", 0);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.host.text, "255.255.255.255");
}
