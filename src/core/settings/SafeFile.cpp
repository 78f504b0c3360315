#include "core/settings/SafeFile.h"

#include "core/record/PlainText.h"
#include "core/record/SafeWrite.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

namespace orvane {

namespace {

bool failed(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

QString replaceRefusal(const QString &path)
{
    return QString::fromStdString(safeWriteRefusal(QFile::encodeName(path).toStdString()));
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    std::string why;
    if (writeFileSafely(QFile::encodeName(path).toStdString(),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &why))
        return true;
    return failed(error, QString::fromStdString(why));
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
        return failed(error, QString::fromStdString(systemError(errno)));
    SafeReplacement out;
    // The copy keeps the source's permissions and modification time, as the platform's copy did.
    out.keepModeAndTime(st);
    if (!out.open(QFile::encodeName(to).toStdString()))
        return failed(error, QString::fromStdString(out.error));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 16)).isEmpty())
        if (!out.write(chunk.constData(), static_cast<size_t>(chunk.size())))
            return failed(error, QString::fromStdString(out.error));
    if (in.error() != QFileDevice::NoError)
        return failed(error, in.errorString());
    if (!out.commit())
        return failed(error, QString::fromStdString(out.error));
    return true;
}

} // namespace orvane
