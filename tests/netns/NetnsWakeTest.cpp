// orvane-wake between two network namespaces joined by a veth pair: subnet and limited broadcast,
// IPv6, an unreachable network and an unprivileged user. Everything stays inside the namespaces.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Result {
    int status = -1;
    std::string output;
};

Result run(const std::string &command)
{
    Result r;
    FILE *p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), buf.size(), p))
        r.output += buf.data();
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

struct Datagram {
    std::string data;
    std::string source;
    int sourcePort = 0;
};

// A UDP socket on port 9 made inside a namespace; a socket stays in the namespace it was made in after
// this thread returns to its own.
class Receiver {
public:
    Receiver(const std::string &ns, bool v6)
    {
        const int here = ::open("/proc/self/ns/net", O_RDONLY);
        const int there = ::open(("/run/netns/" + ns).c_str(), O_RDONLY);
        if (here >= 0 && there >= 0 && ::setns(there, CLONE_NEWNET) == 0) {
            m_fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
            sockaddr_in a4{};
            sockaddr_in6 a6{};
            a4.sin_family = AF_INET;
            a4.sin_port = htons(9);
            a6.sin6_family = AF_INET6;
            a6.sin6_port = htons(9);
            m_ready = m_fd >= 0 && (v6 ? ::bind(m_fd, reinterpret_cast<sockaddr *>(&a6), sizeof a6)
                                       : ::bind(m_fd, reinterpret_cast<sockaddr *>(&a4), sizeof a4)) == 0;
            m_ready = ::setns(here, CLONE_NEWNET) == 0 && m_ready;
        }
        for (int fd : {here, there})
            if (fd >= 0)
                ::close(fd);
    }
    ~Receiver()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ready() const { return m_ready; }
    // The datagrams that arrive until `count` have or none came for `timeoutMs`.
    std::vector<Datagram> datagrams(size_t count, int timeoutMs)
    {
        std::vector<Datagram> got;
        pollfd p{m_fd, POLLIN, 0};
        while (got.size() < count && ::poll(&p, 1, timeoutMs) > 0) {
            char buf[4096];
            sockaddr_storage from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &length);
            char text[INET6_ADDRSTRLEN] = {};
            const bool v6 = from.ss_family == AF_INET6;
            const auto *a4 = reinterpret_cast<const sockaddr_in *>(&from);
            const auto *a6 = reinterpret_cast<const sockaddr_in6 *>(&from);
            ::inet_ntop(from.ss_family, v6 ? static_cast<const void *>(&a6->sin6_addr) : &a4->sin_addr, text,
                        sizeof text);
            got.push_back(
                {std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), text, ntohs(v6 ? a6->sin6_port : a4->sin_port)});
        }
        return got;
    }

private:
    int m_fd = -1;
    bool m_ready = false;
};

class Netns : public testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root; skipped";
        const std::string id = std::to_string(::getpid()) + std::to_string(++s_counter);
        a = "orvwake" + id + "a";
        b = "orvwake" + id + "b";
        const Result add = run("ip netns add " + a);
        if (add.status != 0)
            GTEST_SKIP() << "can't create a network namespace here (" << add.output << "); skipped";
        m_created.push_back(a);
        ASSERT_EQ(run("ip netns add " + b).status, 0);
        m_created.push_back(b);
        const std::string va = "ow" + id + "a", vb = "ow" + id + "b";
        for (const std::string &cmd : {
                 "ip link add " + va + " netns " + a + " type veth peer name " + vb + " netns " + b,
                 "ip -n " + a + " addr add 10.200.7.1/24 brd + dev " + va,
                 "ip -n " + b + " addr add 10.200.7.2/24 brd + dev " + vb,
                 "ip -n " + a + " addr add fd00:200:7::1/64 dev " + va + " nodad",
                 "ip -n " + b + " addr add fd00:200:7::2/64 dev " + vb + " nodad",
                 "ip -n " + a + " link set lo up",
                 "ip -n " + b + " link set lo up",
                 "ip -n " + a + " link set " + va + " up",
                 "ip -n " + b + " link set " + vb + " up",
             }) {
            const Result r = run(cmd);
            ASSERT_EQ(r.status, 0) << cmd << ": " << r.output;
        }
        // A new link carries broadcasts and multicasts once it is fully up: its link-local address no
        // longer tentative.
        for (int i = 0; i < 100 && !run("ip -n " + a + " -6 addr show tentative").output.empty(); ++i)
            ::usleep(50000);
        vethA = va;
        char dir[] = "/tmp/orvane-netns-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        m_dir = dir;
    }

    void TearDown() override
    {
        // Deleting a namespace takes its end of the veth pair, and so the pair, with it.
        for (const std::string &ns : m_created)
            run("ip netns del " + ns);
        if (!m_dir.empty())
            run("rm -rf " + m_dir);
    }

    Result wake(const std::string &host, const std::string &prefix = std::string(),
                const std::string &tool = ORVANE_WAKE_PATH)
    {
        return run("ip netns exec " + a + " " + prefix + tool + " --mac 00:11:22:33:44:55 --host " + host +
                   " --port 9 --count 2");
    }

    // Wakes the host from namespace a; both datagrams arrive whole in namespace b, from the source
    // address and port (0: any port from 1024 on).
    void expectWoken(const std::string &host, bool v6, const std::string &source, int sourcePort,
                     const std::string &prefix = std::string(), const std::string &tool = ORVANE_WAKE_PATH)
    {
        Receiver rx(b, v6);
        ASSERT_TRUE(rx.ready());
        const Result r = wake(host, prefix, tool);
        EXPECT_EQ(r.status, 0) << r.output;
        std::string packet(6, '\xff');
        for (int i = 0; i < 16; ++i)
            packet += std::string("\x00\x11\x22\x33\x44\x55", 6);
        const std::vector<Datagram> got = rx.datagrams(m_datagrams, 10000);
        ASSERT_EQ(got.size(), m_datagrams);
        EXPECT_TRUE(rx.datagrams(1, 300).empty()) << "no further datagram";
        for (const Datagram &d : got) {
            EXPECT_EQ(d.data, packet);
            EXPECT_EQ(d.source, source);
            EXPECT_TRUE(sourcePort ? d.sourcePort == sourcePort : d.sourcePort >= 1024) << d.sourcePort;
        }
    }

    size_t m_datagrams = 2;
    std::string a, b, vethA, m_dir;
    std::vector<std::string> m_created;
    static inline int s_counter = 0;
};

} // namespace

TEST_F(Netns, SubnetBroadcastReachesTheOtherNamespace)
{
    expectWoken("10.200.7.255", false, "10.200.7.1", 10);
}

TEST_F(Netns, LimitedBroadcastNeedsARoute)
{
    {
        Receiver rx(b, false);
        ASSERT_TRUE(rx.ready());
        // Only the subnet is known: 255.255.255.255 has nowhere to go.
        const Result r = wake("255.255.255.255");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.output.find("指定したPCへマジックパケットを送信できませんでした！"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("へのネットワークに到達できません。"), std::string::npos) << r.output;
        EXPECT_TRUE(rx.datagrams(1, 1500).empty());
    }
    ASSERT_EQ(run("ip -n " + a + " route add default dev " + vethA).status, 0);
    expectWoken("255.255.255.255", false, "10.200.7.1", 10);
}

TEST_F(Netns, IPv6Host)
{
    m_datagrams = 4; // each also to all nodes of the link
    expectWoken("fd00:200:7::2", true, "fd00:200:7::1", 10);
}

TEST_F(Netns, UnprivilegedUserSendsFromAPortTheSystemChooses)
{
    if (::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "setpriv (util-linux) is needed to drop privileges; skipped";
    // A copy that the unprivileged user can reach; the tool needs nothing beyond the C++ runtime.
    const std::string tool = m_dir + "/orvane-wake";
    ASSERT_EQ(run(std::string("cp ") + ORVANE_WAKE_PATH + " " + tool).status, 0);
    ::chmod(m_dir.c_str(), 0755);
    ::chmod(tool.c_str(), 0755);
    // Local port 10 is below the system's unprivileged port start (1024).
    m_datagrams = 4; // each also to the subnet's broadcast
    expectWoken("10.200.7.2", false, "10.200.7.1", 0, "setpriv --reuid=65534 --regid=65534 --clear-groups ", tool);
}
