#pragma once

#include "support/UdpReceiver.h"

#include <QByteArray>
#include <QHostAddress>

#include <memory>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::test {

// A receiver on a loopback address at a free port whose port + 1 is free as well, so that a wake
// sent to it can bind its local port.
class LoopbackTarget {
public:
    explicit LoopbackTarget(const QHostAddress &address = QHostAddress::LocalHost)
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            auto rx = std::make_unique<UdpReceiver>(address, 0);
            if (!rx->isBound())
                return;
            const quint16 p = rx->port();
            if (p < 65534 && localPortFree(address.protocol() == QAbstractSocket::IPv6Protocol, p + 1)) {
                m_rx = std::move(rx);
                m_port = p;
                return;
            }
        }
    }
    bool ok() const { return m_rx != nullptr; }
    quint16 port() const { return m_port; }
    UdpReceiver &rx() { return *m_rx; }

    static bool localPortFree(bool v6, quint16 port)
    {
        const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
        if (fd < 0)
            return false;
        int rc;
        if (v6) {
            const int on = 1;
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
            sockaddr_in6 a{};
            a.sin6_family = AF_INET6;
            a.sin6_addr = in6addr_any;
            a.sin6_port = htons(port);
            rc = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        } else {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_ANY);
            a.sin_port = htons(port);
            rc = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        }
        ::close(fd);
        return rc == 0;
    }

private:
    std::unique_ptr<UdpReceiver> m_rx;
    quint16 m_port = 0;
};

// The packet for a MAC address, built from the rule: six 0xFF, then the address sixteen times.
inline QByteArray expectedPacket(const QByteArray &mac)
{
    QByteArray p(6, '\xFF');
    for (int i = 0; i < 16; ++i)
        p += mac;
    return p;
}

// How long to listen when nothing should arrive: loopback delivers within microseconds.
inline constexpr int QuietMs = 300;

} // namespace orvane::test
