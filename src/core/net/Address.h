#pragma once

// Addresses as the neighbour table, the sweep and the probes key them, and which of them lie on one of
// this machine's links.

#include <compare>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/LocalAddresses.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace orvane {

// An address as the sweep keys it (family and bytes); the link goes along for link-local IPv6.
struct Address {
    int family = AF_UNSPEC;
    in6_addr bytes{}; // IPv4 in the first four bytes
    int scope = 0;

    bool operator<(const Address &o) const
    {
        if (family != o.family)
            return family < o.family;
        return std::memcmp(&bytes, &o.bytes, sizeof bytes) < 0;
    }
    std::uint32_t v4() const
    {
        std::uint32_t n;
        std::memcpy(&n, &bytes, 4);
        return ntohl(n);
    }
    static Address fromV4(std::uint32_t host)
    {
        Address a;
        a.family = AF_INET;
        const std::uint32_t n = htonl(host);
        std::memcpy(&a.bytes, &n, 4);
        return a;
    }
    std::string text() const
    {
        char buf[INET6_ADDRSTRLEN] = {};
        ::inet_ntop(family, &bytes, buf, sizeof buf);
        return buf;
    }
    bool linkLocal() const { return family == AF_INET6 && IN6_IS_ADDR_LINKLOCAL(&bytes); }
    // Where a datagram to port 9 goes.
    socklen_t socketAddress(sockaddr_storage &to) const
    {
        to = {};
        if (family == AF_INET) {
            auto *in = reinterpret_cast<sockaddr_in *>(&to);
            in->sin_family = AF_INET;
            in->sin_port = htons(9);
            std::memcpy(&in->sin_addr, &bytes, 4);
            return sizeof(sockaddr_in);
        }
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&to);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(9);
        in6->sin6_addr = bytes;
        in6->sin6_scope_id = linkLocal() ? static_cast<std::uint32_t>(scope) : 0;
        return sizeof(sockaddr_in6);
    }
};

// A numeric address, a link-local one with its link ("fe80::2%eth0" or "%2"); IPv4-mapped IPv6 as
// IPv4. Nothing for anything else.
std::optional<Address> parseAddress(std::string_view text);
Address addressOf(const sockaddr *sa);

// One address of this machine on a link that has neighbours with MACs.
struct OwnAddress {
    Address address;
    in6_addr mask{};
    int prefix = 0;
    int index = 0;
    LocalAddress local; // as the interface holds it
    bool peer = false;  // not this machine's: the far end of a host route on the link (a /32 link's peer)
};

// What an address stands for: one machine, or many or none, for which no answer speaks for a PC.
enum class AddressKind { OneMachine, Broadcast, Multicast, Network };
// Broadcast: 255.255.255.255 or a subnet's broadcast; Network: a subnet's own address (IPv4, or the
// IPv6 prefix with a zero interface part) of one of this machine's links, or 0.0.0.0 and ::.
AddressKind addressKind(const sockaddr_storage &address);
// The same against these links of this machine.
AddressKind addressKind(const sockaddr_storage &address, const std::vector<LocalAddress> &links);

// The one rule for an address that is no single machine's: the wake sends no link copy for it, the
// checks don't ask it, and it is no host on a link.

// This machine's addresses on links that resolve MACs, and the far ends of their host routes.
std::vector<OwnAddress> ownAddresses();
bool sameBytes(const Address &a, const Address &b);
// The link (interface index) of a host address on one of own's links; nothing for this machine's own
// addresses and for broadcast, network, multicast and loopback addresses.
std::optional<int> onLink(const Address &a, const std::vector<OwnAddress> &own);

} // namespace orvane
