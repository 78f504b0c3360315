#pragma once

// The kernel's route netlink: a socket, its messages, and the neighbour table's messages parsed.

#include "core/io/Fd.h"
#include "core/net/Address.h"
#include "core/wake/MagicPacket.h"

#include <functional>
#include <optional>

#include <linux/netlink.h>

namespace orvane {

// One netlink message about a neighbour: new or changed, or gone.
struct NeighbourMessage {
    Address address;
    int state = 0;
    bool gone = false;
    std::optional<MacAddress> mac;
};

// A new, changed or deleted neighbour in a message, when it names an IPv4 or IPv6 address.
std::optional<NeighbourMessage> parseNeighbourMessage(const nlmsghdr *h);

// A netlink route socket; with groups it also hears the table's changes as they happen.
Fd netlinkSocket(unsigned groups = 0);

// Every message waiting on a netlink socket; for a dump, until its end (waiting at most timeoutMs
// for each part). False when the socket lost messages or failed.
bool readNetlink(int fd, bool dump, const std::function<void(const nlmsghdr *)> &each, int timeoutMs = 1000);

// Asks for the whole neighbour table.
bool requestDump(int fd);

} // namespace orvane
