#include "core/services/Conversions.h"

#include "core/services/UiText.h"

#include "core/settings/Text.h"

#include <cmath>

namespace orvane {

namespace {

const char BadData[] = QT_TRANSLATE_NOOP("Orvane", "変換するデータが異常です！");
const char BadNumber[] = QT_TRANSLATE_NOOP("Orvane", "数値が異常です！");

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// Upper-case hexadecimal digits without leading zeros; negative values as their 32-bit pattern.
QString hexForm(qint32 value)
{
    return QString::number(static_cast<quint32>(value), 16).toUpper();
}

QString padTo4(const QString &hex)
{
    return hex.size() >= 4 ? hex : QString(4 - hex.size(), QLatin1Char('0')) + hex;
}

// "<message>" CR LF "<member>" CR LF "Value = <value>".
QString conversionReport(const QString &message, const QString &member, const QString &valueText)
{
    return message + CrLf + member + CrLf + QStringLiteral("Value = ") + valueText;
}

// Reads a hexadecimal text (any case, blanks around it allowed); false when it is no hexadecimal
// number or its value needs more than 32 bits.
bool readHex(const QString &text, quint32 &value)
{
    const QStringView t = trimBlanks(text);
    if (t.isEmpty())
        return false;
    quint64 v = 0;
    for (QChar c : t) {
        const int d = hexDigit(c);
        if (d < 0)
            return false;
        v = v * 16 + static_cast<quint64>(d);
        if (v > 0xFFFFFFFFULL)
            return false;
    }
    value = static_cast<quint32>(v);
    return true;
}

} // namespace

QString hexArgumentText(const QString &upperText)
{
    QStringView t = trimBlanks(upperText);
    const bool negative = t.startsWith(QLatin1Char('-'));
    QStringView digits = negative ? t.mid(1) : t;
    bool decimal = !digits.isEmpty();
    for (QChar c : digits)
        decimal = decimal && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!decimal)
        return QLatin1Char('"') + upperText + QLatin1Char('"');
    // Written from the digits, so a decimal text of any length is shown without overflow.
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.mid(1);
    const bool zero = digits == QLatin1String("0");
    return (negative && !zero ? QStringLiteral("-") : QStringLiteral(" ")) + digits.toString();
}

Converted<QString> longTo16bit(qint32 cvLong)
{
    if (cvLong < 0 || cvLong > 0xFFFF)
        return {QString(), conversionReport(Orvane::tr(BadData), QStringLiteral("LongTo16bit"), signedText(cvLong))};
    return {QString::number(cvLong, 2).rightJustified(16, QLatin1Char('0')), QString()};
}

Converted<qint16> longToInt(qint32 cvLong)
{
    // A negative value's form has eight digits and so never fits 16 bits.
    if (cvLong < 0 || cvLong > 0xFFFF)
        return {0, conversionReport(Orvane::tr(BadNumber), QStringLiteral("LongToInt"), signedText(cvLong))};
    return {static_cast<qint16>(static_cast<quint16>(cvLong)), QString()};
}

QString longToHex(qint32 cvLong)
{
    return padTo4(hexForm(cvLong));
}

Converted<qint16> hexToInt(const QString &cvHex)
{
    quint32 v = 0;
    if (!readHex(cvHex, v) || v > 0xFFFF)
        return {0, conversionReport(Orvane::tr(BadNumber), QStringLiteral("HexToInt"), hexArgumentText(cvHex))};
    return {static_cast<qint16>(static_cast<quint16>(v)), QString()};
}

Converted<qint32> hexToLong(const QString &cvHex)
{
    quint32 v = 0;
    if (!readHex(cvHex, v))
        return {0, conversionReport(Orvane::tr(BadNumber), QStringLiteral("HexToLong"), hexArgumentText(cvHex))};
    return {static_cast<qint32>(v), QString()};
}

qint32 nearestInt32(double value)
{
    const double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return 0;
    return static_cast<qint32>(r);
}

qint32 intToLong(qint16 cvInt)
{
    return static_cast<quint16>(cvInt);
}

QString intToHex(qint16 cvInt)
{
    return padTo4(QString::number(static_cast<quint16>(cvInt), 16).toUpper());
}

} // namespace orvane
