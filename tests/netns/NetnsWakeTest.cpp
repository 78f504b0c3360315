// orvane-wake between two network namespaces joined by a veth pair: subnet and limited broadcast,
// IPv6, an unreachable network and an unprivileged user. Everything stays inside the namespaces.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

const char ReceiverScript[] = R"(import socket, sys
family = socket.AF_INET6 if sys.argv[1] == '6' else socket.AF_INET
s = socket.socket(family, socket.SOCK_DGRAM)
s.bind(('::' if family == socket.AF_INET6 else '0.0.0.0', 9))
s.settimeout(float(sys.argv[3]))
print('ready', flush=True)
try:
    for _ in range(int(sys.argv[2])):
        data, source = s.recvfrom(4096)
        print(len(data), data.hex(), source[0], source[1], flush=True)
except socket.timeout:
    print('timeout', flush=True)
)";

struct Datagram {
    int size = 0;
    std::string hex;
    std::string source;
    int sourcePort = 0;
};

// A UDP receiver on port 9 inside a namespace, run by python3.
class Receiver {
public:
    Receiver(const std::string &ns, const std::string &script, bool v6, int count, double timeout)
    {
        const std::string cmd = "ip netns exec " + ns + " /usr/bin/python3 " + script + (v6 ? " 6 " : " 4 ") +
                                std::to_string(count) + " " + std::to_string(timeout);
        m_pipe = ::popen(cmd.c_str(), "r");
        m_ready = m_pipe && readLine() == "ready";
    }
    ~Receiver()
    {
        if (m_pipe)
            ::pclose(m_pipe);
    }
    bool ready() const { return m_ready; }
    // Every datagram until the count or the timeout.
    std::vector<Datagram> datagrams()
    {
        std::vector<Datagram> got;
        for (std::string line; !(line = readLine()).empty() && line != "timeout";) {
            std::istringstream in(line);
            Datagram d;
            in >> d.size >> d.hex >> d.source >> d.sourcePort;
            got.push_back(d);
        }
        return got;
    }

private:
    std::string readLine()
    {
        std::array<char, 1024> buf{};
        if (!m_pipe || !std::fgets(buf.data(), buf.size(), m_pipe))
            return {};
        std::string line = buf.data();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        return line;
    }
    FILE *m_pipe = nullptr;
    bool m_ready = false;
};

std::string expectedHex()
{
    std::string hex = "ffffffffffff";
    for (int i = 0; i < 16; ++i)
        hex += "001122334455";
    return hex;
}

class Netns : public testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root; skipped";
        if (::access("/usr/bin/python3", X_OK) != 0)
            GTEST_SKIP() << "/usr/bin/python3 is needed for the receiver; skipped";
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
        vethA = va;
        char dir[] = "/tmp/orvane-netns-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        m_dir = dir;
        script = m_dir + "/receiver.py";
        std::ofstream(script) << ReceiverScript;
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

    std::string a, b, vethA, script, m_dir;
    std::vector<std::string> m_created;
    static inline int s_counter = 0;
};

} // namespace

TEST_F(Netns, SubnetBroadcastReachesTheOtherNamespace)
{
    Receiver rx(b, script, false, 2, 10);
    ASSERT_TRUE(rx.ready());
    const Result r = wake("10.200.7.255");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::vector<Datagram> got = rx.datagrams();
    ASSERT_EQ(got.size(), 2u);
    for (const Datagram &d : got) {
        EXPECT_EQ(d.size, 102);
        EXPECT_EQ(d.hex, expectedHex());
        EXPECT_EQ(d.source, "10.200.7.1");
        EXPECT_EQ(d.sourcePort, 10);
    }
}

TEST_F(Netns, LimitedBroadcastNeedsARoute)
{
    {
        Receiver rx(b, script, false, 1, 1.5);
        ASSERT_TRUE(rx.ready());
        // Only the subnet is known: 255.255.255.255 has nowhere to go.
        const Result r = wake("255.255.255.255");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.output.find("指定したPCへマジックパケットを送信できませんでした！"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("へのネットワークに到達できません。"), std::string::npos) << r.output;
        EXPECT_TRUE(rx.datagrams().empty());
    }
    ASSERT_EQ(run("ip -n " + a + " route add default dev " + vethA).status, 0);
    Receiver rx(b, script, false, 2, 10);
    ASSERT_TRUE(rx.ready());
    const Result r = wake("255.255.255.255");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::vector<Datagram> got = rx.datagrams();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hex, expectedHex());
    EXPECT_EQ(got[0].sourcePort, 10);
}

TEST_F(Netns, IPv6Host)
{
    Receiver rx(b, script, true, 2, 10);
    ASSERT_TRUE(rx.ready());
    const Result r = wake("fd00:200:7::2");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::vector<Datagram> got = rx.datagrams();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].hex, expectedHex());
    EXPECT_EQ(got[1].source, "fd00:200:7::1");
    EXPECT_EQ(got[1].sourcePort, 10);
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
    Receiver rx(b, script, false, 2, 10);
    ASSERT_TRUE(rx.ready());
    // Local port 10 is below the system's unprivileged port start (1024).
    const Result r = wake("10.200.7.2", "setpriv --reuid=65534 --regid=65534 --clear-groups ", tool);
    EXPECT_EQ(r.status, 0) << r.output;
    const std::vector<Datagram> got = rx.datagrams();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hex, expectedHex());
    EXPECT_GE(got[0].sourcePort, 1024);
}
