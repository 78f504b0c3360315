#include "core/net/Sweep.h"

#include "core/io/Fd.h"
#include "core/net/Address.h"
#include "core/net/Makers.h"
#include "core/net/NameLookups.h"
#include "core/net/Neighbours.h"
#include "core/net/Netlink.h"
#include "core/record/Language.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

#include <cerrno>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/icmp6.h>
#include <poll.h>
#include <sys/socket.h>

namespace orvane {

namespace {

using std::chrono::milliseconds;

// The kernel sends its first request at once and the next only a second later; a machine on a wired
// or busy wireless link answers the first well within this, after which the sweep counts it absent.
constexpr int GiveUpMs = 600;
// The kernel itself keeps asking for an address (an incomplete entry in its table) until its retries
// are over: three requests a second apart by default. Only so many such entries at once, so the table
// (at most 1024 entries by default, for every program of this machine) never fills up.
constexpr size_t MaxPending = 256;
constexpr int KernelRetriesMs = 3500;
// An old entry (STALE) is asked again only after the kernel's first-probe delay of 5 s, then three
// times a second apart: it takes this long to know whether its machine is still there.
constexpr int OldEntryMs = 8500;
// Names come from the resolver; a slow or absent name server must not hold the list back.
constexpr int NameWaitMs = 1500;
// A link larger than this is swept only around this machine's own address.
constexpr int WidestPrefix = 22;

// What the sweep knows of one address.
struct Target {
    enum State { Waiting, Sent, Settled } state = Waiting;
    Steady::time_point giveUp;
    bool resolving = false; // the kernel still asks for it
    Steady::time_point kernelGivesUp;
    bool found = false;
    bool reported = false;
    bool named = false;
    Steady::time_point nameDeadline;
    FoundMachine machine;
};

// The addresses of an IPv4 link that a sweep covers.
void addLink(const OwnAddress &o, const std::vector<OwnAddress> &own, std::map<Address, Target> &targets,
             std::vector<std::string> &covered)
{
    char link[IF_NAMESIZE] = "?";
    ::if_indextoname(static_cast<unsigned>(o.index), link);
    if (o.peer && targets.emplace(o.address, Target{}).second)
        covered.push_back(textWith(T_("%1/32（%2 の経路の先）"), {o.address.text(), link}));
    if (o.peer || o.prefix < 1 || o.prefix > 31)
        return;
    const std::uint32_t self = o.address.v4();
    const int prefix = std::max(o.prefix, WidestPrefix);
    const std::uint32_t mask = 0xFFFFFFFFu << (32 - prefix);
    for (std::uint32_t host = self & mask; host <= (self | ~mask); ++host) {
        const Address a = Address::fromV4(host);
        if (onLink(a, own))
            targets.emplace(a, Target{});
        if (host == 0xFFFFFFFFu)
            break;
    }
    const std::uint32_t subnet = 0xFFFFFFFFu << (32 - o.prefix);
    const std::string first = Address::fromV4(self & mask).text(), whole = Address::fromV4(self & subnet).text();
    covered.push_back(prefix == o.prefix
                          ? textWith(T_("%1/%2（%3）"), {whole, std::to_string(prefix), link})
                          : textWith(T_("%1/%2（%3 の %4/%5 のうち、このマシンのまわり）"),
                                     {first, std::to_string(prefix), link, whole, std::to_string(o.prefix)}));
}

// One echo to all nodes of each IPv6 link, where the system lets any user send echoes; one more from
// each global address, which a machine answers from its own global address (a host box wants that).
std::vector<Fd> echoAllNodes(const std::vector<OwnAddress> &own)
{
    std::vector<Fd> sockets;
    std::set<int> links;
    for (const OwnAddress &o : own) {
        if (o.address.family != AF_INET6 || (!o.address.linkLocal() && o.prefix >= 128) ||
            (o.address.linkLocal() && !links.insert(o.index).second))
            continue;
        Fd fd(::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMPV6));
        sockaddr_in6 from{};
        from.sin6_family = AF_INET6;
        from.sin6_addr = o.address.bytes;
        if (!fd || (!o.address.linkLocal() && ::bind(fd.get(), reinterpret_cast<sockaddr *>(&from), sizeof from) != 0))
            continue;
        unsigned char packet[16] = {ICMP6_ECHO_REQUEST};
        std::memcpy(packet + 8, "Orvane..", 8);
        sockaddr_in6 to{};
        to.sin6_family = AF_INET6;
        ::inet_pton(AF_INET6, "ff02::1", &to.sin6_addr);
        to.sin6_scope_id = static_cast<std::uint32_t>(o.index);
        const int hops = 255;
        ::setsockopt(fd.get(), IPPROTO_IPV6, IPV6_MULTICAST_HOPS, &hops, sizeof hops);
        if (::sendto(fd.get(), packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&to), sizeof to) > 0)
            sockets.push_back(std::move(fd));
    }
    return sockets;
}

// The sweep's state from start to end: what it sends, hears and reports.
class Sweep {
public:
    Sweep(const std::function<void(const FoundMachine &)> &found,
          const std::function<void(const SweepProgress &)> &progress, const Cancel *cancel)
        : m_found(found), m_progress(progress), m_cancel(cancel), m_own(ownAddresses())
    {
    }

    std::vector<std::string> plan()
    {
        std::vector<std::string> ranges;
        for (const OwnAddress &o : m_own)
            if (o.address.family == AF_INET)
                addLink(o, m_own, m_targets, ranges);
        if (ranges.empty())
            ranges.push_back(T_("調べられる IPv4 のネットワークがありません（サブネットのあるリンクがない）"));
        m_now.total = static_cast<int>(m_targets.size());
        return ranges;
    }

    void run()
    {
        m_monitor = netlinkSocket(RTMGRP_NEIGH);
        m_udp4 = udpSocket(AF_INET);
        m_udp6 = udpSocket(AF_INET6);
        m_echoes = echoAllNodes(m_own);
        m_echoEnd = Steady::now() + milliseconds(m_echoes.empty() ? 0 : GiveUpMs);
        readTable();
        m_next = m_targets.begin();
        while (!cancelled(m_cancel)) {
            sendMore();
            bool overdue = false;
            const std::optional<Steady::time_point> wake = review(overdue);
            if (m_progress && (m_now.done != m_shown.done || m_now.total != m_shown.total)) {
                m_shown = m_now;
                m_progress(m_now);
            }
            if (!wake)
                break;
            if (!listen(overdue ? Steady::now() : *wake))
                break;
        }
    }

private:
    void release(Target &t)
    {
        if (t.resolving)
            --m_pending;
        t.resolving = false;
    }

    void settle(Target &t)
    {
        if (t.state != Target::Settled)
            ++m_now.done;
        t.state = Target::Settled;
    }

    void learned(const Address &a, const MacAddress &mac)
    {
        const auto it = m_targets.find(a);
        if (it == m_targets.end() || it->second.found)
            return;
        Target &t = it->second;
        release(t);
        settle(t);
        t.found = true;
        t.machine.address = a.text();
        // A link-local address names a machine only with its link: without it a host box checks nothing.
        char link[IF_NAMESIZE] = {};
        if (a.linkLocal() && ::if_indextoname(static_cast<unsigned>(a.scope), link))
            t.machine.address += std::string("%") + link;
        t.machine.mac = mac;
        t.nameDeadline = Steady::now() + milliseconds(NameWaitMs);
        if (a.family == AF_INET)
            m_v4Macs.insert(mac);
        else if (!a.linkLocal())
            m_v6Macs.insert(mac);
        m_names.lookUp(a);
    }

    // Only entries the kernel heard from lately; an older one is asked again with the rest, and its
    // address waited for as long as the kernel takes to ask an old entry.
    void readTable()
    {
        for (const auto &[a, n] : neighbourMap()) {
            // Heard from lately on one of the subnets, though outside what is swept: listed all the same.
            if (n.reachable && a.family == AF_INET && !m_targets.count(a) && onLink(a, m_own)) {
                m_targets.emplace(a, Target{});
                ++m_now.total;
            }
            if (n.reachable)
                learned(a, n.mac);
            else
                m_old.insert(a);
        }
    }

    void report(Target &t)
    {
        if (t.reported)
            return;
        t.reported = true;
        // A machine is listed once: by its IPv4 address, else by a global IPv6 one.
        const bool linkLocal = t.machine.address.find('%') != std::string::npos;
        if ((t.machine.address.find(':') != std::string::npos && m_v4Macs.count(t.machine.mac)) ||
            (linkLocal && m_v6Macs.count(t.machine.mac)))
            return;
        t.machine.maker = makerOf(t.machine.mac);
        if (m_found)
            m_found(t.machine);
    }

    // As many new addresses as the limit allows; those the table knew are settled already.
    void sendMore()
    {
        for (; m_next != m_targets.end() && m_pending < MaxPending; ++m_next) {
            Target &t = m_next->second;
            if (t.state != Target::Waiting)
                continue;
            const Address &a = m_next->first;
            if (!nudge(a.family == AF_INET ? m_udp4.get() : m_udp6.get(), a))
                break; // the send buffer is full: again after the next wait
            t.state = Target::Sent;
            const bool wasKnown = m_old.count(a) > 0;
            t.giveUp = Steady::now() + milliseconds(wasKnown ? OldEntryMs : GiveUpMs);
            t.resolving = true;
            t.kernelGivesUp = Steady::now() + milliseconds(wasKnown ? OldEntryMs : KernelRetriesMs);
            ++m_pending;
        }
    }

    // Reports what is due and gives up on what is overdue; when to look again, or nothing once done.
    std::optional<Steady::time_point> review(bool &overdue)
    {
        const Steady::time_point at = Steady::now();
        Steady::time_point wake = at + milliseconds(60000);
        const bool sending = m_next != m_targets.end();
        bool open = sending || at < m_echoEnd;
        bool v4Open = sending && m_next->first.family == AF_INET;
        bool globalOpen = at < m_echoEnd || sending;
        for (const auto &[a, t] : m_targets) {
            v4Open = v4Open || (a.family == AF_INET && t.state != Target::Settled);
            globalOpen = globalOpen || (a.family == AF_INET6 && !a.linkLocal() && t.state != Target::Settled);
        }
        for (auto &[a, t] : m_targets) {
            if (t.state == Target::Sent) {
                overdue = overdue || at >= t.giveUp;
                wake = std::min(wake, t.giveUp);
                open = true;
            }
            if (t.resolving && at >= t.kernelGivesUp)
                release(t); // its end went unheard
            else if (t.resolving && sending)
                wake = std::min(wake, t.kernelGivesUp);
            if (t.found && !t.reported) {
                if (a.family == AF_INET6 && (v4Open || (a.linkLocal() && globalOpen)))
                    open = true; // listed once its MAC is known not to be another address's
                else if (t.named || at >= t.nameDeadline)
                    report(t);
                else
                    wake = std::min(wake, t.nameDeadline);
                open = open || !t.reported;
            }
        }
        if (overdue) {
            // Anything the table learned that the monitor missed, before anyone is given up.
            readTable();
            for (auto &[a, t] : m_targets)
                if (t.state == Target::Sent && Steady::now() >= t.giveUp)
                    settle(t);
        }
        if (!open)
            return std::nullopt;
        if (at < m_echoEnd)
            wake = std::min(wake, m_echoEnd);
        if (sending && m_pending < MaxPending)
            wake = std::min(wake, at + milliseconds(20)); // a full send buffer drains meanwhile
        return wake;
    }

    // Waits until then for the table, a name or an echo, and takes in what came; false on a failed poll.
    bool listen(Steady::time_point until)
    {
        std::vector<pollfd> polled = {{m_monitor.get(), POLLIN, 0}, {m_names.wakeFd(), POLLIN, 0}};
        for (const Fd &e : m_echoes)
            polled.push_back({e.get(), POLLIN, 0});
        if (!sleepOn(polled, until, m_cancel))
            return false;
        if (polled[0].revents)
            hearTable();
        if (polled[1].revents) {
            for (const auto &[a, name] : m_names.take()) {
                const auto it = m_targets.find(a);
                if (it != m_targets.end()) {
                    it->second.named = true;
                    it->second.machine.name = name;
                }
            }
        }
        bool answered = false;
        for (size_t e = 0; e < m_echoes.size(); ++e)
            if (polled[2 + e].revents)
                answered = hearEchoes(m_echoes[e].get()) || answered;
        if (answered) {
            // New addresses may sort before the cursor: it starts over, passing the others by.
            m_next = m_targets.begin();
            readTable();
        }
        return true;
    }

    void hearTable()
    {
        std::vector<std::pair<Address, MacAddress>> heard;
        const bool whole = readNetlink(m_monitor.get(), false, [&](const nlmsghdr *h) {
            Address a;
            if (auto n = neighbourOf(h, &a); n && n->reachable) {
                heard.emplace_back(a, n->mac);
            } else if (auto m = parseNeighbourMessage(h); m && (m->gone || m->state == NUD_FAILED)) {
                // The kernel is done with the address: its place goes to the next one.
                if (const auto it = m_targets.find(m->address); it != m_targets.end())
                    release(it->second);
            }
        });
        for (const auto &[a, mac] : heard)
            learned(a, mac);
        if (!whole)
            readTable(); // the socket lost changes
    }

    // Each machine that answered an echo is one more address to resolve.
    bool hearEchoes(int fd)
    {
        for (int reads = 0; reads < 256; ++reads) {
            unsigned char buf[256];
            sockaddr_in6 from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &length);
            if (n < 0)
                break;
            if (n < 8 || buf[0] != ICMP6_ECHO_REPLY)
                continue;
            const Address a = addressOf(reinterpret_cast<const sockaddr *>(&from));
            if (!onLink(a, m_own) || m_targets.count(a))
                continue;
            m_targets.emplace(a, Target{});
            ++m_now.total;
        }
        return true;
    }

    const std::function<void(const FoundMachine &)> &m_found;
    const std::function<void(const SweepProgress &)> &m_progress;
    const Cancel *m_cancel;
    const std::vector<OwnAddress> m_own;
    std::map<Address, Target> m_targets;
    std::map<Address, Target>::iterator m_next;
    std::set<Address> m_old;                 // entries the table had, but not heard from lately
    std::set<MacAddress> m_v4Macs, m_v6Macs; // of machines found at an IPv4, a global IPv6 address
    size_t m_pending = 0;
    SweepProgress m_shown{-1, -1}, m_now{0, 0};
    Fd m_monitor, m_udp4, m_udp6;
    std::vector<Fd> m_echoes;
    Steady::time_point m_echoEnd;
    NameLookups m_names;
};

} // namespace

void sweepLinks(const std::function<void(const FoundMachine &)> &found,
                const std::function<void(const SweepProgress &)> &progress, const Cancel *cancel,
                std::vector<std::string> *covered)
{
    Sweep sweep(found, progress, cancel);
    const std::vector<std::string> ranges = sweep.plan();
    if (covered)
        *covered = ranges;
    sweep.run();
}

} // namespace orvane
