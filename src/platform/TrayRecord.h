#pragma once

#include <QByteArray>
#include <QEvent>
#include <QIcon>
#include <QString>

namespace orvane {

// Icons travel as 32-bit handles, as the tray record keeps them. The same icon always gets the same
// handle; 0 is never a handle.
qint32 iconHandle(const QIcon &icon);
// The icon registered under a handle; a null icon for an unknown one.
QIcon iconForHandle(qint32 handle);

// The 64-byte tip field: the text left-aligned in 64 characters (padded with blanks or cut), then in
// code page 932, where whatever no longer fits the 64 bytes is cut; unused bytes are NUL.
QByteArray trayTipField(const QString &toolTip);
// The tip a tray shows for a field: at most its first 63 bytes, up to a NUL, without the blanks that
// pad it and without half of a double-byte character.
QString trayTipShown(const QByteArray &field);

// A tray icon's mouse notification as the shell delivers it to the window named in the icon's record:
// the record's callback message with wParam = the icon identifier and lParam = the mouse event code.
class TrayNotifyEvent : public QEvent {
public:
    TrayNotifyEvent(quint32 message, quint32 iconId, qint32 lParam)
        : QEvent(eventType()), message(message), iconId(iconId), lParam(lParam)
    {
    }
    static QEvent::Type eventType();

    const quint32 message;
    const quint32 iconId;
    const qint32 lParam;
};

} // namespace orvane
