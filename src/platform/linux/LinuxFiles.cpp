#include "platform/linux/LinuxDesktop.h"

#include "core/services/UiText.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace orvane {

namespace {

// How long xdg-open may take to say whether it found an application. Without a desktop of its
// own it runs the application itself and returns only when that ends: still running is success.
constexpr int OpenerPatienceMs = 5000;

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// polkit may ask the user for a password before logind answers.
constexpr int AuthorizedCallTimeoutMs = 120000;

// "Text (*.txt)\0*.txt;*.log\0All\0*.*\0\0" → "Text (*.txt) (*.txt *.log)", "All (*)". The
// description is shown as given (the details in the last parentheses are hidden).
QStringList nameFilters(const QString &windowsFilter)
{
    const QStringList parts = windowsFilter.split(QChar(0));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        if (description.isEmpty() && parts.at(i + 1).isEmpty())
            break; // the list's closing NUL
        QStringList patterns;
        const QStringList given = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString pattern : given) {
            pattern = pattern.trimmed();
            // Windows' "*.*" also matches names without a dot.
            patterns.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            continue;
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
}

// Qt's chooser with the one Windows rule it lacks: a file may only be named in an existing folder.
class FileChooser : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    bool pathMustExist = false;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (pathMustExist && !files.isEmpty() && !QFileInfo(files.first()).isDir()) {
            const QFileInfo chosen(files.first());
            if (!QFileInfo(chosen.absolutePath()).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     Orvane::tr("%1\nパスが存在しません。\nパスが正しいかどうか確認してください。")
                                         .arg(QDir::toNativeSeparators(chosen.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

QString chosenPath(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::cleanPath(files.first());
}

bool succeeded(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

QDBusMessage callLogind(const QString &path, const QString &interface, const QString &method,
                        const QVariantList &arguments, int timeoutMs = -1)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.NoServer"),
                                         QStringLiteral("no system bus"));
    QDBusMessage call = QDBusMessage::createMethodCall(Login1, path, interface, method);
    call.setArguments(arguments);
    call.setInteractiveAuthorizationAllowed(true);
    return bus.call(call, QDBus::Block, timeoutMs);
}

// Terminates the session this process belongs to.
bool terminateOwnSession()
{
    // Process id 0 asks for the caller's session as logind sees it from the bus credentials.
    const QDBusMessage found =
        callLogind(ManagerPath, ManagerInterface, QStringLiteral("GetSessionByPID"), {QVariant::fromValue(0U)});
    if (succeeded(found) && !found.arguments().isEmpty()) {
        const QString path = qdbus_cast<QDBusObjectPath>(found.arguments().constFirst()).path();
        if (!path.isEmpty())
            return succeeded(
                callLogind(path, SessionInterface, QStringLiteral("Terminate"), {}, AuthorizedCallTimeoutMs));
    }
    // Programs started as user services belong to no session; the desktop names theirs.
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (id.isEmpty())
        return false;
    return succeeded(
        callLogind(ManagerPath, ManagerInterface, QStringLiteral("TerminateSession"), {id}, AuthorizedCallTimeoutMs));
}

bool askLogind(const QString &method)
{
    // interactive = true: polkit may ask the user instead of refusing.
    return succeeded(callLogind(ManagerPath, ManagerInterface, method, {true}, AuthorizedCallTimeoutMs));
}

} // namespace

bool LinuxDesktop::shellOpen(qint32, const QString &file)
{
    if (file.isEmpty())
        return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    // A name starting with "-" would be read as an option.
    const QString target = file.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + file : file;

    // Without a parent: a process still running when we return lives on after this call.
    auto *process = new QProcess;
    process->setProgram(opener);
    process->setArguments({target});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer patience;
    patience.setSingleShot(true);
    QObject::connect(&patience, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    patience.start(OpenerPatienceMs);
    // Windows keep painting while we wait, but no click can start a second command meanwhile.
    if (process->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}

QString LinuxDesktop::browseForFolder(qint32 owner, const QString &title)
{
    QFileDialog dialog(ownWidget(owner), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The Windows chooser starts at the desktop, the top of the user's own files.
    dialog.setDirectory(QDir::homePath());
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    return chosenPath(dialog);
}

QString LinuxDesktop::fileDialog(const FileDialogRequest &request)
{
    FileChooser dialog(ownWidget(request.owner), request.title);
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(filters);
    }
    if (!request.initialDir.isEmpty() && QFileInfo(request.initialDir).isDir())
        dialog.setDirectory(request.initialDir);
    dialog.pathMustExist = (request.flags & OfnPathMustExist) != 0;
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.flags & OfnOverwritePrompt) == 0);
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.flags & OfnFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    return chosenPath(dialog);
}

bool LinuxDesktop::exitSession(int flags)
{
    // Forcing is logind's business: inhibitors and polkit decide what may end at once.
    const int action = flags & ~(EwxForce | EwxForceIfHung);
    if (action == 0)
        return terminateOwnSession();
    if (action & EwxReboot)
        return askLogind(QStringLiteral("Reboot"));
    if (action & (EwxShutdown | EwxPowerOff))
        return askLogind(QStringLiteral("PowerOff"));
    return false;
}

} // namespace orvane
