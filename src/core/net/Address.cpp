#include "core/net/Address.h"

#include "core/net/LocalAddresses.h"

#include <algorithm>
#include <cstdio>
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

std::optional<Address> parseAddress(std::string_view text)
{
    Address a;
    const std::string s(text);
    if (::inet_pton(AF_INET, s.c_str(), &a.bytes) == 1) {
        a.family = AF_INET;
        return a;
    }
    const size_t pct = s.find('%');
    if (::inet_pton(AF_INET6, s.substr(0, pct).c_str(), &a.bytes) != 1)
        return std::nullopt;
    a.family = AF_INET6;
    if (pct != std::string::npos) {
        const std::string scope = s.substr(pct + 1);
        a.scope = static_cast<int>(::if_nametoindex(scope.c_str()));
        if (a.scope == 0 && !scope.empty() && scope.find_first_not_of("0123456789") == std::string::npos &&
            scope.size() < 10)
            a.scope = std::stoi(scope);
        if (a.scope == 0)
            return std::nullopt;
    }
    if (IN6_IS_ADDR_V4MAPPED(&a.bytes)) {
        in6_addr v6 = a.bytes;
        a = {};
        a.family = AF_INET;
        std::memcpy(&a.bytes, v6.s6_addr + 12, 4);
    }
    return a;
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
    if (a.family == AF_INET) {
        const std::uint32_t v4 = a.v4();
        if (v4 == 0xFFFFFFFFu || (v4 >> 28) == 0xE)
            return std::nullopt;
        for (const OwnAddress &o : own) {
            if (o.peer || !sameNetwork(a, o) || o.prefix >= 32)
                continue;
            const std::uint32_t hostBits = o.prefix == 0 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> o.prefix);
            // A /31 has no network or broadcast address: both are hosts.
            if (o.prefix < 31 && ((v4 & hostBits) == 0 || (v4 & hostBits) == hostBits))
                return std::nullopt;
            return o.index;
        }
        return std::nullopt;
    }
    if (IN6_IS_ADDR_MULTICAST(&a.bytes) || IN6_IS_ADDR_UNSPECIFIED(&a.bytes) || IN6_IS_ADDR_LOOPBACK(&a.bytes))
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
