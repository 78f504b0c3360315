#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Conversions to and from the Japanese code page 932 (Windows Shift-JIS) for Qt text; the
// conversion itself is Cp932Codec.h, which maps exactly as Windows does.
//
// A character that code page 932 can't hold becomes '?' (0x3F), as Windows substitutes it.
// `lossless` (optional) is set to false when that happened.
QByteArray toCp932(const QString &text, bool *lossless = nullptr);

// Bytes that are no valid code page 932 sequence (a lone lead byte, an undefined code) each become
// U+FFFD, so a damaged file still yields a text of predictable length.
QString fromCp932(const QByteArray &bytes);

// Bytes per character in code page 932: 1 for single-byte characters (unmappable ones count as
// the '?' they become), 2 for double-byte ones.
int cp932CharBytes(QChar ch);

} // namespace orvane
