#pragma once

#include "core/io/Wait.h"
#include "core/net/HostLookup.h"
#include "core/wake/WakeRequest.h"

#include <string>

namespace orvane {

struct WakeSent {
    int sent = 0;         // times the packet was handed to the system (a broadcast on several links: once)
    HostAddress target;   // where the datagrams went, once the host is resolved; nothing through a relay
    bool relayed = false; // sent by the PC's relay, which said so
};

// What went out, or the message for the user.
using WakeResult = Result<WakeSent>;

// Resolves the host, binds a UDP socket to the local port (port + 1), sends the packet `count`
// times back to back as one datagram each, and closes the socket. The limited broadcast
// (255.255.255.255) leaves on every link that carries broadcasts, from that link's address; a time
// counts as sent when it left on at least one. A count of 0 or less touches neither the resolver nor
// the network.
WakeResult sendWake(const WakeRequest &request, int lookupTimeoutMs = -1);

// The checks, then the sending, here or from the PC's relay: what every way of waking a PC runs.
// `packet` gets the packet of a command that got past the checks. Through a relay it takes seconds
// (the cancel ends it); here it never waits long.
WakeResult wake(const WakeSettings &settings, std::string *packet = nullptr, const Cancel *cancel = nullptr);

} // namespace orvane
