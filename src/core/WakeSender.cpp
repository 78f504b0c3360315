#include "core/WakeSender.h"

#include "core/HostLookup.h"

#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {

class Socket {
public:
    explicit Socket(int family) : m_fd(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool bindLocal(int fd, int family, std::uint16_t port)
{
    if (family == AF_INET6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        a.sin6_port = htons(port);
        return ::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
}

std::string systemError(int err)
{
    return std::string(std::strerror(err)) + "（エラー番号 " + std::to_string(err) + "）";
}

std::string failureHead(const WakeRequest &r)
{
    return r.subject + "へマジックパケットを送信できませんでした！" + MessageLineBreak;
}

std::string sendFailureReason(const WakeRequest &r, const std::string &address, int err)
{
    const std::string where = "宛先「" + r.host + "」(" + address + ")";
    switch (err) {
    case ENETUNREACH:
        return where + "へのネットワークに到達できません。";
    case EHOSTUNREACH:
        return where + "に到達できません。";
    case EACCES:
    case EPERM:
        return where + "への送信が許可されていません。";
    case EADDRNOTAVAIL:
        return where + "へ送信できるネットワークがありません。";
    default:
        return where + ": " + systemError(err);
    }
}

} // namespace

WakeResult sendWake(const WakeRequest &r, int lookupTimeoutMs)
{
    WakeResult result;
    if (r.count <= 0) {
        result.ok = true;
        return result;
    }

    const HostLookup lookup = lookupHost(r.host, lookupTimeoutMs < 0 ? HostLookupTimeoutMs : lookupTimeoutMs);
    if (!lookup.ok) {
        result.error =
            r.subject + "のHost or IPアドレス「" + r.host + "」が見つかりません！" + MessageLineBreak + lookup.reason;
        return result;
    }

    sockaddr_storage to = lookup.host.address;
    const int family = to.ss_family;
    if (family == AF_INET6)
        reinterpret_cast<sockaddr_in6 *>(&to)->sin6_port = htons(r.port);
    else
        reinterpret_cast<sockaddr_in *>(&to)->sin_port = htons(r.port);

    Socket socket(family);
    if (socket.fd() < 0) {
        result.error = failureHead(r) + systemError(errno);
        return result;
    }
    const int on = 1;
    if (family == AF_INET) {
        // Broadcast addresses (255.255.255.255, a subnet's .255) are ordinary destinations here.
        ::setsockopt(socket.fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    } else {
        // Keep the IPv4 side of the local port free for others.
        ::setsockopt(socket.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    }
    if (!bindLocal(socket.fd(), family, r.localPort)) {
        const int err = errno;
        // Ports below 1024 are kept for privileged programs here (port 9 gives local port 10); the
        // receiving card ignores the source port, so then the system chooses one.
        const bool reserved = (err == EACCES || err == EPERM) && bindLocal(socket.fd(), family, 0);
        if (!reserved) {
            const std::string port = std::to_string(r.localPort);
            result.error =
                failureHead(r) + (err == EADDRINUSE ? "送信元のポート " + port + " は他のプログラムが使用中です。"
                                                    : "送信元のポート " + port + " を使えません: " + systemError(err));
            return result;
        }
    }

    const auto *dest = reinterpret_cast<const sockaddr *>(&to);
    for (int i = 0; i < r.count; ++i) {
        ssize_t n;
        do {
            n = ::sendto(socket.fd(), r.packet.data(), r.packet.size(), 0, dest, lookup.host.length);
        } while (n < 0 && errno == EINTR);
        if (n != static_cast<ssize_t>(r.packet.size())) {
            result.error = failureHead(r) + sendFailureReason(r, lookup.host.text, n < 0 ? errno : EMSGSIZE);
            if (result.sent > 0)
                result.error += std::string(MessageLineBreak) + "（" + std::to_string(r.count) + " 回のうち " +
                                std::to_string(result.sent) + " 回は送信済みです）";
            return result;
        }
        ++result.sent;
    }
    result.ok = true;
    return result;
}

WakeResult wake(const WakeSettings &settings, std::string *packet)
{
    const WakeCheck check = checkWake(settings);
    if (!check.request) {
        WakeResult refused;
        refused.error = check.error;
        return refused;
    }
    if (packet)
        *packet = check.request->packet;
    return sendWake(*check.request);
}

} // namespace orvane
