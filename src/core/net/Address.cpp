#include "core/net/Address.h"

#include "core/net/HostLookup.h"
#include "core/net/LocalAddresses.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <net/if.h>
#include <net/route.h>

namespace orvane {

namespace {

bool sameNetwork(const Address &a, const OwnAddress &o)
{
    if (a.family != o.address.family)
        return false;
    for (int b = 0; b < (a.family == AF_INET ? 4 : 16); ++b)
        if ((a.bytes.s6_addr[b] & o.mask.s6_addr[b]) != (o.address.bytes.s6_addr[b] & o.mask.s6_addr[b]))
            return false;
    return true;
}

} // namespace

AddressKind addressKind(const sockaddr_storage &a, const std::vector<LocalAddress> &links)
{
    const bool v6 = a.ss_family == AF_INET6;
    const auto *bytes =
        v6 ? reinterpret_cast<const sockaddr_in6 *>(&a)->sin6_addr.s6_addr
           : reinterpret_cast<const unsigned char *>(&reinterpret_cast<const sockaddr_in *>(&a)->sin_addr);
    const size_t size = v6 ? 16 : 4;
    if (v6 ? bytes[0] == 0xFF : (bytes[0] & 0xF0) == 0xE0)
        return AddressKind::Multicast;
    if (std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0xFF; }))
        return AddressKind::Broadcast;
    if (std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; }))
        return AddressKind::Network;
    for (const LocalAddress &own : links) {
        if (own.family != a.ss_family || (own.flags & IFF_LOOPBACK) || !own.contains(bytes))
            continue;
        // A /31 or /32 (/127, /128) has no broadcast or network address: both ends are machines.
        if (own.hostBits() < 2)
            continue;
        bool zeros = true, ones = true;
        for (size_t b = 0; b < size; ++b) {
            const auto free = static_cast<unsigned char>(~own.mask.s6_addr[b]);
            zeros = zeros && (bytes[b] & free) == 0;
            ones = ones && (bytes[b] & free) == free;
        }
        if (zeros)
            return AddressKind::Network;
        if (ones && !v6)
            return AddressKind::Broadcast;
    }
    return AddressKind::OneMachine;
}

AddressKind addressKind(const sockaddr_storage &a)
{
    return addressKind(a, localAddresses());
}

std::optional<Address> parseAddress(std::string_view text)
{
    // Read as a host box's address is, scope and all.
    const std::optional<HostAddress> host = numericHost(std::string(text));
    if (!host)
        return std::nullopt;
    return addressOf(reinterpret_cast<const sockaddr *>(&host->address));
}

Address addressOf(const sockaddr *sa)
{
    Address a;
    a.family = sa->sa_family;
    if (sa->sa_family == AF_INET) {
        std::memcpy(&a.bytes, &reinterpret_cast<const sockaddr_in *>(sa)->sin_addr, 4);
    } else if (sa->sa_family == AF_INET6) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(sa);
        a.bytes = in6->sin6_addr;
        a.scope = static_cast<int>(in6->sin6_scope_id);
    }
    return a;
}

std::vector<OwnAddress> ownAddresses()
{
    std::vector<OwnAddress> out;
    for (const LocalAddress &l : localAddresses()) {
        // Point-to-point and tunnel links resolve no MACs.
        if (!(l.flags & IFF_UP) || (l.flags & (IFF_LOOPBACK | IFF_NOARP | IFF_POINTOPOINT)))
            continue;
        OwnAddress o;
        o.address.family = l.family;
        o.address.bytes = l.address;
        o.address.scope = static_cast<int>(l.scope);
        o.mask = l.mask;
        o.prefix = l.bytes() * 8 - l.hostBits();
        o.index = static_cast<int>(l.interface);
        o.local = l;
        out.push_back(o);
    }
    // Host routes without a gateway lead to a machine on the link itself.
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);
    char name[IF_NAMESIZE + 1] = {};
    unsigned destination = 0, gateway = 0, flags = 0, mask = 0;
    while (std::getline(routes, line)) {
        if (std::sscanf(line.c_str(), "%16s %x %x %x %*d %*d %*d %x", name, &destination, &gateway, &flags, &mask) !=
                5 ||
            gateway != 0 || mask != 0xFFFFFFFFu || !(flags & RTF_UP) || (flags & RTF_GATEWAY))
            continue;
        const int index = static_cast<int>(::if_nametoindex(name));
        const auto link = std::find_if(out.begin(), out.end(), [&](const OwnAddress &o) {
            return !o.peer && o.index == index && o.address.family == AF_INET;
        });
        if (link == out.end())
            continue;
        OwnAddress o;
        o.address.family = AF_INET;
        std::memcpy(&o.address.bytes, &destination, 4);
        std::memset(&o.mask, 0xFF, 4);
        o.prefix = 32;
        o.index = index;
        o.peer = true;
        out.push_back(o);
    }
    return out;
}

bool sameBytes(const Address &a, const Address &b)
{
    return a.family == b.family && std::memcmp(&a.bytes, &b.bytes, a.family == AF_INET ? 4 : 16) == 0;
}

std::optional<int> onLink(const Address &a, const std::vector<OwnAddress> &own)
{
    for (const OwnAddress &o : own)
        if (sameBytes(a, o.address))
            return o.peer ? std::optional<int>(o.index) : std::nullopt;
    sockaddr_storage ss;
    a.socketAddress(ss);
    std::vector<LocalAddress> links;
    for (const OwnAddress &o : own)
        if (!o.peer)
            links.push_back(o.local);
    if (addressKind(ss, links) != AddressKind::OneMachine)
        return std::nullopt;
    if (a.family == AF_INET) {
        for (const OwnAddress &o : own)
            if (!o.peer && sameNetwork(a, o) && o.prefix < 32)
                return o.index;
        return std::nullopt;
    }
    if (IN6_IS_ADDR_LOOPBACK(&a.bytes))
        return std::nullopt;
    if (a.linkLocal()) {
        for (const OwnAddress &o : own)
            if (o.address.linkLocal() && (a.scope == 0 || a.scope == o.index))
                return o.index;
        return std::nullopt;
    }
    for (const OwnAddress &o : own)
        if (!o.address.linkLocal() && o.prefix < 128 && sameNetwork(a, o))
            return o.index;
    return std::nullopt;
}

} // namespace orvane
