#pragma once

#include <QtGlobal>

class QSystemTrayIcon;

namespace orvane {

// The icon that stands for a tray record's window and identifier, if the record was added.
QSystemTrayIcon *trayIconOf(qint32 hWnd, quint32 uID);
// An icon of this program that a tray shows now, nullptr when there is none.
QSystemTrayIcon *shownTrayIcon();

} // namespace orvane
