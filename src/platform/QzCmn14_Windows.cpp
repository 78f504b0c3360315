#include "platform/QzCmn14.h"

#include "core/services/UiText.h"

#include "core/services/Conversions.h"
#include "platform/TrayRecord.h"

namespace orvane {

namespace {

constexpr quint32 IconId = 1;

} // namespace

bool QzCmn14::TrayAddIcon(qint32 hWnd, qint32 Icon, const QString &ToolTip)
{
    m_tray.cbSize = TrayRecordSize;
    m_tray.hWnd = hWnd;
    m_tray.uID = IconId;
    m_tray.uFlags = NifMessage | NifIcon | NifTip;
    m_tray.uCallbackMessage = static_cast<quint32>(WM_MOUSEMOVE);
    m_tray.hIcon = Icon;
    m_tray.szTip = trayTipField(ToolTip);
    return desktop().notifyIcon(NimAdd, m_tray);
}

bool QzCmn14::TrayModifyIcon(qint32 Icon, const QString &ToolTip)
{
    m_tray.hIcon = Icon;
    m_tray.szTip = trayTipField(ToolTip);
    return desktop().notifyIcon(NimModify, m_tray);
}

bool QzCmn14::TrayDelIcon()
{
    return desktop().notifyIcon(NimDelete, m_tray);
}

qint32 QzCmn14::Find_Window(const QString &AppName)
{
    return desktop().findWindow(AppName);
}

void QzCmn14::WindowTop(qint32 hWnd)
{
    desktop().setForegroundWindow(hWnd);
}

void QzCmn14::WindowTopMost(qint32 hWnd)
{
    desktop().setTopMost(hWnd, true);
}

void QzCmn14::WindowTopMostRst(qint32 hWnd)
{
    desktop().setTopMost(hWnd, false);
}

bool QzCmn14::AppClose(const QString &AppName)
{
    const qint32 hWnd = desktop().findWindow(AppName);
    if (hWnd == 0)
        return false;
    return desktop().closeWindow(hWnd);
}

bool QzCmn14::HtmlHelp_open(qint32 winhand, const QString &Help_file, float dispMode, float contextID)
{
    if (desktop().htmlHelp(winhand, Help_file, nearestInt32(dispMode), nearestInt32(contextID)) != 0)
        return true;
    Msg_Box(KindErr, Orvane::tr("Help File = %1 を開けませんでした！").arg(Help_file));
    return false;
}

} // namespace orvane
