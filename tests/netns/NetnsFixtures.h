#pragma once

// What the network suites share: namespaces of the test's own (a for this machine's side, b for a PC,
// or as many as a test makes) and the orvane-wake they run there.

#include "support/Netns.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

namespace orvane::test {

// Two namespaces: a holds this machine's side, b a PC.
class TwoNamespaces : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = net.unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        a = net.add("a"), b = net.add("b");
    }

    // a and b on one link: 10.200.8.1 and .2; b with the MAC given.
    void oneLink(const QString &bMac = {})
    {
        ASSERT_TRUE(net.link(a, "osa", {"10.200.8.1/24", "fd00:200:8::1/64"}, b, "osb",
                             {"10.200.8.2/24", "fd00:200:8::2/64"}, {}, bMac))
            << net.lastError().toStdString();
    }

    TestNet net;
    QString a, b;
};

// Namespaces made by each test itself.
class Links : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = net.unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
    }
    TestNet net;
};

// The namespace's link-local IPv6 address on dev.
inline QString linkLocal(TestNet &net, const QString &ns)
{
    const QString out = net.exec(ns, "ip -6 -o addr show dev eth0 scope link").output;
    return QRegularExpression("inet6 (fe80::[0-9a-f:]+)/").match(out).captured(1);
}

} // namespace orvane::test
