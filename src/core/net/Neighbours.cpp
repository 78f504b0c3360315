#include "core/net/Neighbours.h"

#include "core/net/HostLookup.h"
#include "core/net/Netlink.h"

#include <cerrno>
#include <cstring>

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/socket.h>

namespace orvane {

using std::chrono::milliseconds;

std::optional<Neighbour> neighbourOf(const nlmsghdr *h, Address *address)
{
    const std::optional<NeighbourMessage> m = parseNeighbourMessage(h);
    constexpr int WithMac = NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;
    if (!m || m->gone || !(m->state & WithMac) || !m->mac || *m->mac == MacAddress{})
        return std::nullopt;
    Neighbour n;
    n.address = m->address.text();
    n.mac = *m->mac;
    n.interfaceIndex = m->address.scope;
    n.reachable = (m->state & NUD_REACHABLE) != 0;
    if (address)
        *address = m->address;
    return n;
}

std::map<Address, Neighbour> neighbourMap()
{
    std::map<Address, Neighbour> out;
    Fd fd = netlinkSocket();
    if (!fd || !requestDump(fd.get()))
        return out;
    readNetlink(fd.get(), true, [&](const nlmsghdr *h) {
        Address a;
        if (auto n = neighbourOf(h, &a))
            out[a] = *n;
    });
    return out;
}

// A datagram to the discard port: it makes the kernel resolve the address, and asks nothing of it.
bool nudge(int socket, const Address &a)
{
    sockaddr_storage to;
    const socklen_t length = a.socketAddress(to);
    return ::sendto(socket, "", 0, MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&to), length) == 0 ||
           errno != EAGAIN;
}

Fd udpSocket(int family)
{
    Fd fd(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd) {
        // Each datagram waits in the kernel until its address resolves, counted against this buffer.
        const int size = 1 << 20;
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    return fd;
}

std::vector<Neighbour> readNeighbours()
{
    std::vector<Neighbour> out;
    for (auto &entry : neighbourMap())
        out.push_back(std::move(entry.second));
    return out;
}

std::optional<int> onLinkInterface(std::string_view address)
{
    const std::optional<Address> a = parseAddress(address);
    if (!a)
        return std::nullopt;
    return onLink(*a, ownAddresses());
}

std::optional<MacAddress> learnMac(const std::string &host, int timeoutMs, const Cancel *cancel)
{
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    const HostLookup lookup = lookupHost(host, timeoutMs);
    if (!lookup || cancelled(cancel))
        return std::nullopt;
    Address a = addressOf(reinterpret_cast<const sockaddr *>(&lookup->address));
    const std::optional<int> index = onLink(a, ownAddresses());
    if (!index)
        return std::nullopt;
    if (a.linkLocal())
        a.scope = *index;
    const auto find = [&](const std::map<Address, Neighbour> &table) -> std::optional<MacAddress> {
        const auto it = table.find(a);
        // An old entry may be a machine's that is long gone: only one heard from now counts.
        if (it == table.end() || !it->second.reachable || (a.linkLocal() && it->second.interfaceIndex != a.scope))
            return std::nullopt;
        return it->second.mac;
    };

    // Listening before the datagram goes: the entry can't appear unseen in between.
    Fd monitor = netlinkSocket(RTMGRP_NEIGH);
    Fd udp = udpSocket(a.family);
    if (!udp)
        return std::nullopt;
    nudge(udp.get(), a);
    for (;;) {
        if (auto mac = find(neighbourMap()))
            return mac;
        if (cancelled(cancel) || Steady::now() >= deadline)
            return std::nullopt;
        // Without the monitor the table is read again every 50 ms.
        std::vector<pollfd> p{{monitor.get(), POLLIN, 0}};
        sleepOn(p, monitor ? deadline : std::min(deadline, Steady::now() + milliseconds(50)), cancel);
        if (p[0].revents)
            readNetlink(monitor.get(), false, [](const nlmsghdr *) {});
    }
}

std::vector<std::optional<MacAddress>> confirmedMacs(const std::vector<std::string> &addresses, int timeoutMs,
                                                     const Cancel *cancel)
{
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    std::vector<std::optional<MacAddress>> macs(addresses.size());
    if (addresses.empty())
        return macs;
    std::vector<std::optional<Address>> parsed;
    for (const std::string &text : addresses)
        parsed.push_back(parseAddress(text));
    // Listening before the datagrams go: no answer can come unseen in between.
    Fd monitor = netlinkSocket(RTMGRP_NEIGH);
    Fd udp4 = udpSocket(AF_INET), udp6 = udpSocket(AF_INET6);
    bool nudged = false;
    for (;;) {
        const std::map<Address, Neighbour> table = neighbourMap();
        bool open = false;
        for (size_t i = 0; i < parsed.size(); ++i) {
            if (!parsed[i] || macs[i])
                continue;
            const auto it = table.find(*parsed[i]);
            if (it != table.end() && it->second.reachable)
                macs[i] = it->second.mac;
            else
                open = true;
        }
        if (!open || Steady::now() >= deadline)
            return macs;
        if (!nudged) {
            nudged = true;
            for (size_t i = 0; i < parsed.size(); ++i)
                if (parsed[i] && !macs[i])
                    nudge(parsed[i]->family == AF_INET ? udp4.get() : udp6.get(), *parsed[i]);
        }
        // Without the monitor the table is read again every 100 ms.
        std::vector<pollfd> p{{monitor.get(), POLLIN, 0}};
        sleepOn(p, monitor ? deadline : std::min(deadline, Steady::now() + milliseconds(100)), cancel);
        if (cancelled(cancel))
            return macs;
        if (p[0].revents)
            readNetlink(monitor.get(), false, [](const nlmsghdr *) {});
    }
}

} // namespace orvane
