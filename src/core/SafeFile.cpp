#include "core/SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace orvane {

QString replaceRefusal(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QString();
    if (!info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(path);
    // WriteUser isn't a mode bit: it says whether this process may write, which root always may.
    if (!(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)))
        return QStringLiteral("%1 is read-only").arg(path);
    if (!info.isWritable())
        return QStringLiteral("%1 is not writable").arg(path);
    return QString();
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error, bool directWriteFallback)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (const QString refusal = replaceRefusal(path); !refusal.isEmpty())
        return fail(refusal);
    QSaveFile file(path);
    file.setDirectWriteFallback(directWriteFallback);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    // Qt counts a write that the disk cut short (disk full, file size limit) as complete; the size
    // of what really reached the file tells.
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0 || st.st_size != bytes.size()) {
        file.cancelWriting();
        return fail(QStringLiteral("%1: the disk took only part of the file").arg(path));
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace orvane
