#pragma once

#include <QString>

namespace orvane {

// Decimal text with one leading blank when not negative, a minus sign when negative (" 5", "-5").
QString signedText(qint64 value);

// CR LF, the line break of every message.
inline const QString CrLf = QStringLiteral("\r\n");

} // namespace orvane
