#include "core/net/Neighbours.h"

#include "core/net/HostLookup.h"
#include "core/net/LocalAddresses.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>

#include <arpa/inet.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/route.h>
#include <netdb.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a wait looks at a caller's cancel flag.
constexpr int CancelSliceMs = 100;
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
constexpr int NameThreads = 8;
// A link larger than this is swept only around this machine's own address.
constexpr int WidestPrefix = 22;

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

int msUntil(Steady::time_point t)
{
    const auto left = std::chrono::duration_cast<milliseconds>(t - Steady::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A file descriptor closed with its owner.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&o) noexcept : fd(o.fd) { o.fd = -1; }
    Fd &operator=(Fd &&o) noexcept
    {
        std::swap(fd, o.fd);
        return *this;
    }
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    explicit operator bool() const { return fd >= 0; }
};

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

std::optional<Address> parseAddress(std::string_view text)
{
    Address a;
    const std::string s(text);
    if (::inet_pton(AF_INET, s.c_str(), &a.bytes) == 1) {
        a.family = AF_INET;
        return a;
    }
    const size_t pct = s.find('%');
    if (::inet_pton(AF_INET6, s.substr(0, pct).c_str(), &a.bytes) != 1)
        return std::nullopt;
    a.family = AF_INET6;
    if (pct != std::string::npos) {
        const std::string scope = s.substr(pct + 1);
        a.scope = static_cast<int>(::if_nametoindex(scope.c_str()));
        if (a.scope == 0 && !scope.empty() && scope.find_first_not_of("0123456789") == std::string::npos &&
            scope.size() < 10)
            a.scope = std::stoi(scope);
        if (a.scope == 0)
            return std::nullopt;
    }
    if (IN6_IS_ADDR_V4MAPPED(&a.bytes)) {
        in6_addr v6 = a.bytes;
        a = {};
        a.family = AF_INET;
        std::memcpy(&a.bytes, v6.s6_addr + 12, 4);
    }
    return a;
}

Address addressOf(const sockaddr *sa)
{
    Address a;
    a.family = sa->sa_family;
    if (sa->sa_family == AF_INET) {
        std::memcpy(&a.bytes, &reinterpret_cast<const sockaddr_in *>(sa)->sin_addr, 4);
    } else if (sa->sa_family == AF_INET6) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(sa);
        a.bytes = in6->sin6_addr;
        a.scope = static_cast<int>(in6->sin6_scope_id);
    }
    return a;
}

// One address of this machine on a link that has neighbours with MACs.
struct OwnAddress {
    Address address;
    in6_addr mask{};
    int prefix = 0;
    int index = 0;
    bool peer = false; // not this machine's: the far end of a host route on the link (a /32 link's peer)
};

std::vector<OwnAddress> ownAddresses()
{
    std::vector<OwnAddress> out;
    for (const LocalAddress &l : localAddresses()) {
        // Point-to-point and tunnel links resolve no MACs.
        if (!(l.flags & IFF_UP) || (l.flags & (IFF_LOOPBACK | IFF_NOARP | IFF_POINTOPOINT)))
            continue;
        OwnAddress o;
        o.address.family = l.family;
        o.address.bytes = l.address;
        o.address.scope = static_cast<int>(l.scope);
        o.mask = l.mask;
        o.prefix = l.bytes() * 8 - l.hostBits();
        o.index = static_cast<int>(l.interface);
        out.push_back(o);
    }
    // Host routes without a gateway lead to a machine on the link itself.
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);
    char name[IF_NAMESIZE + 1] = {};
    unsigned destination = 0, gateway = 0, flags = 0, mask = 0;
    while (std::getline(routes, line)) {
        if (std::sscanf(line.c_str(), "%16s %x %x %x %*d %*d %*d %x", name, &destination, &gateway, &flags, &mask) !=
                5 ||
            gateway != 0 || mask != 0xFFFFFFFFu || !(flags & RTF_UP) || (flags & RTF_GATEWAY))
            continue;
        const int index = static_cast<int>(::if_nametoindex(name));
        const auto link = std::find_if(out.begin(), out.end(), [&](const OwnAddress &o) {
            return !o.peer && o.index == index && o.address.family == AF_INET;
        });
        if (link == out.end())
            continue;
        OwnAddress o;
        o.address.family = AF_INET;
        std::memcpy(&o.address.bytes, &destination, 4);
        std::memset(&o.mask, 0xFF, 4);
        o.prefix = 32;
        o.index = index;
        o.peer = true;
        out.push_back(o);
    }
    return out;
}

bool sameNetwork(const Address &a, const OwnAddress &o)
{
    if (a.family != o.address.family)
        return false;
    for (int b = 0; b < (a.family == AF_INET ? 4 : 16); ++b)
        if ((a.bytes.s6_addr[b] & o.mask.s6_addr[b]) != (o.address.bytes.s6_addr[b] & o.mask.s6_addr[b]))
            return false;
    return true;
}

bool sameBytes(const Address &a, const Address &b)
{
    return a.family == b.family && std::memcmp(&a.bytes, &b.bytes, a.family == AF_INET ? 4 : 16) == 0;
}

std::optional<int> onLink(const Address &a, const std::vector<OwnAddress> &own)
{
    for (const OwnAddress &o : own)
        if (sameBytes(a, o.address))
            return o.peer ? std::optional<int>(o.index) : std::nullopt;
    if (a.family == AF_INET) {
        const std::uint32_t v4 = a.v4();
        if (v4 == 0xFFFFFFFFu || (v4 >> 28) == 0xE)
            return std::nullopt;
        for (const OwnAddress &o : own) {
            if (o.peer || !sameNetwork(a, o) || o.prefix >= 32)
                continue;
            const std::uint32_t hostBits = o.prefix == 0 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> o.prefix);
            // A /31 has no network or broadcast address: both are hosts.
            if (o.prefix < 31 && ((v4 & hostBits) == 0 || (v4 & hostBits) == hostBits))
                return std::nullopt;
            return o.index;
        }
        return std::nullopt;
    }
    if (IN6_IS_ADDR_MULTICAST(&a.bytes) || IN6_IS_ADDR_UNSPECIFIED(&a.bytes) || IN6_IS_ADDR_LOOPBACK(&a.bytes))
        return std::nullopt;
    if (a.linkLocal()) {
        for (const OwnAddress &o : own)
            if (o.address.linkLocal() && (a.scope == 0 || a.scope == o.index))
                return o.index;
        return std::nullopt;
    }
    for (const OwnAddress &o : own)
        if (!o.address.linkLocal() && o.prefix < 128 && sameNetwork(a, o))
            return o.index;
    return std::nullopt;
}

// One netlink message about a neighbour: new or changed, or gone.
struct NeighbourMessage {
    Address address;
    int state = 0;
    bool gone = false;
    std::optional<MacAddress> mac;
};

std::optional<NeighbourMessage> parseNeighbourMessage(const nlmsghdr *h)
{
    if ((h->nlmsg_type != RTM_NEWNEIGH && h->nlmsg_type != RTM_DELNEIGH) || h->nlmsg_len < NLMSG_LENGTH(sizeof(ndmsg)))
        return std::nullopt;
    const auto *nd = static_cast<const ndmsg *>(NLMSG_DATA(h));
    if (nd->ndm_family != AF_INET && nd->ndm_family != AF_INET6)
        return std::nullopt;
    NeighbourMessage m;
    m.address.family = nd->ndm_family;
    m.address.scope = nd->ndm_ifindex;
    m.state = nd->ndm_state;
    m.gone = h->nlmsg_type == RTM_DELNEIGH;
    bool haveDst = false;
    int left = static_cast<int>(h->nlmsg_len - NLMSG_LENGTH(sizeof(ndmsg)));
    for (auto *rta = reinterpret_cast<const rtattr *>(reinterpret_cast<const char *>(nd) + NLMSG_ALIGN(sizeof(ndmsg)));
         RTA_OK(rta, left); rta = RTA_NEXT(rta, left)) {
        const auto length = RTA_PAYLOAD(rta);
        if (rta->rta_type == NDA_DST && length == (m.address.family == AF_INET ? 4u : 16u)) {
            std::memcpy(&m.address.bytes, RTA_DATA(rta), length);
            haveDst = true;
        } else if (rta->rta_type == NDA_LLADDR && length == MacBytes) {
            m.mac.emplace();
            std::memcpy(m.mac->data(), RTA_DATA(rta), MacBytes);
        }
    }
    if (!haveDst)
        return std::nullopt;
    return m;
}

// The neighbour that one netlink message describes, when it holds a MAC.
std::optional<Neighbour> neighbourOf(const nlmsghdr *h, Address *address = nullptr)
{
    const std::optional<NeighbourMessage> m = parseNeighbourMessage(h);
    constexpr int WithMac = NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;
    if (!m || m->gone || !(m->state & WithMac) || !m->mac || *m->mac == MacAddress{})
        return std::nullopt;
    Neighbour n;
    n.address = m->address.text();
    n.mac = *m->mac;
    n.interfaceIndex = m->address.scope;
    n.reachable = (m->state & NUD_REACHABLE) != 0;
    if (address)
        *address = m->address;
    return n;
}

// A netlink route socket; with groups it also hears the table's changes as they happen.
Fd netlinkSocket(unsigned groups = 0)
{
    Fd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    if (!fd)
        return fd;
    const int size = 1 << 20;
    ::setsockopt(fd.fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(fd.fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0)
        return Fd();
    return fd;
}

// Every message waiting on a netlink socket; for a dump, until its end (waiting at most timeoutMs
// for each part). False when the socket lost messages or failed.
template <class Each> bool readNetlink(int fd, bool dump, const Each &each, int timeoutMs = 1000)
{
    alignas(nlmsghdr) char buf[32768];
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!dump)
                    return true;
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, timeoutMs) <= 0)
                    return false;
                continue;
            }
            return false;
        }
        int left = static_cast<int>(n);
        for (auto *h = reinterpret_cast<const nlmsghdr *>(buf); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_type == NLMSG_DONE)
                return true;
            if (h->nlmsg_type == NLMSG_ERROR)
                return !dump;
            each(h);
        }
    }
}

bool requestDump(int fd)
{
    struct {
        nlmsghdr header;
        ndmsg body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.body.ndm_family = AF_UNSPEC;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    return ::sendto(fd, &request, sizeof request, 0, reinterpret_cast<sockaddr *>(&kernel), sizeof kernel) ==
           static_cast<ssize_t>(sizeof request);
}

// The table as address → neighbour.
std::map<Address, Neighbour> neighbourMap()
{
    std::map<Address, Neighbour> out;
    Fd fd = netlinkSocket();
    if (!fd || !requestDump(fd.fd))
        return out;
    readNetlink(fd.fd, true, [&](const nlmsghdr *h) {
        Address a;
        if (auto n = neighbourOf(h, &a))
            out[a] = *n;
    });
    return out;
}

// A datagram to the discard port: it makes the kernel resolve the address, and asks nothing of it.
bool nudge(int socket, const Address &a)
{
    sockaddr_storage to;
    const socklen_t length = a.socketAddress(to);
    return ::sendto(socket, "", 0, MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&to), length) == 0 ||
           errno != EAGAIN;
}

Fd udpSocket(int family)
{
    Fd fd(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd) {
        // Each datagram waits in the kernel until its address resolves, counted against this buffer.
        const int size = 1 << 20;
        ::setsockopt(fd.fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    return fd;
}

// Reverse lookups on a few threads of their own; the sweep's poll wakes through an eventfd when a
// name is in. The state is shared, so a thread still waiting on the resolver outlives the sweep.
// Whether a name resolves to this address (among others).
bool leadsBackTo(const char *name, const Address &a)
{
    addrinfo hints{};
    hints.ai_family = a.family;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0)
        return false;
    bool back = false;
    for (const addrinfo *i = found; i && !back; i = i->ai_next)
        back = addressOf(i->ai_addr).text() == a.text();
    ::freeaddrinfo(found);
    return back;
}

class NameLookups {
public:
    NameLookups() : m_shared(std::make_shared<Shared>()) { m_shared->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }
    ~NameLookups()
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->queue.clear();
        m_shared->more.notify_all();
    }
    NameLookups(const NameLookups &) = delete;
    NameLookups &operator=(const NameLookups &) = delete;

    int wakeFd() const { return m_shared->wake; }

    void lookUp(const Address &a)
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->queue.push_back(a);
        m_shared->more.notify_one();
        if (m_threads < NameThreads && m_threads < static_cast<int>(m_shared->queue.size()) + m_shared->busy) {
            try {
                std::thread(work, m_shared).detach();
                ++m_threads;
            } catch (const std::system_error &) {
            }
        }
    }

    // Names found since the last call.
    std::vector<std::pair<Address, std::string>> take()
    {
        std::uint64_t count;
        [[maybe_unused]] const ssize_t r = ::read(m_shared->wake, &count, sizeof count);
        std::lock_guard lock(m_shared->mutex);
        return std::exchange(m_shared->done, {});
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable more;
        std::vector<Address> queue;
        std::vector<std::pair<Address, std::string>> done;
        int busy = 0;
        bool stop = false;
        int wake = -1;
        ~Shared()
        {
            if (wake >= 0)
                ::close(wake);
        }
    };

    static void work(std::shared_ptr<Shared> shared)
    {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->more.wait(lock, [&] { return shared->stop || !shared->queue.empty(); });
            if (shared->stop)
                return;
            const Address a = shared->queue.back();
            shared->queue.pop_back();
            ++shared->busy;
            lock.unlock();
            sockaddr_storage ss;
            const socklen_t length = a.socketAddress(ss);
            char host[NI_MAXHOST] = {};
            // A name is the machine's only when it leads back to it: a reverse name without a forward
            // record, or with another machine's address, would make a host that wakes or checks nothing
            // or someone else.
            if (::getnameinfo(reinterpret_cast<const sockaddr *>(&ss), length, host, sizeof host, nullptr, 0,
                              NI_NAMEREQD) != 0 ||
                !leadsBackTo(host, a))
                host[0] = '\0';
            lock.lock();
            --shared->busy;
            shared->done.emplace_back(a, host);
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t w = ::write(shared->wake, &one, sizeof one);
        }
    }

    std::shared_ptr<Shared> m_shared;
    int m_threads = 0;
};

std::string trimmed(const std::string &s)
{
    size_t from = 0, to = s.size();
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.substr(from, to - from);
}

std::unordered_map<std::uint32_t, std::string> readOui(const std::string &file)
{
    std::unordered_map<std::uint32_t, std::string> makers;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        // "00-1B-21   (hex)\t\tIntel Corporate"
        const size_t hex = line.find("(hex)");
        if (hex == std::string::npos)
            continue;
        const std::string prefix = trimmed(line.substr(0, hex));
        if (prefix.size() != 8 || prefix[2] != '-' || prefix[5] != '-')
            continue;
        std::uint32_t oui = 0;
        bool ok = true;
        for (const size_t i : {0, 1, 3, 4, 6, 7}) {
            const int v = hexDigit(prefix[i]);
            ok = ok && v >= 0;
            oui = oui << 4 | static_cast<std::uint32_t>(std::max(v, 0));
        }
        if (ok)
            makers.emplace(oui, trimmed(line.substr(hex + 5)));
    }
    return makers;
}

std::uint32_t ouiOf(const MacAddress &mac)
{
    return std::uint32_t{mac[0]} << 16 | std::uint32_t{mac[1]} << 8 | mac[2];
}

} // namespace

std::optional<MacAddress> parseWholeMac(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    std::string digits;
    if (text.size() == 17) {
        // Five separators, all the same: ':' or '-'.
        const char separator = text[2];
        if (separator != ':' && separator != '-')
            return std::nullopt;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != separator)
                    return std::nullopt;
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 14) {
        if (text[4] != '.' || text[9] != '.')
            return std::nullopt;
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 4)) + std::string(text.substr(10, 4));
    } else if (text.size() == 12) {
        digits = text;
    } else {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < MacBytes; ++i) {
        const int high = hexDigit(digits[2 * i]), low = hexDigit(digits[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return mac;
}

std::string macText(const MacAddress &mac)
{
    char buf[18];
    std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return buf;
}

std::vector<Neighbour> readNeighbours()
{
    std::vector<Neighbour> out;
    for (auto &entry : neighbourMap())
        out.push_back(std::move(entry.second));
    return out;
}

std::optional<int> onLinkInterface(std::string_view address)
{
    const std::optional<Address> a = parseAddress(address);
    if (!a)
        return std::nullopt;
    return onLink(*a, ownAddresses());
}

std::optional<MacAddress> learnMac(const std::string &host, int timeoutMs, const std::atomic<bool> *cancel)
{
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    const HostLookup lookup = lookupHost(host, timeoutMs);
    if (!lookup.ok || cancelled(cancel))
        return std::nullopt;
    Address a = addressOf(reinterpret_cast<const sockaddr *>(&lookup.host.address));
    const std::optional<int> index = onLink(a, ownAddresses());
    if (!index)
        return std::nullopt;
    if (a.linkLocal())
        a.scope = *index;
    const auto find = [&](const std::map<Address, Neighbour> &table) -> std::optional<MacAddress> {
        const auto it = table.find(a);
        // An old entry may be a machine's that is long gone: only one heard from now counts.
        if (it == table.end() || !it->second.reachable || (a.linkLocal() && it->second.interfaceIndex != a.scope))
            return std::nullopt;
        return it->second.mac;
    };

    // Listening before the datagram goes: the entry can't appear unseen in between.
    Fd monitor = netlinkSocket(RTMGRP_NEIGH);
    Fd udp = udpSocket(a.family);
    if (!udp)
        return std::nullopt;
    nudge(udp.fd, a);
    for (;;) {
        if (auto mac = find(neighbourMap()))
            return mac;
        if (cancelled(cancel) || Steady::now() >= deadline)
            return std::nullopt;
        const int wait = std::min(cancel ? CancelSliceMs : 60000, msUntil(deadline));
        if (monitor) {
            pollfd p{monitor.fd, POLLIN, 0};
            if (::poll(&p, 1, wait) > 0)
                readNetlink(monitor.fd, false, [](const nlmsghdr *) {});
        } else {
            ::poll(nullptr, 0, std::min(wait, 50));
        }
    }
}

std::vector<std::optional<MacAddress>> confirmedMacs(const std::vector<std::string> &addresses, int timeoutMs,
                                                     int cancelFd)
{
    const Steady::time_point deadline = Steady::now() + milliseconds(timeoutMs);
    std::vector<std::optional<MacAddress>> macs(addresses.size());
    if (addresses.empty())
        return macs;
    std::vector<std::optional<Address>> parsed;
    for (const std::string &text : addresses)
        parsed.push_back(parseAddress(text));
    // Listening before the datagrams go: no answer can come unseen in between.
    Fd monitor = netlinkSocket(RTMGRP_NEIGH);
    Fd udp4 = udpSocket(AF_INET), udp6 = udpSocket(AF_INET6);
    bool nudged = false;
    for (;;) {
        const std::map<Address, Neighbour> table = neighbourMap();
        bool open = false;
        for (size_t i = 0; i < parsed.size(); ++i) {
            if (!parsed[i] || macs[i])
                continue;
            const auto it = table.find(*parsed[i]);
            if (it != table.end() && it->second.reachable)
                macs[i] = it->second.mac;
            else
                open = true;
        }
        if (!open || Steady::now() >= deadline)
            return macs;
        if (!nudged) {
            nudged = true;
            for (size_t i = 0; i < parsed.size(); ++i)
                if (parsed[i] && !macs[i])
                    nudge(parsed[i]->family == AF_INET ? udp4.fd : udp6.fd, *parsed[i]);
        }
        // Without the monitor the table is read again every 100 ms.
        pollfd p[2] = {{monitor.fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
        ::poll(p, 2, monitor ? msUntil(deadline) : std::min(msUntil(deadline), 100));
        if (p[1].revents)
            return macs;
        if (p[0].revents)
            readNetlink(monitor.fd, false, [](const nlmsghdr *) {});
    }
}

std::string makerOf(const MacAddress &mac, const std::string &ouiFile)
{
    const auto makers = readOui(ouiFile);
    const auto it = makers.find(ouiOf(mac));
    return it == makers.end() ? std::string() : it->second;
}

std::string makerOf(const MacAddress &mac)
{
    static std::once_flag once;
    static std::unordered_map<std::uint32_t, std::string> makers;
    std::call_once(once, [] { makers = readOui("/usr/share/ieee-data/oui.txt"); });
    const auto it = makers.find(ouiOf(mac));
    return it == makers.end() ? std::string() : it->second;
}

namespace {

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
        covered.push_back(o.address.text() + "/32（" + link + " の経路の先）");
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
    covered.push_back(prefix == o.prefix ? whole + "/" + std::to_string(prefix) + "（" + link + "）"
                                         : first + "/" + std::to_string(prefix) + "（" + link + " の " + whole + "/" +
                                               std::to_string(o.prefix) + " のうち、このマシンのまわり）");
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
        if (!fd || (!o.address.linkLocal() && ::bind(fd.fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0))
            continue;
        unsigned char packet[16] = {ICMP6_ECHO_REQUEST};
        std::memcpy(packet + 8, "Orvane..", 8);
        sockaddr_in6 to{};
        to.sin6_family = AF_INET6;
        ::inet_pton(AF_INET6, "ff02::1", &to.sin6_addr);
        to.sin6_scope_id = static_cast<std::uint32_t>(o.index);
        const int hops = 255;
        ::setsockopt(fd.fd, IPPROTO_IPV6, IPV6_MULTICAST_HOPS, &hops, sizeof hops);
        if (::sendto(fd.fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&to), sizeof to) > 0)
            sockets.push_back(std::move(fd));
    }
    return sockets;
}

} // namespace

void sweepLinks(const std::function<void(const FoundMachine &)> &found,
                const std::function<void(const SweepProgress &)> &progress, const std::atomic<bool> *cancel,
                std::vector<std::string> *covered)
{
    const std::vector<OwnAddress> own = ownAddresses();
    std::map<Address, Target> targets;
    std::vector<std::string> ranges;
    for (const OwnAddress &o : own)
        if (o.address.family == AF_INET)
            addLink(o, own, targets, ranges);
    if (ranges.empty())
        ranges.push_back("調べられる IPv4 のネットワークがありません（サブネットのあるリンクがない）");
    if (covered)
        *covered = ranges;

    Fd monitor = netlinkSocket(RTMGRP_NEIGH);
    Fd udp4 = udpSocket(AF_INET), udp6 = udpSocket(AF_INET6);
    const std::vector<Fd> echoes = echoAllNodes(own);
    const Steady::time_point echoEnd = Steady::now() + milliseconds(echoes.empty() ? 0 : GiveUpMs);
    NameLookups names;
    SweepProgress shown{-1, -1};
    SweepProgress now{0, static_cast<int>(targets.size())};
    std::set<MacAddress> v4Macs, v6Macs; // of machines found at an IPv4, a global IPv6 address
    size_t pending = 0;

    const auto release = [&](Target &t) {
        if (t.resolving)
            --pending;
        t.resolving = false;
    };
    const auto settle = [&](Target &t) {
        if (t.state != Target::Settled)
            ++now.done;
        t.state = Target::Settled;
    };
    const auto learned = [&](const Address &a, const MacAddress &mac) {
        const auto it = targets.find(a);
        if (it == targets.end() || it->second.found)
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
            v4Macs.insert(mac);
        else if (!a.linkLocal())
            v6Macs.insert(mac);
        names.lookUp(a);
    };
    // Only entries the kernel heard from lately; an older one is asked again with the rest, and its
    // address waited for as long as the kernel takes to ask an old entry.
    std::set<Address> old;
    const auto readTable = [&] {
        for (const auto &[a, n] : neighbourMap()) {
            // Heard from lately on one of the subnets, though outside what is swept: listed all the same.
            if (n.reachable && a.family == AF_INET && !targets.count(a) && onLink(a, own)) {
                targets.emplace(a, Target{});
                ++now.total;
            }
            if (n.reachable)
                learned(a, n.mac);
            else
                old.insert(a);
        }
    };
    const auto report = [&](Target &t) {
        if (t.reported)
            return;
        t.reported = true;
        // A machine is listed once: by its IPv4 address, else by a global IPv6 one.
        const bool linkLocal = t.machine.address.find('%') != std::string::npos;
        if ((t.machine.address.find(':') != std::string::npos && v4Macs.count(t.machine.mac)) ||
            (linkLocal && v6Macs.count(t.machine.mac)))
            return;
        t.machine.maker = makerOf(t.machine.mac);
        if (found)
            found(t.machine);
    };

    readTable();
    auto next = targets.begin();
    while (!cancelled(cancel)) {
        // As many new addresses as the limit allows; those the table knew are settled already.
        for (; next != targets.end() && pending < MaxPending; ++next) {
            Target &t = next->second;
            if (t.state != Target::Waiting)
                continue;
            const Address &a = next->first;
            if (!nudge(a.family == AF_INET ? udp4.fd : udp6.fd, a))
                break; // the send buffer is full: again after the next wait
            t.state = Target::Sent;
            const bool wasKnown = old.count(a) > 0;
            t.giveUp = Steady::now() + milliseconds(wasKnown ? OldEntryMs : GiveUpMs);
            t.resolving = true;
            t.kernelGivesUp = Steady::now() + milliseconds(wasKnown ? OldEntryMs : KernelRetriesMs);
            ++pending;
        }

        const Steady::time_point at = Steady::now();
        Steady::time_point wake = at + milliseconds(60000);
        bool open = next != targets.end() || at < echoEnd;
        bool overdue = false;
        bool v4Open = next != targets.end() && next->first.family == AF_INET;
        bool globalOpen = at < echoEnd || next != targets.end();
        for (const auto &[a, t] : targets) {
            v4Open = v4Open || (a.family == AF_INET && t.state != Target::Settled);
            globalOpen = globalOpen || (a.family == AF_INET6 && !a.linkLocal() && t.state != Target::Settled);
        }
        for (auto &[a, t] : targets) {
            if (t.state == Target::Sent) {
                overdue = overdue || at >= t.giveUp;
                wake = std::min(wake, t.giveUp);
                open = true;
            }
            if (t.resolving && at >= t.kernelGivesUp)
                release(t); // its end went unheard
            else if (t.resolving && next != targets.end())
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
            for (auto &[a, t] : targets)
                if (t.state == Target::Sent && Steady::now() >= t.giveUp)
                    settle(t);
        }
        if (progress && (now.done != shown.done || now.total != shown.total)) {
            shown = now;
            progress(now);
        }
        if (!open)
            break;
        if (at < echoEnd)
            wake = std::min(wake, echoEnd);
        if (next != targets.end() && pending < MaxPending)
            wake = std::min(wake, at + milliseconds(20)); // a full send buffer drains meanwhile
        int waitMs = msUntil(wake);
        if (cancel)
            waitMs = std::min(waitMs, CancelSliceMs);

        std::vector<pollfd> polled = {{monitor.fd, POLLIN, 0}, {names.wakeFd(), POLLIN, 0}};
        for (const Fd &e : echoes)
            polled.push_back({e.fd, POLLIN, 0});
        if (::poll(polled.data(), polled.size(), overdue ? 0 : waitMs) < 0 && errno != EINTR)
            break;
        if (polled[0].revents) {
            std::vector<std::pair<Address, MacAddress>> heard;
            const bool whole = readNetlink(monitor.fd, false, [&](const nlmsghdr *h) {
                Address a;
                if (auto n = neighbourOf(h, &a); n && n->reachable) {
                    heard.emplace_back(a, n->mac);
                } else if (auto m = parseNeighbourMessage(h); m && (m->gone || m->state == NUD_FAILED)) {
                    // The kernel is done with the address: its place goes to the next one.
                    if (const auto it = targets.find(m->address); it != targets.end())
                        release(it->second);
                }
            });
            for (const auto &[a, mac] : heard)
                learned(a, mac);
            if (!whole)
                readTable(); // the socket lost changes
        }
        if (polled[1].revents) {
            for (const auto &[a, name] : names.take()) {
                const auto it = targets.find(a);
                if (it != targets.end()) {
                    it->second.named = true;
                    it->second.machine.name = name;
                }
            }
        }
        bool answered = false;
        for (size_t e = 0; e < echoes.size(); ++e) {
            if (!polled[2 + e].revents)
                continue;
            answered = true;
            // Each machine that answered the echo is one more address to resolve.
            for (int reads = 0; reads < 256; ++reads) {
                unsigned char buf[256];
                sockaddr_in6 from{};
                socklen_t length = sizeof from;
                const ssize_t n =
                    ::recvfrom(echoes[e].fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &length);
                if (n < 0)
                    break;
                if (n < 8 || buf[0] != ICMP6_ECHO_REPLY)
                    continue;
                const Address a = addressOf(reinterpret_cast<const sockaddr *>(&from));
                if (!onLink(a, own) || targets.count(a))
                    continue;
                targets.emplace(a, Target{});
                ++now.total;
            }
        }
        if (answered) {
            // New addresses may sort before the cursor: it starts over, passing the others by.
            next = targets.begin();
            readTable();
        }
    }
}

} // namespace orvane
