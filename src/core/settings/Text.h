#pragma once

#include "core/record/PlainText.h"

#include <QString>

#include <string_view>

namespace orvane {

// Decimal text with one leading blank when not negative, a minus sign when negative (" 5", "-5").
QString signedText(qint64 value);

// The text's UTF-16 units, for the plain C++ rules.
inline std::u16string_view utf16View(const QString &text)
{
    return std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<size_t>(text.size()));
}

// The units back as Qt text, unchanged: QString::fromUtf16 would take a leading U+FEFF or U+FFFE
// for a byte-order mark and drop it or swap every unit behind it.
inline QString qStringOf(std::u16string_view units)
{
    return QString(reinterpret_cast<const QChar *>(units.data()), static_cast<qsizetype>(units.size()));
}

} // namespace orvane
