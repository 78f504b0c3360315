#pragma once

#include "core/io/Result.h"

#include <optional>
#include <string>

#include <sys/socket.h>

namespace orvane {

// How long a host name may take to resolve before the wake command gives up on it.
inline constexpr int HostLookupTimeoutMs = 3000;

struct HostAddress {
    sockaddr_storage address{}; // port 0
    socklen_t length = 0;
    std::string text; // numeric form, for messages
};

// The address, or why there is none, one line for the user.
using HostLookup = Result<HostAddress>;

// An IPv4 or IPv6 address (brackets and a %scope allowed) or a name (UTF-8, international names
// too). Names are resolved by the system resolver in a thread of their own, and the caller waits at
// most timeoutMs for it; a name with an IPv4 address gets that one.
HostLookup lookupHost(const std::string &host, int timeoutMs = HostLookupTimeoutMs);

// The same on the calling thread, for threads of their own: it waits as long as the resolver does
// (made to give up on a silent name server within 2 s).
HostLookup lookupHostHere(const std::string &host);

// The address when the host is written as one (what lookupHost gives it at once, without a thread).
std::optional<HostAddress> numericHost(const std::string &host);

} // namespace orvane
