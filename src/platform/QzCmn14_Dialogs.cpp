#include "platform/QzCmn14.h"

#include "core/services/UiText.h"

#include "core/settings/Cp932.h"

#include <QFileInfo>

namespace orvane {

namespace {

// The Windows file dialog flags the two choosers ask for.
constexpr quint32 OpenFlags = OfnFileMustExist | OfnPathMustExist | OfnHideReadOnly;
constexpr quint32 SaveFlags = OfnPathMustExist | OfnHideReadOnly | OfnOverwritePrompt;

// Path buffers in code page 932 bytes, the terminating NUL included.
constexpr qsizetype FolderBufferBytes = 2048;
constexpr qsizetype OpenBufferBytes = 256;
constexpr qsizetype SaveBufferBytes = 250;

// A chosen path longer than the buffer is a failed dialog, as it always was.
QString fittingPath(const QString &path, qsizetype bufferBytes)
{
    if (path.isEmpty() || toCp932(path).size() >= bufferBytes)
        return QString();
    return path;
}

// The numeric value of a text as the runtime reads it: leading blanks skipped, digits up to the first other.
int leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == QLatin1Char('-') || trimmed.at(end) == QLatin1Char('+')))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit())
        ++end;
    return trimmed.left(end).toInt();
}

} // namespace

QVariant QzCmn14::ExitWindows(qint32 bootnum)
{
    if (bootnum != 0 && leadingNumber(OSPlatformID) == 2)
        SetAccessToken();
    // The session manager's answer only tells whether it took the request; the session goes on either way.
    switch (bootnum) {
    case 0:
        desktop().exitSession(EwxLogOff);
        break;
    case 1:
        desktop().exitSession(OSVerName == QLatin1String("2000") ? EwxPowerOff : EwxShutdown);
        break;
    case 2:
        desktop().exitSession(EwxReboot);
        break;
    default:
        break;
    }
    return QVariant();
}

// Nothing to enable here: logind asks polkit when the request arrives, and polkit may ask the user.
void QzCmn14::SetAccessToken() {}

QString QzCmn14::FolderDialog(qint32 hWnd)
{
    return fittingPath(desktop().browseForFolder(hWnd, Orvane::tr("フォルダの選択")), FolderBufferBytes);
}

QString QzCmn14::OpenDialog(qint32 hWnd, const QString &Filter, const QString &IniPath)
{
    FileDialogRequest request;
    request.owner = hWnd;
    request.title = Orvane::tr("ファイルを開く");
    request.filter = Filter;
    request.initialDir = IniPath;
    request.save = false;
    request.flags = OpenFlags;
    const QString path = fittingPath(desktop().fileDialog(request), OpenBufferBytes);
    // The file name's length in characters, whatever the folder's characters take in bytes.
    OpenFileLen = static_cast<qint16>(path.isEmpty() ? 0 : QFileInfo(path).fileName().size());
    return path;
}

QString QzCmn14::SaveDialog(qint32 hWnd, const QString &Filter, const QString &IniPath, const QString &Inifile)
{
    FileDialogRequest request;
    request.owner = hWnd;
    request.title = Orvane::tr("ファイルを保存する");
    request.filter = Filter;
    request.initialDir = IniPath;
    // The name buffer holds 250 characters; the blanks that padded it were never part of the name.
    QString proposed = Inifile.left(SaveBufferBytes);
    while (proposed.endsWith(QLatin1Char(' ')))
        proposed.chop(1);
    request.proposedName = proposed;
    request.save = true;
    request.flags = SaveFlags;
    return fittingPath(desktop().fileDialog(request), SaveBufferBytes);
}

} // namespace orvane
