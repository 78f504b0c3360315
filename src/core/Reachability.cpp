#include "core/Reachability.h"

#include "core/HostLookup.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Ports a PC commonly has open or closed (ssh, NetBIOS, SMB, remote desktop, VNC); a refusal from
// any of them is as good an answer as a connection.
constexpr std::uint16_t TcpPorts[] = {22, 139, 445, 3389, 5900};
constexpr int EchoRepeatMs = 500;
// How often a cancellable wait looks at its flag.
constexpr int CancelSliceMs = 100;

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

int msUntil(Steady::time_point t)
{
    const auto left = std::chrono::duration_cast<milliseconds>(t - Steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

struct Target {
    std::optional<HostAddress> address;
    Reach reach = Reach::NotChecked;
    int icmp = -1;
    std::vector<int> tcp;
    bool tcpStarted = false;
    Steady::time_point nextEcho;
    std::uint16_t sequence = 0;

    bool open() const { return address && reach == Reach::NotChecked; }
    int family() const { return address->address.ss_family; }
    void closeAll()
    {
        if (icmp >= 0)
            ::close(icmp);
        icmp = -1;
        for (int fd : tcp)
            ::close(fd);
        tcp.clear();
    }
};

// Names resolve in threads of their own, all at once; a thread that is still busy when the caller
// gives up finishes into the shared state and ends.
std::vector<std::optional<HostAddress>> resolveAll(const std::vector<std::string> &hosts, int timeoutMs,
                                                   const std::atomic<bool> *cancel)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::vector<std::optional<HostAddress>> found;
        size_t pending = 0;
    };
    auto shared = std::make_shared<Shared>();
    shared->found.resize(hosts.size());
    for (size_t i = 0; i < hosts.size(); ++i) {
        if (hosts[i].empty())
            continue;
        auto work = [shared, i, host = hosts[i], timeoutMs] {
            const HostLookup lookup = lookupHost(host, timeoutMs);
            std::lock_guard lock(shared->mutex);
            if (lookup.ok)
                shared->found[i] = lookup.host;
            --shared->pending;
            shared->done.notify_all();
        };
        {
            std::lock_guard lock(shared->mutex);
            ++shared->pending;
        }
        try {
            std::thread(work).detach();
        } catch (const std::system_error &) {
            work();
        }
    }
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    std::unique_lock lock(shared->mutex);
    while (shared->pending > 0 && !cancelled(cancel) && Steady::now() < deadline)
        shared->done.wait_for(lock,
                              milliseconds(cancel ? std::min(CancelSliceMs, msUntil(deadline)) : msUntil(deadline)));
    return shared->found;
}

// A broadcast or multicast address stands for many machines, none of which speaks for the PC.
bool manyMachines(const sockaddr_storage &a)
{
    if (a.ss_family == AF_INET6)
        return IN6_IS_ADDR_MULTICAST(&reinterpret_cast<const sockaddr_in6 *>(&a)->sin6_addr);
    const in_addr_t v4 = reinterpret_cast<const sockaddr_in *>(&a)->sin_addr.s_addr;
    if (v4 == htonl(INADDR_BROADCAST) || IN_MULTICAST(ntohl(v4)))
        return true;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return false;
    bool broadcast = false;
    for (const ifaddrs *i = list; i && !broadcast; i = i->ifa_next)
        broadcast = (i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr && i->ifa_broadaddr->sa_family == AF_INET &&
                    reinterpret_cast<const sockaddr_in *>(i->ifa_broadaddr)->sin_addr.s_addr == v4;
    ::freeifaddrs(list);
    return broadcast;
}

sockaddr_storage withPort(const HostAddress &host, std::uint16_t port)
{
    sockaddr_storage to = host.address;
    if (to.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6 *>(&to)->sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in *>(&to)->sin_port = htons(port);
    return to;
}

bool sameAddress(const sockaddr_storage &a, const sockaddr_storage &b)
{
    if (a.ss_family != b.ss_family)
        return false;
    if (a.ss_family == AF_INET6)
        return std::memcmp(&reinterpret_cast<const sockaddr_in6 *>(&a)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6 *>(&b)->sin6_addr, sizeof(in6_addr)) == 0;
    return reinterpret_cast<const sockaddr_in *>(&a)->sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in *>(&b)->sin_addr.s_addr;
}

void startTcp(Target &t)
{
    t.tcpStarted = true;
    for (std::uint16_t port : TcpPorts) {
        const int fd = ::socket(t.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        // Closed with a reset: no connection lingers on either side.
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        const sockaddr_storage to = withPort(*t.address, port);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), t.address->length) == 0 || errno == ECONNREFUSED) {
            ::close(fd);
            t.reach = Reach::Answered;
            return;
        }
        if (errno == EINPROGRESS)
            t.tcp.push_back(fd);
        else
            ::close(fd);
    }
}

void sendEcho(Target &t)
{
    unsigned char packet[16] = {};
    // The kernel fills in the identifier and the checksum of an unprivileged ICMP socket.
    packet[0] = t.family() == AF_INET6 ? ICMP6_ECHO_REQUEST : ICMP_ECHO;
    packet[6] = static_cast<unsigned char>(t.sequence >> 8);
    packet[7] = static_cast<unsigned char>(t.sequence & 0xFF);
    ++t.sequence;
    std::memcpy(packet + 8, "Orvane..", 8);
    const sockaddr_storage to = withPort(*t.address, 0);
    if (::sendto(t.icmp, packet, sizeof packet, 0, reinterpret_cast<const sockaddr *>(&to), t.address->length) < 0 &&
        errno != EAGAIN) {
        // No route, or not allowed after all: the TCP attempts are all that is left.
        ::close(t.icmp);
        t.icmp = -1;
        if (!t.tcpStarted)
            startTcp(t);
    }
    t.nextEcho = Steady::now() + milliseconds(EchoRepeatMs);
}

void readEchoes(Target &t)
{
    unsigned char buf[512];
    for (int reads = 0; reads < 64; ++reads) {
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(t.icmp, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            continue; // an ICMP error reported for an earlier echo
        }
        const unsigned char reply = t.family() == AF_INET6 ? ICMP6_ECHO_REPLY : ICMP_ECHOREPLY;
        if (n >= 8 && buf[0] == reply && sameAddress(from, t.address->address)) {
            t.reach = Reach::Answered;
            return;
        }
    }
}

void readConnects(Target &t, const std::vector<pollfd> &polled)
{
    for (const pollfd &p : polled) {
        const auto found = std::find(t.tcp.begin(), t.tcp.end(), p.fd);
        if (found == t.tcp.end() || !p.revents)
            continue;
        int err = 0;
        socklen_t length = sizeof err;
        ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &err, &length);
        if (err == 0 || err == ECONNREFUSED) {
            t.reach = Reach::Answered;
            return;
        }
        ::close(p.fd);
        t.tcp.erase(found);
    }
}

} // namespace

std::vector<Reach> probeHosts(const std::vector<std::string> &hosts, int timeoutMs, const std::atomic<bool> *cancel)
{
    std::vector<Target> targets(hosts.size());
    const std::vector<std::optional<HostAddress>> addresses = resolveAll(hosts, timeoutMs, cancel);

    const Steady::time_point start = Steady::now();
    const Steady::time_point deadline = start + milliseconds(timeoutMs);
    const Steady::time_point halfway = start + milliseconds(timeoutMs / 2);
    for (size_t i = 0; i < targets.size(); ++i) {
        Target &t = targets[i];
        t.address = addresses[i];
        if (t.address && manyMachines(t.address->address))
            t.address.reset();
        if (!t.address)
            continue;
        const int protocol = t.family() == AF_INET6 ? int{IPPROTO_ICMPV6} : int{IPPROTO_ICMP};
        t.icmp = ::socket(t.family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
        if (t.icmp < 0)
            startTcp(t);
        else
            sendEcho(t);
    }

    while (!cancelled(cancel)) {
        std::vector<pollfd> polled;
        Steady::time_point wake = deadline;
        for (Target &t : targets) {
            if (!t.open())
                continue;
            if (t.icmp >= 0) {
                polled.push_back({t.icmp, POLLIN, 0});
                wake = std::min(wake, t.nextEcho);
            }
            if (!t.tcpStarted)
                wake = std::min(wake, halfway);
            for (int fd : t.tcp)
                polled.push_back({fd, POLLOUT, 0});
        }
        if (polled.empty() || Steady::now() >= deadline)
            break;
        const int waitMs = cancel ? std::min(CancelSliceMs, msUntil(wake)) : msUntil(wake);
        if (::poll(polled.data(), polled.size(), waitMs) < 0 && errno != EINTR)
            break;
        const Steady::time_point now = Steady::now();
        for (Target &t : targets) {
            if (!t.open())
                continue;
            for (const pollfd &p : polled)
                if (p.fd == t.icmp && p.revents)
                    readEchoes(t);
            if (t.open())
                readConnects(t, polled);
            if (t.open() && t.icmp >= 0 && now >= t.nextEcho)
                sendEcho(t);
            if (t.open() && !t.tcpStarted && now >= halfway)
                startTcp(t);
            if (!t.open())
                t.closeAll();
        }
    }

    std::vector<Reach> result;
    for (Target &t : targets) {
        t.closeAll();
        result.push_back(t.address && t.reach == Reach::NotChecked ? Reach::NoAnswer : t.reach);
    }
    return result;
}

Reach probeHost(const std::string &host, int timeoutMs)
{
    return probeHosts({host}, timeoutMs).front();
}

const char *reachWord(Reach reach)
{
    switch (reach) {
    case Reach::Answered:
        return "応答あり";
    case Reach::NoAnswer:
        return "応答なし";
    case Reach::NotChecked:
        break;
    }
    return "未確認";
}

std::string answeredText(const std::string &name, int seconds)
{
    return name + " が応答しました（起動から " + std::to_string(seconds) + " 秒）";
}

std::string noAnswerText(const std::string &name, int seconds)
{
    const std::string span =
        seconds >= 60 && seconds % 60 == 0 ? std::to_string(seconds / 60) + " 分間" : std::to_string(seconds) + " 秒間";
    return name + " から " + span + "応答がありません";
}

} // namespace orvane
