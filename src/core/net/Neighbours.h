#pragma once

#include "core/wake/MagicPacket.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The machines on this machine's own links, known by their MAC: the kernel's neighbour table (ARP for
// IPv4, NDP for IPv6, read over netlink without root), what makes the kernel fill it, and the sweep
// that finds PCs. Plain C++, so that orvane-wake has it too.
namespace orvane {

// A whole MAC in one text: "00:11:22:33:44:55", "00-11-22-33-44-55", "0011.2233.4455" or
// "001122334455", either case, blanks around. Anything else is no MAC.
std::optional<MacAddress> parseWholeMac(std::string_view text);

// "00:11:22:33:44:55", upper case.
std::string macText(const MacAddress &mac);

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
std::optional<MacAddress> learnMac(const std::string &host, int timeoutMs = 1500,
                                   const std::atomic<bool> *cancel = nullptr);

// For each numeric address: the MAC that answered ARP or neighbour discovery now, the kernel's entry
// REACHABLE. An older entry (STALE, DELAY, PROBE) is asked again by one datagram and waited for, up to
// timeoutMs (the kernel waits 5 s before it asks an old entry again), or until cancelFd is readable.
// Nothing where nobody answered.
std::vector<std::optional<MacAddress>> confirmedMacs(const std::vector<std::string> &addresses, int timeoutMs,
                                                     int cancelFd = -1);

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
// this machine's address) and the IPv6 neighbours one echo to ff02::1 brings, never more than 256
// addresses pending at once (pending: the kernel still asks for them, about 3 s for an absent one).
// found runs once for each machine, as soon as its MAC is known and its name looked up (at most 1.5 s
// more); a machine with an IPv4 address is found by that one only. progress runs as the sweep goes
// on. Both run on the calling thread. A set cancel ends it within 0.1 s. Unprivileged. Machines that
// the kernel heard from lately on such a subnet but outside what is swept are listed too. covered,
// when given, gets a line for each range swept, or one that says there was none.
void sweepLinks(const std::function<void(const FoundMachine &)> &found,
                const std::function<void(const SweepProgress &)> &progress, const std::atomic<bool> *cancel = nullptr,
                std::vector<std::string> *covered = nullptr);

// The maker for a MAC from the IEEE OUI list (/usr/share/ieee-data/oui.txt), or empty.
std::string makerOf(const MacAddress &mac);
// The same from another copy of the list, read each time.
std::string makerOf(const MacAddress &mac, const std::string &ouiFile);

} // namespace orvane
