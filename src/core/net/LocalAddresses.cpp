#include "core/net/LocalAddresses.h"

#include <cstring>

#include <ifaddrs.h>
#include <net/if.h>

namespace orvane {

bool LocalAddress::contains(const unsigned char *other) const
{
    for (int b = 0; b < bytes(); ++b)
        if ((other[b] & mask.s6_addr[b]) != (address.s6_addr[b] & mask.s6_addr[b]))
            return false;
    return true;
}

int LocalAddress::hostBits() const
{
    int bits = 0;
    for (int b = 0; b < bytes(); ++b)
        bits += __builtin_popcount(static_cast<unsigned char>(~mask.s6_addr[b]));
    return bits;
}

std::vector<LocalAddress> localAddresses()
{
    std::vector<LocalAddress> out;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return out;
    for (const ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !i->ifa_netmask)
            continue;
        LocalAddress a;
        a.family = i->ifa_addr->sa_family;
        if (a.family == AF_INET) {
            std::memcpy(&a.address, &reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr, 4);
            std::memcpy(&a.mask, &reinterpret_cast<const sockaddr_in *>(i->ifa_netmask)->sin_addr, 4);
        } else if (a.family == AF_INET6) {
            a.address = reinterpret_cast<const sockaddr_in6 *>(i->ifa_addr)->sin6_addr;
            a.mask = reinterpret_cast<const sockaddr_in6 *>(i->ifa_netmask)->sin6_addr;
            a.scope = reinterpret_cast<const sockaddr_in6 *>(i->ifa_addr)->sin6_scope_id;
        } else {
            continue;
        }
        a.flags = i->ifa_flags;
        a.interface = ::if_nametoindex(i->ifa_name);
        if (a.interface != 0)
            out.push_back(a);
    }
    ::freeifaddrs(list);
    return out;
}

} // namespace orvane
