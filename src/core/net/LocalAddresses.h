#pragma once

#include <netinet/in.h>

#include <vector>

// This machine's own addresses, as its interfaces hold them: what the wake's link copies, the
// limited broadcast, the checks (which addresses speak for many machines) and the neighbour table
// (which addresses are on a link) all start from.
namespace orvane {

struct LocalAddress {
    int family = AF_UNSPEC; // AF_INET or AF_INET6
    in6_addr address{};     // IPv4 in the first four bytes
    in6_addr mask{};        // likewise
    unsigned flags = 0;     // the interface's IFF_ flags
    unsigned interface = 0; // its index
    unsigned scope = 0;     // an IPv6 address's scope, as the system gives it

    int bytes() const { return family == AF_INET ? 4 : 16; }
    // Whether an address of the same family (its bytes, network order) lies in this one's prefix.
    bool contains(const unsigned char *other) const;
    // How many bits of an address the mask leaves to the host.
    int hostBits() const;
};

// Every IPv4 and IPv6 address of an interface that has a netmask and an index, loopback included
// (its flags say so). Empty when the system can't list them.
std::vector<LocalAddress> localAddresses();

} // namespace orvane
