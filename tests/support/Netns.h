#pragma once

// Networks of the tests' own: network namespaces joined by veth links, made by the test and removed
// with it. Nothing sent in them leaves them. They need root; a test without it skips with a reason.

#include <algorithm>

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {

struct ShellResult {
    int status = -1; // the exit code; -1 when the command didn't end by itself
    QString output;  // standard output and error
};

// Runs a command through sh and waits for it.
inline ShellResult shell(const QString &command)
{
    ShellResult r;
    FILE *p = ::popen((command + " 2>&1").toUtf8().constData(), "r");
    char buf[512];
    while (p && std::fgets(buf, sizeof buf, p))
        r.output += QString::fromUtf8(buf);
    const int status = p ? ::pclose(p) : -1;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class TestNet {
public:
    TestNet() = default;
    TestNet(const TestNet &) = delete;
    TestNet &operator=(const TestNet &) = delete;
    ~TestNet()
    {
        leave();
        if (m_home >= 0)
            ::close(m_home);
        // Whatever a test started there (an sshd, an ssh master) goes with the namespace.
        for (const QString &ns : m_made)
            shell("ip netns pids " + ns + " | grep -vx " + QString::number(::getpid()) +
                  " | xargs -r kill -9; ip netns del " + ns);
    }

    // Why no namespace can be made here (for GTEST_SKIP), or empty when they can. Only the lack of root
    // is a reason to skip; as root it is a failure.
    QString unavailable()
    {
        if (::geteuid() != 0)
            return QStringLiteral("network namespaces need root; skipped");
        const QString probe = add(QStringLiteral("probe"));
        if (probe.isEmpty()) {
            // Root can make them: what is missing then is a tool (ip is iproute2's) or the system's.
            ADD_FAILURE() << "can't create a network namespace as root: " << m_lastError.toStdString()
                          << " (ip comes from Debian's iproute2, which scripts/install-deps test installs)";
            return m_lastError;
        }
        return {};
    }

    // A new namespace with its loopback up; its name is unique to this process. Empty on failure.
    QString add(const QString &tag)
    {
        const QString ns = QStringLiteral("orv%1%2").arg(::getpid()).arg(tag);
        const ShellResult r = shell("ip netns add " + ns + " && ip -n " + ns + " link set lo up");
        if (r.status != 0) {
            m_lastError = r.output.trimmed();
            return {};
        }
        m_made << ns;
        return ns;
    }

    // Joins namespaces a and b by a veth pair: device aDev in a with addresses aAddresses
    // ("10.200.8.1/24", "fd00:200:8::1/64"), bDev in b likewise; a MAC given ("02:00:00:00:00:02")
    // is set on its side. Both sides up, IPv6 without duplicate detection, so addresses work at once.
    bool link(const QString &a, const QString &aDev, const QStringList &aAddresses, const QString &b,
              const QString &bDev, const QStringList &bAddresses, const QString &aMac = {}, const QString &bMac = {})
    {
        QStringList commands{"ip -n " + a + " link add " + aDev + " type veth peer name " + bDev + " netns " + b};
        const auto side = [&](const QString &ns, const QString &dev, const QStringList &addresses, const QString &mac) {
            if (!mac.isEmpty())
                commands << "ip -n " + ns + " link set " + dev + " address " + mac;
            for (const QString &address : addresses)
                commands << "ip -n " + ns + " addr add " + address + " dev " + dev +
                                (address.contains(':') ? QStringLiteral(" nodad") : QStringLiteral(" brd +"));
            commands << "ip -n " + ns + " link set " + dev + " up";
        };
        side(a, aDev, aAddresses, aMac);
        side(b, bDev, bAddresses, bMac);
        for (const QString &command : commands) {
            const ShellResult r = shell(command);
            if (r.status != 0) {
                m_lastError = command + ": " + r.output.trimmed();
                return false;
            }
        }
        // A new link carries broadcasts and multicasts once its link-local address is no longer tentative.
        for (const QString &ns : {a, b})
            for (int i = 0; i < 100 && !shell("ip -n " + ns + " -6 addr show tentative").output.isEmpty(); ++i)
                ::usleep(50000);
        return true;
    }

    // Plugs namespace ns into a switch: a bridge in namespace sw (made on first use; it has no
    // addresses, so it is no machine of its own) and a veth pair whose end dev in ns has the
    // addresses and MAC given.
    bool plug(const QString &sw, const QString &ns, const QString &dev, const QStringList &addresses,
              const QString &mac = {})
    {
        if (shell("ip -n " + sw + " link show br0").status != 0) {
            const ShellResult r = shell("ip -n " + sw + " link add br0 type bridge && ip -n " + sw +
                                        " link set br0 addrgenmode none && ip -n " + sw + " link set br0 up");
            if (r.status != 0) {
                m_lastError = r.output.trimmed();
                return false;
            }
        }
        const QString port = QStringLiteral("p%1").arg(++m_ports);
        if (!link(sw, port, {}, ns, dev, addresses, {}, mac))
            return false;
        return shell("ip -n " + sw + " link set " + port + " master br0").status == 0;
    }

    // Runs a command inside namespace ns.
    ShellResult exec(const QString &ns, const QString &command) { return shell("ip netns exec " + ns + " " + command); }
    // Each command in namespace ns, until one fails.
    bool run(const QString &ns, const QStringList &commands)
    {
        return std::all_of(commands.begin(), commands.end(), [&](const QString &c) { return exec(ns, c).status == 0; });
    }
    // A firewall in ns that drops every ping and connection.
    bool wall(const QString &ns)
    {
        return run(ns, {"nft 'add table inet f; add chain inet f in { type filter hook input priority 0; }; "
                        "add rule inet f in meta l4proto { icmp, ipv6-icmp, tcp } drop'"});
    }

    // As Debian desktops have it: ICMP echo without privileges in namespace ns.
    bool allowUnprivilegedPing(const QString &ns)
    {
        return exec(ns, "sysctl -q -w net.ipv4.ping_group_range='0 2147483647'").status == 0;
    }

    // Moves this thread (and every thread it starts from now on) into namespace ns.
    bool enter(const QString &ns)
    {
        if (m_home < 0)
            m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int fd = ::open(("/run/netns/" + ns).toUtf8().constData(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    // Back to the namespace the thread was in before the first enter().
    void leave()
    {
        if (m_home >= 0)
            ::setns(m_home, CLONE_NEWNET);
    }

    // What the last failed step said.
    QString lastError() const { return m_lastError; }

private:
    QStringList m_made;
    QString m_lastError;
    int m_home = -1;
    int m_ports = 0;
};

} // namespace orvane::test
