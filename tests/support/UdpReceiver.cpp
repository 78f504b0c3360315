#include "support/UdpReceiver.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>

namespace orvane::test {

UdpReceiver::UdpReceiver(const QHostAddress &address, quint16 port)
{
    m_socket.bind(address, port);
}

QList<UdpReceiver::Datagram> UdpReceiver::receive(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_received.size() < count && !deadline.hasExpired()) {
        if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = m_socket.receiveDatagram();
            m_received.append({d.data(), d.senderAddress(), static_cast<quint16>(d.senderPort()),
                               static_cast<quint16>(d.destinationPort())});
        }
    }
    return m_received;
}

} // namespace orvane::test
