#pragma once

// The sweep that finds the machines of this machine's links, as the finder and `--scan` list them.

#include "core/io/Wait.h"
#include "core/wake/MagicPacket.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace orvane {

// A machine that a sweep found.
struct FoundMachine {
    std::string address; // numeric; a link-local one with its link ("fe80::2%eth0")
    MacAddress mac{};
    std::string name;  // reverse lookup (mDNS .local names where the resolver has them); empty if none
    std::string maker; // from the system's IEEE OUI list (ieee-data); empty if none
};

struct SweepProgress {
    int done = 0;  // addresses settled (found, or given up on)
    int total = 0; // addresses the sweep covers
};

// Sweeps every IPv4 link of this machine (the whole subnet up to /22; for a larger one the /22 around
// this machine's address; the far end of a host route) and the IPv6 neighbours that echoes to ff02::1
// bring, never more than 256 addresses pending at once (pending: the kernel still asks for them, about
// 3 s for an absent one). found runs once for each machine, as soon as its MAC is known and its name
// looked up (at most 1.5 s more); a machine is found by its IPv4 address, else a global IPv6 one, else
// its link-local one. progress runs as the sweep goes on. Both run on the calling thread. A set cancel
// ends it at once. Unprivileged. Machines that the kernel heard from lately on such a subnet but
// outside what is swept are listed too. covered, when given, gets a line for each range swept, or one
// that says there was none.
void sweepLinks(const std::function<void(const FoundMachine &)> &found,
                const std::function<void(const SweepProgress &)> &progress, const Cancel *cancel = nullptr,
                std::vector<std::string> *covered = nullptr);

} // namespace orvane
