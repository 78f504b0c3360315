#pragma once

#include "core/io/Fd.h"
#include "core/io/Wait.h"
#include "core/net/Address.h"
#include "core/wake/MagicPacket.h"

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <linux/netlink.h>

// The machines on this machine's own links, known by their MAC: the kernel's neighbour table (ARP for
// IPv4, NDP for IPv6, read over netlink without root) and what makes the kernel fill it.
namespace orvane {

// One entry of the neighbour table that holds a MAC.
struct Neighbour {
    std::string address; // numeric, as inet_ntop writes it (no scope)
    MacAddress mac{};
    int interfaceIndex = 0;
    bool reachable = false; // the kernel heard from it lately (REACHABLE), not only once (STALE ...)
};

// The neighbour table's entries that hold a MAC (reachable, stale, delay, probe, permanent); failed
// and incomplete ones are left out. Empty when netlink can't be read.
std::vector<Neighbour> readNeighbours();

// Whether a numeric address lies on one of this machine's links (inside an IPv4 subnet of an up
// interface, or an IPv6 on-link prefix or link-local), and then the interface. The machine's own
// addresses and broadcast or network addresses are not on-link hosts.
std::optional<int> onLinkInterface(std::string_view address);

// The MAC of a host, for filling the settings: resolved, and only when on one of this machine's links
// (behind a router the table holds the router's MAC), the kernel made to resolve it by one datagram,
// then the table read until the entry appears or timeoutMs is over. Nothing when off-link, unresolved,
// cancelled or timed out.
std::optional<MacAddress> learnMac(const std::string &host, int timeoutMs = 1500, const Cancel *cancel = nullptr);

// For each numeric address: the MAC that answered ARP or neighbour discovery now, the kernel's entry
// REACHABLE. An older entry (STALE, DELAY, PROBE) is asked again by one datagram and waited for, up to
// timeoutMs (the kernel waits 5 s before it asks an old entry again), or until cancelled.
// Nothing where nobody answered.
std::vector<std::optional<MacAddress>> confirmedMacs(const std::vector<std::string> &addresses, int timeoutMs,
                                                     const Cancel *cancel = nullptr);

// The table as address → neighbour (for the sweep).
std::map<Address, Neighbour> neighbourMap();
// The neighbour that one netlink message describes, when it holds a MAC.
std::optional<Neighbour> neighbourOf(const nlmsghdr *h, Address *address = nullptr);
// A socket whose datagrams to the discard port make the kernel resolve their addresses; nudge sends
// one (false only when the send buffer is full).
Fd udpSocket(int family);
bool nudge(int socket, const Address &a);

} // namespace orvane
