#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

namespace orvane::test {

// Receives real datagrams on a loopback address and port.
class UdpReceiver {
public:
    struct Datagram {
        QByteArray data;
        QHostAddress sender;
        quint16 senderPort;
        quint16 destinationPort;
    };

    // Binds address:port; port 0 picks a free one.
    explicit UdpReceiver(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    bool isBound() const { return m_socket.state() == QAbstractSocket::BoundState; }
    quint16 port() const { return m_socket.localPort(); }

    // Waits up to timeoutMs for datagrams until `count` have arrived; returns all received so far.
    QList<Datagram> receive(int count, int timeoutMs = 2000);

private:
    QUdpSocket m_socket;
    QList<Datagram> m_received;
};

} // namespace orvane::test
