#pragma once

#include <QString>

namespace orvane {

// The number and hexadecimal conversions of the common services, without the message box.
//
// Hexadecimal texts are read at the result's width (a value up to FFFF read into a 16-bit integer
// is its bit pattern, up to FFFFFFFF into a 32-bit integer likewise, anything wider fails). So
// FFFF is -1 as a 16-bit and 65535 as a 32-bit result, IntToLong(-1) is 65535 and LongToInt
// refuses every negative value: the 16-bit side stays the bit pattern 0 ... 65535 in both
// directions, and LongToInt and IntToLong undo each other.
//
// Blanks before and after the digits are accepted (fields come padded with blanks); a blank
// between digits is not. Leading zeros don't count towards the width.

// A result, or the neutral result with the three-line report that the caller shows.
template <typename T> struct Converted {
    T value{};
    QString report; // empty on success

    bool ok() const { return report.isEmpty(); }
};

// What line 3 of a report shows for a hexadecimal argument: a decimal text as its signed text
// (" 12345", "-5"); anything else between double quotes, so an empty or odd text is still visible.
QString hexArgumentText(const QString &upperText);

// The nearest 32-bit integer, halves to the even neighbour, as the conversions have always
// rounded; 0 for what no 32-bit integer holds (NaN, infinities, beyond the range).
qint32 nearestInt32(double value);

Converted<QString> longTo16bit(qint32 cvLong);
Converted<qint16> longToInt(qint32 cvLong);
QString longToHex(qint32 cvLong);
// The text is read as given; the caller upper-cases its variable first.
Converted<qint16> hexToInt(const QString &cvHex);
Converted<qint32> hexToLong(const QString &cvHex);
qint32 intToLong(qint16 cvInt);
QString intToHex(qint16 cvInt);

} // namespace orvane
