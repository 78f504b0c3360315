// Fuzzes the hexadecimal and number conversions: any text, any 16- and 32-bit value. Checks that
// every result is either a value with no report or the neutral result with a three-line report,
// and that the conversions undo each other.
#include "core/services/Conversions.h"

#include "FuzzRequire.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace orvane;

namespace {

template <typename T> void checkReport(const Converted<T> &r, const char *member)
{
    if (r.ok())
        return;
    require(r.value == T{}, "a failure returns the neutral result");
    // The argument text may itself hold line breaks: only the first two lines are fixed.
    const QStringList lines = r.report.split(QStringLiteral("\r\n"));
    require(lines.size() >= 3, "three lines");
    require(lines[1] == QLatin1String(member), "line 2 names the member");
    require(lines[2].startsWith(QStringLiteral("Value = ")), "line 3 shows the value");
}

// An independent reading: blanks around, hexadecimal digits only, value within 32 bits.
bool referenceHex(const QString &text, quint64 &value)
{
    const QString &t = text;
    int begin = 0;
    int end = static_cast<int>(t.size());
    while (begin < end && t[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && t[end - 1] == QLatin1Char(' '))
        --end;
    if (begin == end)
        return false;
    value = 0;
    for (int i = begin; i < end; ++i) {
        const char16_t c = t[i].unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else
            return false;
        value = value * 16 + static_cast<quint64>(d);
        if (value > 0xFFFFFFFFULL)
            return false;
    }
    return true;
}

void fuzzText(const QString &text)
{
    const Converted<qint16> i = hexToInt(text);
    const Converted<qint32> l = hexToLong(text);
    checkReport(i, "HexToInt");
    checkReport(l, "HexToLong");

    quint64 expected = 0;
    const bool valid = referenceHex(text, expected);
    require(l.ok() == valid, "HexToLong accepts exactly the hexadecimal numbers of 32 bits");
    require(i.ok() == (valid && expected <= 0xFFFF), "HexToInt accepts exactly those of 16 bits");
    if (l.ok()) {
        require(static_cast<quint32>(l.value) == expected, "HexToLong reads the value");
        require(hexToLong(longToHex(l.value)).value == l.value, "LongToHex and HexToLong undo each other");
    }
    if (i.ok()) {
        require(static_cast<quint16>(i.value) == expected, "HexToInt reads the bit pattern");
        require(intToLong(i.value) == l.value, "IntToLong of HexToInt is HexToLong");
        require(hexToInt(intToHex(i.value)).value == i.value, "IntToHex and HexToInt undo each other");
    }
    const QString shown = hexArgumentText(text);
    require(!shown.isEmpty(), "line 3 is never empty");
}

void fuzzNumbers(qint32 v, qint16 s)
{
    const Converted<QString> bits = longTo16bit(v);
    const Converted<qint16> narrow = longToInt(v);
    checkReport(bits, "LongTo16bit");
    checkReport(narrow, "LongToInt");
    const bool in16 = v >= 0 && v <= 0xFFFF;
    require(bits.ok() == in16 && narrow.ok() == in16, "16-bit patterns are 0 to 65535");
    if (in16) {
        require(bits.value.size() == 16, "sixteen digits");
        bool ok = false;
        require(bits.value.toUInt(&ok, 2) == static_cast<uint>(v) && ok, "binary digits read back");
        require(intToLong(narrow.value) == v, "IntToLong undoes LongToInt");
    }
    const QString hex = longToHex(v);
    require(hex.size() >= 4 && hex.size() <= 8, "four to eight digits");
    require(hexToLong(hex).value == v && hexToLong(hex).ok(), "LongToHex reads back");

    const qint32 wide = intToLong(s);
    require(wide >= 0 && wide <= 0xFFFF, "IntToLong gives the bit pattern");
    require(longToInt(wide).value == s, "LongToInt undoes IntToLong");
    const QString h4 = intToHex(s);
    require(h4.size() == 4 && hexToInt(h4).value == s, "IntToHex reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size >= 6) {
        qint32 v;
        qint16 s;
        std::memcpy(&v, data, 4);
        std::memcpy(&s, data + 4, 2);
        fuzzNumbers(v, s);
    }
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    fuzzText(QString::fromLatin1(bytes));
    fuzzText(QString::fromUtf8(bytes));
    if (size % 2 == 0)
        fuzzText(QString(reinterpret_cast<const QChar *>(bytes.constData()), static_cast<qsizetype>(size / 2)));
    return 0;
}
