#include "core/settings/SafeFile.h"

#include "core/io/Fd.h"
#include "core/record/PlainText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
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

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder == "/" ? folder + name : folder + '/' + name;
}

// The folder above `folder`, which holds no links, so ".." may be taken by its text.
QByteArray parentOf(const QByteArray &folder)
{
    if (folder == "/")
        return folder;
    if (folder == "." || folder == ".." || folder.endsWith("/.."))
        return folder == "." ? QByteArray("..") : folder + "/..";
    const qsizetype slash = folder.lastIndexOf('/');
    return slash == 0 ? QByteArray("/") : folder.left(slash);
}

// Walks path name by name to the file a write of it reaches, following its links. A link to the
// file must be the user's and lead to a file of the user's. A link on the way to its folder must be
// the user's or the system's (root's, such as /var/run): root may change any file anyway, while
// another user's link to a folder of ours would let them choose which of our files is written.
QString resolve(const QString &path, Target &target)
{
    const uid_t me = ::geteuid();
    const QByteArray given = QFile::encodeName(path);
    QByteArray done = given.startsWith('/') ? QByteArray("/") : QByteArray(".");
    QList<QByteArray> todo = given.split('/'); // the names still to walk, the next one last
    std::reverse(todo.begin(), todo.end());
    const auto onlyDots = [](const QList<QByteArray> &names) {
        return std::all_of(names.begin(), names.end(), [](const QByteArray &n) { return n.isEmpty() || n == "."; });
    };
    bool toFileByLink = false;
    int hops = 0;
    while (!todo.isEmpty()) {
        const QByteArray name = todo.takeLast();
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            done = parentOf(done);
            continue;
        }
        const bool last = onlyDots(todo);
        const QByteArray next = joined(done, name);
        struct stat st {};
        if (::lstat(next.constData(), &st) != 0) {
            if (errno == ENOENT && last && !toFileByLink) {
                target = {next, false, {}};
                return QString();
            }
            return errno == ENOENT && last ? QStringLiteral("%1 is a link to a file that doesn't exist").arg(path)
                                           : QStringLiteral("%1: %2").arg(path, systemErrorText(errno));
        }
        if (S_ISLNK(st.st_mode)) {
            if (last && st.st_uid != me)
                return QStringLiteral("%1 is a link of another user").arg(path);
            if (!last && st.st_uid != me && st.st_uid != 0)
                return QStringLiteral("%1 leads through a folder link of another user").arg(path);
            char to[PATH_MAX];
            const ssize_t n = ::readlink(next.constData(), to, sizeof to);
            if (n <= 0 || n == static_cast<ssize_t>(sizeof to) || ++hops > MaxLinkHops)
                return QStringLiteral("%1: the link can't be followed").arg(path);
            const QByteArray link(to, n);
            if (link.startsWith('/'))
                done = "/";
            const QList<QByteArray> names = link.split('/');
            todo.append(QList<QByteArray>(names.rbegin(), names.rend()));
            toFileByLink = toFileByLink || last;
            continue;
        }
        if (!last && !S_ISDIR(st.st_mode))
            return QStringLiteral("%1: %2").arg(path, systemErrorText(ENOTDIR));
        done = next;
        if (last) {
            if (toFileByLink && st.st_uid != me)
                return QStringLiteral("%1 is a link to a file of another user").arg(path);
            target = {next, true, st};
            return QString();
        }
    }
    // A path that names a folder ("/", "a/..").
    struct stat st {};
    if (::lstat(done.constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(path, systemErrorText(errno));
    target = {done, true, st};
    return QString();
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

// Past a file size limit (a shell's "ulimit -f") the system ends the process with SIGXFSZ in the
// middle of a write, before the old content can be put back or the new file removed; ignored, the
// write fails with EFBIG and takes the usual way out. A handler of the program's own stays.
void ignoreFileSizeSignal()
{
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
}

// Writes all of data at offset; `written` counts what reached the file, also on failure.
bool writeAt(int fd, const char *data, qint64 size, qint64 offset, qint64 *written = nullptr)
{
    if (written)
        *written = 0;
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
        if (written)
            *written += n;
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
        ignoreFileSizeSignal();
        m_name = path;
        if (const QString why = refusalOf(path, m_target); !why.isEmpty())
            return fail(why);
        if (m_target.exists && inPlaceWanted(m_target)) {
            m_inPlace = true;
            return true;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_temp = m_target.path + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
            m_fd.reset(::open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, createMode()));
            if (m_fd || errno != EEXIST)
                break;
        }
        if (!m_fd) {
            const int err = errno;
            m_temp.clear();
            // A folder that refuses new files: a writable file in it is still written, in place.
            m_inPlace = m_target.exists;
            return m_inPlace || fail(systemErrorText(err));
        }
        if (m_target.exists && !m_keep && ::fchmod(m_fd.get(), m_target.st.st_mode & 07777) != 0)
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

    // The permissions and modification time that the file gets with its new content (a copy's of
    // its source), set on the open file: through its name they could reach whatever is put there.
    // Given before open(), so that a private source's copy is private from its first byte.
    void keepModeAndTime(const struct stat &from)
    {
        m_keep = true;
        m_mode = from.st_mode & 07777;
        m_modified = from.st_mtim;
    }

    bool commit()
    {
        if (m_inPlace)
            return commitInPlace();
        if (m_keep && !setModeAndTime(m_fd.get()))
            return fail(systemErrorText(errno));
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

    // Another user who opens the new file while it is written reads it through that descriptor
    // later, whatever its mode is then: a copy is created no more open than its source allows the
    // owner, and gets its source's mode only once it is complete.
    mode_t createMode() const { return m_keep ? m_mode & 0600 : 0666; }

    bool setModeAndTime(int fd) const
    {
        const timespec times[2] = {{0, UTIME_OMIT}, m_modified};
        return ::fchmod(fd, m_mode) == 0 && ::futimens(fd, times) == 0;
    }

    // Grows the file first, where a full disk shows, then overwrites what it held; on any failure
    // the old bytes go back.
    bool commitInPlace()
    {
        const Fd fd(::open(m_target.path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
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
        qint64 overwritten = 0;
        bool shortened = false;
        bool ok = now.size() <= old.size() ||
                  writeAt(fd.get(), now.constData() + old.size(), now.size() - old.size(), old.size());
        ok = ok && writeAt(fd.get(), now.constData(), std::min(now.size(), old.size()), 0, &overwritten);
        if (ok && now.size() < old.size())
            ok = shortened = ::ftruncate(fd.get(), now.size()) == 0;
        // Another user's file keeps what they set where they alone may change it.
        if (ok && m_keep)
            setModeAndTime(fd.get());
        ok = ok && ::fsync(fd.get()) == 0;
        if (ok)
            return true;
        const int err = errno;
        // Only what changed goes back: under a file size limit below the old size, writing the
        // rest again would fail as well.
        const qint64 changed = shortened ? old.size() : overwritten;
        const bool restored = writeAt(fd.get(), old.constData(), changed, 0) &&
                              ::ftruncate(fd.get(), old.size()) == 0 && ::fsync(fd.get()) == 0;
        return fail(systemErrorText(err) +
                    (restored ? QString() : QStringLiteral("; the old content couldn't be put back")));
    }

    QString m_name;
    Target m_target;
    bool m_inPlace = false;
    Fd m_fd;
    QByteArray m_temp; // the new file beside the old, until it is renamed
    qint64 m_size = 0;
    QByteArray m_content; // the new content of a file written in place
    bool m_keep = false;
    mode_t m_mode = 0;
    timespec m_modified{};
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
    struct stat st {};
    if (!in.open(QIODevice::ReadOnly))
        return failed(error, in.errorString());
    if (::fstat(in.handle(), &st) != 0)
        return failed(error, systemErrorText(errno));
    Replacement out;
    // The copy keeps the source's permissions and modification time, as the platform's copy did.
    out.keepModeAndTime(st);
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
    return true;
}

} // namespace orvane
