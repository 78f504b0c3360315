#include "platform/QzCmn14.h"

#include "core/services/UiText.h"

#include "core/settings/Cp932.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace orvane {

namespace {

// The profile reader's buffer: at most 254 bytes of value.
constexpr int ProfileBufferBytes = 255;
// The folder buffer offers 99 characters; a longer path doesn't fit.
constexpr int FolderBufferChars = 99;

// The runtime's "invalid procedure call or argument".
constexpr qint32 InvalidArgumentError = 5;
const char InvalidArgumentText[] = QT_TRANSLATE_NOOP("Orvane", "プロシージャの呼び出し、または引数が不正です。");

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    return text;
}

QString folderResult(const QString &folder)
{
    if (toCp932(folder).size() >= FolderBufferChars) {
        raisePendingError(InvalidArgumentError, Orvane::tr(InvalidArgumentText));
        return QString();
    }
    return folder;
}

} // namespace

bool QzCmn14::IniWrite(const QString &sectionName, const QString &keyName, const QString &keyStr,
                       const QString &fileName)
{
    return writeProfileString(fileName, sectionName, keyName, keyStr);
}

QString QzCmn14::IniRead(const QString &sectionName, const QString &keyName, const QString &fileName)
{
    const QString value = readProfileString(fileName, sectionName, keyName, ProfileBufferBytes);
    if (value.isEmpty())
        return QStringLiteral("error");
    return withoutTrailingBlanks(value);
}

bool QzCmn14::Shell_Excute(qint32 hWnd, const QString &fileName)
{
    if (desktop().shellOpen(hWnd, fileName))
        return true;
    Msg_Box(KindErr,
            Orvane::tr("%1が見つからないか、拡張子に\r関連付けられたアプリケーションが有りません！").arg(fileName));
    return false;
}

qint32 QzCmn14::FileCopy(const QString &OldFile, const QString &NewFile)
{
    return copyWholeFile(OldFile, NewFile) ? 1 : 0;
}

bool QzCmn14::Search_path(const QString &FPath)
{
    // "/" separates folders here; a backslash is an ordinary character of a Linux file name.
    if (FPath.size() == 3) {
        // A name (or pattern) in the current folder, or a folder's listing ("ab/"); errors mean false.
        const qsizetype slash = FPath.lastIndexOf(QLatin1Char('/'));
        const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : FPath.left(slash));
        const QString name = FPath.mid(slash + 1);
        if (name.isEmpty())
            return QFileInfo(folder).isDir();
        if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
            return !QDir(folder).entryList({name}, QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
        const QFileInfo entry(QDir(folder).filePath(name));
        return entry.exists();
    }
    const qsizetype slash = FPath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        // No handler may throw across the event loop: the caller's Err_Msg finds it pending.
        raisePendingError(InvalidArgumentError, Orvane::tr(InvalidArgumentText));
        return false;
    }
    const QString folder = slash == 0 ? QStringLiteral("/") : FPath.left(slash);
    const QString name = FPath.mid(slash + 1);
    // The search looks for base + extension in that one folder: the name as given.
    if (name.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    return QFileInfo(QDir(folder).filePath(name)).exists();
}

// The system's installation prefix stands for the Windows folder.
QString QzCmn14::WinDir()
{
    return folderResult(QStringLiteral("/usr"));
}

// The system's shared libraries stand for the system folder.
QString QzCmn14::SysDir()
{
    return folderResult(QStringLiteral("/usr/lib"));
}

} // namespace orvane
