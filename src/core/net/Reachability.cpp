#include "core/net/Reachability.h"

#include "core/io/Fd.h"
#include "core/io/Threads.h"
#include "core/io/Wait.h"
#include "core/net/HostLookup.h"
#include "core/net/LocalAddresses.h"
#include "core/net/Neighbours.h"
#include "core/record/Language.h"
#include "core/record/SourceText.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>

#include <cerrno>
#include <linux/errqueue.h>
#include <net/if.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {

using std::chrono::milliseconds;

// Ports a PC commonly has open or closed (ssh, NetBIOS, SMB, remote desktop, VNC); a refusal from
// any of them is as good an answer as a connection.
constexpr std::uint16_t TcpPorts[] = {22, 139, 445, 3389, 5900};
constexpr int EchoRepeatMs = 500;

struct Target {
    std::optional<HostAddress> address;
    Reach reach = Reach::NotChecked;
    Fd icmp;
    std::vector<Fd> tcp;
    bool tcpStarted = false;
    bool onLink = false;        // on one of this machine's links: whoever holds the address refused
    bool reset = false;         // refused by a reset that may be a firewall's on the way
    std::uint16_t sequence = 0; // of the next echo
    unsigned char payload[8] = {};

    bool open() const { return address && reach == Reach::NotChecked; }
    int family() const { return address->address.ss_family; }
    void closeAll()
    {
        icmp.reset();
        tcp.clear();
    }
};

// Names resolve in threads of their own, all at once; a thread that is still busy when the caller
// gives up finishes into the shared state and ends. Addresses need no thread.
std::vector<std::optional<HostAddress>> resolveAll(const std::vector<std::string> &hosts, int timeoutMs,
                                                   const Cancel *cancel)
{
    struct Shared {
        std::mutex mutex;
        std::vector<std::optional<HostAddress>> found;
        size_t pending = 0;
        Fd done{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)}; // counts finished lookups
    };
    auto shared = std::make_shared<Shared>();
    shared->found.resize(hosts.size());
    for (size_t i = 0; i < hosts.size(); ++i) {
        if (hosts[i].empty())
            continue;
        if ((shared->found[i] = numericHost(hosts[i])))
            continue;
        auto work = [shared, i, host = hosts[i]] {
            const HostLookup lookup = lookupHostHere(host);
            std::lock_guard lock(shared->mutex);
            if (lookup)
                shared->found[i] = *lookup;
            --shared->pending;
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(shared->done.get(), &one, sizeof one);
        };
        {
            std::lock_guard lock(shared->mutex);
            ++shared->pending;
        }
        try {
            startThread([work](std::stop_token) { work(); });
        } catch (const std::system_error &) {
            work();
        }
    }
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->pending == 0 || !shared->done)
                return shared->found;
        }
        if (cancelled(cancel) || Steady::now() >= deadline)
            break;
        std::vector<pollfd> fds{{shared->done.get(), POLLIN, 0}};
        if (!sleepOn(fds, deadline, cancel))
            break;
        std::uint64_t count;
        [[maybe_unused]] const ssize_t n = ::read(shared->done.get(), &count, sizeof count);
    }
    std::lock_guard lock(shared->mutex);
    return shared->found;
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

// Who refused a connection: an ICMP error from the PC's own address is the PC's; one from another
// address is a router's or firewall's on the way, rejecting for an address nobody may hold. A reset
// leaves no error: it is the PC's own stack, or a firewall that answers in its name.
enum class Refusal { Pc, OnTheWay, Reset };

Refusal refusalOf(int fd, const HostAddress &pc)
{
    char data[64];
    iovec iov{data, sizeof data};
    alignas(cmsghdr) char control[512];
    msghdr message{};
    message.msg_iov = &iov;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
        return Refusal::Reset;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        const bool error = (c->cmsg_level == SOL_IP && c->cmsg_type == IP_RECVERR) ||
                           (c->cmsg_level == SOL_IPV6 && c->cmsg_type == IPV6_RECVERR);
        const auto *e = reinterpret_cast<const sock_extended_err *>(CMSG_DATA(c));
        if (!error || (e->ee_origin != SO_EE_ORIGIN_ICMP && e->ee_origin != SO_EE_ORIGIN_ICMP6))
            continue;
        const sockaddr *offender = SO_EE_OFFENDER(e);
        sockaddr_storage from{};
        std::memcpy(&from, offender, offender->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in));
        return sameAddress(from, pc.address) ? Refusal::Pc : Refusal::OnTheWay;
    }
    return Refusal::Reset;
}

// Whether an address is this machine's own (loopback among them): nothing can stand between.
bool thisMachine(const sockaddr_storage &a)
{
    const bool v6 = a.ss_family == AF_INET6;
    const auto *bytes =
        v6 ? reinterpret_cast<const sockaddr_in6 *>(&a)->sin6_addr.s6_addr
           : reinterpret_cast<const unsigned char *>(&reinterpret_cast<const sockaddr_in *>(&a)->sin_addr);
    if (v6 ? IN6_IS_ADDR_LOOPBACK(reinterpret_cast<const in6_addr *>(bytes)) : bytes[0] == 127)
        return true;
    for (const LocalAddress &own : localAddresses())
        if (own.family == a.ss_family && std::memcmp(&own.address, bytes, v6 ? 16 : 4) == 0)
            return true;
    return false;
}

// Whether a refusal is the PC's answer. A reset counts only from this machine or on its link, where nothing
// stands between (and the PC's MAC is checked afterwards); from beyond a router it is noted, and the
// other ports and the echoes may still answer.
bool answeredBy(Target &t, int fd)
{
    const Refusal refusal = refusalOf(fd, *t.address);
    if (refusal == Refusal::Reset && !t.onLink)
        t.reset = true;
    return refusal == Refusal::Pc || (refusal == Refusal::Reset && t.onLink);
}

void startTcp(Target &t)
{
    t.tcpStarted = true;
    for (std::uint16_t port : TcpPorts) {
        Fd socket(::socket(t.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        const int fd = socket.get();
        if (!socket)
            continue;
        // Closed with a reset: no connection lingers on either side.
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        // ICMP errors onto the error queue, with the address that sent them.
        const int on = 1;
        if (t.family() == AF_INET6)
            ::setsockopt(fd, SOL_IPV6, IPV6_RECVERR, &on, sizeof on);
        else
            ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
        const sockaddr_storage to = withPort(*t.address, port);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), t.address->length) == 0 ||
            (errno == ECONNREFUSED && answeredBy(t, fd))) {
            t.reach = Reach::Answered;
            return;
        }
        if (errno == EINPROGRESS)
            t.tcp.push_back(std::move(socket));
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
    std::memcpy(packet + 8, t.payload, sizeof t.payload);
    const sockaddr_storage to = withPort(*t.address, 0);
    if (::sendto(t.icmp.get(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr *>(&to), t.address->length) <
            0 &&
        errno != EAGAIN) {
        // No route, or not allowed after all: the TCP attempts are all that is left.
        t.icmp.reset();
        if (!t.tcpStarted)
            startTcp(t);
    }
}

// A reply to one of our echoes: from the PC, with our identifier (the socket's port), one of the
// sequence numbers sent and the payload.
bool ourReply(const Target &t, const unsigned char *reply, ssize_t n, const sockaddr_storage &from)
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (n != 16 || !sameAddress(from, t.address->address) ||
        ::getsockname(t.icmp.get(), reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return false;
    const std::uint16_t id = ntohs(t.family() == AF_INET6 ? reinterpret_cast<const sockaddr_in6 *>(&local)->sin6_port
                                                          : reinterpret_cast<const sockaddr_in *>(&local)->sin_port);
    const int sequence = reply[6] << 8 | reply[7];
    return reply[0] == (t.family() == AF_INET6 ? ICMP6_ECHO_REPLY : ICMP_ECHOREPLY) &&
           (reply[4] << 8 | reply[5]) == id && sequence < t.sequence &&
           std::memcmp(reply + 8, t.payload, sizeof t.payload) == 0;
}

void readEchoes(Target &t)
{
    unsigned char buf[512];
    for (int reads = 0; reads < 64; ++reads) {
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(t.icmp.get(), buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            continue; // an ICMP error reported for an earlier echo
        }
        if (ourReply(t, buf, n, from)) {
            t.reach = Reach::Answered;
            return;
        }
    }
}

void readConnects(Target &t, const std::vector<pollfd> &polled)
{
    for (const pollfd &p : polled) {
        const auto found = std::find_if(t.tcp.begin(), t.tcp.end(), [&](const Fd &fd) { return fd.get() == p.fd; });
        if (found == t.tcp.end() || !p.revents)
            continue;
        int err = 0;
        socklen_t length = sizeof err;
        ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &err, &length);
        if (err == 0 || (err == ECONNREFUSED && answeredBy(t, p.fd))) {
            t.reach = Reach::Answered;
            return;
        }
        t.tcp.erase(found);
    }
}

} // namespace

std::string uncheckableText(const std::string &host, AddressKind kind)
{
    switch (kind) {
    case AddressKind::Broadcast:
        return textWith(T_("%1 はブロードキャストのアドレスなので、PC の応答は確かめられません"), {host});
    case AddressKind::Multicast:
        return textWith(T_("%1 はマルチキャストのアドレスなので、PC の応答は確かめられません"), {host});
    case AddressKind::OneMachine:
    case AddressKind::Network:
        break;
    }
    return textWith(T_("%1 はネットワークのアドレスなので、PC の応答は確かめられません"), {host});
}

namespace {

// A target's first echo (or, where echoes can't be sent, its connection attempts); nothing for an
// address that is no single machine's.
void startTarget(Target &t, const std::optional<HostAddress> &address, std::random_device &random)
{
    t.address = address;
    if (t.address && addressKind(t.address->address) != AddressKind::OneMachine)
        t.address.reset();
    if (!t.address)
        return;
    t.onLink = onLinkInterface(t.address->text).has_value() || thisMachine(t.address->address);
    for (unsigned char &b : t.payload)
        b = static_cast<unsigned char>(random());
    const int protocol = t.family() == AF_INET6 ? int{IPPROTO_ICMPV6} : int{IPPROTO_ICMP};
    t.icmp = Fd(::socket(t.family(), SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
    if (!t.icmp)
        startTcp(t);
    else
        sendEcho(t);
}

// The checks of probeHosts; addresses gets what each host resolved to, resets whether a host that
// didn't answer sent only resets from beyond a router.
std::vector<Reach> probeAll(const std::vector<std::string> &hosts, int timeoutMs, const Cancel *cancel,
                            std::vector<std::optional<HostAddress>> &addresses, std::vector<bool> *resets)
{
    std::vector<Target> targets(hosts.size());
    addresses = resolveAll(hosts, timeoutMs, cancel);

    const Steady::time_point start = Steady::now();
    const Steady::time_point deadline = start + milliseconds(timeoutMs);
    const Steady::time_point halfway = start + milliseconds(timeoutMs / 2);
    std::random_device random;
    for (size_t i = 0; i < targets.size(); ++i)
        startTarget(targets[i], addresses[i], random);

    // The echoes of all targets go out together, so that a round wakes once for them.
    Steady::time_point nextEcho = start + milliseconds(EchoRepeatMs);
    while (!cancelled(cancel)) {
        std::vector<pollfd> polled;
        Steady::time_point wake = deadline;
        for (Target &t : targets) {
            if (!t.open())
                continue;
            if (t.icmp) {
                polled.push_back({t.icmp.get(), POLLIN, 0});
                wake = std::min(wake, nextEcho);
            }
            if (!t.tcpStarted)
                wake = std::min(wake, halfway);
            for (const Fd &fd : t.tcp)
                polled.push_back({fd.get(), POLLOUT, 0});
        }
        if (polled.empty() || Steady::now() >= deadline)
            break;
        if (!sleepOn(polled, wake, cancel))
            break;
        const Steady::time_point now = Steady::now();
        const bool echoNow = now >= nextEcho;
        if (echoNow)
            nextEcho = now + milliseconds(EchoRepeatMs);
        for (Target &t : targets) {
            if (!t.open())
                continue;
            for (const pollfd &p : polled)
                if (p.fd == t.icmp.get() && p.revents)
                    readEchoes(t);
            if (t.open())
                readConnects(t, polled);
            if (t.open() && t.icmp && echoNow)
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
        if (resets)
            resets->push_back(result.back() == Reach::NoAnswer && t.reset);
    }
    return result;
}

} // namespace

std::vector<Reach> probeHosts(const std::vector<std::string> &hosts, int timeoutMs, const Cancel *cancel,
                              std::vector<std::string> *addresses, std::vector<bool> *resets)
{
    std::vector<std::optional<HostAddress>> found;
    std::vector<Reach> reach = probeAll(hosts, timeoutMs, cancel, found, resets);
    if (addresses)
        for (const std::optional<HostAddress> &a : found)
            addresses->push_back(a ? a->text : std::string());
    return reach;
}

Reach probeHost(const std::string &host, int timeoutMs)
{
    return probeHosts({host}, timeoutMs).front();
}

const char *reachSourceWord(Reach reach)
{
    switch (reach) {
    case Reach::Answered:
        return N_("応答あり");
    case Reach::NoAnswer:
        return N_("応答なし");
    case Reach::OtherMac:
        return N_("別の MAC から応答");
    case Reach::LinkOnly:
        return N_("ARP のみ応答");
    case Reach::RelayUnreachable:
        return N_("経由先に接続できません");
    case Reach::NotChecked:
        break;
    }
    return N_("未確認");
}

std::string answeredText(const std::string &name, int seconds)
{
    return textWith(T_("%1 が応答しました（起動から %2 秒）"), {name, std::to_string(seconds)});
}

const char *reachWord(Reach reach)
{
    return T_(reachSourceWord(reach));
}

const char *noAnswerAdvice()
{
    return T_(NoAnswerAdvice);
}

std::string noAnswerText(const std::string &name, int seconds)
{
    return seconds >= 60 && seconds % 60 == 0
               ? textWith(T_("%1 から %2 分間応答がありません"), {name, std::to_string(seconds / 60)})
               : textWith(T_("%1 から %2 秒間応答がありません"), {name, std::to_string(seconds)});
}

} // namespace orvane
