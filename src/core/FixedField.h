#pragma once

#include "core/RecordFormat.h"

#include <QString>

#include <array>
#include <string_view>

namespace orvane {

// The fixed-field assignment: left-aligned, cut to 20 characters or padded with blanks.
QString fixedField(const QString &text);

// How every reader uses a field: trailing blanks (U+0020 only) removed, nothing else touched.
QString fieldValue(const QString &field);

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

// 6 rows (0 global, 1..5 the PCs) by 10 columns of fixed fields, addressed (row, column).
class SettingsGrid {
public:
    // Before the first load every field holds 20 NUL characters.
    SettingsGrid();

    QString &at(int row, int column) { return m_fields.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)); }
    const QString &at(int row, int column) const
    {
        return m_fields.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    }
    // Stores text with the fixed-field assignment.
    void set(int row, int column, const QString &text) { at(row, column) = fixedField(text); }
    // The field as readers use it (trailing blanks removed).
    QString value(int row, int column) const { return fieldValue(at(row, column)); }

    bool operator==(const SettingsGrid &other) const = default;

private:
    std::array<std::array<QString, SettingsColumns>, SettingsRows> m_fields;
};

} // namespace orvane
