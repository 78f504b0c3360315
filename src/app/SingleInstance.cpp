#include "app/SingleInstance.h"

#include "core/services/UiText.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvane {

namespace {
constexpr char ActivateRequest[] = "activate\n";
// A first Orvane that is still starting (a slow disk, a loaded machine) gets this long to listen.
constexpr int HandOverTimeoutMs = 10000;
constexpr int RetryMs = 100;

// Whether the socket's other end runs as this user.
bool peerIsThisUser(const QLocalSocket &socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::geteuid();
}

// Owned by this user and closed to everyone else; a link doesn't count, whatever it points to.
// Anything another user can reach would let them hold the lock (Orvane never starts) or make it
// unopenable (two run and every timed wake goes out twice).
bool isPrivateFolder(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Made by this user if it isn't there; someone else's of that name is no use.
bool ownFolder(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path);
}

// The session's runtime folder, else one in the user's cache folder: both the user's own, so every
// start of the same user in the same environment picks the same one, whatever other users make or
// remove meanwhile (a shared temporary folder would let them move the lock, and two would run).
QStringList privateFolders()
{
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        folders << runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache) && ownFolder(cache + QStringLiteral("/orvane")))
        folders << cache + QStringLiteral("/orvane");
    return folders;
}

// What tells two Orvanes apart: the folder of their "System.ini" and their display.
QString instanceKey()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
        // ":0" and ":0.0" are the same session.
        display.remove(QRegularExpression(QStringLiteral("\\.[0-9]+$")));
    }
    QString folder = QDir::current().canonicalPath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    // Hashed: a folder's path may be long, and a socket's path must stay short.
    const QByteArray hash =
        QCryptographicHash::hash((display + QLatin1Char('\n') + folder).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("orvane-") + QString::fromLatin1(hash.toHex().left(16));
}
} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    // The socket file goes first: once the lock is free, a new Orvane makes its own of that name.
    delete m_server;
    // The lock goes with the descriptor, also when the process dies.
    m_lockFd.reset();
}

QString SingleInstance::serverName()
{
    const QString key = instanceKey();
    for (const QString &folder : privateFolders()) {
        // A runtime folder deep down leaves no room for the name in a socket address: the next one.
        const QString name = QDir(folder).filePath(key);
        if (static_cast<size_t>(QFile::encodeName(name).size()) < sizeof(sockaddr_un::sun_path))
            return name;
    }
    return QString();
}

bool SingleInstance::claim()
{
    m_name = serverName();
    if (m_name.isEmpty())
        return true;
    const QByteArray lockPath = QFile::encodeName(m_name + QStringLiteral(".lock"));
    m_lockFd.reset(::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!m_lockFd)
        return true;
    if (::flock(m_lockFd.get(), LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        m_lockFd.reset();
        return !held;
    }
    // Without a socket this one still runs alone here; later starts just can't bring it forward.
    if (!listen())
        std::fputs(qPrintable(Orvane::tr("Orvane: 後からの起動を受け付けられません（ソケットを開けませんでした）。\n")),
                   stderr);
    return true;
}

bool SingleInstance::handOverToRunning()
{
    if (m_name.isEmpty())
        return false;
    const QDeadlineTimer deadline(HandOverTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
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
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
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
