#pragma once

#include "platform/Desktop.h"

#include <QString>
#include <QVariant>

namespace orvane {

// The pending error that Err_Msg reports: what the failing code knew when it gave up.
struct PendingError {
    qint32 number = 0;
    QString description;
    QString helpFile;
    qint32 helpContext = 0;
};

// The current pending error of the user-interface thread; Err_Msg reads and clears it.
PendingError &pendingError();
// Records a failure for a later Err_Msg.
void raisePendingError(qint32 number, const QString &description, const QString &helpFile = QString(),
                       qint32 helpContext = 0);

// The common services object: message boxes, conversions, time, sound, profiles, files, tray icons,
// windows, help, dialogs and session end. Every owner keeps an object of its own; they share nothing.
// Windows handles are 32-bit values (X11 window ids here).
class QzCmn14 {
public:
    QzCmn14();

    // Properties, in their published order.
    QString AppVersion;
    QString KindErr;
    QString KindChk;
    QString KindInfo;
    QString KindOkc;
    QString KindYnc;
    QString KindYn;
    QString KindRc;
    QString WaitStartTime;
    QString WaitFinishTime;
    QVariant MB_Syserr;
    QVariant MB_Question;
    QVariant MB_Warning;
    QVariant MB_Info;
    QString OSVerID;
    QString OSVerName;
    QString OSPlatformID;
    QString OSPlatformName;
    qint32 ExwLogOff = 0;
    qint32 ExwShutdown = 0;
    qint32 ExwReboot = 0;
    qint16 OpenFileLen = 0;
    qint32 WM_MOUSEMOVE = 0;
    qint32 WM_LBUTTONDOWN = 0;
    qint32 WM_LBUTTONUP = 0;
    qint32 WM_LBUTTONDBLCLK = 0;
    qint32 WM_RBUTTONDOWN = 0;
    qint32 WM_RBUTTONUP = 0;
    qint32 WM_RBUTTONDBLCLK = 0;
    float HH_DISPLAY_TREE = 0;
    float HH_DISPLAY_CONTEXT = 0;
    float HH_DISPLAY_INDEX = 0;

    // Message boxes, errors and byte length.
    void Err_Msg(const QString &Procedure_name);
    QVariant Wait(float second);
    QString GetTime();
    qint16 Msg_Box(const QString &BT_kind, const QString &prompt);
    qint32 LenByte(const QString &str);
    QVariant MsgBeep(qint32 sound);

    // Profiles, shell and files.
    bool IniWrite(const QString &sectionName, const QString &keyName, const QString &keyStr, const QString &fileName);
    QString IniRead(const QString &sectionName, const QString &keyName, const QString &fileName);
    bool Shell_Excute(qint32 hWnd, const QString &fileName);

    // Session end and system dialogs.
    QVariant ExitWindows(qint32 bootnum);
    void SetAccessToken();
    QString FolderDialog(qint32 hWnd);
    QString OpenDialog(qint32 hWnd, const QString &Filter, const QString &IniPath);
    QString SaveDialog(qint32 hWnd, const QString &Filter, const QString &IniPath, const QString &Inifile);

    QVariant PlayWaveSound(const QString &WavFileName);
    qint32 FileCopy(const QString &OldFile, const QString &NewFile);

    // Conversions. HexToInt and HexToLong upper-case their argument in place.
    QString LongTo16bit(const qint32 &cvLong);
    qint16 LongToInt(const qint32 &cvLong);
    QString LongToHex(const qint32 &cvLong);
    qint16 HexToInt(QString &cvHex);
    qint32 HexToLong(QString &cvHex);
    qint32 IntToLong(const qint16 &cvInt);
    QString IntToHex(const qint16 &cvInt);

    // Tray icon, windows and help.
    bool TrayAddIcon(qint32 hWnd, qint32 Icon, const QString &ToolTip);
    bool TrayModifyIcon(qint32 Icon, const QString &ToolTip);
    bool TrayDelIcon();
    qint32 Find_Window(const QString &AppName);
    void WindowTop(qint32 hWnd);
    void WindowTopMost(qint32 hWnd);
    void WindowTopMostRst(qint32 hWnd);
    bool AppClose(const QString &AppName);
    bool Search_path(const QString &FPath);
    QString WinDir();
    QString SysDir();
    bool HtmlHelp_open(qint32 winhand, const QString &Help_file, float dispMode, float contextID);

private:
    void describeOperatingSystem();

    TrayRecord m_tray;
};

} // namespace orvane
