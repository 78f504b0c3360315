#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Shell_NotifyIcon's messages and the record's size and flags, as the shell defines them.
inline constexpr int NimAdd = 0;
inline constexpr int NimModify = 1;
inline constexpr int NimDelete = 2;
inline constexpr quint32 TrayRecordSize = 88;
inline constexpr quint32 NifMessage = 1;
inline constexpr quint32 NifIcon = 2;
inline constexpr quint32 NifTip = 4;

// The Windows flags the seam speaks in: ExitWindowsEx's and the file dialogs' OFN_ flags.
inline constexpr int EwxLogOff = 0x0;
inline constexpr int EwxShutdown = 0x1;
inline constexpr int EwxReboot = 0x2;
inline constexpr int EwxForce = 0x4;
inline constexpr int EwxPowerOff = 0x8;
inline constexpr int EwxForceIfHung = 0x10;
inline constexpr quint32 OfnOverwritePrompt = 0x2;
inline constexpr quint32 OfnHideReadOnly = 0x4;
inline constexpr quint32 OfnPathMustExist = 0x800;
inline constexpr quint32 OfnFileMustExist = 0x1000;

// The shell's tray record in its 88-byte ANSI layout; one per QzCmn14 object.
struct TrayRecord {
    quint32 cbSize = 0;
    qint32 hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    qint32 hIcon = 0;
    QByteArray szTip = QByteArray(64, '\0'); // code page 932, NUL-padded
    bool operator==(const TrayRecord &) const = default;
};

// What a file chooser is asked for; flags keep the Windows OFN_ meaning.
struct FileDialogRequest {
    qint32 owner = 0;
    QString title;
    QString filter; // Windows form: description NUL pattern NUL ... NUL
    QString initialDir;
    QString proposedName; // save only
    bool save = false;
    quint32 flags = 0;
};

// Everything the program asks of the desktop it runs on. The Linux adapters implement it over
// Qt, X11, libcanberra and logind; tests hand in a recording fake.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal message box; style is the Windows MB_ style (buttons | icon | modality).
    // Returns the Windows button number: OK 1, Cancel 2, Retry 4, Yes 6, No 7.
    virtual int messageBox(const QString &text, const QString &title, int style) = 0;
    // The same box, with F1 opening helpFile at helpContext (contents when 0); no help when helpFile is empty.
    virtual int messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                                   qint32 helpContext)
    {
        Q_UNUSED(helpFile);
        Q_UNUSED(helpContext);
        return messageBox(text, title, style);
    }
    // The beep that goes with an MB_ sound value (16, 32, 48, 64; anything else: the default).
    virtual void messageBeep(int sound) = 0;
    // Starts a sound and returns at once: a theme sound name first, then a file, then the default.
    virtual void playSound(const QString &name) = 0;

    // Shell_NotifyIcon: message 0 add, 1 modify, 2 delete; true when the tray accepted it.
    virtual bool notifyIcon(int message, const TrayRecord &record) = 0;
    // Whether a tray host shows icons right now; without one the program keeps its window in reach.
    virtual bool trayAvailable() = 0;
    // A desktop notification that goes away by itself; the tray icon's balloon where no notification
    // server answers. Returns at once.
    virtual void showNotification(const QString &title, const QString &text) = 0;
    // The first top-level window titled exactly so, 0 when none.
    virtual qint32 findWindow(const QString &title) = 0;
    // Asks the window manager to activate the window; a hidden window stays hidden.
    virtual bool setForegroundWindow(qint32 hWnd) = 0;
    // Enters or leaves the always-on-top band and shows the window.
    virtual bool setTopMost(qint32 hWnd, bool topMost) = 0;
    // Asks the window to close (WM_DELETE_WINDOW); true when the request was delivered.
    virtual bool closeWindow(qint32 hWnd) = 0;
    // Opens the help viewer: command 1 contents, 2 index, 15 context id `data`.
    // Returns the viewer's window handle, 0 when the help file couldn't be opened.
    virtual qint32 htmlHelp(qint32 hWnd, const QString &helpFile, int command, qint32 data) = 0;

    // Opens a document with its associated application; true when that was started.
    virtual bool shellOpen(qint32 hWnd, const QString &file) = 0;
    // A folder chooser; empty when cancelled.
    virtual QString browseForFolder(qint32 owner, const QString &title) = 0;
    // A file chooser; empty when cancelled.
    virtual QString fileDialog(const FileDialogRequest &request) = 0;
    // Ends the session: Windows EWX_ flags 0 log off, 1 shut down, 2 reboot, 8 power off.
    // True when the session manager accepted the request.
    virtual bool exitSession(int flags) = 0;
};

// The desktop in use. The program installs its platform's adapter at start; tests install a fake.
Desktop &desktop();
void setDesktop(Desktop *desktop);

} // namespace orvane
