#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

namespace {
constexpr char ActivateRequest[] = "activate\n";
// A first Orvane that is still starting (a slow disk, a loaded machine) gets this long to listen.
constexpr int HandOverTimeoutMs = 10000;
constexpr int RetryMs = 100;

// Whether the socket's other end runs as this user: a socket of that name that someone else made
// (in a shared temporary folder) must not send this start away.
bool peerIsThisUser(const QLocalSocket &socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::getuid();
}
} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    // The socket file goes first: once the lock is free, a new Orvane makes its own of that name.
    delete m_server;
    // The lock goes with the descriptor, also when the process dies.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::serverName()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        runtime = QDir::tempPath();
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
        // ":0" and ":0.0" are the same session.
        display.remove(QRegularExpression(QStringLiteral("\\.[0-9]+$")));
    }
    if (display.isEmpty())
        display = QStringLiteral("none");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return QDir(runtime).filePath(QStringLiteral("orvane-%1-%2").arg(::getuid()).arg(display));
}

bool SingleInstance::claim()
{
    const QByteArray lockPath = QFile::encodeName(serverName() + QStringLiteral(".lock"));
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        return true;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
        return !held;
    }
    listen();
    return true;
}

bool SingleInstance::handOverToRunning()
{
    const QDeadlineTimer deadline(HandOverTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(RetryMs * 10) && peerIsThisUser(socket)) {
            socket.write(ActivateRequest);
            if (socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
                // Wait for the answer so the first instance has acted before this one goes.
                socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
                socket.disconnectFromServer();
                return true;
            }
        }
        socket.abort();
        QThread::msleep(RetryMs);
    }
    return false;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // This process holds the lock, so a socket file left there is from an instance that crashed.
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName()))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->readAll().contains('\n'))
                    return;
                emit activationRequested();
                client->write("ok\n");
                client->flush();
            });
        }
    });
    return true;
}

} // namespace orvane
