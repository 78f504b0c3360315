#pragma once

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <memory>

namespace orvane::test {

// Receives real datagrams on a loopback address and port (0 picks a free one).
class UdpReceiver {
public:
    struct Datagram {
        QByteArray data;
        QHostAddress sender;
        quint16 senderPort, destinationPort;
    };

    explicit UdpReceiver(const QHostAddress &address, quint16 port = 0) { m_socket.bind(address, port); }
    bool isBound() const { return m_socket.state() == QAbstractSocket::BoundState; }
    quint16 port() const { return m_socket.localPort(); }

    // Waits up to timeoutMs until `count` datagrams have arrived in all; returns all received so far.
    QList<Datagram> receive(int count, int timeoutMs = 2000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (m_received.size() < count &&
               (m_socket.hasPendingDatagrams() || m_socket.waitForReadyRead(int(deadline.remainingTime())))) {
            const QNetworkDatagram d = m_socket.receiveDatagram();
            m_received.append({d.data(), d.senderAddress(), quint16(d.senderPort()), quint16(d.destinationPort())});
        }
        return m_received;
    }

private:
    QUdpSocket m_socket;
    QList<Datagram> m_received;
};

// A receiver on a loopback address at a free port whose port + 1 is free as well, so that a wake
// sent to it can bind its local port.
class LoopbackTarget {
public:
    explicit LoopbackTarget(const QHostAddress &address = QHostAddress::LocalHost)
    {
        for (int attempt = 0; attempt < 50 && !m_rx; ++attempt) {
            auto rx = std::make_unique<UdpReceiver>(address);
            // Bound as a wake binds it, unshared; on both families, which covers either.
            QUdpSocket local;
            if (rx->isBound() && local.bind(rx->port() + 1, QAbstractSocket::DontShareAddress))
                m_rx = std::move(rx);
        }
    }
    bool ok() const { return m_rx != nullptr; }
    quint16 port() const { return m_rx->port(); }
    UdpReceiver &rx() { return *m_rx; }

private:
    std::unique_ptr<UdpReceiver> m_rx;
};

// The packet for a MAC address, built from the rule: six 0xFF, then the address sixteen times.
inline QByteArray expectedPacket(const QByteArray &mac)
{
    return QByteArray(6, '\xFF') + mac.repeated(16);
}

// How long to listen when nothing should arrive: loopback delivers within microseconds.
inline constexpr int QuietMs = 300;

} // namespace orvane::test
