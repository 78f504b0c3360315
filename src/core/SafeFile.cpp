#include "core/SafeFile.h"

#include "core/PlainText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// A file written in place is held in memory twice (old and new content, the old one to put back).
constexpr qint64 InPlaceMaxBytes = 64 * 1024 * 1024;
constexpr int MaxLinkHops = 40;

QString systemErrorText(int err)
{
    return QString::fromStdString(systemError(err));
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file that a write of `path` reaches: path itself, or where its links lead.
struct Target {
    QByteArray path;
    bool exists = false;
    struct stat st {};
};

// Follows path's links, each of which must be the user's, to the file they lead to.
QString resolve(const QString &path, Target &target)
{
    const uid_t me = ::geteuid();
    QByteArray p = QFile::encodeName(path);
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(p.constData(), &st) != 0) {
            if (errno == ENOENT && hops == 0) {
                target = {p, false, {}};
                return QString();
            }
            return hops == 0 ? QStringLiteral("%1: %2").arg(path, systemErrorText(errno))
                             : QStringLiteral("%1 is a link to a file that doesn't exist").arg(path);
        }
        if (!S_ISLNK(st.st_mode)) {
            if (hops > 0 && st.st_uid != me)
                return QStringLiteral("%1 is a link to a file of another user").arg(path);
            target = {p, true, st};
            return QString();
        }
        if (st.st_uid != me)
            return QStringLiteral("%1 is a link of another user").arg(path);
        char to[PATH_MAX];
        const ssize_t n = ::readlink(p.constData(), to, sizeof to);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof to) || hops == MaxLinkHops)
            return QStringLiteral("%1: the link can't be followed").arg(path);
        p = to[0] == '/' ? QByteArray(to, n) : folderOf(p) + '/' + QByteArray(to, n);
    }
}

QString refusalOf(const QString &path, Target &target)
{
    if (const QString why = resolve(path, target); !why.isEmpty() || !target.exists)
        return why;
    if (!S_ISREG(target.st.st_mode))
        return QStringLiteral("%1 is not a regular file").arg(path);
    // Mode bits, not access rights: a read-only file stays unwritten even for root.
    if (!(target.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return QStringLiteral("%1 is read-only").arg(path);
    if (::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("%1 is not writable").arg(path);
    return QString();
}

bool inPlaceWanted(const Target &target)
{
    const uid_t me = ::geteuid();
    if (target.st.st_nlink <= 1)
        return target.st.st_uid != me;
    // Only in a folder of the user's: elsewhere the second name may be another user's, given to a
    // file of ours (where hard links aren't protected) so that writing through it would change ours.
    struct stat folder {};
    return target.st.st_uid == me && ::stat(folderOf(target.path).constData(), &folder) == 0 && folder.st_uid == me;
}

bool writeAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, static_cast<size_t>(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool readAt(int fd, char *data, qint64 size)
{
    qint64 offset = 0;
    while (offset < size) {
        const ssize_t n = ::pread(fd, data + offset, static_cast<size_t>(size - offset), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        offset += n;
    }
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// A file's new content on its way in, by the rule in the header.
class Replacement {
public:
    ~Replacement()
    {
        if (!m_temp.isEmpty()) {
            m_fd.reset();
            ::unlink(m_temp.constData());
        }
    }

    bool open(const QString &path)
    {
        m_name = path;
        if (const QString why = refusalOf(path, m_target); !why.isEmpty())
            return fail(why);
        if (m_target.exists && inPlaceWanted(m_target)) {
            m_inPlace = true;
            return true;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_temp = m_target.path + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
            m_fd.reset(::open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
            if (m_fd.get() >= 0 || errno != EEXIST)
                break;
        }
        if (m_fd.get() < 0) {
            const int err = errno;
            m_temp.clear();
            // A folder that refuses new files: a writable file in it is still written, in place.
            m_inPlace = m_target.exists;
            return m_inPlace || fail(systemErrorText(err));
        }
        if (m_target.exists && ::fchmod(m_fd.get(), m_target.st.st_mode & 07777) != 0)
            return fail(systemErrorText(errno));
        return true;
    }

    bool write(const char *data, qint64 size)
    {
        if (m_inPlace) {
            if (m_content.size() + size > InPlaceMaxBytes)
                return fail(QStringLiteral("%1 is too large to be written in place").arg(m_name));
            m_content.append(data, size);
            return true;
        }
        if (!writeAt(m_fd.get(), data, size, m_size))
            return fail(systemErrorText(errno));
        m_size += size;
        return true;
    }

    bool commit()
    {
        if (m_inPlace)
            return commitInPlace();
        if (::fsync(m_fd.get()) != 0)
            return fail(systemErrorText(errno));
        m_fd.reset();
        if (::rename(m_temp.constData(), m_target.path.constData()) != 0)
            return fail(systemErrorText(errno));
        m_temp.clear();
        return true;
    }

    QString error;

private:
    bool fail(const QString &why)
    {
        error = why;
        return false;
    }

    // Grows the file first, where a full disk shows, then overwrites what it held; on any failure
    // the old bytes go back.
    bool commitInPlace()
    {
        const FileDescriptor fd(
            ::open(m_target.path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat st {};
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
            return fail(systemErrorText(errno));
        if (st.st_dev != m_target.st.st_dev || st.st_ino != m_target.st.st_ino)
            return fail(QStringLiteral("%1 was replaced meanwhile").arg(m_name));
        if (st.st_size > InPlaceMaxBytes)
            return fail(QStringLiteral("%1 is too large to be written in place").arg(m_name));
        QByteArray old(st.st_size, Qt::Uninitialized);
        if (!readAt(fd.get(), old.data(), old.size()))
            return fail(systemErrorText(errno));
        const QByteArray &now = m_content;
        bool ok = now.size() <= old.size() ||
                  writeAt(fd.get(), now.constData() + old.size(), now.size() - old.size(), old.size());
        ok = ok && writeAt(fd.get(), now.constData(), std::min(now.size(), old.size()), 0);
        ok = ok && (now.size() >= old.size() || ::ftruncate(fd.get(), now.size()) == 0);
        ok = ok && ::fsync(fd.get()) == 0;
        if (ok)
            return true;
        const int err = errno;
        const bool restored = writeAt(fd.get(), old.constData(), old.size(), 0) &&
                              ::ftruncate(fd.get(), old.size()) == 0 && ::fsync(fd.get()) == 0;
        return fail(systemErrorText(err) +
                    (restored ? QString() : QStringLiteral("; the old content couldn't be put back")));
    }

    QString m_name;
    Target m_target;
    bool m_inPlace = false;
    FileDescriptor m_fd;
    QByteArray m_temp; // the new file beside the old, until it is renamed
    qint64 m_size = 0;
    QByteArray m_content; // the new content of a file written in place
};

bool failed(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

QString replaceRefusal(const QString &path)
{
    Target target;
    return refusalOf(path, target);
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    Replacement file;
    if (!file.open(path) || !file.write(bytes.constData(), bytes.size()) || !file.commit())
        return failed(error, file.error);
    return true;
}

bool copyWholeFile(const QString &from, const QString &to, QString *error)
{
    const QFileInfo source(from);
    if (!source.isFile())
        return failed(error, QStringLiteral("%1 is not a regular file").arg(from));
    // Copying a file onto itself would empty it.
    if (QFileInfo(to).canonicalFilePath() == source.canonicalFilePath())
        return failed(error, QStringLiteral("%1 is the file itself").arg(to));
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(error, in.errorString());
    Replacement out;
    if (!out.open(to))
        return failed(error, out.error);
    QByteArray chunk;
    while (!(chunk = in.read(1 << 16)).isEmpty())
        if (!out.write(chunk.constData(), chunk.size()))
            return failed(error, out.error);
    if (in.error() != QFileDevice::NoError)
        return failed(error, in.errorString());
    if (!out.commit())
        return failed(error, out.error);
    // The copy keeps the source's permissions and modification time, as the platform's copy did.
    QFile copied(to);
    if (copied.open(QIODevice::ReadWrite)) {
        copied.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
        copied.close();
    }
    copied.setPermissions(source.permissions());
    return true;
}

} // namespace orvane
