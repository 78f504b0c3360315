#include "platform/TrayRecord.h"

#include "core/settings/Cp932.h"

#include <QHash>

namespace orvane {

namespace {

struct IconRegistry {
    QHash<qint64, qint32> byKey;
    QHash<qint32, QIcon> byHandle;
    qint32 next = 1;
};

IconRegistry &icons()
{
    static IconRegistry registry;
    return registry;
}

constexpr int TipBytes = 64;
constexpr int TipChars = 64;
constexpr int TipShownBytes = 63;

// One code point at a time, so that a double-byte character is either whole or gone.
QByteArray cutToBytes(const QString &text, int limit)
{
    QByteArray out;
    for (int i = 0; i < text.size();) {
        const int len =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const QByteArray bytes = toCp932(text.mid(i, len));
        if (out.size() + bytes.size() > limit)
            break;
        out += bytes;
        i += len;
    }
    return out;
}

} // namespace

qint32 iconHandle(const QIcon &icon)
{
    if (icon.isNull())
        return 0;
    IconRegistry &r = icons();
    const auto found = r.byKey.constFind(icon.cacheKey());
    if (found != r.byKey.constEnd())
        return found.value();
    const qint32 handle = r.next++;
    r.byKey.insert(icon.cacheKey(), handle);
    r.byHandle.insert(handle, icon);
    return handle;
}

QIcon iconForHandle(qint32 handle)
{
    return icons().byHandle.value(handle);
}

QByteArray trayTipField(const QString &toolTip)
{
    QByteArray field = cutToBytes(toolTip.left(TipChars).leftJustified(TipChars, QLatin1Char(' ')), TipBytes);
    field.append(TipBytes - field.size(), '\0');
    return field;
}

QString trayTipShown(const QByteArray &field)
{
    QByteArray bytes = field.left(TipBytes);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    // Whole characters within the bytes shown, so that a double-byte character cut in half is gone.
    QString text = fromCp932(cutToBytes(fromCp932(bytes), TipShownBytes));
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QEvent::Type TrayNotifyEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace orvane
