#include "core/net/Netlink.h"

#include <cerrno>
#include <cstring>

#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/socket.h>

namespace orvane {

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

Fd netlinkSocket(unsigned groups)
{
    Fd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
    if (!fd)
        return fd;
    const int size = 1 << 20;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(fd.get(), reinterpret_cast<sockaddr *>(&local), sizeof local) != 0)
        return Fd();
    return fd;
}

bool readNetlink(int fd, bool dump, const std::function<void(const nlmsghdr *)> &each, int timeoutMs)
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

} // namespace orvane
