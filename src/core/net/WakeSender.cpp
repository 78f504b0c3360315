#include "core/net/WakeSender.h"

#include "core/io/Fd.h"

#include "core/net/Address.h"
#include "core/net/HostLookup.h"
#include "core/net/LocalAddresses.h"
#include "core/net/Relay.h"
#include "core/record/Language.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {

bool bindLocal(int fd, int family, std::uint16_t port)
{
    if (family == AF_INET6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        a.sin6_port = htons(port);
        return ::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
}

// The system's text with its number, which a report of a failed send is looked up by.
std::string numberedError(int err)
{
    return textWith(T_("%1（エラー番号 %2）"), {systemError(err), std::to_string(err)});
}

std::string failureHead(const WakeRequest &r)
{
    return textWith(T_("%1へマジックパケットを送信できませんでした！"), {r.subject}) + CrLf;
}

std::string sendFailureReason(const WakeRequest &r, const std::string &address, int err)
{
    const std::initializer_list<std::string_view> where{r.host, address};
    switch (err) {
    case ENETUNREACH:
        return textWith(T_("宛先「%1」(%2)へのネットワークに到達できません。"), where);
    case EHOSTUNREACH:
        return textWith(T_("宛先「%1」(%2)に到達できません。"), where);
    case EACCES:
    case EPERM:
        return textWith(T_("宛先「%1」(%2)への送信が許可されていません。"), where);
    case EADDRNOTAVAIL:
        return textWith(T_("宛先「%1」(%2)へ送信できるネットワークがありません。"), where);
    default:
        return textWith(T_("宛先「%1」(%2): %3"), {r.host, address, numberedError(err)});
    }
}

// A second destination on the target's own link: a PC asleep for long answers no ARP or neighbour
// solicitation, and a datagram to its address then never leaves this machine, while a broadcast
// (IPv4) or the all-nodes group (IPv6) on that link reaches its card without either.
struct LinkCopy {
    sockaddr_storage to{};
    socklen_t length = 0;
    unsigned interface = 0;
    // This machine's address on that link, so that both copies come from the same sender.
    in_addr source4{};
    in6_addr source6{};
};

std::uint32_t v4Of(const in6_addr &bytes)
{
    std::uint32_t n;
    std::memcpy(&n, &bytes, 4);
    return ntohl(n);
}

std::optional<LinkCopy> linkCopyV4(const sockaddr_in &target, std::uint16_t port,
                                   const std::vector<LocalAddress> &locals)
{
    const std::uint32_t t = ntohl(target.sin_addr.s_addr);
    if ((t >> 24) == 127)
        return std::nullopt;
    std::optional<LinkCopy> best;
    std::uint32_t bestMask = 0;
    for (const LocalAddress &own : locals) {
        if (own.family != AF_INET)
            continue;
        if (!(own.flags & IFF_UP) || !(own.flags & IFF_BROADCAST) || (own.flags & IFF_LOOPBACK))
            continue;
        const std::uint32_t addr = v4Of(own.address);
        const std::uint32_t mask = v4Of(own.mask);
        const std::uint32_t broadcast = (addr & mask) | ~mask;
        // A /31 or /32 has no broadcast.
        if (~mask < 3 || (addr & mask) != (t & mask))
            continue;
        if (best && mask <= bestMask)
            continue;
        LinkCopy copy;
        auto *to = reinterpret_cast<sockaddr_in *>(&copy.to);
        to->sin_family = AF_INET;
        to->sin_addr.s_addr = htonl(broadcast);
        to->sin_port = htons(port);
        copy.length = sizeof(sockaddr_in);
        copy.source4.s_addr = htonl(addr);
        copy.interface = own.interface;
        best = copy;
        bestMask = mask;
    }
    return best;
}

std::optional<LinkCopy> linkCopyV6(const sockaddr_in6 &target, std::uint16_t port,
                                   const std::vector<LocalAddress> &locals)
{
    const in6_addr &t = target.sin6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&t))
        return std::nullopt;
    unsigned interface = 0;
    in6_addr source = in6addr_any;
    if (IN6_IS_ADDR_LINKLOCAL(&t)) {
        interface = target.sin6_scope_id;
    } else {
        for (const LocalAddress &own : locals) {
            if (own.family != AF_INET6 || IN6_IS_ADDR_LINKLOCAL(&own.address))
                continue;
            if (!(own.flags & IFF_UP) || !(own.flags & IFF_MULTICAST) || (own.flags & IFF_LOOPBACK))
                continue;
            if (own.contains(t.s6_addr)) {
                interface = own.interface;
                source = own.address;
                break;
            }
        }
    }
    if (interface == 0)
        return std::nullopt;
    LinkCopy copy;
    auto *to = reinterpret_cast<sockaddr_in6 *>(&copy.to);
    to->sin6_family = AF_INET6;
    to->sin6_addr.s6_addr[0] = 0xFF; // ff02::1, all nodes on the link
    to->sin6_addr.s6_addr[1] = 0x02;
    to->sin6_addr.s6_addr[15] = 0x01;
    to->sin6_port = htons(port);
    to->sin6_scope_id = interface;
    copy.length = sizeof(sockaddr_in6);
    copy.interface = interface;
    copy.source6 = source;
    return copy;
}

std::optional<LinkCopy> linkCopy(const sockaddr_storage &target, std::uint16_t port)
{
    // An address of many machines or none gets its datagrams as addressed, and no copy.
    const std::vector<LocalAddress> locals = localAddresses();
    if (addressKind(target, locals) != AddressKind::OneMachine)
        return std::nullopt;
    if (target.ss_family == AF_INET6)
        return linkCopyV6(*reinterpret_cast<const sockaddr_in6 *>(&target), port, locals);
    return linkCopyV4(*reinterpret_cast<const sockaddr_in *>(&target), port, locals);
}

// The limited broadcast (255.255.255.255) once on every link that carries broadcasts: up, not
// loopback, with an IPv4 address. Left to the routes it would take only the one that the route for
// that address names, which under a VPN's default route is the tunnel and never the LAN.
std::vector<LinkCopy> everyBroadcastLink(std::uint16_t port)
{
    std::vector<LinkCopy> links;
    for (const LocalAddress &own : localAddresses()) {
        if (own.family != AF_INET)
            continue;
        if (!(own.flags & IFF_UP) || !(own.flags & IFF_BROADCAST) || (own.flags & IFF_LOOPBACK))
            continue;
        // A link with several addresses gets it once, from the first.
        if (std::any_of(links.begin(), links.end(), [&](const LinkCopy &l) { return l.interface == own.interface; }))
            continue;
        LinkCopy link;
        link.interface = own.interface;
        auto *to = reinterpret_cast<sockaddr_in *>(&link.to);
        to->sin_family = AF_INET;
        to->sin_addr.s_addr = htonl(INADDR_BROADCAST);
        to->sin_port = htons(port);
        link.length = sizeof(sockaddr_in);
        std::memcpy(&link.source4, &own.address, 4);
        links.push_back(link);
    }
    return links;
}

// Sends through the copy's interface from its address, whatever the routes say about the broadcast
// (an interface given with the datagram needs no privileges, unlike binding to a device).
bool sendLinkCopy(int fd, const LinkCopy &copy, const std::string &packet)
{
    iovec data{const_cast<char *>(packet.data()), packet.size()};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_storage *>(&copy.to);
    message.msg_namelen = copy.length;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in6_pktinfo))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *c = CMSG_FIRSTHDR(&message);
    if (copy.to.ss_family == AF_INET) {
        in_pktinfo info{};
        info.ipi_ifindex = static_cast<int>(copy.interface);
        info.ipi_spec_dst = copy.source4;
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof info);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        message.msg_controllen = CMSG_SPACE(sizeof info);
    } else {
        in6_pktinfo info{};
        info.ipi6_ifindex = copy.interface;
        info.ipi6_addr = copy.source6;
        c->cmsg_level = IPPROTO_IPV6;
        c->cmsg_type = IPV6_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof info);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        message.msg_controllen = CMSG_SPACE(sizeof info);
    }
    ssize_t n;
    do {
        n = ::sendmsg(fd, &message, 0);
    } while (n < 0 && errno == EINTR);
    if (n >= 0 && n != static_cast<ssize_t>(packet.size()))
        errno = EMSGSIZE;
    return n == static_cast<ssize_t>(packet.size());
}

std::string partlySent(const WakeRequest &r, int sent)
{
    if (sent == 0)
        return std::string();
    return CrLf + textWith(T_("（%1 回のうち %2 回は送信済みです）"), {std::to_string(r.count), std::to_string(sent)});
}

} // namespace

namespace {

// The socket a wake sends from, bound to its local port; empty with the reason in error.
Fd wakeSocket(const WakeRequest &r, int family, std::string &error)
{
    Fd socket(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket) {
        error = failureHead(r) + numberedError(errno);
        return socket;
    }
    const int on = 1;
    if (family == AF_INET) {
        // Broadcast addresses (255.255.255.255, a subnet's .255) are ordinary destinations here.
        ::setsockopt(socket.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    } else {
        // Keep the IPv4 side of the local port free for others.
        ::setsockopt(socket.get(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    }
    if (!bindLocal(socket.get(), family, r.localPort)) {
        const int err = errno;
        // Ports below 1024 are kept for privileged programs here (port 9 gives local port 10); the
        // receiving card ignores the source port, so then the system chooses one.
        const bool reserved = (err == EACCES || err == EPERM) && bindLocal(socket.get(), family, 0);
        if (!reserved) {
            const std::string port = std::to_string(r.localPort);
            error =
                failureHead(r) + (err == EADDRINUSE
                                      ? textWith(T_("送信元のポート %1 は他のプログラムが使用中です。"), {port})
                                      : textWith(T_("送信元のポート %1 を使えません: %2"), {port, numberedError(err)}));
            socket.reset();
        }
    }
    return socket;
}

// The limited broadcast: each time counts as sent when it left on at least one link. Why it
// stopped short, or nothing.
std::string sendEveryLink(const WakeRequest &r, int socket, WakeSent &done)
{
    const std::vector<LinkCopy> links = everyBroadcastLink(r.port);
    for (int i = 0; i < r.count; ++i) {
        int err = EADDRNOTAVAIL; // no link at all
        bool left = false;
        for (const LinkCopy &link : links) {
            if (sendLinkCopy(socket, link, r.packet))
                left = true;
            else
                err = errno;
        }
        if (!left)
            return failureHead(r) + sendFailureReason(r, done.target.text, err) + partlySent(r, done.sent);
        ++done.sent;
    }
    return {};
}

// To the address, each time with its link copy where it has one. Why it stopped short, or nothing.
std::string sendAddressed(const WakeRequest &r, int socket, const sockaddr_storage &to, WakeSent &done)
{
    const std::optional<LinkCopy> copy = linkCopy(to, r.port);
    if (copy && to.ss_family == AF_INET6) {
        // Our own copy of the all-nodes datagram isn't wanted back.
        const int off = 0;
        ::setsockopt(socket, IPPROTO_IPV6, IPV6_MULTICAST_LOOP, &off, sizeof off);
    }
    const auto *dest = reinterpret_cast<const sockaddr *>(&to);
    for (int i = 0; i < r.count; ++i) {
        ssize_t n;
        do {
            n = ::sendto(socket, r.packet.data(), r.packet.size(), 0, dest, done.target.length);
        } while (n < 0 && errno == EINTR);
        if (n != static_cast<ssize_t>(r.packet.size()))
            return failureHead(r) + sendFailureReason(r, done.target.text, n < 0 ? errno : EMSGSIZE) +
                   partlySent(r, done.sent);
        ++done.sent;
        // The datagram to the address is what the command answers for; the copy only adds a way in.
        if (copy)
            sendLinkCopy(socket, *copy, r.packet);
    }
    return {};
}

} // namespace

WakeResult sendWake(const WakeRequest &r, int lookupTimeoutMs)
{
    WakeSent done;
    if (r.count <= 0)
        return WakeResult{done, {}};

    const HostLookup lookup = lookupHost(r.host, lookupTimeoutMs < 0 ? HostLookupTimeoutMs : lookupTimeoutMs);
    if (!lookup)
        return WakeResult::failure(textWith(T_("%1のHost or IPアドレス「%2」が見つかりません！"), {r.subject, r.host}) +
                                   CrLf + lookup.error);
    done.target = *lookup;

    sockaddr_storage to = lookup->address;
    const int family = to.ss_family;
    if (family == AF_INET6)
        reinterpret_cast<sockaddr_in6 *>(&to)->sin6_port = htons(r.port);
    else
        reinterpret_cast<sockaddr_in *>(&to)->sin_port = htons(r.port);
    std::string error;
    const Fd socket = wakeSocket(r, family, error);
    if (socket)
        error =
            family == AF_INET && reinterpret_cast<const sockaddr_in *>(&to)->sin_addr.s_addr == htonl(INADDR_BROADCAST)
                ? sendEveryLink(r, socket.get(), done)
                : sendAddressed(r, socket.get(), to, done);
    if (!error.empty())
        return WakeResult::failure(error);
    return WakeResult{done, {}};
}

WakeResult wake(const WakeSettings &settings, std::string *packet, const Cancel *cancel)
{
    const WakeCheck check = checkWake(settings);
    if (!check)
        return WakeResult::failure(check.error);
    if (packet)
        *packet = check->packet;
    if (settings.via.relay.empty() || check->count <= 0)
        return sendWake(*check);
    const Result<int> sent = wakeThroughRelay(settings.via, *check, cancel);
    if (!sent)
        return WakeResult::failure(textWith(T_("%1を起動できませんでした。"), {wakeSubject(settings)}) + CrLf +
                                   sent.error);
    return {WakeSent{*sent, {}, true}, {}};
}

} // namespace orvane
